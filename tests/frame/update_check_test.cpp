// The weekly update check runs at most once in 7 days and only when online.
#include "frame/program.h"
#include "frame/update_check.h"
#include "platform/qt_host.h"
#include "platform/registry.h"
#include "support/fake_host.h"
#include "support/local_web_server.h"
#include "support/test_env.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

class UpdateScheduleTest : public ::testing::Test {
protected:
    UpdateScheduleTest() : program(host, env.settings()) {
        program.identity = Identity::ForCode(QStringLiteral("tvxito"));
    }

    // The start-up's last step with a check that answers answer.
    bool run(bool answer = false) {
        if (!updateCheck::Take_Due_Check(program))
            return false;
        ++checks;
        return answer;
    }
    void setStored(const QString &text) {
        modRegistry::Save_String_Value(QStringLiteral("HKEY_CURRENT_USER"), program.registryKey(),
                                       QStringLiteral("DateChecked"), text);
    }
    QString stored() {
        return modRegistry::Get_String_Value(QStringLiteral("HKEY_CURRENT_USER"),
                                             program.registryKey(), QStringLiteral("DateChecked"));
    }

    TestEnv env;
    FakeHost host;
    Program program;
    int checks = 0;
};

TEST_F(UpdateScheduleTest, FirstStartRecordsNowAndDoesNotCheck) {
    host.connected = true;
    EXPECT_FALSE(run());
    EXPECT_EQ(checks, 0);
    EXPECT_EQ(updateCheck::Read_Date_Checked(program), host.clock);
}

TEST_F(UpdateScheduleTest, SixDaysIsTooEarly) {
    host.connected = true;
    updateCheck::Save_Date_Checked(program, host.clock.addDays(-6));
    const QString before = stored();
    EXPECT_FALSE(run());
    EXPECT_EQ(checks, 0);
    EXPECT_EQ(stored(), before);
}

TEST_F(UpdateScheduleTest, ExactlySevenDaysOnlineChecksAndRecordsNow) {
    host.connected = true;
    updateCheck::Save_Date_Checked(program, host.clock.addDays(-7));
    EXPECT_TRUE(run(true));
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(updateCheck::Read_Date_Checked(program), host.clock);
}

TEST_F(UpdateScheduleTest, OfflineLeavesTheDateForTheNextStart) {
    updateCheck::Save_Date_Checked(program, host.clock.addDays(-30));
    const QString before = stored();
    EXPECT_FALSE(run());
    EXPECT_EQ(checks, 0);
    EXPECT_EQ(stored(), before);
    host.connected = true;
    EXPECT_FALSE(run());
    EXPECT_EQ(checks, 1);
}

TEST_F(UpdateScheduleTest, UnreadableDateCountsAsMissing) {
    host.connected = true;
    setStored(QStringLiteral("the thirty-second of Brumaire"));
    EXPECT_FALSE(run());
    EXPECT_EQ(checks, 0);
    EXPECT_EQ(updateCheck::Read_Date_Checked(program), host.clock);
}

TEST_F(UpdateScheduleTest, SwitchedOffTheCheckNeverRunsAndIsOnByDefault) {
    host.connected = true;
    EXPECT_TRUE(updateCheck::Is_Update_Check_On(program));
    updateCheck::Save_Date_Checked(program, host.clock.addDays(-30));
    updateCheck::Set_Update_Check_On(program, false);
    // Stored with the build's other values, so the next start honours it too.
    EXPECT_EQ(modRegistry::Get_String_Value(QStringLiteral("HKEY_CURRENT_USER"),
                                            program.registryKey(),
                                            QStringLiteral("CheckForUpdates")),
              QStringLiteral("0"));
    EXPECT_FALSE(updateCheck::Is_Update_Check_On(program));
    EXPECT_FALSE(run(true));
    EXPECT_EQ(checks, 0);
    updateCheck::Set_Update_Check_On(program, true);
    EXPECT_TRUE(run(true));
    EXPECT_EQ(checks, 1);
}

