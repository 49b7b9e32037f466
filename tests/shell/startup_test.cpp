// The start-up sequence of the main window, on the built text database.
#include "frame/program.h"
#include "frame/template_texts.h"
#include "frame/update_check.h"
#include "platform/ado.h"
#include "platform/registry.h"
#include "shell/frm_main.h"
#include "shell/frm_splash.h"
#include "shell/shell_notices.h"
#include "shell/sliding_menu.h"
#include "shell/ticker.h"
#include "students/frm_login.h"
#include "subject_data/subject_schema.h"
#include "support/fake_host.h"
#include "support/test_env.h"

#include <QDir>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class StartupTest : public ::testing::Test {
protected:
    StartupTest() : program(host, env.settings()) { env.installTemplate(); }

    TestEnv env;
    FakeHost host;
    Program program;
};

// Where a line of the splash box's final text stands, counted from the
// oldest line (the box shows the newest line first).
int lineAge(const QStringList &newestFirst, const QString &start) {
    for (int i = newestFirst.size() - 1; i >= 0; --i)
        if (newestFirst[i].startsWith(start))
            return int(newestFirst.size()) - 1 - i;
    ADD_FAILURE() << "no splash line starts with " << start.toStdString();
    return -1;
}

TEST_F(StartupTest, StepsRunInTheirFixedOrderBehindTheSplashWindow) {
    // One installed subject and one virtual subject, so that both loaders
    // leave their lines.
    {
        Program texts(host, env.settings());
        texts.identity = Identity::ForCode(QStringLiteral("tvxito"));
        texts.folders.programFolder = env.programFolder();
        templateTexts::Get_Captions(texts);
        const QString installed = env.programFolder() + texts.captions[10] + QLatin1Char('/');
        const QString virtualFolder = env.programFolder() + texts.captions[11] + QLatin1Char('/');
        QDir().mkpath(installed);
        QDir().mkpath(virtualFolder);
        subjects::CreateSubjectFile(installed + QStringLiteral("Colours.ito"),
                                    QStringLiteral("tvxito"));
        subjects::CreateVirtualFolderFile(virtualFolder + QStringLiteral("Mine.vito"));
        ado::Connection folder;
        folder.Open(ado::ConnectionString(virtualFolder + QStringLiteral("Mine.vito"),
                                          subjects::SubjectPassword()));
        folder.Execute(QStringLiteral("INSERT INTO tblParents (tName) VALUES ('Revision')"));
    }
    frmMain main(program);
    QString lastSplashText;
    bool checkedTheWait = false;
    host.onDoEvents = [&] {
        if (frmSplash *splash = main.splashWindow())
            lastSplashText = splash->StatusText();
        if (host.waitCalls == 1 && !checkedTheWait) {
            // The one-second wait: splash up, settings applied, login
            // window loaded but hidden, no loader run yet.
            checkedTheWait = true;
            EXPECT_TRUE(main.notices().SplashVisible());
            EXPECT_EQ(main.File1.Pattern(), QStringLiteral("*.ito"));
            ASSERT_NE(main.loginWindow(), nullptr);
            EXPECT_FALSE(main.loginWindow()->isVisible());
            EXPECT_EQ(main.TreeFolders.Count(), 0);
            EXPECT_TRUE(program.ticker.tips.isEmpty());
        }
    };
    main.Form_Load();
    EXPECT_FALSE(program.ended);
    EXPECT_TRUE(checkedTheWait);
    for (const FakeHost::Box &box : host.boxes)
        ADD_FAILURE() << "unexpected message: " << box.text.toStdString();

    // The splash box shows what ran, oldest line last: the settings' status,
    // then installed subjects, virtual subjects, menu links, system messages.
    const QStringList lines = lastSplashText.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QString loading = program.captions[23] + QLatin1Char(' ');
    const int status = lineAge(lines, program.captions[12] + QStringLiteral(".  "));
    // Installed subject titles keep the leading blank of their file-name words.
    const int installed = lineAge(lines, loading + QStringLiteral(" Colours"));
    const int virtualSubject = lineAge(lines, loading + QStringLiteral("Revision"));
    const int menuLink = lineAge(lines, program.captions[8]);
    const int message = lineAge(lines, loading + QStringLiteral("MSG #001"));
    EXPECT_LT(status, installed);
    EXPECT_LT(installed, virtualSubject);
    EXPECT_LT(virtualSubject, menuLink);
    EXPECT_LT(menuLink, message);
    EXPECT_FALSE(main.notices().SplashVisible());
    EXPECT_TRUE(main.loginWindow()->isVisible());

    // Dressed for the build.
    EXPECT_EQ(main.windowTitle(), QStringLiteral("Tolvanex Italiano"));
    // Titles read exactly as given: the product title reaches message boxes
    // without a title of their own, never the end of every window's title.
    EXPECT_EQ(host.ProgramTitle(), QStringLiteral("Tolvanex Italiano"));
    EXPECT_NE(QGuiApplication::applicationDisplayName(), QStringLiteral("Tolvanex Italiano"));
    EXPECT_EQ(main.btnChangeUser->text(), program.captions[99]);
    EXPECT_EQ(main.File1.Pattern(), QStringLiteral("*.ito"));
    EXPECT_EQ(main.File2.Pattern(), QStringLiteral("*.vito"));
    EXPECT_EQ(main.ticker().logic().pendingMessage, program.captions[63]);
    EXPECT_EQ(main.slidingMenu().Left() + 3885, 100);
    EXPECT_GE(main.highestMenuIndex, 5);
    EXPECT_EQ(main.lblMenu.size(), main.highestMenuIndex + 1);
    EXPECT_GE(program.ticker.tips.size(), 20);

    // Folders recorded, first update-check date set, no check on the first start.
    const QString key = program.registryKey();
    EXPECT_EQ(modRegistry::Get_String_Value("HKEY_CURRENT_USER", key, "ProgramDir"),
              env.programFolder());
    EXPECT_LE(std::abs(updateCheck::Read_Date_Checked(program).secsTo(host.clock)), 1);
    EXPECT_TRUE(host.downloadRequests.isEmpty());
}

