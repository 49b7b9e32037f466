// The activity catalogue and the launch: what the panel shows, what an
// activity finds in the program's temporary folder, and what the user is told.
#include "activities/activity_catalogue.h"
#include "activities/activity_launch.h"
#include "activities/study_set.h"
#include "frame/mod_main.h"
#include "platform/qt_host.h"
#include "subjects/subject_fixture.h"
#include "support/activity_fixture.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QPainter>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ActivityTest : public SubjectTestBase {
protected:
    ActivityTest() : launch(program, tree, TreeFolders) {
        program.folders.activitiesFolder = env.programFolder() + QStringLiteral("Activities/");
        program.currentStudent = QStringLiteral("Ann O'Brien");
        program.folders.dataFolder = env.programFolder();
    }

    // Lines of the study file of this program, without their CR LF.
    QStringList studyLines() const {
        const QByteArray bytes = readAll(activities::Study_File_Path(program));
        EXPECT_TRUE(bytes.endsWith("\r\n"));
        QStringList lines = QString::fromUtf8(bytes).split(QStringLiteral("\r\n"));
        lines.removeLast();
        return lines;
    }
    // A file of the program's own temporary folder.
    QString temp(const QString &name) const { return program.Temporary_Folder() + name; }
    QString tag() const { return program.handleTag; }

    ActivityLaunch launch;
};

TEST(ActivityLayout, OneAndTwoColumnsRowsAndTheScrollBar) {
    // A single program still gets its button.
    EXPECT_EQ(activities::Layout_Buttons(1).buttons, QVector<QPoint>{QPoint(0, 45)});
    // Two: one column.
    EXPECT_EQ(activities::Layout_Buttons(2).buttons,
              (QVector<QPoint>{QPoint(0, 45), QPoint(0, 685)}));
    // Three: A top left, B top right, C under A.
    const ActivityLayout three = activities::Layout_Buttons(3);
    EXPECT_EQ(three.buttons, (QVector<QPoint>{QPoint(0, 45), QPoint(2550, 45), QPoint(0, 685)}));
    EXPECT_EQ(three.panelHeight, 630 + 685 + 500);
    EXPECT_EQ(three.moreActsTop, 685 + 800);
    // Up to 14 buttons and the link fit the holder (5175 twips high); from
    // 15 on a scroll bar comes, and scrolled to its end it shows the last
    // button and the whole link.
    EXPECT_FALSE(activities::Layout_Buttons(14).scrollBar);
    for (int count = 15; count <= 18; ++count) {
        const ActivityLayout layout = activities::Layout_Buttons(count);
        EXPECT_TRUE(layout.scrollBar) << count;
        const int shownBottom = layout.scrollMax + 5175;
        EXPECT_LE(layout.buttons.last().y() + 630, shownBottom) << count;
        EXPECT_LE(layout.moreActsTop + 300, shownBottom) << count;
        EXPECT_LE(layout.moreActsTop + 300, layout.panelHeight) << count;
    }

    EXPECT_EQ(activities::Descriptor_Path(QStringLiteral("/a/"), QStringLiteral("Memory.Game.exe")),
              QStringLiteral("/a/Memory.cfg"));
    EXPECT_EQ(activities::Picture_Column(QStringLiteral("tvxspa")), QStringLiteral("bEnglish"));
    EXPECT_EQ(activities::Picture_Column(QStringLiteral("tvxito")), QStringLiteral("bSpanish"));
}

TEST_F(ActivityTest, ABrokenDescriptorIsReportedAndTheOtherActivitiesKeepTheirPictures) {
    const QString folder = program.folders.activitiesFolder;
    makeActivityProgram(folder + QStringLiteral("Alpha"));
    makeActivityProgram(folder + QStringLiteral("Broken.sh"));
    makeActivityProgram(folder + QStringLiteral("Gamma"));
    writeFile(folder + QStringLiteral("notes.txt"), "not a program");
    makeActivityDescriptor(folder + QStringLiteral("Alpha.cfg"), Qt::red, Qt::green);
    writeFile(folder + QStringLiteral("Broken.cfg"), "damaged");
    makeActivityDescriptor(folder + QStringLiteral("Gamma.cfg"), Qt::blue, Qt::yellow);

    FileListBox files;
    activities::Point_Activity_List(files, folder);
    ASSERT_EQ(files.ListCount(), 3) << "programs only: no descriptor, no plain file";

    const QVector<Activity> catalogue = activities::Get_Activities(program, files);
    ASSERT_EQ(catalogue.size(), 2);
    EXPECT_EQ(catalogue[0].fileName, QStringLiteral("Alpha"));
    EXPECT_EQ(catalogue[1].fileName, QStringLiteral("Gamma"));
    EXPECT_EQ(catalogue[1].normal.pixelColor(5, 5), QColor(Qt::blue));
    EXPECT_EQ(catalogue[1].highlighted.pixelColor(5, 5), QColor(Qt::yellow));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.lastBox().text,
              caption(105) + QStringLiteral("\r\nBroken.sh\r\n\r\n") + caption(106));
    EXPECT_FALSE(program.ended);
    EXPECT_TRUE(windows.splashText.startsWith(caption(8) + QStringLiteral("\r\n") + caption(23) +
                                              QStringLiteral(" Gamma\r\n")));
}

