// Speaking: its rules, and its window played by keys on a real study file
// whose models espeak-ng speaks, with the learner's takes fed to the
// microphone (the test host's capture, or SDL's disk driver reading a raw
// recording), to the score row and the grade of every phrase.
#include "common/game_end.h"
#include "common/stop_question.h"
#include "speaking/speaking_game.h"
#include "speaking/speaking_window.h"
#include "study_data/study_results.h"
#include "study_fixture.h"
#include "support/crafted_waves.h"
#include "support/fake_host.h"

#include "frame/mod_main.h"
#include "platform/ado.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

using activity::ActivityTexts;
using activity::SpeakingGame;
using activity::SpeakingWindow;
using activity::Text;
using fixture::StudyFolder;
using State = activity::ScoreSaver::State;

TEST(SpeakingGame, KeepsTheBestOfThreeTakesAndGradesItsBand) {
    // Phrase 2's model cannot be played.
    SpeakingGame game({true, false, true, true});
    EXPECT_TRUE(game.anyComparable());
    EXPECT_FALSE(game.canGoOn()) << "a phrase with a model needs a take first";
    game.next();
    EXPECT_EQ(game.current(), 0);

    game.took(voice::Verdict::NothingHeard, 0);
    EXPECT_EQ(game.best(), -1);
    EXPECT_TRUE(game.canGoOn());
    game.took(voice::Verdict::Figure, 85);
    game.took(voice::Verdict::Figure, 62);
    EXPECT_EQ(game.triesUsed(), 3);
    EXPECT_FALSE(game.canTry());
    game.took(voice::Verdict::Figure, 99); // a fourth take is not taken
    EXPECT_EQ(game.best(), 85) << "the best take is kept, not the last";
    game.next();

    EXPECT_EQ(game.current(), 1);
    EXPECT_FALSE(game.comparable());
    EXPECT_FALSE(game.canTry());
    EXPECT_TRUE(game.canGoOn()) << "without a model the learner only goes on";
    game.next();

    game.took(voice::Verdict::Figure, 45);
    game.next();
    game.took(voice::Verdict::TooNoisy, 0);
    game.next();
    EXPECT_TRUE(game.finished());

    EXPECT_TRUE(game.compared(0));
    EXPECT_FALSE(game.compared(1));
    EXPECT_EQ(game.comparedCount(), 3);
    EXPECT_EQ(game.averageCloseness(), 43) << "(85 + 45 + 0) / 3";
    EXPECT_EQ(game.countIn(voice::Band::VeryClose), 1);
    EXPECT_EQ(game.countIn(voice::Band::Close), 0);
    EXPECT_EQ(game.countIn(voice::Band::KeepPractising), 2);

    EXPECT_EQ(SpeakingGame::GradeOf(100), fsrs::Easy);
    EXPECT_EQ(SpeakingGame::GradeOf(80), fsrs::Easy);
    EXPECT_EQ(SpeakingGame::GradeOf(79), fsrs::Good);
    EXPECT_EQ(SpeakingGame::GradeOf(60), fsrs::Good);
    EXPECT_EQ(SpeakingGame::GradeOf(59), fsrs::Hard);
    EXPECT_EQ(SpeakingGame::GradeOf(40), fsrs::Hard);
    EXPECT_EQ(SpeakingGame::GradeOf(39), fsrs::Again);
    EXPECT_EQ(SpeakingGame::GradeOf(-1), fsrs::Again) << "no figure in any take";

    EXPECT_FALSE(SpeakingGame({false, false}).anyComparable());
}

