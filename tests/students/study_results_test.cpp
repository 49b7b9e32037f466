// The per-phrase memory in the student database: the tables on new and older
// files, the launches the shell records, the results activities write, and
// the histories and schedules read back, bad rows left out and counted.
#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/ado.h"
#include "shell/frm_main.h"
#include "study_data/study_results.h"
#include "support/fake_host.h"
#include "support/test_env.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace studyResults;

namespace {

class StudyResultsTest : public ::testing::Test {
protected:
    StudyResultsTest() {
        env.installTemplate();
        QFile::copy(env.programFolder() + QStringLiteral("Tolvanex.tpl"), database);
        QFile(database).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    void execute(const QString &sql, const QVariantList &params = {}) const {
        ado::Connection db;
        db.Open(modMain::Get_Template_Connection_String(database));
        db.Execute(sql, params);
    }
    QStringList tables() const {
        ado::Connection db;
        db.Open(modMain::Get_Template_Connection_String(database));
        ado::Recordset rs;
        rs.Open(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name LIKE "
                               "'tblLaunch%' OR name = 'tblResults' ORDER BY name"),
                db);
        QStringList names;
        for (; !ado::AtEnd(rs); rs.MoveNext())
            names << rs.Fields(0).Text();
        return names;
    }

    // A launch of three phrases: two of Food.ito, one of a virtual subject
    // copied from Drinks.ito.
    Launch launch(const QString &id, const QString &studyFile, const QString &student,
                  const QDateTime &when) const {
        Launch l;
        l.id = id;
        l.studyFile = studyFile;
        l.student = student;
        l.subject = QStringLiteral("Mixed");
        l.when = when;
        l.entries = {{1, "Food.ito", 1, "pane", "bread", ""},
                     {2, "Food.ito", 2, "latte", "milk", "a drink"},
                     {3, "Drinks.ito", 7, "acqua", "water\r\non two lines", ""}};
        return l;
    }
    // The texts as the activity read them from the study file.
    static QVector<EntryTexts> readTexts() {
        return {{"pane", "bread", ""},
                {"latte", "milk", "a drink"},
                {"acqua", "water on two lines", ""}};
    }

    TestEnv env;
    const QString database = env.programFolder() + QStringLiteral("Users.dat");
    const QDateTime morning = QDateTime(QDate(2026, 3, 2), QTime(9, 0));
};

const QStringList kTables{"tblLaunchEntries", "tblLaunches", "tblResults"};

} // namespace

TEST_F(StudyResultsTest, NewDatabasesHaveTheTablesAndTheShellAddsThemToOlderOnes) {
    EXPECT_EQ(tables(), kTables) << "the template makes them";

    execute(QStringLiteral("DROP TABLE tblResults; DROP TABLE tblLaunchEntries; "
                           "DROP TABLE tblLaunches;"));
    ASSERT_TRUE(tables().isEmpty());
    // An activity finds nowhere to write, and writes only its score.
    EXPECT_EQ(Write_Results(database, "~tvx1.txt", morning, readTexts(), {}, 100),
              ResultsWritten::NoTable);
    EXPECT_TRUE(Read_Histories(database).phrases.isEmpty());

    FakeHost host;
    Program program(host, env.settings());
    frmMain main(program);
    main.Form_Load();
    ASSERT_FALSE(program.ended);
    ASSERT_EQ(program.usersPath(), database);
    EXPECT_EQ(tables(), kTables) << "opening the database at start-up adds them";

    // One that lacks only an index gets it back at the next launch, which
    // is recorded with all its entries.
    execute(QStringLiteral("DROP INDEX idxResultsStudyFile"));
    Record_Launch(database, launch("A", "~tvx100.txt", "Ana", morning), 1000);
    ado::Connection db;
    db.Open(modMain::Get_Template_Connection_String(database));
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT (SELECT count(*) FROM sqlite_master WHERE name = "
                           "'idxResultsStudyFile'), (SELECT group_concat(nEntry || ':' || "
                           "tPhrase, ' ') FROM tblLaunchEntries)"),
            db);
    EXPECT_EQ(rs.Fields(0).Value().toInt(), 1);
    EXPECT_EQ(rs.Fields(1).Text(), QStringLiteral("1:pane 2:latte 3:acqua"));
}