TEST_F(ActivityTest, LaunchWritesTheStudyFileAndSoundsAndStartsTheProgramWhereTheyLie) {
    // Twelve phrases, one translation with a line break: the first ten are studied.
    std::vector<fixture::Phrase> rows = fixture::numbered(12);
    rows[1].translation = QStringLiteral("two\r\nlines \"quoted\"");
    fixture::makeSubject(installed(QStringLiteral("Food.ito")), QStringLiteral("tvxito"), rows);
    build();
    const int food = find(QStringLiteral("Food"));
    click(food);
    TreeFolders.Select(TreeFolders.Child(food)); // a phrase: its whole subject is studied
    launch.btnAct_Click(QStringLiteral("Quiz"));

    // The learner is told, once, that only the first ten are studied.
    ASSERT_EQ(host.boxes.size(), 1u) << host.boxTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(host.lastBox().text, caption(caption::FirstTenOfPhrases).arg(12));
    EXPECT_EQ(TreeFolders.Selected(), food);
    EXPECT_TRUE(mainEnabledAtEnd());
    const QString studyFile = QStringLiteral("~tvx") + tag() + QStringLiteral(".txt");
    EXPECT_EQ(host.startedPrograms,
              QStringList{program.folders.activitiesFolder + QStringLiteral("Quiz ") + studyFile});
    EXPECT_EQ(host.startedIn, QStringList{program.Temporary_Folder()});

    const QStringList lines = studyLines();
    ASSERT_EQ(lines.size(), 15 + 4 * 10);
    EXPECT_EQ(lines.mid(1, 8), (QStringList{"tvxito", "Tolvanex Italiano", "Spanish", "Italian",
                                            "Ann O'Brien", "Food", "10", program.usersPath()}));
    EXPECT_EQ(lines.mid(9, 5), QStringList(5, QStringLiteral("EMPTY")));
    EXPECT_EQ(lines[14], QStringLiteral(" 1 "));
    EXPECT_EQ(lines.mid(15, 4), (QStringList{"\"p1\"", "\"t1\"", "\"u1\"",
                                             "\"" + temp("~tvx" + tag() + "1.wav") + "\""}));
    EXPECT_EQ(lines[20], QStringLiteral("\"two lines \"quoted\"\""));
    for (int k = 1; k <= 10; ++k)
        EXPECT_EQ(readAll(temp("~tvx" + tag() + QString::number(k) + ".wav")),
                  fixture::sampleWave());
    EXPECT_FALSE(QFile::exists(temp("~tvx" + tag() + "11.wav")));
    launch.btnAct_Click(QStringLiteral("Quiz"));
    EXPECT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.startedPrograms.size(), 2);
}

TEST_F(ActivityTest, ALaunchDeletesTheLastLaunchsFilesAndTheEndDeletesTheRest) {
    subject(QStringLiteral("Three.ito"), 3);
    subject(QStringLiteral("Two.ito"), 2);
    build();
    click(find(QStringLiteral("Three")));
    launch.btnAct_Click(QStringLiteral("Quiz"));
    ASSERT_TRUE(QFile::exists(temp("~tvx" + tag() + "3.wav")));
    click(find(QStringLiteral("Two")));
    launch.btnAct_Click(QStringLiteral("Quiz"));
    EXPECT_FALSE(QFile::exists(temp("~tvx" + tag() + "3.wav")));
    EXPECT_TRUE(QFile::exists(temp("~tvx" + tag() + "2.wav")));
    EXPECT_EQ(studyLines()[7], QStringLiteral("2"));

    activities::Delete_Study_Files(program);
    EXPECT_EQ(QDir(program.Temporary_Folder())
                  .entryList({QStringLiteral("~tvx*")}, QDir::Files | QDir::Hidden),
              QStringList());
}