namespace {

class SpeakingTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("espeak-ng")).isEmpty())
            GTEST_SKIP() << "espeak-ng is not installed";
    }

    // A recording of text in voiceName, as espeak-ng writes it (22,050 Hz).
    QByteArray say(const QString &text, const QString &voiceName = QStringLiteral("it")) {
        const QString path = study.env.root() + QStringLiteral("said%1.wav").arg(++m_said);
        QProcess espeak;
        espeak.start(QStringLiteral("espeak-ng"),
                     {QStringLiteral("-v"), voiceName, QStringLiteral("-w"), path, text});
        EXPECT_TRUE(espeak.waitForFinished(60000));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    // Writes the study file with each phrase's model spoken by espeak-ng.
    activity::StudyFile studyOf(const QVector<fixture::Phrase> &phrases,
                                const QString &learner = QStringLiteral("Spanish")) {
        const QString name = study.write(study.lines(phrases, learner));
        activity::StudyFile file = study.load(name);
        for (const activity::StudyPhrase &p : file.phrases) {
            QFile sound(p.soundFile);
            EXPECT_TRUE(sound.open(QIODevice::WriteOnly | QIODevice::Truncate));
            sound.write(say(p.phrase));
        }
        return file;
    }

    // The shell's record of the launch, so that the results find it.
    void recordLaunch(const activity::StudyFile &file) {
        studyResults::Launch launch;
        launch.id = studyResults::New_Launch_Id();
        launch.studyFile = QFileInfo(file.path).fileName();
        launch.student = file.studentName;
        launch.subject = file.subjectTitle;
        launch.when = QDateTime::currentDateTime().addSecs(-60);
        for (int k = 0; k < file.phrases.size(); ++k)
            launch.entries << studyResults::LaunchEntry{k + 1,
                                                        QStringLiteral("Food.ito"),
                                                        k + 1,
                                                        file.phrases[k].phrase,
                                                        file.phrases[k].translation,
                                                        file.phrases[k].translation2};
        studyResults::Record_Launch(study.databasePath(), launch, 2000);
    }

    // Each result row: entry and grade.
    QVector<std::pair<int, int>> results() const {
        ado::Connection db;
        db.Open(modMain::Get_Template_Connection_String(study.databasePath()));
        ado::Recordset rs;
        rs.Open(QStringLiteral("SELECT nEntry, nGrade FROM tblResults ORDER BY pkResultID"), db);
        QVector<std::pair<int, int>> rows;
        for (; !ado::AtEnd(rs); rs.MoveNext())
            rows << std::pair{rs.Fields(0).Value().toInt(), rs.Fields(1).Value().toInt()};
        return rows;
    }

    activity::Microphone fakeMicrophone() {
        return activity::Microphone{[this] { return host.microphone; },
                                    [this](int ms) { return host.StartCapture(ms); }};
    }

    static void showActive(QWidget &window) {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    // Presses key to record, and waits until the take has been compared.
    static void take(SpeakingWindow &window, Qt::Key key = Qt::Key_Space) {
        const int before = window.game().triesUsed();
        const int phrase = window.game().current();
        QTest::keyClick(&window, key);
        ASSERT_TRUE(window.recording());
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return !window.recording() && !window.comparing() &&
                       (window.game().current() != phrase ||
                        window.game().triesUsed() == before + 1);
            },
            60000));
    }

    static void waitForResults(activity::GameEnd &end) {
        QSignalSpy done(end.resultSaver, &activity::ResultSaver::done);
        if (end.resultSaver->state() == activity::ResultSaver::State::Saving) {
            ASSERT_TRUE(done.wait(30000));
        }
    }

    StudyFolder study;
    FakeHost host;

private:
    int m_said = 0;
};

} // namespace

