// The start-up sequence of the main window, on the built text database.
#include "frame/frm_main.h"
#include "frame/program.h"
#include "frame/update_check.h"
#include "platform/registry.h"
#include "shell/frm_splash.h"
#include "support/fake_host.h"
#include "support/test_env.h"

#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

class StartupTest : public ::testing::Test {
protected:
    StartupTest() : program(host, env.settings()) { env.installTemplate(); }

    TestEnv env;
    FakeHost host;
    Program program;
};

TEST_F(StartupTest, StepsRunInTheirFixedOrderBehindTheSplashWindow) {
    frmMain main(program);
    QStringList splashTexts;
    host.onDoEvents = [&] {
        if (frmSplash *splash = main.splashWindow())
            splashTexts << splash->txtStatus->toPlainText();
    };
    main.Form_Load();
    EXPECT_FALSE(program.ended);
    EXPECT_EQ(main.StartupSteps(),
              (QStringList{
                  "identity",         "Get_Captions",        "Set_Paths",        "registry",
                  "FileAct",          "frmSplash",           "Get_Settings",     "frmLogin",
                  "Wait_Seconds",     "Create_Folders",      "Get_Subjects",     "Get_vSubjects",
                  "Get_Menu_Links",   "Get_System_Messages", "Get_Tips",         "Get_Activities",
                  "unload frmSplash", "show frmLogin",       "Check_Resolution", "update check"}));
    for (const FakeHost::Box &box : host.boxes)
        ADD_FAILURE() << "unexpected message: " << box.text.toStdString();

    // The splash window received Get_Settings' text and the loaders' lines.
    ASSERT_FALSE(splashTexts.isEmpty());
    EXPECT_TRUE(splashTexts.first().startsWith(program.captions[12] + QStringLiteral(".  ") +
                                               program.captions[13]));
    EXPECT_TRUE(splashTexts.last().contains(program.captions[23] + QStringLiteral(" MSG #001")));
    EXPECT_FALSE(main.SplashVisible());

    // Dressed for the build.
    EXPECT_EQ(main.windowTitle(), QStringLiteral("Tolvanex Italiano"));
    EXPECT_EQ(main.btnChangeUser->text(), program.captions[99]);
    EXPECT_EQ(main.File1.Pattern(), QStringLiteral("*.ito"));
    EXPECT_EQ(main.File2.Pattern(), QStringLiteral("*.vito"));
    EXPECT_EQ(main.pendingMessage, program.captions[63]);
    EXPECT_EQ(main.picMenuLeft + 3885, 100);
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

TEST_F(StartupTest, MissingTemplateNamesTheFileAndEnds) {
    QFile::remove(env.programFolder() + QStringLiteral("Tolvanex.tpl"));
    frmMain main(program);
    main.Form_Load();
    EXPECT_TRUE(program.ended);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(host.lastBox().text.contains(env.programFolder() + QStringLiteral("Tolvanex.tpl")));
    EXPECT_EQ(main.StartupSteps().last(), QStringLiteral("Get_Captions"));
    EXPECT_FALSE(main.isVisible());
}

TEST_F(StartupTest, DamagedTemplateNamesTheFileAndEnds) {
    writeFile(env.programFolder() + QStringLiteral("Tolvanex.tpl"), QByteArray(4096, 'x'));
    frmMain main(program);
    main.Form_Load();
    EXPECT_TRUE(program.ended);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(host.lastBox().text.contains(QStringLiteral("Tolvanex.tpl")));
}

TEST_F(StartupTest, SmallScreenWarnsAndNoEndsAtOnce) {
    host.screen = QSize(800, 600);
    {
        frmMain main(program);
        main.Form_Load();
        EXPECT_TRUE(host.boxes.empty());
    }
    Program second(host, env.settings());
    host.screen = QSize(799, 575);
    host.answerNext(vb::vbNo);
    frmMain main(second);
    main.Form_Load();
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.lastBox().text,
              second.captions[16] + QStringLiteral("\r\n\r\n") + second.captions[1]);
    EXPECT_EQ(vb::ButtonsOf(host.lastBox().style), vb::vbYesNo);
    EXPECT_TRUE(second.ended);
    EXPECT_EQ(main.StartupSteps().last(), QStringLiteral("Check_Resolution"));
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
