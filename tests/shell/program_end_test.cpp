// How the program ends besides its window's close button: the signals a
// session's logout, kill or Ctrl+C send the real program, and the exit after
// the student database is cleared. Either way it ends as closing its window
// does: nothing of the session stays in the temporary folder and the
// settings are on disk.
#include "activities/study_set.h"
#include "frame/program.h"
#include "platform/exit_signals.h"
#include "shell/frm_main.h"
#include "students/frm_admin.h"
#include "subjects/frm_voice.h"
#include "subjects/phrase_sound.h"
#include "support/fake_host.h"
#include "support/program_process.h"
#include "support/test_env.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>

namespace {

// Everyone's rights to a file, the owner's among them.
constexpr QFileDevice::Permissions kEveryone(0x7777);

// The files a run names after its process, in its own temporary folder: the
// last launch's study file and sounds, the phrase heard last and the
// learner's recording.
QStringList temporaryFiles(const QString &tempFolder, const QString &tag, int studyCount) {
    QStringList files{tempFolder + QStringLiteral("~tvx") + tag + QStringLiteral(".txt"),
                      tempFolder + QStringLiteral("~selectedphrase") + tag + QStringLiteral(".wav"),
                      tempFolder + QStringLiteral("~tvxvoice") + tag + QStringLiteral(".wav")};
    for (int k = 1; k <= studyCount; ++k)
        files << tempFolder + QStringLiteral("~tvx") + tag + QString::number(k) +
                     QStringLiteral(".wav");
    return files;
}

TEST(ProgramEnd, TermIntAndHupEndTheRealProgramAtItsLoginWindowAsClosingDoes) {
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(signalNumber));
        TestEnv env;
        env.installTemplate();
        const QString executable = env.programFolder() + QStringLiteral("tolvanex");
        ASSERT_TRUE(
            QFile::copy(TestEnv::builtProgramFolder() + QStringLiteral("tolvanex"), executable));
        const QString home = env.root() + QStringLiteral("session");
        for (const char *folder : {"config", "data", "runtime"})
            QDir().mkpath(home + QLatin1Char('/') + QLatin1String(folder));
        QFile::setPermissions(home + QStringLiteral("/runtime"), QFileDevice::ReadOwner |
                                                                     QFileDevice::WriteOwner |
                                                                     QFileDevice::ExeOwner);

        QProcess program;
        fixture::StartProgram(program, executable, {}, env.programFolder(), home);
        ASSERT_TRUE(program.waitForStarted(30000)) << program.errorString().toStdString();
        const QString own = fixture::WaitForTemporaryFolder(program, env.tempFolder());
        ASSERT_FALSE(own.isEmpty()) << "no folder of its own in the temporary folder";
        EXPECT_EQ(QFileInfo(own).permissions() & kEveryone,
                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                      QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
        // What a session leaves behind: a study set, a phrase heard, a recording.
        const QStringList files =
            temporaryFiles(own, QString::number(program.processId()), /*studyCount=*/1);
        for (const QString &file : files)
            writeFile(file, "RIFF");
        ASSERT_EQ(::kill(pid_t(program.processId()), signalNumber), 0);

        const fixture::Ending ending = fixture::WaitForEnd(program, 30000);
        EXPECT_TRUE(ending.ended) << "still running after the signal";
        EXPECT_TRUE(ending.normalExit) << "ended by the signal itself, not by the program";
        EXPECT_EQ(ending.exitCode, 0) << program.readAllStandardError().toStdString();
        EXPECT_FALSE(QFileInfo::exists(own)) << own.toStdString();
        EXPECT_EQ(
            QDir(env.tempFolder())
                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
            QStringList());
        QSettings settings(home + QStringLiteral("/config/Tolvanex.conf"), QSettings::IniFormat);
        EXPECT_EQ(
            settings.value(QStringLiteral("Software/Tolvanex/" TVX_LANGUAGE_CODE "/ProgramDir"))
                .toString(),
            env.programFolder());
    }
}