TEST_F(SpeakingTest, KeysRecordEachPhraseUpToThreeTimesToOneScoreRowAndAGradePerPhrase) {
    const QVector<fixture::Phrase> phrases{
        {QStringLiteral("Buongiorno, come stai?"), QStringLiteral("Buenos días, ¿qué tal?"), ""},
        {QStringLiteral("Il gatto dorme sul divano"), QStringLiteral("El gato duerme en el sofá"),
         ""},
        {QStringLiteral("Quanto costa questo libro?"), QStringLiteral("¿Cuánto cuesta este libro?"),
         ""}};
    const activity::StudyFile file = studyOf(phrases);
    recordLaunch(file);
    SpeakingWindow window(file, ActivityTexts(file.learnerLanguage), fakeMicrophone());
    showActive(window);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Escuche y repita — La comida"));
    EXPECT_EQ(window.sound().lastPlayed(), file.phrases[0].soundFile) << "the model plays first";
    EXPECT_EQ(window.lblProgress->text(), QStringLiteral("Frase 1 de 3"));
    EXPECT_EQ(window.lblPhrase->text(), phrases[0].phrase);
    EXPECT_EQ(window.lblTranslation->text(), phrases[0].translation);
    EXPECT_EQ(window.lblStatus->text(),
              QStringLiteral("Escuche el modelo; luego pulse Espacio y diga la frase."));
    EXPECT_FALSE(window.btnNext->isEnabled()) << "a phrase is said before going on";
    for (const QWidget *w : window.findChildren<QWidget *>()) {
        if (w->window() == &window &&
            (qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QLabel *>(w) ||
             qobject_cast<const QProgressBar *>(w))) {
            EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
        }
    }

    // Phrase 1: said as the model says it, with Enter; very close.
    host.microphoneWave = say(phrases[0].phrase);
    take(window, Qt::Key_Return);
    ASSERT_EQ(host.recordRequests.size(), 1u);
    EXPECT_GT(host.recordRequests[0], 2000) << "the model's length and two seconds";
    EXPECT_EQ(window.lblCloseness->text(), QStringLiteral("Parecido con el modelo: 100 de 100"));
    EXPECT_EQ(window.lblBand->text(), QStringLiteral("Muy parecido"));
    EXPECT_EQ(window.lblTries->text(), QStringLiteral("Intento 1 de 3"));
    EXPECT_TRUE(window.btnMine->isEnabled());
    QTest::keyClick(&window, Qt::Key_Return);

    // Phrase 2: nothing said, then another phrase, then the phrase itself;
    // a fourth Space records nothing.
    EXPECT_EQ(window.lblPhrase->text(), phrases[1].phrase);
    EXPECT_EQ(window.sound().lastPlayed(), file.phrases[1].soundFile);
    host.microphoneWave = QByteArray();
    take(window);
    EXPECT_EQ(window.lblCloseness->text(),
              QStringLiteral("No se oyó nada. Hable cerca del micrófono y vuelva a intentarlo."));
    EXPECT_EQ(window.lblStatus->text(),
              QStringLiteral("Espacio: intentarlo otra vez (quedan 2).  Intro: seguir."));
    host.microphoneWave = say(phrases[2].phrase, QStringLiteral("it+f2"));
    take(window);
    const int wrong = window.game().best();
    EXPECT_LT(wrong, 60);
    host.microphoneWave = say(phrases[1].phrase);
    take(window);
    EXPECT_EQ(window.game().best(), 100);
    EXPECT_EQ(window.lblBest->text(), QStringLiteral("Su mejor cifra: 100 de 100"));
    EXPECT_FALSE(window.btnRecord->isEnabled());
    QTest::keyClick(&window, Qt::Key_Space);
    EXPECT_FALSE(window.recording());
    EXPECT_EQ(host.recordRequests.size(), 4u);
    EXPECT_EQ(window.lblStatus->text(), QStringLiteral("Intro: seguir."));
    // R and I play the model and the take again, and go on with nothing else.
    const int plays = window.sound().playCount();
    QTest::keyClick(&window, Qt::Key_R);
    EXPECT_EQ(window.sound().playCount(), plays + 1);
    QTest::keyClick(&window, Qt::Key_I);
    EXPECT_EQ(window.game().current(), 1);
    EXPECT_TRUE(study.scores().isEmpty()) << "no row before the game ends";
    QTest::keyClick(&window, Qt::Key_Return);

    // Phrase 3: another phrase said, once.
    host.microphoneWave = say(phrases[0].phrase, QStringLiteral("it+m3"));
    take(window);
    const int third = window.game().best();
    EXPECT_LT(third, 60);
    QTest::keyClick(&window, Qt::Key_Return);

    ASSERT_EQ(window.pages->currentWidget(), window.endPage);
    const int mean = qRound((100 + 100 + qMax(0, third)) / 3.0);
    EXPECT_EQ(window.endPage->lblResult->text(),
              QStringLiteral("Parecido medio con los modelos: %1 de 100.\nMuy parecido: 2   "
                             "Parecido: 0   Siga practicando: 1")
                  .arg(mean));
    EXPECT_EQ(fixture::settle(*window.endPage->saver), State::Saved);
    waitForResults(*window.gameEnd);
    EXPECT_EQ(window.gameEnd->resultSaver->outcome(), studyResults::ResultsWritten::Written);
    const QVector<QVariantList> rows = study.scores();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0][0].toString(), QStringLiteral("Ana Pérez"));
    EXPECT_EQ(rows[0][1].toString(), QStringLiteral("Escuche y repita"));
    EXPECT_EQ(rows[0][2].toString(), QStringLiteral("La comida"));
    EXPECT_EQ(rows[0][3].toString(), QString());
    EXPECT_EQ(rows[0][4].toInt(), mean);
    const int thirdGrade = SpeakingGame::GradeOf(third);
    EXPECT_EQ(results(), (QVector<std::pair<int, int>>{{1, 4}, {2, 4}, {3, thirdGrade}}));

    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(study.scores().size(), 1);
}