TEST_F(ActivityTest, AVirtualSubjectStudiesThePhrasesOfPresentSourcesWithoutGaps) {
    subject(QStringLiteral("Food.ito"), 3);
    fixture::makeVirtualFolder(virtualFolder(QStringLiteral("Mine.vito")), {QStringLiteral("Mix")},
                               {{1, QStringLiteral("Food.ito"), 3, "p", "t", "u"},
                                {1, QStringLiteral("Gone.ito"), 1, "p", "t", "u"},
                                {1, QStringLiteral("Food.ito"), 1, "p", "t", "u"}});
    env.installTemplate();
    ASSERT_TRUE(
        QFile::copy(env.programFolder() + QStringLiteral("Tolvanex.tpl"), program.usersPath()));
    build();
    click(find(QStringLiteral("Mix")));
    host.answerNext(vb::vbNo); // the missing source is reported; no web page
    launch.btnAct_Click(QStringLiteral("Quiz"));

    // The student database keeps the set with each phrase's source: the
    // installed subject it was copied from.
    ado::Connection cn;
    cn.Open(modMain::Get_Template_Connection_String(program.usersPath()));
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT L.tStudyFile, L.tName, L.tSubject, E.nEntry, E.tSourceFile, "
                           "E.nPhraseNo, E.tPhrase FROM tblLaunches L JOIN tblLaunchEntries E ON "
                           "E.fkLaunch = L.pkLaunchID ORDER BY E.nEntry"),
            cn);
    QStringList recorded;
    for (; !ado::AtEnd(rs); rs.MoveNext()) {
        QStringList row;
        for (int i = 0; i < rs.FieldCount(); ++i)
            row << rs.Fields(i).Text();
        recorded << row.join(QLatin1Char('|'));
    }
    const QString set = activities::Study_File_Name(program) + "|Ann O'Brien|Mix|";
    EXPECT_EQ(recorded, (QStringList{set + "1|Food.ito|3|Fop3", set + "2|Food.ito|1|Fop1"}));

    const QStringList lines = studyLines();
    ASSERT_EQ(lines.size(), 15 + 8);
    EXPECT_EQ(lines[7], QStringLiteral("2"));
    EXPECT_EQ(lines[15], QStringLiteral("\"Fop3\""));
    EXPECT_EQ(lines[18], "\"" + temp("~tvx" + tag() + "1.wav") + "\"");
    EXPECT_EQ(lines[19], QStringLiteral("\"Fop1\""));
    EXPECT_EQ(lines[22], "\"" + temp("~tvx" + tag() + "2.wav") + "\"");
}

TEST_F(ActivityTest, StarsAndQuotesInTextsReachTheStudySetWhereTheyStand) {
    fixture::makeSubject(
        installed(QStringLiteral("Signs.ito")), QStringLiteral("tvxito"),
        {{1, QStringLiteral("a*b"), QStringLiteral("say \"hi\""), QStringLiteral("*")}});
    // The virtual subject's copy holds the same texts; the sound is found by
    // the file name and number in front of them.
    fixture::makeVirtualFolder(virtualFolder(QStringLiteral("Mine.vito")),
                               {QStringLiteral("Signs")},
                               {{1, QStringLiteral("Signs.ito"), 1, QStringLiteral("a*b"),
                                 QStringLiteral("say \"hi\""), QStringLiteral("*")}});
    build();
    for (const QString &subject : {QStringLiteral("Signs"), QStringLiteral("Mine")}) {
        SCOPED_TRACE(subject.toStdString());
        int node = find(subject);
        if (subject == QLatin1String("Mine")) {
            click(node);
            node = TreeFolders.Child(node);
        }
        click(node);
        ASSERT_EQ(childTexts(node), QStringList{QStringLiteral("say \"hi\"")});
        launch.btnAct_Click(QStringLiteral("Quiz"));
        const QStringList lines = studyLines();
        ASSERT_EQ(lines.size(), 15 + 4);
        EXPECT_EQ(lines[7], QStringLiteral("1"));
        EXPECT_EQ(lines.mid(15, 3),
                  (QStringList{QStringLiteral("\"a*b\""), QStringLiteral("\"say \"hi\"\""),
                               QStringLiteral("\"*\"")}));
        EXPECT_EQ(readAll(temp("~tvx" + tag() + "1.wav")), fixture::sampleWave());
    }
    EXPECT_TRUE(host.boxes.empty()) << host.boxTexts().join('|').toStdString();
}

