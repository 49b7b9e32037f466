// The activity buttons of the main window: shown from the catalogue, a
// press starts that activity on the selected subject, and closing the
// window takes the launch's files away.
#include "activities/activity_panel.h"
#include "activities/study_set.h"
#include "frame/mod_main.h"
#include "platform/tree_view_widget.h"
#include "shell/frm_main.h"
#include "subjects/subject_fixture.h"
#include "support/activity_fixture.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

void makeActivity(const QString &folder, const QString &name, const QColor &colour) {
    makeActivityProgram(folder + name);
    makeActivityDescriptor(folder + name + QStringLiteral(".cfg"), colour, colour);
}

class ActivityPanelTest : public SubjectTestBase {
protected:
    // A main window over the subject tree of the fixture, with the
    // activities of the Activities folder on its panel.
    std::unique_ptr<frmMain> mainWindow() {
        auto main = std::make_unique<frmMain>(program);
        main->File1.SetPattern(File1.Pattern());
        main->File1.SetPath(File1.Path());
        main->subjectTree().Create_Folders();
        main->subjectTree().Get_Subjects();
        activities::Point_Activity_List(main->FileAct, program.folders.activitiesFolder);
        main->Get_Activities();
        return main;
    }
};

TEST_F(ActivityPanelTest, APressStartsThatActivityAndClosingTakesItsFilesAway) {
    program.identity.productTitle = QStringLiteral("Tolvanex Italiano");
    program.folders.activitiesFolder = env.programFolder() + QStringLiteral("Activities/");
    program.folders.dataFolder = env.programFolder();
    makeActivity(program.folders.activitiesFolder, QStringLiteral("Cards"), Qt::red);
    makeActivity(program.folders.activitiesFolder, QStringLiteral("Quiz"), Qt::blue);
    subject(QStringLiteral("Food.ito"), 2);

    auto main = mainWindow();
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));

    const QVector<ActivityButton *> &buttons = main->activityPanel().btnAct;
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_EQ(buttons[1]->accessibleName(), QStringLiteral("Quiz"));
    EXPECT_EQ(buttons[1]->x(), buttons[0]->x()) << "two activities: one column";
    EXPECT_GT(buttons[1]->y(), buttons[0]->y());

    main->TreeFolders.Select(main->TreeFolders.Child(1));
    QTest::mouseClick(buttons[1], Qt::LeftButton);
    EXPECT_EQ(host.startedPrograms,
              QStringList{program.folders.activitiesFolder + QStringLiteral("Quiz ") +
                          activities::Study_File_Name(program)});
    EXPECT_TRUE(main->isEnabled());
    ASSERT_TRUE(QFile::exists(activities::Sound_File_Path(program, 2)));

    // The keyboard reaches a button and Enter presses it.
    buttons[0]->setFocus();
    QTest::keyClick(buttons[0], Qt::Key_Return);
    QTRY_COMPARE(host.startedPrograms.size(), 2);
    EXPECT_TRUE(host.startedPrograms.last().startsWith(program.folders.activitiesFolder +
                                                       QStringLiteral("Cards ")));

    // The mouse over a button highlights it; over the window background, no longer.
    QMouseEvent overButton(QEvent::MouseMove, QPointF(3, 3), buttons[1]->mapToGlobal(QPointF(3, 3)),
                           Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(buttons[1], &overButton);
    EXPECT_TRUE(buttons[1]->Highlighted());
    QMouseEvent overBackground(QEvent::MouseMove, QPointF(3, 3),
                               main->centralWidget()->mapToGlobal(QPointF(3, 3)), Qt::NoButton,
                               Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(main->centralWidget(), &overBackground);
    EXPECT_FALSE(buttons[1]->Highlighted());

    main->close();
    EXPECT_FALSE(QFile::exists(activities::Sound_File_Path(program, 2)));
    EXPECT_FALSE(QFile::exists(activities::Study_File_Path(program)));
}

// With more buttons than the panel shows, Tab scrolls each one into view and
// reaches the link under the last; Shift+Tab leaves the link again.
TEST_F(ActivityPanelTest, EveryButtonAndTheLinkAreReachableByTabWhenTheyDoNotFit) {
    program.folders.activitiesFolder = env.programFolder() + QStringLiteral("Activities/");
    for (int i = 0; i < 17; ++i)
        makeActivity(program.folders.activitiesFolder, QStringLiteral("Game%1").arg(i, 2, 10,
                                                                                  QLatin1Char('0')),
                     Qt::red);
    auto main = mainWindow();
    main->show();
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    ActivityPanel &panel = main->activityPanel();
    ASSERT_EQ(panel.btnAct.size(), 17);
    EXPECT_TRUE(panel.VScroll->isVisible());

    const auto shownWhole = [&](QWidget *control) {
        const QRect inHolder(control->mapTo(main->PicActsHolder, QPoint(0, 0)), control->size());
        return main->PicActsHolder->rect().contains(inHolder);
    };
    main->TreeFoldersView->setFocus();
    for (ActivityButton *button : std::as_const(panel.btnAct)) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), static_cast<QWidget *>(button));
        EXPECT_TRUE(shownWhole(button)) << button->objectName().toStdString();
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), static_cast<QWidget *>(main->lblMoreActs));
    EXPECT_TRUE(shownWhole(main->lblMoreActs));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget *>(panel.btnAct.last()));
    // Back at the top, the first button shows again.
    for (int i = 0; i < 16; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_EQ(QApplication::focusWidget(), static_cast<QWidget *>(panel.btnAct.first()));
    EXPECT_TRUE(shownWhole(panel.btnAct.first()));
    main->close();
}

