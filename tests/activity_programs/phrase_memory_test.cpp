// The per-phrase memory from end to end: the shell launches our activities on
// a real subject, the learner answers by keys with right and wrong answers,
// the activities write a result per phrase, and days later the scheduler and
// tvx-review give the same memory state for each phrase.
#include "activities/activity_launch.h"
#include "activities/study_set.h"
#include "common/game_end.h"
#include "common/study_file.h"
#include "flash_cards/flash_cards_window.h"
#include "frame/mod_main.h"
#include "platform/ado.h"
#include "listening_quiz/listening_quiz_window.h"
#include "review_tool.h"
#include "study_data/study_results.h"
#include "subjects/subject_fixture.h"

#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QTextStream>

#include <gtest/gtest.h>

namespace {

class PhraseMemoryTest : public SubjectTestBase {
protected:
    PhraseMemoryTest() : launch(program, tree, TreeFolders) {
        program.currentStudent = QStringLiteral("Ann O'Brien");
        program.folders.dataFolder = env.programFolder();
        program.folders.activitiesFolder = env.programFolder() + QStringLiteral("Activities/");
        env.installTemplate();
        QFile::copy(env.programFolder() + QStringLiteral("Tolvanex.tpl"), program.usersPath());
        QFile(program.usersPath()).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        // The shell's clock a minute behind the real one, which the games
        // read: every turn of the fake event loop moves it on, and a launch
        // recorded after the second a game starts in is not that game's.
        host.clock = QDateTime::currentDateTime().addSecs(-60);
        subject(QStringLiteral("Food.ito"), 3);
        build();
    }

    // Presses the activity's button on Food and reads the study file the
    // shell handed to the program, where the program would find it.
    activity::StudyLoad launchOnFood(const QString &program) {
        click(find(QStringLiteral("Food")));
        host.startedPrograms.clear();
        host.startedIn.clear();
        launch.btnAct_Click(program);
        EXPECT_EQ(host.startedPrograms.size(), 1);
        const QString name = activities::Study_File_Name(this->program);
        return activity::LoadStudyFile(name, host.startedIn.value(0));
    }

    static void waitForResults(activity::GameEnd &end) {
        QSignalSpy done(end.resultSaver, &activity::ResultSaver::done);
        if (end.resultSaver->state() == activity::ResultSaver::State::Saving) {
            ASSERT_TRUE(done.wait(30000));
        }
    }

    // Every result row: launch id, entry, grade.
    QVector<QVariantList> results() const {
        ado::Connection db;
        db.Open(modMain::Get_Template_Connection_String(program.usersPath()));
        ado::Recordset rs;
        rs.Open(QStringLiteral("SELECT tLaunch, tStudyFile, nEntry, nGrade, nSeconds FROM "
                               "tblResults ORDER BY pkResultID"),
                db);
        QVector<QVariantList> rows;
        for (; !ado::AtEnd(rs); rs.MoveNext())
            rows << QVariantList{rs.Fields(0).Value(), rs.Fields(1).Value(), rs.Fields(2).Value(),
                                 rs.Fields(3).Value(), rs.Fields(4).Value()};
        return rows;
    }
    QStringList launchIds() const {
        ado::Connection db;
        db.Open(modMain::Get_Template_Connection_String(program.usersPath()));
        ado::Recordset rs;
        rs.Open(QStringLiteral("SELECT tLaunch, tName, tSubject FROM tblLaunches ORDER BY "
                               "pkLaunchID"),
                db);
        QStringList ids;
        for (; !ado::AtEnd(rs); rs.MoveNext()) {
            EXPECT_EQ(rs.Fields(1).Text(), QStringLiteral("Ann O'Brien"));
            EXPECT_EQ(rs.Fields(2).Text(), QStringLiteral("Food"));
            ids << rs.Fields(0).Text();
        }
        return ids;
    }

    ActivityLaunch launch;
};

void showActive(QWidget &window) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

} // namespace

