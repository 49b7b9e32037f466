// What the build puts into Activities/ for the shell, and the example
// activity of the authors' guide run on a real study file, and the guide
// telling what the program does.
#include "activity_tool.h"
#include "platform/ado.h"
#include "students/pending_scores.h"
#include "study_data/study_results.h"
#include "study_fixture.h"

#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

TEST(ActivityDescriptors, TheBuildDrawsBothButtonsInBothLanguages) {
    const QString folder = TestEnv::builtProgramFolder() + QStringLiteral("Activities/");
    for (const char *program :
         {"FlashCards", "ListeningQuiz", "Dictation", "MatchingPairs", "Speaking"}) {
        const QString path = folder + QLatin1String(program) + QStringLiteral(".cfg");
        SCOPED_TRACE(path.toStdString());
        ASSERT_TRUE(QFile::exists(folder + QLatin1String(program)) ||
                    QFile::exists(folder + QLatin1String(program) + QStringLiteral(".exe")));
        const tvxactivity::Descriptor d = tvxactivity::ReadDescriptor(path);
        const QByteArray pictures[] = {d.english.normal, d.english.highlighted, d.spanish.normal,
                                       d.spanish.highlighted};
        for (const QByteArray &png : pictures) {
            QImage image;
            ASSERT_TRUE(png.startsWith("\x89PNG") && image.loadFromData(png, "PNG"));
            EXPECT_EQ(image.size(), QSize(322, 84));
        }
        EXPECT_NE(d.english.normal, d.english.highlighted);
        EXPECT_NE(d.english.normal, d.spanish.normal) << "the name differs by language";
        // The shell opens descriptors with the system's password only.
        ado::Connection wrong;
        EXPECT_THROW(wrong.Open(ado::ConnectionString(path, QStringLiteral("other"))), ado::Error);
    }
}

TEST(ActivityExample, PythonExampleAddsItsScoreRowAndAResultPerGradedPhrase) {
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        GTEST_SKIP() << "python3 is not installed";
    fixture::StudyFolder study;
    const QString name = study.write(fixture::numbered(2), QStringLiteral("English"));
    // The shell's record of the set it handed out, as a launch makes it.
    studyResults::Launch launch;
    launch.id = studyResults::New_Launch_Id();
    launch.studyFile = name;
    launch.student = QStringLiteral("Ana Pérez");
    launch.when = QDateTime::currentDateTime().addSecs(-1);
    launch.entries = {{1, "Food.ito", 4, "frase 1", "phrase 1", "second 1"},
                      {2, "Food.ito", 9, "frase 2", "phrase 2", "second 2"}};
    studyResults::Record_Launch(study.databasePath(), launch, 1000);
    QProcess run;
    run.setWorkingDirectory(study.folder());
    run.start(python, {QStringLiteral(TVX_SOURCE_DIR "/docs/examples/print_and_score.py"), name});
    // The grades a learner typed: good for the first phrase, again for the second.
    run.write("3\n1\n");
    run.closeWriteChannel();
    ASSERT_TRUE(run.waitForFinished(30000));
    const QString output = QString::fromUtf8(run.readAllStandardOutput());
    ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("frase 2 = phrase 2"))) << output.toStdString();

    const QVector<QVariantList> rows = study.scores();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0][0].toString(), QStringLiteral("Ana Pérez"));
    EXPECT_EQ(rows[0][1].toString(), "Print and score");
    EXPECT_EQ(rows[0][2].toString(), "La comida");
    EXPECT_EQ(rows[0][3].toString(), "");
    EXPECT_EQ(rows[0][4].toInt(), 2);
    EXPECT_GT(rows[0][5].toLongLong(), 20240000);
    EXPECT_GE(rows[0][6].toLongLong(), 0);
    EXPECT_LT(rows[0][6].toLongLong(), 86400);

    const studyResults::Histories histories =
        studyResults::Read_Histories(study.databasePath(), QStringLiteral("Ana Pérez"));
    EXPECT_EQ(histories.unmatched, 0);
    ASSERT_EQ(histories.phrases.size(), 2);
    EXPECT_EQ(histories.phrases[0].source, (studyResults::SourcePhrase{"Food.ito", 4}));
    ASSERT_EQ(histories.phrases[0].reviews.size(), 1);
    EXPECT_EQ(histories.phrases[0].reviews[0].grade, 3);
    EXPECT_EQ(histories.phrases[1].reviews[0].grade, 1);
}

namespace {

QString sourceText(const char *path) {
    QFile file(QStringLiteral(TVX_SOURCE_DIR "/") + QLatin1String(path));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
    return QString::fromUtf8(file.readAll());
}

} // namespace

TEST(ActivityGuide, TellsWhatTheProgramDoesWithABrokenDescriptorAndAKeptScore) {
    const QString guide = sourceText("docs/activities.md");
    // The catalogue leaves such an activity out with caption 105 and goes on
    // (ActivityTest.ABrokenDescriptorIsReportedAndTheOtherActivitiesKeepTheirPictures).
    EXPECT_FALSE(guide.contains(QStringLiteral("stops Tolvanex's start-up")));
    QString caption105;
    for (const QString &line : sourceText("content/template/captions.tsv").split('\n'))
        if (line.startsWith(QStringLiteral("105\t")))
            caption105 = line.section(QLatin1Char('\t'), 1, 1);
    ASSERT_FALSE(caption105.isEmpty());
    EXPECT_TRUE(guide.contains(QLatin1Char('"') + caption105 + QLatin1Char('"')))
        << caption105.toStdString();
    EXPECT_TRUE(guide.contains(QStringLiteral("then starts with the other activities")));

    // Where kept scores wait, as the code names the folder.
    const QString folder = scores::Pending_Folder(QStringLiteral("Users.dat"));
    EXPECT_TRUE(guide.contains(folder + QLatin1Char('/'))) << folder.toStdString();
    EXPECT_TRUE(guide.contains(QStringLiteral("<student database>.pending")));
}

TEST(ActivityGuide, ShowsTheResultTablesAsTheTemplateMakesThem) {
    const QString guide = sourceText("docs/activities.md").simplified();
    ado::Connection db;
    db.Open(ado::ConnectionString(TestEnv::builtProgramFolder() + QStringLiteral("Tolvanex.tpl"),
                                  QStringLiteral("kqw6081")));
    for (const char *table : {"tblLaunches", "tblLaunchEntries", "tblResults"}) {
        ado::Recordset rs;
        rs.Open(QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?"),
                db, {QLatin1String(table)});
        ASSERT_FALSE(ado::AtEnd(rs)) << table;
        // As written, but for the words that keep the shell from making a
        // table twice.
        const QString sql =
            rs.Fields(0).Text().simplified().replace(QStringLiteral("IF NOT EXISTS "), QString());
        EXPECT_TRUE(guide.contains(sql)) << sql.toStdString();
    }
}