TEST_F(ActivityTest, WhatCannotBeStudiedOrStartedIsToldAndTheWindowIsEnabledAgain) {
    subject(QStringLiteral("Empty.ito"), 0);
    subject(QStringLiteral("Food.ito"), 2);
    build();

    TreeFolders.Select(1); // a folder
    launch.btnAct_Click(QStringLiteral("Quiz"));
    EXPECT_EQ(host.lastBox().text, caption(22));

    click(find(QStringLiteral("Empty")));
    launch.btnAct_Click(QStringLiteral("Quiz"));
    EXPECT_EQ(host.lastBox().text, caption(caption::NoPhrasesToStudy));
    EXPECT_TRUE(mainEnabledAtEnd());
    EXPECT_FALSE(QFile::exists(activities::Study_File_Path(program)));

    click(find(QStringLiteral("Food")));
    host.startSucceeds = false;
    launch.btnAct_Click(QStringLiteral("Quiz"));
    EXPECT_TRUE(host.lastBox().text.startsWith(caption(caption::ActivityNotStarted)))
        << host.lastBox().text.toStdString();
    EXPECT_TRUE(host.lastBox().text.contains(QStringLiteral("Quiz")));
    EXPECT_TRUE(mainEnabledAtEnd());

    // A folder where the study file should go: it cannot be written.
    host.startSucceeds = true;
    host.startedPrograms.clear();
    activities::Delete_Study_Files(program);
    ASSERT_TRUE(QDir().mkpath(activities::Study_File_Path(program)));
    launch.btnAct_Click(QStringLiteral("Quiz"));
    EXPECT_TRUE(host.lastBox().text.startsWith(caption(caption::StudyFileNotWritten)));
    EXPECT_TRUE(host.startedPrograms.isEmpty());
    EXPECT_TRUE(mainEnabledAtEnd());
}

TEST_F(ActivityTest, ARealActivityStartedByTheShellRecordsItsScore) {
    if (QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty())
        GTEST_SKIP() << "python3 is not installed";
    env.installTemplate();
    ASSERT_TRUE(
        QFile::copy(env.programFolder() + QStringLiteral("Tolvanex.tpl"), program.usersPath()));
    subject(QStringLiteral("Food.ito"), 2);
    build();
    click(find(QStringLiteral("Food")));
    // The example activity of the authors' guide, started as the shell
    // starts any activity: by the study file's bare name, in its folder.
    const QString activity = program.folders.activitiesFolder + QStringLiteral("print_and_score");
    QDir().mkpath(program.folders.activitiesFolder);
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(TVX_SOURCE_DIR "/docs/examples/print_and_score.py"), activity));
    QFile::setPermissions(activity, QFile::permissions(activity) | QFileDevice::ExeOwner);
    QtHost realHost;
    Program real(realHost, env.settings());
    real.identity = program.identity;
    real.captions = program.captions;
    real.folders = program.folders;
    real.currentStudent = program.currentStudent; // "Ann O'Brien"
    real.setWindows(&windows);
    SubjectTree realTree(real, TreeFolders, File1, File2);
    ActivityLaunch realLaunch(real, realTree, TreeFolders);
    realLaunch.btnAct_Click(QStringLiteral("print_and_score"));

    auto scoreRows = [&] {
        ado::Connection cn;
        cn.Open(modMain::Get_Template_Connection_String(real.usersPath()));
        ado::Recordset rs;
        rs.Open(QStringLiteral("SELECT tName, tSubject, numberScore FROM tblscores"), cn);
        QStringList rows;
        for (; !rs.EOF_(); rs.MoveNext())
            rows << rs.Fields(0).Text() + QLatin1Char('|') + rs.Fields(1).Text() +
                        QLatin1Char('|') + rs.Fields(2).Text();
        return rows;
    };
    QDeadlineTimer deadline(20000);
    while (scoreRows().isEmpty() && !deadline.hasExpired())
        QThread::msleep(50);
    EXPECT_EQ(scoreRows(), QStringList{QStringLiteral("Ann O'Brien|Food|2")});
    real.setWindows(nullptr);
}

} // namespace