TEST_F(PhraseMemoryTest, BothActivitiesGradeEachPhraseAndTheScheduleFollowsDaysLater) {
    // Flash cards: card 1 known, card 2 missed (and known when it comes
    // back), card 3 known.
    const activity::StudyLoad cardsLoad = launchOnFood(QStringLiteral("FlashCards"));
    ASSERT_TRUE(cardsLoad.ok()) << cardsLoad.error.toStdString();
    {
        activity::FlashCardsWindow cards(cardsLoad.file, cardsLoad.texts);
        showActive(cards);
        for (const Qt::Key answer : {Qt::Key_1, Qt::Key_2, Qt::Key_1, Qt::Key_1}) {
            QTest::keyClick(&cards, Qt::Key_Space);
            QTest::keyClick(&cards, answer);
        }
        ASSERT_EQ(cards.pages->currentWidget(), cards.endPage);
        waitForResults(*cards.gameEnd);
        EXPECT_EQ(cards.gameEnd->resultSaver->outcome(), studyResults::ResultsWritten::Written);
    }
    QStringList launches = launchIds();
    ASSERT_EQ(launches.size(), 1);
    QVector<QVariantList> rows = results();
    ASSERT_EQ(rows.size(), 3) << "one row per card, by its first showing";
    const int cardGrades[] = {3, 1, 3};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(rows[i][0].toString(), launches[0]);
        EXPECT_EQ(rows[i][1].toString(), activities::Study_File_Name(program));
        EXPECT_EQ(rows[i][2].toInt(), i + 1);
        EXPECT_EQ(rows[i][3].toInt(), cardGrades[i]);
        EXPECT_GE(rows[i][4].toDouble(), 0.0) << "the time the learner took";
    }

    // The listening quiz on the same subject: a new launch, the same study
    // file's name. The phrase asked first is answered wrong, the others right.
    const activity::StudyLoad quizLoad = launchOnFood(QStringLiteral("ListeningQuiz"));
    ASSERT_TRUE(quizLoad.ok()) << quizLoad.error.toStdString();
    int quizGrades[3] = {};
    {
        activity::ListeningQuizWindow quiz(quizLoad.file, quizLoad.texts, 7);
        showActive(quiz);
        for (int question = 0; question < 3; ++question) {
            const activity::QuizQuestion q = quiz.game().question();
            const bool right = question != 0;
            const int pick = right ? q.rightChoice : (q.rightChoice + 1) % int(q.choices.size());
            quizGrades[q.phrase] = right ? 3 : 1;
            QTest::keyClick(&quiz, Qt::Key(Qt::Key_1 + pick));
            QTest::keyClick(&quiz, Qt::Key_Return);
        }
        ASSERT_EQ(quiz.pages->currentWidget(), quiz.endPage);
        waitForResults(*quiz.gameEnd);
    }
    launches = launchIds();
    ASSERT_EQ(launches.size(), 2);
    rows = results();
    ASSERT_EQ(rows.size(), 6);
    for (int i = 3; i < 6; ++i) {
        EXPECT_EQ(rows[i][0].toString(), launches[1]);
        EXPECT_EQ(rows[i][3].toInt(), quizGrades[rows[i][2].toInt() - 1]);
    }

    // Five days later: each phrase of Food.ito with its two grades of today.
    const QDate later = QDate::currentDate().addDays(5);
    const studyResults::Histories histories =
        studyResults::Read_Histories(program.usersPath(), program.currentStudent);
    EXPECT_EQ(histories.unmatched, 0);
    ASSERT_EQ(histories.phrases.size(), 3);
    const QVector<studyResults::PhraseSchedule> schedule =
        studyResults::Schedule(histories.phrases, later);
    for (int i = 0; i < 3; ++i) {
        const studyResults::PhraseSchedule &s = schedule[i];
        EXPECT_EQ(s.history.source, (studyResults::SourcePhrase{"Food.ito", i + 1}));
        EXPECT_EQ(s.history.phrase, QStringLiteral("Fop%1").arg(i + 1));
        ASSERT_EQ(s.history.reviews.size(), 2);
        EXPECT_EQ(s.history.reviews[0].grade, cardGrades[i]);
        EXPECT_EQ(s.history.reviews[1].grade, quizGrades[i]);
        // The cards' grade first, then the quiz's, as the learner gave them.
        EXPECT_LE(s.history.reviews[0].when, s.history.reviews[1].when);
        const fsrs::MemoryState expected =
            fsrs::Replay({{s.history.reviews[0].when, cardGrades[i]},
                          {s.history.reviews[1].when, quizGrades[i]}});
        EXPECT_DOUBLE_EQ(s.state.stability, expected.stability);
        EXPECT_DOUBLE_EQ(s.state.difficulty, expected.difficulty);
        EXPECT_EQ(s.due, fsrs::Due_Date(expected));
        EXPECT_LT(s.retrievability, 1.0);
    }
    // Every phrase is due within five days of a first study.
    EXPECT_EQ(studyResults::Due_Phrases(schedule, later, 10).size(), 3);

    // tvx-review prints the same states.
    QString text;
    QString errors;
    QTextStream out(&text);
    QTextStream err(&errors);
    ASSERT_EQ(reviewTool::Run({program.usersPath(), "--student", "Ann O'Brien", "--at",
                               later.toString(Qt::ISODate), "--csv"},
                              out, err),
              0)
        << errors.toStdString();
    const QStringList lines = text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << text.toStdString();
    for (int i = 0; i < 3; ++i) {
        const studyResults::PhraseSchedule &s = schedule[i];
        EXPECT_EQ(lines[i + 1], QStringLiteral("Ann O'Brien,Food.ito,%1,Fop%1,2,%2,%3,%4,%5,%6")
                                    .arg(i + 1)
                                    .arg(quizGrades[i])
                                    .arg(s.state.difficulty, 0, 'f', 4)
                                    .arg(s.state.stability, 0, 'f', 4)
                                    .arg(s.retrievability, 0, 'f', 4)
                                    .arg(s.due.toString(Qt::ISODate)));
    }
    EXPECT_TRUE(errors.isEmpty());

    // In the tree five days later, "review today" counts the three phrases
    // and any activity studies them from their source subject.
    host.clock = QDateTime(later, QTime(10, 0));
    tree.Show_Review_Nodes();
    const int review = TreeFolders.FirstSibling(1);
    ASSERT_EQ(TreeFolders.Text(review), caption(caption::ReviewToday) + QStringLiteral(" (3)"));
    click(review);
    ASSERT_EQ(TreeFolders.Children(review), 3);
    host.startedPrograms.clear();
    host.startedIn.clear();
    launch.btnAct_Click(QStringLiteral("FlashCards"));
    ASSERT_EQ(host.startedPrograms.size(), 1) << host.boxTexts().join(" | ").toStdString();
    const activity::StudyLoad reviewLoad =
        activity::LoadStudyFile(activities::Study_File_Name(program), host.startedIn.value(0));
    ASSERT_TRUE(reviewLoad.ok()) << reviewLoad.error.toStdString();
    EXPECT_EQ(reviewLoad.file.subjectTitle, caption(caption::ReviewToday));
    ASSERT_EQ(reviewLoad.file.phrases.size(), 3);
    QVector<studyResults::EntryTexts> reviewTexts;
    QVector<studyResults::PhraseResult> reviewResults;
    for (int i = 0; i < 3; ++i) {
        const auto &e = reviewLoad.file.phrases[i];
        reviewTexts << studyResults::EntryTexts{e.phrase, e.translation, e.translation2};
        reviewResults << studyResults::PhraseResult{i + 1, fsrs::Easy, host.clock.addSecs(60), 1};
    }
    ASSERT_EQ(studyResults::Write_Results(program.usersPath(),
                                          activities::Study_File_Name(program), host.clock,
                                          reviewTexts, reviewResults, 1000),
              studyResults::ResultsWritten::Written);
    // The results trace back to Food's phrases: nothing is due any more.
    tree.Show_Review_Nodes();
    EXPECT_EQ(TreeFolders.Text(review), caption(caption::ReviewToday) + QStringLiteral(" (0)"));
    const studyResults::Histories reviewed =
        studyResults::Read_Histories(program.usersPath(), program.currentStudent);
    ASSERT_EQ(reviewed.phrases.size(), 3);
    for (const auto &h : reviewed.phrases)
        EXPECT_EQ(h.reviews.size(), 3) << h.source.file.toStdString() << h.source.phraseNo;
}