TEST_F(SpeakingTest, WithoutAMicrophoneItSaysSoAtOnceAndWritesNothing) {
    const activity::StudyFile file =
        studyOf({{QStringLiteral("Ciao"), QStringLiteral("Hello"), ""}}, QStringLiteral("English"));
    recordLaunch(file);
    host.microphone = false;
    SpeakingWindow window(file, ActivityTexts(file.learnerLanguage), fakeMicrophone());
    showActive(window);
    EXPECT_TRUE(window.lblCannotStart->isVisible());
    EXPECT_EQ(window.lblCannotStart->text(),
              QStringLiteral("No microphone can be used, so this activity cannot hear you. "
                             "Connect one, or allow this program to use it, and start the "
                             "activity again. Nothing has been saved."));
    EXPECT_FALSE(window.lblCannotStart->accessibleName().isEmpty());
    EXPECT_EQ(window.sound().playCount(), 0) << "no model for a phrase nobody can say";
    QTest::keyClick(&window, Qt::Key_Space);
    EXPECT_TRUE(host.recordRequests.empty());
    EXPECT_FALSE(window.stopQuestion->box->isVisible());
    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(study.scores().isEmpty());
    EXPECT_TRUE(results().isEmpty());
    EXPECT_FALSE(QDir(study.databasePath() + QStringLiteral(".pending")).exists());
}

// One phrase with quotes, right-to-left text and a long translation, beside a
// phrase whose model is damaged: said once, that phrase goes by without a
// take or a grade, the other one is compared and graded.
TEST_F(SpeakingTest, ADamagedModelIsSaidOnceAndItsPhraseGoesByUngraded) {
    const QString longText = QStringLiteral("Una traducción larga, ").repeated(12).trimmed();
    const QVector<fixture::Phrase> phrases{
        {QStringLiteral("Dice \"ciao\" a tutti"), QStringLiteral("שלום לכולם"), longText},
        {QStringLiteral("Grazie mille"), QStringLiteral("Muchas gracias"), ""}};
    const activity::StudyFile file = studyOf(phrases, QStringLiteral("English"));
    {
        QFile damaged(file.phrases[1].soundFile);
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        fixture::WaveHeader header;
        header.rate = 1;
        damaged.write(fixture::CraftedWave(header));
    }
    recordLaunch(file);
    SpeakingWindow window(file, ActivityTexts(file.learnerLanguage), fakeMicrophone());
    showActive(window);
    EXPECT_EQ(window.lblPhrase->text(), QStringLiteral("Dice \"ciao\" a tutti"));
    EXPECT_EQ(window.lblTranslation->text(), QStringLiteral("שלום לכולם"));
    host.microphoneWave = say(phrases[0].phrase);
    take(window);
    EXPECT_EQ(window.lblBand->text(), QStringLiteral("Very close"));
    QTest::keyClick(&window, Qt::Key_Return);

    const QLabel *problem = window.lblSoundProblem;
    EXPECT_TRUE(problem->isVisible());
    const QString line = QStringLiteral(
        "The recording of \"Grazie mille\" is damaged: this phrase is studied without sound.");
    EXPECT_EQ(problem->text(), line);
    EXPECT_EQ(window.lblStatus->text(),
              QStringLiteral("Without its recording this phrase cannot be compared: say it "
                             "aloud, then press Enter to go on."));
    QTest::keyClick(&window, Qt::Key_R);
    QTest::keyClick(&window, Qt::Key_Space);
    EXPECT_FALSE(window.recording());
    EXPECT_EQ(host.recordRequests.size(), 1u);
    EXPECT_EQ(problem->text(), line);
    for (const QWidget *w : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(qobject_cast<const QMessageBox *>(w) && w->isVisible());
    }
    QTest::keyClick(&window, Qt::Key_Return);

    ASSERT_EQ(window.pages->currentWidget(), window.endPage);
    EXPECT_EQ(fixture::settle(*window.endPage->saver), State::Saved);
    waitForResults(*window.gameEnd);
    ASSERT_EQ(study.scores().size(), 1);
    EXPECT_EQ(study.scores()[0][1].toString(), QStringLiteral("Speaking"));
    EXPECT_EQ(study.scores()[0][4].toInt(), 100);
    EXPECT_EQ(results(), (QVector<std::pair<int, int>>{{1, 4}}));
}

