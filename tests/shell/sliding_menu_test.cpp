// The sliding menu of web links and the hover feedback of the main window:
// the menu slides in over its strip and out when the mouse moves elsewhere,
// its links and the web-site label underline and open their pages, and the
// window background resets every highlight.
#include "activities/activity_panel.h"
#include "frame/program.h"
#include "platform/twips.h"
#include "shell/frm_main.h"
#include "shell/sliding_menu.h"
#include "shell/ticker.h"
#include "support/fake_host.h"
#include "support/test_env.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

void sendMouse(QWidget *widget, QEvent::Type type = QEvent::MouseMove) {
    const QPointF at(3, 3);
    const bool move = type == QEvent::MouseMove;
    QMouseEvent event(type, at, widget->mapToGlobal(at), move ? Qt::NoButton : Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

bool underlined(const QLabel *label) {
    return label->font().underline();
}

QColor textColour(QLabel *label) {
    label->ensurePolished();
    return label->palette().color(QPalette::WindowText);
}

class SlidingMenuTest : public ::testing::Test {
protected:
    SlidingMenuTest() : program(host, env.settings()), main(program) {
        program.captions.Resize(200);
        program.captions.Set(94, QStringLiteral("https://www.tolvanex.example/"));
        program.folders.installedSubjectsFolder = env.programFolder() + QStringLiteral("Temi/");
        main.lblURL->setText(program.captions[94]);
        main.slidingMenu().Reset_Hidden();
    }
    // Ticks the running slide timer until it stops; returns the moves made.
    int slide() {
        SlidingMenu &menu = main.slidingMenu();
        int moves = 0;
        for (int guard = 0; guard < 100; ++guard) {
            const int before = menu.Left();
            if (main.TimShowMenu->isActive())
                menu.TimShowMenu_Tick();
            else if (main.TimHideMenu->isActive())
                menu.TimHideMenu_Tick();
            else
                return moves;
            moves += menu.Left() != before;
        }
        ADD_FAILURE() << "the menu never stopped";
        return moves;
    }
    void placeLinks() {
        main.lblMenu[0]->setText(QStringLiteral("Home"));
        main.lblMenu[0]->setProperty("Tag", QStringLiteral("index.htm"));
        auto *second = new QLabel(QStringLiteral("Courses"), main.picMenu);
        second->setProperty("Tag", QStringLiteral("courses.htm"));
        main.lblMenu << second;
        main.slidingMenu().Watch_Link(second);
    }

    TestEnv env;
    FakeHost host;
    Program program;
    frmMain main;
};

TEST_F(SlidingMenuTest, SlidesInOverItsStripAndOutWhenTheMouseLeaves) {
    SlidingMenu &menu = main.slidingMenu();
    EXPECT_EQ(menu.Left(), 100 - 3885);
    // Already out: a move over the background starts no timer at all.
    sendMouse(main.centralWidget());
    EXPECT_FALSE(main.TimHideMenu->isActive());

    sendMouse(main.picMenu);
    EXPECT_TRUE(main.TimShowMenu->isActive());
    // Moving on from the panel to its heading or a link keeps it sliding in.
    sendMouse(main.lblCaption);
    sendMouse(main.lblMenu[0]);
    EXPECT_TRUE(main.TimShowMenu->isActive());
    EXPECT_EQ(slide(), 15);
    EXPECT_EQ(menu.Left(), -35);
    EXPECT_EQ(main.picMenu->x(), TwipsToPixels(-35));
    EXPECT_FALSE(main.picMenu->isHidden());

    sendMouse(main.centralWidget());
    EXPECT_TRUE(main.TimHideMenu->isActive());
    EXPECT_FALSE(main.TimShowMenu->isActive());
    // Halfway out the mouse comes back: the panel turns where it is.
    for (int i = 0; i < 6; ++i)
        menu.TimHideMenu_Tick();
    EXPECT_EQ(menu.Left(), -35 - 6 * 250);
    sendMouse(main.picMenu);
    EXPECT_EQ(slide(), 6);
    EXPECT_EQ(menu.Left(), -35);

    // The logo, the ticker text and the subject tree also send it out.
    for (QWidget *elsewhere :
         {static_cast<QWidget *>(main.imgLogo), static_cast<QWidget *>(main.lblMsg)}) {
        sendMouse(main.picMenu);
        slide();
        sendMouse(elsewhere);
        EXPECT_TRUE(main.TimHideMenu->isActive()) << elsewhere->objectName().toStdString();
        EXPECT_EQ(slide(), 15);
        EXPECT_EQ(menu.Left(), -3785);
    }
}

TEST_F(SlidingMenuTest, LinksUnderlineOneAtATimeAndOpenTheirPages) {
    placeLinks();
    host.connected = true;
    QLabel *home = main.lblMenu[0];
    QLabel *courses = main.lblMenu[1];
    sendMouse(home);
    EXPECT_TRUE(underlined(home));
    sendMouse(courses);
    EXPECT_TRUE(underlined(courses));
    EXPECT_FALSE(underlined(home));

    sendMouse(courses, QEvent::MouseButtonPress);
    EXPECT_EQ(textColour(courses), QColor(Qt::black));
    sendMouse(courses, QEvent::MouseButtonRelease);
    EXPECT_EQ(textColour(courses), QColor(Qt::white));
    EXPECT_EQ(host.openedUrls,
              QStringList{QStringLiteral("https://www.tolvanex.example/courses.htm")});
    ASSERT_EQ(host.sounds.size(), 1u);
    EXPECT_TRUE(host.sounds[0].async);

    // The web-site label opens its own text; the panel takes every underline away.
    sendMouse(main.lblURL);
    EXPECT_TRUE(underlined(main.lblURL));
    sendMouse(main.lblURL, QEvent::MouseButtonPress);
    sendMouse(main.lblURL, QEvent::MouseButtonRelease);
    EXPECT_EQ(host.openedUrls.last(), QStringLiteral("https://www.tolvanex.example/"));
    EXPECT_EQ(host.sounds.size(), 2u);
    sendMouse(main.picMenu);
    EXPECT_FALSE(underlined(main.lblURL));
    EXPECT_FALSE(underlined(courses));
}

TEST_F(SlidingMenuTest, BackgroundAndLogoResetTheHighlightsAndTheFolderButtonOpensSubjects) {
    program.ticker.messages = {QStringLiteral("News")};
    program.ticker.links = {QStringLiteral("news.htm")};
    program.ticker.messageCount = 1;
    main.ticker().Set_Pending(QStringLiteral("News"), QStringLiteral("news.htm"));
    main.Timer1->start();
    while (main.Timer1->isActive())
        main.ticker().Timer1_Tick();
    sendMouse(main.lblMsg);
    ASSERT_TRUE(underlined(main.lblMsg));
    sendMouse(main.imgLogo);
    EXPECT_FALSE(underlined(main.lblMsg));
    sendMouse(main.lblMsg);
    sendMouse(main.centralWidget());
    EXPECT_FALSE(underlined(main.lblMsg));

    main.btnOpenSubjectsFolder->click();
    EXPECT_EQ(host.openedFolders, QStringList{program.folders.installedSubjectsFolder});
}

} // namespace