TEST_F(PhraseMemoryTest, UnderAnOlderShellAnActivityWritesItsScoreOnly) {
    const activity::StudyLoad load = launchOnFood(QStringLiteral("FlashCards"));
    ASSERT_TRUE(load.ok()) << load.error.toStdString();
    // A shell from before the results tables launched this one.
    {
        ado::Connection db;
        db.Open(modMain::Get_Template_Connection_String(program.usersPath()));
        db.Execute(QStringLiteral("DROP TABLE tblResults; DROP TABLE tblLaunchEntries; DROP TABLE "
                                  "tblLaunches;"));
    }
    activity::FlashCardsWindow cards(load.file, load.texts);
    showActive(cards);
    for (int card = 0; card < 3; ++card) {
        QTest::keyClick(&cards, Qt::Key_Space);
        QTest::keyClick(&cards, Qt::Key_1);
    }
    waitForResults(*cards.gameEnd);
    EXPECT_EQ(cards.gameEnd->resultSaver->state(), activity::ResultSaver::State::Done);
    EXPECT_EQ(cards.gameEnd->resultSaver->outcome(), studyResults::ResultsWritten::NoTable);
    QSignalSpy saved(cards.endPage->saver, &activity::ScoreSaver::stateChanged);
    while (cards.endPage->saver->state() != activity::ScoreSaver::State::Saved &&
           saved.wait(30000)) {
    }
    EXPECT_EQ(cards.endPage->saver->state(), activity::ScoreSaver::State::Saved);
    EXPECT_EQ(cards.endPage->lblSaved->text(), QStringLiteral("Su puntuación se ha guardado."));
}

