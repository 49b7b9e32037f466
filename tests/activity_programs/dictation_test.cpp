// Dictation: how a written phrase is checked and graded, the accented
// letters, and the window played by keys to its score and result rows.
#include "common/game_end.h"
#include "common/stop_question.h"
#include "dictation/accent_letters.h"
#include "dictation/dictation_check.h"
#include "dictation/dictation_game.h"
#include "dictation/dictation_window.h"
#include "study_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>

#include <gtest/gtest.h>

using activity::AnswerCheck;
using activity::CheckAnswer;
using activity::Mark;
using State = activity::ScoreSaver::State;

namespace {

// The marks of text's characters as one letter each: = same, a accent,
// p punctuation, x wrong.
std::string marks(const QVector<Mark> &m) {
    std::string s;
    for (const Mark mark : m)
        s += mark == Mark::Same          ? '='
             : mark == Mark::Accent      ? 'a'
             : mark == Mark::Punctuation ? 'p'
                                         : 'x';
    return s;
}

int grade(const QString &phrase, const QString &answer) {
    return CheckAnswer(phrase, answer).grade;
}

void showActive(QWidget &window) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

void waitForResults(activity::GameEnd &end) {
    QSignalSpy done(end.resultSaver, &activity::ResultSaver::done);
    if (end.resultSaver->state() == activity::ResultSaver::State::Saving) {
        ASSERT_TRUE(done.wait(30000));
    }
}

} // namespace

TEST(DictationCheck, CaseAndSpacesAreForgivenAccentsAndPunctuationCostLessThanLetters) {
    // Exact: letter case, spaces, and the shapes of quotes do not count.
    EXPECT_EQ(grade("Buongiorno, Marco!", "  buongiorno,marco! "), 4);
    EXPECT_EQ(grade("Dice \"ciao\" a tutti.", "dice “ciao” a   tutti."), 4);
    EXPECT_EQ(grade("L’acqua è fredda.", "l'acqua È fredda."), 4);
    // A phrase stored decomposed is the same phrase.
    EXPECT_EQ(grade(QStringLiteral("Perche\u0301?"), "perché?"), 4);

    // Punctuation only: good, the signs marked.
    AnswerCheck c = CheckAnswer("Buongiorno, Marco!", "buongiorno marco");
    EXPECT_EQ(c.grade, 3);
    EXPECT_EQ(marks(c.phraseMarks), "==========p======p");
    EXPECT_EQ(marks(c.answerMarks), "================");
    c = CheckAnswer("Sì.", "si!");
    EXPECT_EQ(c.grade, 3);
    EXPECT_EQ(marks(c.phraseMarks), "=ap");
    EXPECT_EQ(marks(c.answerMarks), "=ap");

    // Accent slips: the same letter without (or with another) accent.
    c = CheckAnswer("Perché no?", "perche no?");
    EXPECT_EQ(c.grade, 3);
    EXPECT_EQ(marks(c.phraseMarks), "=====a====");
    EXPECT_EQ(marks(c.answerMarks), "=====a====");
    EXPECT_EQ(marks(CheckAnswer("mañana", "manana").phraseMarks), "==a===");
    EXPECT_EQ(grade("Città", "cittá"), 3);
    // Right-to-left text: its vowel points are marks too.
    c = CheckAnswer(QStringLiteral("שָׁלוֹם"), QStringLiteral("שלום"));
    EXPECT_EQ(c.grade, 3);
    EXPECT_EQ(c.wordsOff, 0);
    EXPECT_NE(marks(c.phraseMarks).find('a'), std::string::npos);
    EXPECT_EQ(marks(c.answerMarks).find('x'), std::string::npos);
}