// The check itself, against notices served by a web server on this computer.
class CheckForUpdateTest : public ::testing::Test {
protected:
    CheckForUpdateTest() : program(host, settings()) {
        program.identity = Identity::ForCode(QStringLiteral("tvxito"));
        program.captions.Resize(200);
        program.captions.Set(18, QStringLiteral("Open the download page now?"));
        program.captions.Set(67, QStringLiteral("download.htm"));
        program.captions.Set(68, QStringLiteral("You can download it later from"));
        program.captions.Set(94, server.url(QStringLiteral("/")));
        program.captions.Set(98, QStringLiteral("Program Update"));
        host.useLocalNetwork = true;
        host.clock = QDateTime(QDate(2026, 12, 7), QTime(14, 30, 5));
    }
    ProgramSettings settings() const {
        ProgramSettings s = env.settings();
        s.versionMajor = 1;
        s.versionMinor = 0;
        s.versionRevision = 12;
        return s;
    }
    void notice(const QByteArray &text) {
        server.serve(QStringLiteral("/updates/Ver_1_0_12.txt"), text);
    }
    // In the shared temporary folder and in the program's own.
    QStringList temporaryCopies() const {
        QStringList copies =
            QDir(env.tempFolder()).entryList({QStringLiteral("~*.tmp")}, QDir::Files);
        const QString own = program.Existing_Temporary_Folder();
        if (!own.isEmpty())
            copies << QDir(own).entryList({QStringLiteral("~*.tmp")}, QDir::Files);
        return copies;
    }
    QString page() const { return server.url(QStringLiteral("/download.htm")); }
    // Runs the check to its end; true when it says the program must end.
    bool check() {
        QEventLoop loop;
        bool end = false;
        updateCheck::Start_Check_For_Update(program, &loop, [&](bool endProgram) {
            end = endProgram;
            loop.quit();
        });
        loop.exec();
        return end;
    }

    TestEnv env;
    LocalWebServer server;
    FakeHost host;
    Program program;
};

TEST_F(CheckForUpdateTest, NoNoticeForThisVersionMeansNoUpdate) {
    EXPECT_EQ(updateCheck::Temporary_Notice_Path(program, host.clock),
              program.Temporary_Folder() + QStringLiteral("~12072026143005.tmp"));
    // The running version, not any other, selects the notice.
    server.serve(QStringLiteral("/updates/Ver_1_0_13.txt"), "YES,Not for this version");
    EXPECT_FALSE(check());
    EXPECT_EQ(server.requests, QStringList{QStringLiteral("/updates/Ver_1_0_12.txt")});
    notice(QByteArray());
    EXPECT_FALSE(check());
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_TRUE(temporaryCopies().isEmpty());
}

TEST_F(CheckForUpdateTest, OnlyTheLastLineCountsAndYesEndsTheProgramEitherWay) {
    notice("NO,An old message\r\nno,Another old one\r\n yes , Version 1.1 is here ,ignored\r\n");
    bool copyGoneWhenShown = false;
    host.onMsgBox = [&](const FakeHost::Box &) { copyGoneWhenShown = temporaryCopies().isEmpty(); };
    EXPECT_TRUE(check());
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.lastBox().text,
              QStringLiteral("Version 1.1 is here\r\n\r\nOpen the download page now?"));
    EXPECT_EQ(host.lastBox().style, vb::vbYesNo);
    EXPECT_EQ(host.lastBox().title, QStringLiteral("Program Update"));
    EXPECT_EQ(host.openedUrls, QStringList{page()});
    EXPECT_TRUE(copyGoneWhenShown);

    host.answerNext(vb::vbNo);
    EXPECT_TRUE(check());
    ASSERT_EQ(host.boxes.size(), 3u);
    EXPECT_EQ(host.lastBox().text, QStringLiteral("You can download it later from ") + page());
    EXPECT_EQ(host.lastBox().style, vb::vbOKOnly);
    EXPECT_EQ(host.lastBox().title, QStringLiteral("Program Update"));
    EXPECT_EQ(host.openedUrls.size(), 1);
}

TEST_F(CheckForUpdateTest, NoKeepsTheProgramRunningWhateverTheAnswer) {
    notice("  no  ,Small fixes are available");
    EXPECT_FALSE(check());
    EXPECT_EQ(host.openedUrls, QStringList{page()});
    host.answerNext(vb::vbNo);
    EXPECT_FALSE(check());
    EXPECT_EQ(host.boxes.size(), 3u);
    EXPECT_TRUE(temporaryCopies().isEmpty());
}

TEST_F(CheckForUpdateTest, ANoticeWithoutACommaOrTooLargeShowsNothing) {
    notice("YES Version 1.1 is here");
    EXPECT_FALSE(check());
    notice(QByteArray(updateCheck::kNoticeLimitBytes, 'x') + "\nYES,Too large");
    EXPECT_FALSE(check());
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_TRUE(temporaryCopies().isEmpty());
    EXPECT_EQ(server.requests.size(), 2);
}