TEST_F(PhraseMemoryTest, ResultsOfAGameEndingOnALockedDatabaseAreKeptAndWrittenOnceLater) {
    const activity::StudyLoad load = launchOnFood(QStringLiteral("FlashCards"));
    ASSERT_TRUE(load.ok()) << load.error.toStdString();
    {
        // Another program writes the student database for longer than the
        // game waits.
        ado::Connection other;
        other.Open(modMain::Get_Template_Connection_String(program.usersPath()));
        other.Execute(QStringLiteral("BEGIN IMMEDIATE"));
        activity::FlashCardsWindow cards(load.file, load.texts);
        showActive(cards);
        for (int card = 0; card < 3; ++card) {
            QTest::keyClick(&cards, Qt::Key_Space);
            QTest::keyClick(&cards, Qt::Key_1);
        }
        waitForResults(*cards.gameEnd);
        EXPECT_EQ(cards.gameEnd->resultSaver->state(), activity::ResultSaver::State::Kept);
        other.Execute(QStringLiteral("COMMIT"));
    }
    EXPECT_TRUE(results().isEmpty());

    // A later activity's start writes them (the first one that finds the
    // database free), and a start after that adds nothing.
    const auto start = [&] {
        activity::ListeningQuizWindow next(load.file, load.texts, 3);
        QSignalSpy written(next.endPage->saver, &activity::ScoreSaver::keptScoresWritten);
        EXPECT_TRUE(!written.isEmpty() || written.wait(30000));
    };
    for (int tries = 0; tries < 5 && results().isEmpty(); ++tries)
        start();
    start();
    const QVector<QVariantList> rows = results();
    ASSERT_EQ(rows.size(), 3);
    const QStringList launches = launchIds();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(rows[i][0].toString(), launches.value(0));
        EXPECT_EQ(rows[i][2].toInt(), i + 1);
        EXPECT_EQ(rows[i][3].toInt(), fsrs::Good);
    }
}