// Esc asks first; Yes leaves without a score, and a game of ten phrases left
// half-way writes nothing.
TEST_F(SpeakingTest, EscDuringTheGameAsksAndLeavingWritesNothing) {
    QVector<fixture::Phrase> phrases;
    for (int i = 1; i <= 10; ++i)
        phrases << fixture::Phrase{QStringLiteral("numero %1").arg(i),
                                   QStringLiteral("número %1").arg(i), ""};
    const activity::StudyFile file = studyOf(phrases);
    recordLaunch(file);
    SpeakingWindow window(file, ActivityTexts(file.learnerLanguage), fakeMicrophone());
    showActive(window);
    host.microphoneWave = say(phrases[0].phrase);
    take(window);
    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_EQ(window.lblProgress->text(), QStringLiteral("Frase 2 de 10"));
    QTest::keyClick(&window, Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.stopQuestion->box->isVisible(); }, 5000));
    window.stopQuestion->btnYes->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(study.scores().isEmpty());
    EXPECT_TRUE(results().isEmpty());
}

// The computer's own microphone through SDL: its disk driver reads the take
// from a raw file (16-bit mono at 22,050 Hz), as a sound card would deliver it.
TEST_F(SpeakingTest, TheSystemMicrophoneHearsTheTakeThroughTheSoundLayer) {
    const activity::StudyFile file =
        studyOf({{QStringLiteral("Buona sera"), QStringLiteral("Good evening"), ""}},
                QStringLiteral("English"));
    const voice::Wave said = voice::Read_Wave(say(QStringLiteral("Buona sera")));
    ASSERT_EQ(said.rate, 22050);
    QByteArray raw;
    for (const float v : said.samples) {
        const qint16 s = qint16(qBound(-32767.0f, v * 32767.0f, 32767.0f));
        raw.append(reinterpret_cast<const char *>(&s), 2);
    }
    const QString takeFile = study.env.root() + QStringLiteral("take.raw");
    writeFile(takeFile, raw);

    const QByteArray oldDriver = qgetenv("SDL_AUDIODRIVER");
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILEIN", takeFile.toLocal8Bit());
    qputenv("SDL_DISKAUDIOFILE", (study.env.root() + QStringLiteral("heard.raw")).toLocal8Bit());
    {
        SpeakingWindow window(file, ActivityTexts(file.learnerLanguage));
        showActive(window);
        ASSERT_EQ(window.pages->currentIndex(), 0) << "the disk driver is a microphone";
        take(window);
        EXPECT_GE(window.game().best(), 80) << window.lblCloseness->text().toStdString();
        QTest::keyClick(&window, Qt::Key_Return);
        ASSERT_EQ(window.pages->currentWidget(), window.endPage);
        EXPECT_EQ(fixture::settle(*window.endPage->saver), State::Saved);
    }
    qputenv("SDL_AUDIODRIVER", oldDriver);
    qunsetenv("SDL_DISKAUDIOFILEIN");
    qunsetenv("SDL_DISKAUDIOFILE");
    ASSERT_EQ(study.scores().size(), 1);
    EXPECT_GE(study.scores()[0][4].toInt(), 80);
}

// A microphone the sound layer cannot open (here SDL's disk driver without
// its file) is said at once, as having none at all.
TEST_F(SpeakingTest, AMicrophoneThatCannotBeOpenedIsSaidAtOnce) {
    const activity::StudyFile file =
        studyOf({{QStringLiteral("Ciao"), QStringLiteral("Hola"), ""}});
    const QByteArray oldDriver = qgetenv("SDL_AUDIODRIVER");
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILEIN", (study.env.root() + QStringLiteral("none.raw")).toLocal8Bit());
    qputenv("SDL_DISKAUDIOFILE", (study.env.root() + QStringLiteral("heard.raw")).toLocal8Bit());
    {
        SpeakingWindow window(file, ActivityTexts(file.learnerLanguage));
        showActive(window);
        EXPECT_TRUE(window.lblCannotStart->isVisible());
        EXPECT_TRUE(window.lblCannotStart->text().startsWith(
            QStringLiteral("No se puede usar ningún micrófono")));
        QTest::keyClick(&window, Qt::Key_Escape);
        EXPECT_FALSE(window.isVisible());
    }
    qputenv("SDL_AUDIODRIVER", oldDriver);
    qunsetenv("SDL_DISKAUDIOFILEIN");
    qunsetenv("SDL_DISKAUDIOFILE");
    EXPECT_TRUE(study.scores().isEmpty());
}