// What a captive portal, a misconfigured server or an older editor serves.
TEST_F(CheckForUpdateTest, OnlyPlainTextIsANoticeAndWindows1252IsReadAsSuch) {
    notice(QByteArray("YES,Version 1.1\0\x01\x02binary", 22));
    EXPECT_FALSE(check());
    notice("<!DOCTYPE html>\n<html><body>\nYES,Sign in to the network</body></html>\n");
    EXPECT_FALSE(check());
    EXPECT_TRUE(host.boxes.empty());

    notice("NO,Versi\xf3n 1.1: m\xe1s r\xe1pida \x80 gratis\r\n");
    host.answerNext(vb::vbNo);
    EXPECT_FALSE(check());
    ASSERT_FALSE(host.boxes.empty());
    EXPECT_TRUE(host.boxes.front().text.startsWith(
        QStringLiteral("Versi\u00f3n 1.1: m\u00e1s r\u00e1pida \u20ac gratis")));
}

// A server that sends a byte now and then never reaches the limit per
// transfer; the whole download still ends.
TEST_F(CheckForUpdateTest, ATricklingServerCannotKeepTheDownloadOpen) {
    server.serveSlowly(QStringLiteral("/slow.txt"), QByteArray(1000, 'x'), 20);
    const QString target = env.tempFolder() + QStringLiteral("slow.txt");
    EXPECT_FALSE(Download_Url(server.url(QStringLiteral("/slow.txt")), target, -1, 300));
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_EQ(kDownloadDeadlineMs, 30000);
}

// The windows go on while the notice comes in, and its message follows.
TEST_F(CheckForUpdateTest, TheWindowsEventsGoOnWhileTheNoticeDownloads) {
    server.serveSlowly(QStringLiteral("/updates/Ver_1_0_12.txt"), "NO,Version 1.1 is here\n", 10);
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(5);
    host.answerNext(vb::vbNo);
    QEventLoop loop;
    bool answered = false;
    updateCheck::Start_Check_For_Update(program, &loop, [&](bool endProgram) {
        EXPECT_FALSE(endProgram);
        answered = true;
        loop.quit();
    });
    EXPECT_FALSE(answered) << "the check returns before the download ends";
    loop.exec();
    EXPECT_GE(ticks, 10) << "the timer went on ticking while the notice came byte by byte";
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_TRUE(host.boxes[0].text.startsWith(QStringLiteral("Version 1.1 is here\r\n")));
    EXPECT_EQ(host.boxes[1].text, QStringLiteral("You can download it later from ") + page());
    EXPECT_TRUE(temporaryCopies().isEmpty());
}

// A window closed before the notice arrived hears nothing of it.
TEST_F(CheckForUpdateTest, AContextDestroyedFirstAbandonsTheCheck) {
    const QString notice = QStringLiteral("/updates/Ver_1_0_12.txt");
    server.serveSlowly(notice, "YES,Version 1.1 is here\n", 10);
    auto context = std::make_unique<QObject>();
    bool answered = false;
    updateCheck::Start_Check_For_Update(program, context.get(), [&](bool) { answered = true; });
    // The same notice fetched alongside: once it has come, the abandoned one
    // would have come too. The check's window goes while both are coming.
    QEventLoop loop;
    Start_Download_Url(server.url(notice), env.tempFolder() + QStringLiteral("alongside.txt"), -1,
                       &loop, [&](bool ok) {
                           EXPECT_TRUE(ok);
                           loop.quit();
                       });
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (context && server.requests.size() == 2)
            context.reset();
    });
    watch.start(1);
    loop.exec();
    QCoreApplication::processEvents();
    EXPECT_EQ(context, nullptr) << "the window went while the notice was coming";
    EXPECT_FALSE(answered);
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(CheckForUpdateTest, APlainWebAddressIsAskedOverHttps) {
    program.captions.Set(94, QStringLiteral("http://www.tolvanex.example/"));
    host.useLocalNetwork = false;
    EXPECT_FALSE(check());
    EXPECT_EQ(host.downloadRequests,
              QStringList{QStringLiteral("https://www.tolvanex.example/updates/Ver_1_0_12.txt")});
    EXPECT_EQ(updateCheck::Download_Page(program),
              QStringLiteral("http://www.tolvanex.example/download.htm"));
}

} // namespace
