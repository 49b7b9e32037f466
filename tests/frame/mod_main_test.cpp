// The common services: temporary folder, waiting, sounds, files, web pages.
#include "frame/identity.h"
#include "frame/mod_main.h"
#include "frame/program.h"
#include "support/fake_host.h"
#include "support/recording_windows.h"
#include "support/test_env.h"

#include <QDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

class ModMainTest : public ::testing::Test {
protected:
    ModMainTest() : program(host, env.settings()) {
        program.identity = Identity::ForCode(QStringLiteral("tvxito"));
        program.folders.programFolder = env.programFolder();
        program.captions.Resize(caption::Last);
        program.captions.Set(caption::ConnectingTo, QStringLiteral("Connecting to"));
        program.captions.Set(94, QStringLiteral("https://site.example/"));
        program.captions.Set(95, QStringLiteral("offline.htm"));
        program.setWindows(&windows);
    }
    TestEnv env;
    FakeHost host;
    RecordingWindows windows;
    Program program;
};

TEST_F(ModMainTest, TempPathEndsInExactlyOneSlash) {
    EXPECT_EQ(modMain::Get_Temp_Path(), env.tempFolder());
    const QByteArray old = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(env.tempFolder() + QStringLiteral("///")));
    EXPECT_FALSE(modMain::Get_Temp_Path().endsWith(QStringLiteral("//")));
    EXPECT_TRUE(modMain::Get_Temp_Path().endsWith(QLatin1Char('/')));
    qputenv("TMPDIR", old);
}

TEST_F(ModMainTest, WaitSecondsKeepsEventsRunningAndSurvivesMidnight) {
    modMain::Wait_Seconds(host, 0);
    EXPECT_LE(host.doEventsCalls, 5);

    // Whatever the fraction of the starting second, one second lasts 0.5 to 1.5 s.
    for (int startMs : {0, 400, 499, 500, 900}) {
        host.clock = QDateTime(QDate(2026, 12, 8), QTime(10, 0, 0, startMs));
        const QDateTime begin = host.clock;
        modMain::Wait_Seconds(host, 1);
        EXPECT_GE(begin.msecsTo(host.clock), 500) << startMs;
        EXPECT_LE(begin.msecsTo(host.clock), 1500) << startMs;
    }

    host.clock = QDateTime(QDate(2026, 12, 8), QTime(23, 59, 59, 400));
    const QDateTime start = host.clock;
    modMain::Wait_Seconds(host, 2);
    EXPECT_GE(start.msecsTo(host.clock), 1500);
    EXPECT_LE(start.msecsTo(host.clock), 2600);
}

TEST_F(ModMainTest, ClickPlaysFromMemoryAndReplacesTheBuffer) {
    modMain::Play_Click(program, QStringLiteral("click"), modMain::SND_ASYNC);
    modMain::Play_Click(program, QStringLiteral("CLICK"), modMain::SND_ASYNC);
    ASSERT_EQ(host.sounds.size(), 2u);
    EXPECT_TRUE(host.sounds[1].async);
    EXPECT_TRUE(host.sounds[1].wave.startsWith("RIFF"));
    EXPECT_EQ(host.sounds[1].wave, program.clickBuffer);
    EXPECT_THROW(modMain::Play_Click(program, QStringLiteral("nosuch")), std::runtime_error);
}

TEST_F(ModMainTest, PlaySoundIsSynchronousUnlessAsked) {
    modMain::Play_Sound(host, QStringLiteral("/x/a.wav"));
    modMain::Play_Sound(host, QStringLiteral("/x/b.wav"), modMain::SND_ASYNC);
    ASSERT_EQ(host.sounds.size(), 2u);
    EXPECT_FALSE(host.sounds[0].async);
    EXPECT_TRUE(host.sounds[1].async);
}