TEST_F(StudyResultsTest, ResultsFindTheirLaunchAndTwoShellsNeverMixTheirSets) {
    // Two shells at once: each has its own study file name and launch id.
    Record_Launch(database, launch("A", "~tvx100.txt", "Ana O'Neil", morning), 1000);
    Record_Launch(database, launch("B", "~tvx200.txt", "Bo", morning), 1000);
    const QDateTime started = morning.addSecs(2);
    const QVector<PhraseResult> ana{{1, fsrs::Good, morning.addSecs(10), 3.5},
                                    {2, fsrs::Again, morning.addSecs(20), -1},
                                    {3, fsrs::Good, morning.addSecs(30), 1.0}};
    EXPECT_EQ(Write_Results(database, "~tvx100.txt", started, readTexts(), ana, 1000),
              ResultsWritten::Written);
    EXPECT_EQ(Write_Results(database, "~tvx200.txt", started, readTexts(),
                            {{2, fsrs::Good, morning.addSecs(15), 2}}, 1000),
              ResultsWritten::Written);

    // Ana studies the same set again two days later: same study file name,
    // a new launch.
    const QDateTime later = morning.addDays(2);
    Record_Launch(database, launch("A2", "~tvx100.txt", "Ana O'Neil", later), 1000);
    EXPECT_EQ(Write_Results(database, "~tvx100.txt", later.addSecs(1), readTexts(),
                            {{2, fsrs::Good, later.addSecs(40), 4}}, 1000),
              ResultsWritten::Written);

    const Histories anas = Read_Histories(database, QStringLiteral("Ana O'Neil"));
    EXPECT_EQ(anas.unmatched, 0);
    ASSERT_EQ(anas.phrases.size(), 3);
    // By source: Drinks.ito before Food.ito.
    EXPECT_EQ(anas.phrases[0].source, (SourcePhrase{"Drinks.ito", 7}));
    EXPECT_EQ(anas.phrases[0].translation, QStringLiteral("water\r\non two lines"));
    EXPECT_EQ(anas.phrases[1].source, (SourcePhrase{"Food.ito", 1}));
    const PhraseHistory &milk = anas.phrases[2];
    EXPECT_EQ(milk.source, (SourcePhrase{"Food.ito", 2}));
    EXPECT_EQ(milk.student, QStringLiteral("Ana O'Neil"));
    ASSERT_EQ(milk.reviews.size(), 2);
    EXPECT_EQ(milk.reviews[0].grade, fsrs::Again);
    EXPECT_EQ(milk.reviews[0].when.date(), morning.date());
    EXPECT_EQ(milk.reviews[0].when.time(), morning.addSecs(20).time());
    EXPECT_EQ(milk.reviews[1].grade, fsrs::Good);

    const Histories everyone = Read_Histories(database);
    EXPECT_EQ(everyone.phrases.size(), 4);
    EXPECT_EQ(everyone.phrases.last().student, QStringLiteral("Bo"));
    EXPECT_EQ(everyone.phrases.last().reviews.size(), 1);

    // The schedule is the scheduler's on those histories.
    const QDate at = later.date().addDays(3);
    const QVector<PhraseSchedule> schedule = Schedule(anas.phrases, at);
    const fsrs::MemoryState state = fsrs::Replay(milk.reviews);
    EXPECT_DOUBLE_EQ(schedule[2].state.stability, state.stability);
    EXPECT_DOUBLE_EQ(schedule[2].retrievability, fsrs::Retrievability(state, at));
    EXPECT_EQ(schedule[2].due, fsrs::Due_Date(state));
    // Bread and water were last seen on day 0 (due day 2): overdue before
    // milk; the one with the lower retrievability first.
    const QVector<PhraseSchedule> due = Due_Phrases(schedule, at, 10);
    ASSERT_EQ(due.size(), 3);
    EXPECT_LE(due[0].due, due[2].due);
    EXPECT_EQ(due[2].history.source, (SourcePhrase{"Food.ito", 2}));
    EXPECT_EQ(Due_Phrases(schedule, at, 1).size(), 1);
    EXPECT_TRUE(Due_Phrases(schedule, morning.date(), 10).isEmpty());
}

