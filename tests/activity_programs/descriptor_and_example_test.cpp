// What the build puts into Activities/ for the shell, and the example
// activity of the authors' guide run on a real study file, and the guide
// telling what the program does.
#include "activity_tool.h"
#include "platform/ado.h"
#include "students/pending_scores.h"
#include "study_fixture.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

TEST(ActivityDescriptors, TheBuildDrawsBothButtonsInBothLanguages) {
    const QString folder = TestEnv::builtProgramFolder() + QStringLiteral("Activities/");
    for (const char *program : {"FlashCards", "ListeningQuiz"}) {
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

TEST(ActivityExample, PythonExampleAddsItsScoreRow) {
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        GTEST_SKIP() << "python3 is not installed";
    fixture::StudyFolder study;
    const QString name = study.write(fixture::numbered(2), QStringLiteral("English"));
    QProcess run;
    run.setWorkingDirectory(study.folder());
    run.start(python, {QStringLiteral(TVX_SOURCE_DIR "/docs/examples/print_and_score.py"), name});
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