TEST_F(ActivityPanelTest, AnEmptyCatalogueSaysWhereActivitiesBelong) {
    program.folders.activitiesFolder = env.programFolder() + QStringLiteral("Activities/");
    QDir().mkpath(program.folders.activitiesFolder);
    program.captions.Set(caption::NoActivities, QStringLiteral("None in %1"));
    auto main = mainWindow();
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    QLabel *said = main->activityPanel().lblNoActivities;
    EXPECT_TRUE(said->isVisible());
    EXPECT_EQ(said->text(),
              QStringLiteral("None in ") +
                  QDir::toNativeSeparators(program.folders.activitiesFolder));
    EXPECT_GE(main->lblMoreActs->y(), said->y() + said->height());
    main->close();
}

} // namespace

namespace {

TEST_F(ActivityPanelTest, KeyboardAloneOpensASubjectStartsAnActivityAndFollowsALink) {
    program.identity.productTitle = QStringLiteral("Tolvanex Italiano");
    program.folders.activitiesFolder = env.programFolder() + QStringLiteral("Activities/");
    program.folders.dataFolder = env.programFolder();
    program.captions.Set(94, QStringLiteral("https://site.example/"));
    makeActivity(program.folders.activitiesFolder, QStringLiteral("Cards"), Qt::red);
    subject(QStringLiteral("Food.ito"), 2);

    auto main = mainWindow();
    main->lblMenu[0]->setText(QStringLiteral("Home"));
    main->lblMenu[0]->setProperty("Tag", QStringLiteral("index.htm"));
    main->lblMenu[0]->setVisible(true);
    main->show();
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));

    // The tree first: the arrow keys walk to the subject.
    main->TreeFoldersView->setFocus();
    const auto selectedText = [&] {
        return main->TreeFolders.Text(main->TreeFolders.Selected()).trimmed();
    };
    for (int i = 0; i < 5 && selectedText() != QStringLiteral("Food"); ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    ASSERT_EQ(selectedText(), QStringLiteral("Food"));

    // Tab reaches the activity button; Enter starts the activity on the subject.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), static_cast<QWidget *>(main->activityPanel().btnAct[0]));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_COMPARE(host.startedPrograms.size(), 1);
    // The window was disabled during the launch; the focus is back on the button.
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget *>(main->activityPanel().btnAct[0]));

    // On through the buttons to the menu: its link slides the menu in and
    // Space opens the page.
    for (int i = 0;
         i < 12 && QApplication::focusWidget() != static_cast<QWidget *>(main->lblMenu[0]); ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), static_cast<QWidget *>(main->lblMenu[0]));
    EXPECT_TRUE(main->TimShowMenu->isActive());
    EXPECT_TRUE(main->lblMenu[0]->font().underline());
    host.connected = true;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(host.openedUrls, QStringList{QStringLiteral("https://site.example/index.htm")});
    main->close();
}

} // namespace