TEST_F(StudyResultsTest, AGameWritesNothingForASetTheShellDidNotHandOut) {
    Record_Launch(database, launch("A", "~tvx100.txt", "Ana", morning), 1000);
    const QVector<PhraseResult> one{{1, fsrs::Good, morning.addSecs(10), 1}};
    // Another study file, a game started before the launch, other texts,
    // fewer entries: no launch of this game, nothing written.
    EXPECT_EQ(Write_Results(database, "~tvx999.txt", morning, readTexts(), one, 100),
              ResultsWritten::NoLaunch);
    EXPECT_EQ(Write_Results(database, "~tvx100.txt", morning.addSecs(-5), readTexts(), one, 100),
              ResultsWritten::NoLaunch);
    QVector<EntryTexts> other = readTexts();
    other[1].translation = QStringLiteral("cheese");
    EXPECT_EQ(Write_Results(database, "~tvx100.txt", morning, other, one, 100),
              ResultsWritten::NoLaunch);
    EXPECT_EQ(Write_Results(database, "~tvx100.txt", morning, readTexts().mid(0, 2), one, 100),
              ResultsWritten::NoLaunch);
    EXPECT_TRUE(Read_Histories(database).phrases.isEmpty());
    EXPECT_EQ(Read_Histories(database).unmatched, 0);
}

TEST_F(StudyResultsTest, BadResultsAreLeftOutAndCountedNeverGivenToAnotherPhrase) {
    Record_Launch(database, launch("A", "~tvx100.txt", "Ana", morning), 1000);
    // A later launch of the same study file by another student of that shell.
    Record_Launch(database, launch("B", "~tvx100.txt", "Bo", morning.addSecs(3600)), 1000);
    const QString insert = QStringLiteral(
        "INSERT INTO tblResults (tStudyFile, tLaunch, nEntry, nGrade, nDate, nTime) VALUES (?, ?, "
        "?, ?, ?, ?)");
    const QVariant null;
    // Written by an activity that knows no launch ids: found by study file
    // and time, each in its own launch.
    execute(insert, {"~tvx100.txt", null, 1, 3, 20260302, 9 * 3600 + 60});
    execute(insert, {"~tvx100.txt", null, 2, 1, 20260302, 10 * 3600 + 60});
    // Left out: a study file never recorded, a study file's result from
    // before any launch of it, unknown launch ids, entries out of range,
    // grades outside 1..4, Null and impossible dates, a Null time.
    const QList<QVariantList> bad{{"~tvx555.txt", null, 1, 3, 20260302, 40000},
                                  {"~tvx100.txt", null, 1, 3, 20260301, 40000},
                                  {"~tvx100.txt", "nobody", 1, 3, 20260302, 40000},
                                  {"~tvx100.txt", "", 1, 3, 20260302, 40000},
                                  {"~tvx100.txt", "A", 11, 3, 20260302, 40000},
                                  {"~tvx100.txt", "A", 0, 3, 20260302, 40000},
                                  {"~tvx100.txt", "A", 1, 5, 20260302, 40000},
                                  {"~tvx100.txt", "A", 1, 0, 20260302, 40000},
                                  {"~tvx100.txt", "A", 1, 2.5, 20260302, 40000},
                                  {"~tvx100.txt", "A", 1, "good", 20260302, 40000},
                                  {"~tvx100.txt", "A", 1, 3, null, 40000},
                                  {"~tvx100.txt", "A", 1, 3, 20261332, 40000},
                                  {"~tvx100.txt", "A", 1, 3, 20260302, null}};
    for (const QVariantList &row : bad)
        execute(insert, row);

    const Histories all = Read_Histories(database);
    EXPECT_EQ(all.unmatched, bad.size());
    ASSERT_EQ(all.phrases.size(), 2);
    EXPECT_EQ(all.phrases[0].student, QStringLiteral("Ana"));
    EXPECT_EQ(all.phrases[0].source, (SourcePhrase{"Food.ito", 1}));
    EXPECT_EQ(all.phrases[1].student, QStringLiteral("Bo"));
    EXPECT_EQ(all.phrases[1].source, (SourcePhrase{"Food.ito", 2}));
    EXPECT_EQ(all.phrases[1].reviews[0].grade, fsrs::Again);

    // Ana's own: the rows of her launch only (the rows of unknown launches and
    // of the unrecorded file are no one's).
    const Histories ana = Read_Histories(database, QStringLiteral("Ana"));
    ASSERT_EQ(ana.phrases.size(), 1);
    EXPECT_EQ(ana.phrases[0].reviews.size(), 1);
    EXPECT_EQ(ana.unmatched, 10);

    // A damaged results table does not stop the reading with a crash.
    execute(QStringLiteral("DROP TABLE tblResults; CREATE TABLE tblResults (x)"));
    EXPECT_THROW(Read_Histories(database), std::exception);
}