TEST(DictationCheck, WrongLettersAreCountedByWord) {
    // One word off: hard, the letters marked in both texts.
    AnswerCheck c = CheckAnswer("Vorrei un caffè.", "vorrei una caffe");
    EXPECT_EQ(c.grade, 2);
    EXPECT_EQ(c.wordsOff, 1);
    EXPECT_EQ(marks(c.answerMarks), "=========x=====a");
    EXPECT_EQ(marks(c.phraseMarks), std::string(14, '=') + "ap");
    c = CheckAnswer("Grazie mille", "grazei mille");
    EXPECT_EQ(c.grade, 2);
    EXPECT_NE(marks(c.phraseMarks).find('x'), std::string::npos);
    EXPECT_NE(marks(c.answerMarks).find('x'), std::string::npos);
    // A missing word, an extra one, an extra letter.
    EXPECT_EQ(grade("uno dos tres", "uno tres"), 2);
    EXPECT_EQ(marks(CheckAnswer("uno dos tres", "uno tres").phraseMarks), "====xxx=====");
    EXPECT_EQ(grade("Ciao", "ciao ciao"), 2);
    EXPECT_EQ(grade("Ciao Marco", "ciaoo Marco"), 2);
    // More: again.
    EXPECT_EQ(grade("Vorrei un caffè", "vorrei due tè"), 1);
    EXPECT_EQ(grade("uno dos", "uno dos tres cuatro"), 1);
    EXPECT_EQ(CheckAnswer("uno dos", "uno dos tres cuatro").wordsOff, 2);
    // A one-word phrase written all wrong is not "one word off".
    EXPECT_EQ(grade("ciao", "xyz"), 1);
    EXPECT_EQ(grade("ciao", "!!"), 1);
    EXPECT_EQ(grade("ciao", ""), 1);
    EXPECT_FALSE(activity::HasLetters(" ?! "));
    EXPECT_TRUE(activity::HasLetters("7"));
}

TEST(AccentLetters, EachLearnedLanguageHasItsLettersAndAltGoesRoundThem) {
    const auto italian = activity::AccentLettersFor("Italian");
    QString shown;
    for (const activity::AccentLetter &l : italian)
        shown += l.letter;
    EXPECT_EQ(shown, QStringLiteral("àèéìòù"));
    EXPECT_EQ(activity::NextAccentLetter(italian, 'e', "", false), "è");
    EXPECT_EQ(activity::NextAccentLetter(italian, 'e', "è", false), "é");
    EXPECT_EQ(activity::NextAccentLetter(italian, 'e', "é", false), "è");
    EXPECT_EQ(activity::NextAccentLetter(italian, 'E', "È", true), "É");
    EXPECT_EQ(activity::NextAccentLetter(italian, 'k', "", false), "");

    const auto spanish = activity::AccentLettersFor("spanish");
    EXPECT_EQ(activity::NextAccentLetter(spanish, 'n', "", true), "Ñ");
    EXPECT_EQ(activity::NextAccentLetter(spanish, '?', "", false), "¿");
    EXPECT_EQ(activity::NextAccentLetter(spanish, 'u', "ú", false), "ü");
    const auto german = activity::AccentLettersFor("German");
    EXPECT_EQ(activity::NextAccentLetter(german, 's', "", true), "ß");
    EXPECT_EQ(activity::NextAccentLetter(activity::AccentLettersFor("French"), 'c', "", false),
              "ç");
    EXPECT_TRUE(activity::AccentLettersFor("English").isEmpty());
    EXPECT_TRUE(activity::AccentLettersFor("Klingon").isEmpty());
}

TEST(DictationGame, EachPhraseIsCheckedOnceAndTheScoreForgivesSlips) {
    activity::DictationGame game({"Ciao", "Perché?", "Vorrei un caffè", "Grazie"});
    EXPECT_FALSE(game.answer("  ?  ")) << "nothing written yet";
    EXPECT_FALSE(game.checked());
    game.next(); // not before its check
    EXPECT_EQ(game.current(), 0);
    for (const char *answer : {"ciao", "perche", "vorrei una caffè", "prego"}) {
        ASSERT_TRUE(game.answer(QString::fromUtf8(answer)));
        EXPECT_FALSE(game.answer("again")) << "one check per phrase";
        game.next();
    }
    EXPECT_TRUE(game.finished());
    EXPECT_EQ(game.grades(), (QVector<int>{4, 3, 2, 1}));
    EXPECT_EQ(game.rightCount(), 2);
    EXPECT_EQ(game.exactCount(), 1);
    EXPECT_EQ(game.scorePercent(), 50);

    // A phrase of signs alone can be checked without a letter.
    activity::DictationGame signs({"¡¿?!"});
    EXPECT_TRUE(signs.answer(""));
    EXPECT_EQ(signs.grades(), (QVector<int>{3}));
}

