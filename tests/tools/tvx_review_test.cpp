// tvx-review on a student database: the table a teacher reads, the CSV,
// the count of results left out, and the plain refusals of a wrong command
// line or a file that is no student database.
#include "frame/mod_main.h"
#include "platform/ado.h"
#include "review_tool.h"
#include "study_data/study_results.h"
#include "support/test_env.h"

#include <QFile>
#include <QTextStream>

#include <gtest/gtest.h>

namespace {

class ReviewToolTest : public ::testing::Test {
protected:
    ReviewToolTest() {
        env.installTemplate();
        QFile::copy(env.programFolder() + QStringLiteral("Tolvanex.tpl"), database);
        QFile(database).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        // Zoe studied two phrases on 1 March and one of them again on 4
        // March; Adam one phrase; one result of an unknown study file.
        const QDateTime morning(QDate(2026, 3, 1), QTime(9, 0));
        studyResults::Launch zoe{"Z1",
                                 "~tvx10.txt",
                                 "Zoe Ames",
                                 "Colours",
                                 morning,
                                 {{1, "Colours.ito", 3, "rosso", "red", ""},
                                  {2, "Colours.ito", 5, "blu, scuro", "dark blue", ""}}};
        studyResults::Record_Launch(database, zoe, 1000);
        const QVector<studyResults::EntryTexts> zoeTexts{{"rosso", "red", ""},
                                                         {"blu, scuro", "dark blue", ""}};
        studyResults::Write_Results(
            database, "~tvx10.txt", morning, zoeTexts,
            {{1, fsrs::Good, morning.addSecs(5), 2}, {2, fsrs::Again, morning.addSecs(9), 4}},
            1000);
        zoe.id = "Z2";
        zoe.when = morning.addDays(3);
        studyResults::Record_Launch(database, zoe, 1000);
        studyResults::Write_Results(database, "~tvx10.txt", zoe.when, zoeTexts,
                                    {{2, fsrs::Hard, zoe.when.addSecs(7), 3}}, 1000);
        const studyResults::Launch adam{"A1",        "~tvx20.txt",
                                        "Adam Bell", "Food",
                                        morning,     {{1, "Food.ito", 1, "pane", "bread", ""}}};
        studyResults::Record_Launch(database, adam, 1000);
        studyResults::Write_Results(database, "~tvx20.txt", morning, {{"pane", "bread", ""}},
                                    {{1, fsrs::Easy, morning.addSecs(3), 1}}, 1000);
        ado::Connection db;
        db.Open(modMain::Get_Template_Connection_String(database));
        db.Execute(QStringLiteral("INSERT INTO tblResults (tStudyFile, nEntry, nGrade, nDate, "
                                  "nTime) VALUES ('~tvx99.txt', 1, 3, 20260301, 100)"));
    }

    int run(const QStringList &args) {
        out.clear();
        errors.clear();
        QTextStream o(&out);
        QTextStream e(&errors);
        return reviewTool::Run(args, o, e, QDate(2026, 3, 10));
    }

    TestEnv env;
    const QString database = env.programFolder() + QStringLiteral("Users.dat");
    QString out;
    QString errors;
};

} // namespace

TEST_F(ReviewToolTest, PrintsEachStudentsPhrasesAndCountsWhatCannotBeMatched) {
    ASSERT_EQ(run({database}), 0) << errors.toStdString();
    const QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5) << out.toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("student    ")));
    EXPECT_TRUE(lines[0].contains(QStringLiteral("retrievability")));
    // Adam's Easy phrase: D0(4) held at 1, S0(4) = w3, due 8 days later; on
    // 10 March, 9 days after, its retrievability is below 90 %.
    const fsrs::MemoryState easy = fsrs::Replay({{QDateTime(QDate(2026, 3, 1), QTime(9, 0)), 4}});
    const double r = fsrs::Retrievability(easy, QDate(2026, 3, 10));
    EXPECT_EQ(lines[1].simplified(),
              QStringLiteral("Adam Bell Food.ito 1 pane 1 4 1.0000 8.2956 %1 2026-03-09")
                  .arg(r, 0, 'f', 4));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("Zoe Ames ")));
    EXPECT_TRUE(
        lines[3].simplified().startsWith(QStringLiteral("Zoe Ames Colours.ito 5 blu, scuro 2 2 ")))
        << lines[3].toStdString();
    EXPECT_EQ(lines[4], QStringLiteral("1 results could not be matched"));

    // One student, as CSV: a text with a comma is quoted; the count goes
    // beside the table.
    ASSERT_EQ(run({"--csv", database, "--student", "Zoe Ames", "--at", "2026-03-04"}), 0);
    const QStringList csv = out.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(csv.size(), 3) << out.toStdString();
    EXPECT_EQ(csv[0], QStringLiteral("student,source,phrase no,phrase,reviews,last grade,"
                                     "difficulty,stability,retrievability,due"));
    EXPECT_TRUE(csv[1].startsWith(QStringLiteral("Zoe Ames,Colours.ito,3,rosso,1,3,")));
    EXPECT_TRUE(csv[2].startsWith(QStringLiteral("Zoe Ames,Colours.ito,5,\"blu, scuro\",2,2,")));
    // Again, then Hard three days later (worked out from the formulas).
    EXPECT_TRUE(csv[2].endsWith(QStringLiteral(",7.6042,1.7449,1.0000,2026-03-06")))
        << csv[2].toStdString();
    EXPECT_TRUE(errors.isEmpty()) << "no result of Zoe's is left out";

    // A stricter retention brings the phrases back sooner.
    ASSERT_EQ(run({database, "--csv", "--retention", "0.97", "--student", "Adam Bell"}), 0);
    EXPECT_TRUE(out.contains(QStringLiteral(",2026-03-03\r\n"))) << out.toStdString();
}

TEST_F(ReviewToolTest, AWrongCommandLineOrFileIsRefusedInOneSentence) {
    for (const QStringList &args :
         {QStringList{}, QStringList{database, "--at", "10.3.2026"},
          QStringList{database, "--retention", "0.5"}, QStringList{database, "--student"},
          QStringList{database, "--frobnicate"}, QStringList{database, database}}) {
        EXPECT_EQ(run(args), 2) << args.join(' ').toStdString();
        EXPECT_TRUE(errors.startsWith(QStringLiteral("tvx-review: "))) << errors.toStdString();
        EXPECT_TRUE(errors.contains(QStringLiteral("usage: tvx-review Users.dat")));
        EXPECT_TRUE(out.isEmpty());
    }
    writeFile(env.root() + QStringLiteral("notes.txt"), "not a database");
    EXPECT_EQ(run({env.root() + QStringLiteral("notes.txt")}), 1);
    EXPECT_TRUE(errors.startsWith(QStringLiteral("tvx-review: "))) << errors.toStdString();
    EXPECT_EQ(run({env.root() + QStringLiteral("missing.dat")}), 1);
}
