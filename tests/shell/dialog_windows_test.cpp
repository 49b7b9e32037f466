// The splash window and the one-button message window.
#include "frame/mod_main.h"
#include "frame/program.h"
#include "frame/update_check.h"
#include "platform/tiled_background.h"
#include "shell/frm_main.h"
#include "shell/frm_msg_box.h"
#include "shell/frm_splash.h"
#include "support/fake_host.h"
#include "support/test_env.h"

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(SplashTexts, VersionAndCatchLine) {
    EXPECT_EQ(frmSplash::VersionText(1, 0, 12), QStringLiteral("v.1.0.12"));
    EXPECT_EQ(frmSplash::CatchLine(QStringLiteral("Learn"), QStringLiteral("Tolvanex Italiano")),
              QStringLiteral("Learn Italiano!"));
    // A title shorter than 10 characters has no language word.
    EXPECT_EQ(frmSplash::CatchLine(QStringLiteral("Learn"), QStringLiteral("Tolvanex")),
              QStringLiteral("Learn !"));
}

TEST(Tiling, TilesOverlapAndCoverTheWindow) {
    QPixmap tile(24, 12);
    tile.fill(Qt::red);
    // Half the HiMetric size, taken as twips: about 88 % of the picture.
    EXPECT_NEAR(tiling::TileStepPixels(24), 21.1, 0.1);
    EXPECT_NEAR(tiling::TileStepPixels(12), 10.5, 0.1);

    QImage window(50, 30, QImage::Format_RGB32);
    window.fill(Qt::white);
    {
        QPainter painter(&window);
        tiling::TileBackground(painter, window.size(), tile);
    }
    EXPECT_EQ(window.pixelColor(49, 29), QColor(Qt::red));

    // A window smaller than one tile still gets one tile; an empty one none.
    QImage small(5, 5, QImage::Format_RGB32);
    small.fill(Qt::white);
    {
        QPainter painter(&small);
        tiling::TileBackground(painter, small.size(), tile);
        EXPECT_NO_THROW(tiling::TileBackground(painter, QSize(0, 10), tile));
    }
    EXPECT_EQ(small.pixelColor(0, 0), QColor(Qt::red));
    QPainter painter(&small);
    EXPECT_THROW(tiling::TileBackground(painter, small.size(), QPixmap()), std::runtime_error);
}

class DialogWindowsTest : public ::testing::Test {
protected:
    DialogWindowsTest() : program(host, env.settings()) { env.installTemplate(); }
    TestEnv env;
    FakeHost host;
    Program program;
};

TEST_F(DialogWindowsTest, AKeyClosesTheSplashAndTheStartGoesOnWithoutIt) {
    frmMain main(program);
    bool pressed = false;
    host.onDoEvents = [&] {
        frmSplash *splash = main.splashWindow();
        if (!pressed && splash && splash->isVisible()) {
            pressed = true;
            EXPECT_EQ(splash->lblLoading->text(), program.captions[53]);
            EXPECT_EQ(splash->lblCatchyWord[0]->text(),
                      program.captions[25] + QStringLiteral(" Italiano!"));
            QTest::keyClick(splash, Qt::Key_Space);
        }
    };
    main.Form_Load();
    EXPECT_TRUE(pressed);
    EXPECT_FALSE(program.ended);
    EXPECT_FALSE(main.SplashVisible());
    EXPECT_TRUE(updateCheck::Read_Date_Checked(program).isValid()) << "the start-up ran to its end";
    EXPECT_GT(main.TreeFolders.Count(), 3) << "the subjects were still loaded";
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(DialogWindowsTest, NoticeClosedByTheUserDuringTheWaitIsUnloadedQuietly) {
    frmMain main(program);
    main.Form_Load();
    int clicks = 0;
    host.onDoEvents = [&] {
        if (main.NoticeVisible()) {
            EXPECT_EQ(main.msgBox().height(), 2000 / 15);
            QTest::mouseClick(main.msgBox().btnOK, Qt::LeftButton);
            ++clicks;
        }
    };
    modMain::Open_Web_Page(program, QStringLiteral("help.htm"));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(main.NoticeVisible());
    ASSERT_EQ(host.openedUrls.size(), 1);
    EXPECT_EQ(host.openedUrls.first(), env.programFolder() + program.captions[95]);
}

TEST_F(DialogWindowsTest, ModalMessageShowsItsTextAndClosesWithOk) {
    frmMain main(program);
    main.Form_Load();
    QString shown;
    host.onNextModal([&](QWidget &window) {
        auto &box = static_cast<frmMsgBox &>(window);
        shown = box.lblMsg->text();
        QTest::mouseClick(box.btnOK, Qt::LeftButton);
        EXPECT_FALSE(box.isVisible());
    });
    main.ShowMessage(QStringLiteral("Hello"), 10);
    EXPECT_EQ(shown, QStringLiteral("Hello"));
    EXPECT_EQ(host.modalWindows, QStringList{QStringLiteral("frmMsgBox")});
}

} // namespace