// Phrases with quotes, markup signs and accents, written by keys: Alt+E
// twice for é, an accent button, Ctrl+R and Ctrl+Shift+R, Enter to check
// and to go on; the score row and a graded result per phrase land.
TEST(DictationWindow, KeysWriteCheckAndGradeEveryPhraseToItsRows) {
    fixture::StudyFolder study;
    const QVector<fixture::Phrase> phrases{{"Perché \"no\"?", "¿Por qué \"no\"?", ""},
                                           {"<b>Città</b>", "Ciudad", ""},
                                           {"Vorrei un caffè", "Quisiera un café", ""}};
    const QString name = study.write(phrases);
    study.recordLaunch(name, phrases);
    const activity::StudyFile file = study.load(name);
    activity::DictationWindow window(file, activity::ActivityTexts(file.learnerLanguage));
    showActive(window);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Dictado — La comida"));
    EXPECT_EQ(window.lblProgress->text(), "Frase 1 de 3");
    EXPECT_EQ(window.sound().lastPlayed(), file.phrases[0].soundFile);
    EXPECT_EQ(window.focusWidget(), window.txtAnswer);
    // Italian is learned: its six letters, each named with its key.
    ASSERT_EQ(window.btnAccent.size(), 6);
    EXPECT_EQ(window.btnAccent[2]->text(), "é");
    EXPECT_EQ(window.btnAccent[2]->accessibleName(), "Escribir é (Alt+E)");
    EXPECT_FALSE(window.btnCheck->isEnabled());

    QTest::keyClick(&window, Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(window.sound().lastWasSlow());
    QTest::keyClick(&window, Qt::Key_R, Qt::ControlModifier);
    EXPECT_FALSE(window.sound().lastWasSlow());
    EXPECT_EQ(window.sound().playCount(), 3);
    QTest::keyClick(window.txtAnswer, Qt::Key_Return); // nothing written: no check
    EXPECT_FALSE(window.game().checked());

    QTest::keyClicks(window.txtAnswer, "perch");
    QTest::keyClick(window.txtAnswer, Qt::Key_E, Qt::AltModifier);
    EXPECT_EQ(window.txtAnswer->text(), "perchè");
    QTest::keyClick(window.txtAnswer, Qt::Key_E, Qt::AltModifier);
    EXPECT_EQ(window.txtAnswer->text(), "perché");
    QTest::keyClicks(window.txtAnswer, " \"no\"?");
    QTest::keyClick(window.txtAnswer, Qt::Key_Return);
    ASSERT_TRUE(window.game().checked());
    EXPECT_EQ(window.lblVerdict->text(), "¡Exacto!");
    EXPECT_TRUE(window.lblMarkedPhrase->isVisible());
    EXPECT_FALSE(window.lblMarkedAnswer->isVisible()) << "an exact answer needs no comparison";
    EXPECT_TRUE(window.txtAnswer->isReadOnly());
    QTest::keyClicks(window.txtAnswer, "x");
    EXPECT_EQ(window.txtAnswer->text(), "perché \"no\"?");
    QTest::keyClick(&window, Qt::Key_Return);

    // Phrase 2: an accent slip, the phrase's markup shown as text.
    EXPECT_EQ(window.lblProgress->text(), "Frase 2 de 3");
    EXPECT_EQ(window.sound().lastPlayed(), file.phrases[1].soundFile);
    EXPECT_TRUE(window.txtAnswer->text().isEmpty());
    QTest::keyClicks(window.txtAnswer, "<b>citta</b>");
    QTest::keyClick(window.txtAnswer, Qt::Key_Return);
    EXPECT_EQ(window.lblVerdict->text(), "Bien, salvo acentos o puntuación.");
    EXPECT_TRUE(window.lblMarkedPhrase->text().startsWith("&lt;b&gt;Citt<span"))
        << window.lblMarkedPhrase->text().toStdString();
    EXPECT_TRUE(window.lblMarkedAnswer->isVisible());
    EXPECT_TRUE(window.lblLegend->isVisible());
    QTest::keyClick(&window, Qt::Key_Enter);

    // Phrase 3: one word off, with the accent typed by its button.
    QTest::keyClicks(window.txtAnswer, "vorrei una caff");
    QTest::mouseClick(window.btnAccent[1], Qt::LeftButton);
    EXPECT_EQ(window.txtAnswer->text(), "vorrei una caffè");
    EXPECT_EQ(window.focusWidget(), window.txtAnswer);
    QTest::keyClick(window.txtAnswer, Qt::Key_Return);
    EXPECT_EQ(window.lblVerdict->text(), "Casi: falla una palabra.");
    EXPECT_TRUE(study.scores().isEmpty()) << "no row before the game ends";
    QTest::keyClick(&window, Qt::Key_Return);

    ASSERT_EQ(window.pages->currentWidget(), window.endPage);
    EXPECT_EQ(window.endPage->lblResult->text(),
              "Escribió bien 2 de 3 frases, 1 de ellas exactamente.\nPuntuación: 67 %");
    EXPECT_EQ(fixture::settle(*window.endPage->saver), State::Saved);
    waitForResults(*window.gameEnd);
    const QVector<QVariantList> rows = study.scores();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0][1].toString(), "Dictado");
    EXPECT_EQ(rows[0][2].toString(), "La comida");
    EXPECT_EQ(rows[0][4].toInt(), 67);
    const QVector<QVariantList> results = study.results();
    ASSERT_EQ(results.size(), 3);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(results[k][0].toInt(), k + 1);
        EXPECT_EQ(results[k][1].toInt(), 4 - k);
    }
    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_FALSE(window.isVisible());
}