class ProgramEndTest : public ::testing::Test {
protected:
    ProgramEndTest() : program(host, env.settings()) { env.installTemplate(); }

    // The main window after its start-up, with the administrator logged in
    // and a session's temporary files beside it.
    void start(frmMain &main) {
        main.Form_Load();
        ASSERT_FALSE(program.ended);
        main.Show_For_Student(true);
        program.studyCount = 2;
        files = temporaryFiles(program.Temporary_Folder(), program.handleTag, program.studyCount);
        ASSERT_EQ(files, (QStringList{activities::Study_File_Path(program),
                                      phraseSound::Selected_Phrase_Path(program),
                                      voiceWindows::Recording_Path(program),
                                      activities::Sound_File_Path(program, 1),
                                      activities::Sound_File_Path(program, 2)}));
        for (const QString &file : files)
            writeFile(file, "RIFF");
    }
    void expectNoTemporaryFiles() {
        for (const QString &file : files)
            EXPECT_FALSE(QFileInfo::exists(file)) << file.toStdString();
        EXPECT_EQ(
            QDir(env.tempFolder())
                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
            QStringList());
    }

    TestEnv env;
    FakeHost host;
    Program program;
    QStringList files;
};

TEST_F(ProgramEndTest, ClearingTheStudentDatabaseEndsWithoutTheSessionsTemporaryFiles) {
    frmMain main(program);
    start(main);
    host.onNextModal([this](QWidget &window) {
        auto *viewer = dynamic_cast<frmAdmin *>(&window);
        ASSERT_NE(viewer, nullptr);
        host.answerNext(vb::vbYes);
        host.answerNext(vb::vbYes);
        QTest::mouseClick(viewer->btnClearDatabase, Qt::LeftButton);
    });
    QTest::mouseClick(main.btnAdmin, Qt::LeftButton);
    EXPECT_FALSE(QFileInfo::exists(program.usersPath()));
    EXPECT_TRUE(program.ended);
    EXPECT_EQ(program.exitCode, 0);
    expectNoTemporaryFiles();
}

// A signal that arrives while a modal window waits for the learner (here the
// progress viewer) is taken in that window's event loop and ends the program
// through the main window's close path, as the program connects them.
TEST_F(ProgramEndTest, ASignalDuringAModalWindowEndsThroughTheClosePath) {
    frmMain main(program);
    start(main);
    ExitSignals exitSignals;
    ASSERT_TRUE(exitSignals.Active());
    QObject::connect(&exitSignals, &ExitSignals::Received, &main, &frmMain::Form_Unload);
    int received = 0;
    QObject::connect(&exitSignals, &ExitSignals::Received, &main, [&received](int signalNumber) {
        EXPECT_EQ(signalNumber, SIGTERM);
        ++received;
    });
    host.onNextModal([this](QWidget &window) {
        QEventLoop modalLoop;
        program.onEnd = [&modalLoop](int) { modalLoop.quit(); };
        ASSERT_EQ(::raise(SIGTERM), 0);
        // The window's own loop, as a real modal window runs it (given up
        // after half a minute, should the signal never come through).
        QTimer::singleShot(30000, &modalLoop, &QEventLoop::quit);
        modalLoop.exec();
        program.onEnd = nullptr;
        EXPECT_TRUE(window.isVisible()) << "the window still stood when the end came";
    });
    QTest::mouseClick(main.btnAdmin, Qt::LeftButton);
    EXPECT_EQ(received, 1);
    EXPECT_TRUE(program.ended);
    EXPECT_EQ(program.exitCode, 0);
    EXPECT_FALSE(main.isVisible());
    EXPECT_TRUE(QFileInfo::exists(program.usersPath())) << "ending is not clearing";
    expectNoTemporaryFiles();
}

} // namespace
