// Where the main window appears: on the part of the screen the desktop's
// panels leave free, with its title bar in reach, and in the same place
// after a change of student.
#include "frame/program.h"
#include "shell/frm_main.h"
#include "students/frm_login.h"
#include "students/frm_new_user.h"
#include "support/fake_host.h"
#include "support/test_env.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

class MainWindowPlacementTest : public ::testing::Test {
protected:
    MainWindowPlacementTest() : program(host, env.settings()) { env.installTemplate(); }

    static void click(QAbstractButton *button) { QTest::mouseClick(button, Qt::LeftButton); }

    // Starts the program: the login window is up, the main window not yet.
    void start() {
        main = std::make_unique<frmMain>(program);
        main->Form_Load();
        ASSERT_FALSE(program.ended);
        ASSERT_NE(main->loginWindow(), nullptr);
    }

    // The first student is created in the profile editor (the welcome
    // message closes by itself) and logs in.
    void createAndLogIn() {
        frmLogin &login = *main->loginWindow();
        host.onNextModal([](QWidget &window) {
            auto *editor = qobject_cast<frmNewUser *>(&window);
            ASSERT_NE(editor, nullptr) << window.objectName().toStdString();
            QTest::keyClicks(editor->txtFirst, QStringLiteral("Ann"));
            QTest::keyClicks(editor->txtLast, QStringLiteral("Lee"));
            click(editor->btnEdit[0]);
        });
        click(login.btnLogin[1]);
        logIn();
    }

    // The student listed first logs in.
    void logIn() {
        frmLogin &login = *main->loginWindow();
        ASSERT_GT(login.ListView1->topLevelItemCount(), 0);
        login.ListView1->setCurrentItem(login.ListView1->topLevelItem(0));
        click(login.btnLogin[0]);
        ASSERT_TRUE(main->isVisible());
    }

    QString warning() const {
        return program.captions[16] + QStringLiteral("\r\n\r\n") + program.captions[1];
    }

    TestEnv env;
    FakeHost host;
    Program program;
    std::unique_ptr<frmMain> main;
};

TEST_F(MainWindowPlacementTest, WindowLargerThanTheFreeAreaWarnsAndKeepsItsTitleBarOnScreen) {
    // An 800 x 600 screen whose top panel leaves 800 x 572: more than
    // 460,000 pixels, but the window with its title bar is taller.
    host.screen = QSize(800, 600);
    host.available = QRect(0, 28, 800, 572);
    start();
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.lastBox().text, warning());
    EXPECT_EQ(vb::ButtonsOf(host.lastBox().style), vb::vbYesNo);
    EXPECT_FALSE(program.ended) << "Yes goes on";

    createAndLogIn();
    // The frame starts at the free area's top left: the title bar below the
    // panel, the rest showing as far as the screen allows.
    EXPECT_EQ(main->frameGeometry().topLeft(), QPoint(0, 28));
    EXPECT_EQ(main->size(), QSize(800, 620));
}

TEST_F(MainWindowPlacementTest, WindowThatFitsIsCentredOnTheFreeAreaWithoutWarning) {
    host.screen = QSize(1024, 768);
    host.available = QRect(0, 0, 1024, 728); // a panel along the bottom
    start();
    EXPECT_TRUE(host.boxes.empty()) << host.boxTexts().join(QLatin1Char('|')).toStdString();
    createAndLogIn();
    const QRect frame = main->frameGeometry();
    EXPECT_LE(std::abs(frame.center().x() - host.available.center().x()), 1);
    EXPECT_LE(std::abs(frame.center().y() - host.available.center().y()), 1);
}

TEST_F(MainWindowPlacementTest, ChangeOfStudentKeepsTheWindowWhereItWas) {
    start();
    createAndLogIn();
    const QRect centred = main->geometry();

    // Shown again after a change of student, the window has not moved.
    click(main->btnChangeUser);
    ASSERT_FALSE(main->isVisible());
    logIn();
    EXPECT_EQ(main->geometry(), centred);

    // Nor when the user had moved it elsewhere.
    main->move(40, 50);
    const QRect moved = main->geometry();
    ASSERT_NE(moved, centred);
    click(main->btnChangeUser);
    logIn();
    EXPECT_EQ(main->geometry(), moved);
    EXPECT_EQ(main->frameGeometry().topLeft(), QPoint(40, 50));
}

} // namespace