// An English learner learning a language without accent buttons; a phrase
// without a recording is said once and still written; Esc asks first.
TEST(DictationWindow, ASilentPhraseIsStillWrittenAndEscAsksBeforeStopping) {
    fixture::StudyFolder study;
    QStringList lines = study.lines(fixture::numbered(2), QStringLiteral("English"));
    lines[4] = QStringLiteral("English");
    const activity::StudyFile file = study.load(study.write(lines));
    writeFile(file.phrases[0].soundFile, QByteArray()); // a phrase recorded without sound
    activity::DictationWindow window(file, activity::ActivityTexts(file.learnerLanguage));
    showActive(window);
    EXPECT_TRUE(window.btnAccent.isEmpty());
    EXPECT_FALSE(window.lblAccentHint->isVisible());
    const QLabel *problem = window.lblSoundProblem;
    EXPECT_TRUE(problem->isVisible());
    EXPECT_EQ(problem->text(),
              "The recording of \"frase 1\" is damaged: this phrase is studied without sound.");
    QTest::keyClick(&window, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(problem->text(),
              "The recording of \"frase 1\" is damaged: this phrase is studied without sound.");

    QTest::keyClicks(window.txtAnswer, "frase 1");
    QTest::keyClick(window.txtAnswer, Qt::Key_Return);
    EXPECT_EQ(window.lblVerdict->text(), "Exactly right!");

    QMessageBox *box = window.stopQuestion->box;
    QTest::keyClick(&window, Qt::Key_Escape);
    ASSERT_TRUE(box->isVisible());
    QTest::keyClick(box, Qt::Key_Escape); // No: the game goes on
    EXPECT_TRUE(window.isVisible());
    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_EQ(window.lblProgress->text(), "Phrase 2 of 2");
    QTest::keyClick(&window, Qt::Key_Escape);
    ASSERT_TRUE(box->isVisible());
    QTest::mouseClick(window.stopQuestion->btnYes, Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.endPage->saver->state(), State::Idle);
    EXPECT_TRUE(study.scores().isEmpty());
}