TEST_F(StudyResultsTest, AStudentsHistoryIsReadThroughIndexesOnly) {
    Record_Launch(database, launch("A", "~tvx100.txt", "Ana", morning), 1000);
    const QStringList plan = Student_History_Plan(database);
    ASSERT_FALSE(plan.isEmpty());
    for (const QString &step : plan)
        EXPECT_FALSE(step.startsWith(QLatin1String("SCAN"))) << step.toStdString();
    EXPECT_TRUE(plan.join('|').contains(QLatin1String("idxLaunchesName")))
        << plan.join('|').toStdString();
    EXPECT_TRUE(plan.join('|').contains(QLatin1String("idxResultsLaunch")));
    EXPECT_TRUE(plan.join('|').contains(QLatin1String("idxResultsStudyFile")));
}

TEST_F(StudyResultsTest, AnswersOfTheSameSecondKeepTheOrderTheyWereWrittenIn) {
    Record_Launch(database, launch("A", "~tvx100.txt", "Ana", morning), 1000);
    // Again from an activity that knows no launch ids, then Good and Hard
    // from one that does, all in one second: one student's history reads
    // the two kinds apart, and still gets them in their order.
    const QDateTime second = morning.addSecs(30);
    execute(QStringLiteral("INSERT INTO tblResults (tStudyFile, nEntry, nGrade, nDate, nTime) "
                           "VALUES ('~tvx100.txt', 1, 1, 20260302, 32430)"));
    for (const int grade : {fsrs::Good, fsrs::Hard})
        EXPECT_EQ(Write_Results(database, "~tvx100.txt", morning, readTexts(),
                                {{1, grade, second, -1}}, 1000),
                  ResultsWritten::Written);
    for (const QString &who : {QString(), QStringLiteral("Ana")}) {
        const Histories h = Read_Histories(database, who);
        ASSERT_EQ(h.phrases.size(), 1);
        ASSERT_EQ(h.phrases[0].reviews.size(), 3);
        EXPECT_EQ(h.phrases[0].reviews[0].grade, fsrs::Again);
        EXPECT_EQ(h.phrases[0].reviews[1].grade, fsrs::Good);
        EXPECT_EQ(h.phrases[0].reviews[2].grade, fsrs::Hard);
    }
}