TEST_F(ModMainTest, FileExistsOnlyForVisiblePlainFiles) {
    writeFile(env.root() + QStringLiteral("plain.txt"), "x");
    writeFile(env.root() + QStringLiteral(".hidden"), "x");
    EXPECT_TRUE(modMain::File_Exists(env.root() + QStringLiteral("plain.txt")));
    EXPECT_FALSE(modMain::File_Exists(env.root() + QStringLiteral(".hidden")));
    EXPECT_FALSE(modMain::File_Exists(env.programFolder()));
    EXPECT_FALSE(modMain::File_Exists(env.root() + QStringLiteral("none.txt")));
}

TEST_F(ModMainTest, WebPageOnlineOpensTheSiteOfflineTheLocalPage) {
    modMain::Open_Web_Page(program, QStringLiteral("subjects.htm"));
    host.connected = true;
    modMain::Open_Web_Page(program, QStringLiteral("subjects.htm"));
    EXPECT_EQ(host.openedUrls, (QStringList{env.programFolder() + QStringLiteral("offline.htm"),
                                            QStringLiteral("https://site.example/subjects.htm")}));
    EXPECT_EQ(windows.notices.first(),
              QStringLiteral("Connecting to https://site.example/\nsubjects.htm"));
    EXPECT_FALSE(windows.noticeVisible);
    EXPECT_TRUE(host.boxes.empty());

    // Without a browser the user reads where the page is, after the notice.
    host.browserAvailable = false;
    program.captions.Set(caption::NoBrowser, QStringLiteral("No browser for %1"));
    modMain::Open_Web_Page(program, QStringLiteral("help.htm"));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.lastBox().text, QStringLiteral("No browser for https://site.example/help.htm"));
    EXPECT_FALSE(windows.noticeVisible);
}

TEST_F(ModMainTest, DownloadReportsSuccessOnlyWhenTheFileArrived) {
    writeFile(env.root() + QStringLiteral("notice.txt"), "NO,Nothing new");
    const QString target = env.tempFolder() + QStringLiteral("copy.txt");
    EXPECT_TRUE(modMain::Download_File(
        host, QUrl::fromLocalFile(env.root() + QStringLiteral("notice.txt")).toString(), target));
    EXPECT_TRUE(modMain::File_Exists(target));
    EXPECT_FALSE(
        modMain::Download_File(host, QStringLiteral("https://nowhere.example/x.txt"), target));
    EXPECT_GE(host.doEventsCalls, 2);
}

TEST_F(ModMainTest, ErrorReportHasTheProgramsOneShape) {
    program.captions.Set(149, QStringLiteral("Something went wrong:"));
    modMain::Show_Error(program, QStringLiteral("Get_Subjects"), QStringLiteral("No disk."));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.lastBox().text,
              QStringLiteral("Something went wrong:\r\n\r\nGet_Subjects: No disk."));
    EXPECT_EQ(host.lastBox().title, QStringLiteral("ERROR"));
    EXPECT_EQ(host.lastBox().style, vb::vbCritical);
    EXPECT_EQ(
        modMain::Get_Connection_String(QStringLiteral("/a/b.ito")),
        QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/a/b.ito;Jet OLEDB:Database "
                       "Password=marpelin4729;"));
}

TEST(IdentityTest, EveryBuildCodeAndAnUnknownOne) {
    const QStringList codes = Identity::AllCodes();
    ASSERT_EQ(codes.size(), 8);
    for (int i = 0; i < codes.size(); ++i) {
        const Identity id = Identity::ForCode(codes[i]);
        EXPECT_EQ(id.logoIndex, i + 1);
        EXPECT_EQ(QStringLiteral("tvx") + id.shortCode, codes[i]);
        EXPECT_EQ(id.learnerLanguage,
                  i < 4 ? QStringLiteral("English") : QStringLiteral("Spanish"));
    }
    EXPECT_EQ(Identity::ForCode(QStringLiteral("tvxito")).productTitle,
              QStringLiteral("Tolvanex Italiano"));
    EXPECT_EQ(Identity::ForCode(QStringLiteral("tvxale")).targetLanguage, QStringLiteral("German"));
    const Identity unknown = Identity::ForCode(QStringLiteral("TVXITO"));
    EXPECT_TRUE(unknown.productTitle.isEmpty());
    EXPECT_EQ(unknown.logoIndex, 0);
}

} // namespace