TEST_F(StartupTest, AnUpdateNoticeThatSaysYesEndsTheProgramAfterItsMessage) {
    program.identity = Identity::ForCode(QStringLiteral("tvxito"));
    updateCheck::Save_Date_Checked(program, host.clock.addDays(-8));
    host.connected = true;
    host.downloads.insert(QStringLiteral("https://www.tolvanex.example/updates/Ver_1_0_0.txt"),
                          "yes,Please install version 2");
    frmMain main(program);
    main.Form_Load();
    EXPECT_FALSE(program.ended) << "the notice comes from the event loop";
    EXPECT_TRUE(QTest::qWaitFor([&] { return program.ended; }, 10000));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(host.lastBox().text.startsWith(QStringLiteral("Please install version 2\r\n")));
    EXPECT_EQ(host.openedUrls,
              QStringList{QStringLiteral("https://www.tolvanex.example/download.htm")});
}

TEST_F(StartupTest, MissingTemplateNamesTheFileAndEnds) {
    QFile::remove(env.programFolder() + QStringLiteral("Tolvanex.tpl"));
    frmMain main(program);
    main.Form_Load();
    EXPECT_TRUE(program.ended);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(host.lastBox().text.contains(env.programFolder() + QStringLiteral("Tolvanex.tpl")));
    EXPECT_NE(program.exitCode, 0);
    EXPECT_EQ(main.splashWindow(), nullptr) << "nothing after the captions ran";
    EXPECT_FALSE(main.isVisible());
}

TEST_F(StartupTest, DamagedTemplateNamesTheFileAndEnds) {
    writeFile(env.programFolder() + QStringLiteral("Tolvanex.tpl"), QByteArray(4096, 'x'));
    frmMain main(program);
    main.Form_Load();
    EXPECT_TRUE(program.ended);
    EXPECT_NE(program.exitCode, 0);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(host.lastBox().text.contains(QStringLiteral("Tolvanex.tpl")));
    // The database layer speaks the learner's language (Spanish in this build).
    EXPECT_TRUE(host.lastBox().text.contains(QStringLiteral("no es un archivo de base de datos")))
        << host.lastBox().text.toStdString();
}

TEST_F(StartupTest, SmallScreenWarnsAndNoEndsAtOnce) {
    host.screen = QSize(1024, 768);
    {
        frmMain main(program);
        main.Form_Load();
        EXPECT_TRUE(host.boxes.empty());
    }
    Program second(host, env.settings());
    host.screen = QSize(799, 575);
    // Due and online: only the No keeps the update check from running.
    host.connected = true;
    const QDateTime lastCheck = host.clock.addDays(-30);
    updateCheck::Save_Date_Checked(program, lastCheck); // same build, same registry key
    host.answerNext(vb::vbNo);
    frmMain main(second);
    main.Form_Load();
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.lastBox().text,
              second.captions[16] + QStringLiteral("\r\n\r\n") + second.captions[1]);
    EXPECT_EQ(vb::ButtonsOf(host.lastBox().style), vb::vbYesNo);
    EXPECT_TRUE(second.ended);
    EXPECT_LE(std::abs(updateCheck::Read_Date_Checked(second).secsTo(lastCheck)), 1)
        << "the update check did not run after the No";
}

TEST_F(StartupTest, UpdateCheckRunsAfterSevenDaysWhenOnline) {
    updateCheck::Save_Date_Checked(program, host.clock.addDays(-7));
    host.connected = true;
    frmMain main(program);
    main.Form_Load();
    EXPECT_FALSE(program.ended);
    EXPECT_LE(std::abs(updateCheck::Read_Date_Checked(program).secsTo(host.clock)), 1);
}

} // namespace
