#include "platform/image_list.h"
#include "platform/tree_view_widget.h"

#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A shown tree: folder 1 with subjects 3 and 4, folder 2 with subject 5,
// subject 3 holding phrases 6 and 7.
struct ShownTree {
    TreeViewWidget widget;
    TreeView &nodes = widget.Nodes();
    ShownTree() {
        nodes.Add(0, "Installed", "FOLDER*INSTALLED_SUBJECTS", 1);
        nodes.Add(0, "Random", "FOLDER*RANDOM_SUBJECT", 1);
        nodes.Add(1, "Family", "SUBJECT*family.ito", 5, 6);
        nodes.Add(1, "Animals", "SUBJECT*animals.ito", 5, 6);
        nodes.Add(2, "Colours", "SUBJECT*colours.ito", 5, 6);
        nodes.Add(3, "mother", "family.ito*1*madre*mother*mother");
        nodes.Add(3, "father", "family.ito*2*padre*father*father");
        widget.resize(300, 400);
        widget.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&widget));
    }
    void click(int index, Qt::MouseButton button = Qt::LeftButton) {
        const QRect rect = widget.NodeRect(index);
        ASSERT_FALSE(rect.isEmpty()) << "node " << index << " is not shown";
        QTest::mouseClick(widget.viewport(), button, {}, rect.center());
    }
    // The events of a real double click: press, release, double click, release.
    void doubleClick(int index) {
        const QPoint at = widget.NodeRect(index).center();
        QTest::mouseClick(widget.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(widget.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(widget.viewport(), Qt::LeftButton, {}, at);
    }
    // The texts the view shows under a node (0 for the top level).
    QStringList childTexts(int index) const {
        const QModelIndex parent = widget.ModelIndexOf(index);
        QStringList texts;
        for (int row = 0; row < widget.model()->rowCount(parent); ++row)
            texts << widget.model()->index(row, 0, parent).data().toString();
        return texts;
    }
    QModelIndex at(int index) const { return widget.ModelIndexOf(index); }
    bool shownExpanded(int index) const { return widget.isExpanded(at(index)); }
    QColor colourOf(int index) const {
        const QIcon icon = at(index).data(Qt::DecorationRole).value<QIcon>();
        return icon.isNull() ? QColor() : icon.pixmap(16, 16).toImage().pixelColor(8, 8);
    }
    bool shownBold(int index) const { return at(index).data(Qt::FontRole).value<QFont>().bold(); }
};

} // namespace

TEST(TreeViewWidget, AClickSelectsTheNodeAndRaisesNodeClickWithItsIndex) {
    ShownTree t;
    t.nodes.SetExpanded(1, true);
    t.nodes.SetExpanded(3, true);
    QSignalSpy clicks(&t.widget, &TreeViewWidget::NodeClick);
    int selectedAtClick = -1;
    QObject::connect(&t.widget, &TreeViewWidget::NodeClick,
                     [&](int) { selectedAtClick = t.nodes.Selected(); });

    t.click(4);
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks[0][0].toInt(), 4);
    EXPECT_EQ(selectedAtClick, 4) << "the selection is updated before the event";
    EXPECT_EQ(t.widget.currentIndex(), t.at(4));

    t.click(7);
    ASSERT_EQ(clicks.count(), 2);
    EXPECT_EQ(clicks[1][0].toInt(), 7);
    EXPECT_EQ(t.nodes.Selected(), 7);

    // Clicking the selected node again raises the event again.
    t.click(7);
    ASSERT_EQ(clicks.count(), 3);
    EXPECT_EQ(clicks[2][0].toInt(), 7);
}

TEST(TreeViewWidget, ARightClickReportsTheButtonAndKeepsTheSelection) {
    ShownTree t;
    t.nodes.SetExpanded(1, true);
    t.nodes.Select(3);
    QSignalSpy clicks(&t.widget, &TreeViewWidget::NodeClick);
    QSignalSpy downs(&t.widget, &TreeViewWidget::MouseDown);
    QSignalSpy ups(&t.widget, &TreeViewWidget::MouseUp);

    t.click(4, Qt::RightButton);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(t.nodes.Selected(), 3);
    EXPECT_EQ(t.widget.currentIndex(), t.at(3));
    ASSERT_EQ(downs.count(), 1);
    EXPECT_EQ(downs[0][0].toInt(), 2);
    EXPECT_EQ(ups.count(), 1);

    const QRect rect = t.widget.NodeRect(2);
    QTest::mouseClick(t.widget.viewport(), Qt::LeftButton, Qt::ShiftModifier, rect.center());
    ASSERT_EQ(downs.count(), 2);
    EXPECT_EQ(downs[1][0].toInt(), 1);
    EXPECT_EQ(downs[1][1].toInt(), 1);
    // Positions are in twips, from the control's corner.
    const QPoint inWidget = t.widget.viewport()->mapTo(&t.widget, rect.center());
    EXPECT_EQ(downs[1][2].toInt(), inWidget.x() * 15);
    EXPECT_EQ(downs[1][3].toInt(), inWidget.y() * 15);
}

TEST(TreeViewWidget, DoubleClickAndMouseMoveAreReported) {
    ShownTree t;
    QSignalSpy doubles(&t.widget, &TreeViewWidget::DblClick);
    QSignalSpy moves(&t.widget, &TreeViewWidget::MouseMove);
    QTest::mouseMove(t.widget.viewport(), t.widget.NodeRect(2).center());
    EXPECT_GE(moves.count(), 1);
    t.doubleClick(2);
    EXPECT_EQ(doubles.count(), 1);
}

TEST(TreeViewWidget, FollowsRemovalsAndKeepsIndexesOfTheRemainingNodes) {
    ShownTree t;
    t.nodes.SetExpanded(1, true);
    t.nodes.SetExpanded(2, true);
    t.nodes.Select(6);
    ASSERT_EQ(t.childTexts(0), QStringList({"Installed", "Random"}));

    t.nodes.Remove(3); // Family with both phrases, the selected one among them
    EXPECT_EQ(t.nodes.Selected(), 0);
    EXPECT_FALSE(t.widget.currentIndex().isValid());
    EXPECT_TRUE(t.widget.selectionModel()->selectedIndexes().isEmpty());
    EXPECT_EQ(t.childTexts(1), QStringList({"Animals"}));

    // Indexes shifted down: 3 is now Animals, 4 Colours.
    EXPECT_EQ(t.at(3).data().toString(), "Animals");
    EXPECT_EQ(t.at(4).data().toString(), "Colours");
    EXPECT_EQ(t.nodes.IndexOf(t.widget.model()->index(0, 0, t.at(2))), 4);
    QSignalSpy clicks(&t.widget, &TreeViewWidget::NodeClick);
    t.click(4);
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks[0][0].toInt(), 4);
    EXPECT_EQ(t.nodes.Text(t.nodes.Selected()), "Colours");

    t.nodes.Remove(2);
    EXPECT_EQ(t.childTexts(0), QStringList({"Installed"}));
    t.nodes.Clear();
    EXPECT_EQ(t.widget.model()->rowCount(), 0);
    EXPECT_FALSE(t.widget.currentIndex().isValid());
    EXPECT_EQ(t.nodes.Add(0, "again"), 1);
    EXPECT_EQ(t.childTexts(0), QStringList({"again"}));
    EXPECT_FALSE(t.widget.NodeRect(1).isEmpty());
}

TEST(TreeViewWidget, ChildrenKeepTheirOrderOfCreation) {
    ShownTree t;
    t.nodes.Add(2, "Zebra");
    t.nodes.Add(2, "Apple");
    t.nodes.Add(0, "Beta");
    t.nodes.Add(0, "Alpha");
    EXPECT_EQ(t.childTexts(2), QStringList({"Colours", "Zebra", "Apple"}));
    EXPECT_EQ(t.childTexts(0), QStringList({"Installed", "Random", "Beta", "Alpha"}));
}

TEST(TreeViewWidget, ExpandingFollowsTheNodesEitherWay) {
    ShownTree t;
    QSignalSpy expands(&t.widget, &TreeViewWidget::Expand);
    QSignalSpy collapses(&t.widget, &TreeViewWidget::Collapse);
    bool expandedAtEvent = false;
    QObject::connect(&t.widget, &TreeViewWidget::Expand,
                     [&](int index) { expandedAtEvent = t.nodes.Expanded(index); });

    // By code.
    t.nodes.SetExpanded(1, true);
    EXPECT_TRUE(t.shownExpanded(1));
    ASSERT_EQ(expands.count(), 1);
    EXPECT_EQ(expands[0][0].toInt(), 1);

    // By the user: a key on the current node, and a double click.
    t.nodes.Select(2);
    t.widget.setFocus();
    QTest::keyClick(&t.widget, Qt::Key_Right);
    EXPECT_TRUE(t.nodes.Expanded(2));
    ASSERT_EQ(expands.count(), 2);
    EXPECT_EQ(expands[1][0].toInt(), 2);
    EXPECT_TRUE(expandedAtEvent);

    QTest::keyClick(&t.widget, Qt::Key_Left);
    EXPECT_FALSE(t.nodes.Expanded(2));
    ASSERT_EQ(collapses.count(), 1);
    EXPECT_EQ(collapses[0][0].toInt(), 2);

    t.doubleClick(1);
    EXPECT_FALSE(t.nodes.Expanded(1));
    EXPECT_FALSE(t.shownExpanded(1));
    EXPECT_EQ(collapses.count(), 2);

    // Selecting a hidden node opens its branch.
    t.nodes.Select(7);
    EXPECT_TRUE(t.shownExpanded(1));
    EXPECT_TRUE(t.shownExpanded(3));
    EXPECT_FALSE(t.widget.NodeRect(7).isEmpty());
}

TEST(TreeViewWidget, KeysMoveTheSelectionAndRaiseNodeClick) {
    ShownTree t;
    t.nodes.Select(1);
    t.widget.setFocus();
    QSignalSpy clicks(&t.widget, &TreeViewWidget::NodeClick);
    QTest::keyClick(&t.widget, Qt::Key_Down);
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks[0][0].toInt(), 2);
    EXPECT_EQ(t.nodes.Selected(), 2);
}

TEST(TreeViewWidget, ShowsTextBoldAndTheSelectedPicture) {
    ShownTree t;
    auto images = std::make_shared<ImageList>(QSize(16, 16));
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::cyan, Qt::magenta, Qt::yellow};
    for (const QColor &colour : colours) {
        QPixmap pixmap(16, 16);
        pixmap.fill(colour);
        images->Add(pixmap);
    }
    t.widget.SetImageList(images);
    t.nodes.SetBold(1, true);
    EXPECT_TRUE(t.shownBold(1));
    EXPECT_FALSE(t.shownBold(3));
    EXPECT_EQ(t.colourOf(1), QColor(Qt::red));
    EXPECT_FALSE(t.colourOf(6).isValid());

    t.nodes.SetExpanded(1, true);
    t.click(3);
    EXPECT_EQ(t.colourOf(3), QColor(Qt::yellow));  // picture 6
    EXPECT_EQ(t.colourOf(4), QColor(Qt::magenta)); // picture 5
    t.click(4);
    EXPECT_EQ(t.colourOf(3), QColor(Qt::magenta));
    EXPECT_EQ(t.colourOf(4), QColor(Qt::yellow));

    // A node without a selected picture keeps its picture when selected.
    t.click(1);
    EXPECT_EQ(t.colourOf(1), QColor(Qt::red));
    t.nodes.SetImage(1, 2);
    EXPECT_EQ(t.colourOf(1), QColor(Qt::green));
    t.nodes.SetText(1, "Soggetti");
    EXPECT_EQ(t.at(1).data().toString(), "Soggetti");
}

TEST(TreeViewWidget, ShowsANodeCollectionThatWasFilledBefore) {
    TreeView nodes;
    nodes.Add(0, "Folder");
    nodes.Add(1, "Subject");
    nodes.Add(2, "Phrase");
    nodes.Select(3);
    {
        TreeViewWidget widget(nodes);
        EXPECT_EQ(widget.model(), &nodes);
        ASSERT_EQ(widget.model()->rowCount(), 1);
        EXPECT_EQ(widget.currentIndex(), widget.ModelIndexOf(3));
        EXPECT_TRUE(widget.isExpanded(widget.ModelIndexOf(2)));
        EXPECT_TRUE(widget.isExpanded(widget.ModelIndexOf(1)));
    }
    // The collection outlives the widget.
    nodes.Add(3, "More");
    nodes.Remove(2);
    EXPECT_EQ(nodes.Count(), 1);
}

TEST(TreeViewWidget, AClickOnTheBranchSignTogglesWithoutChoosingTheNode) {
    ShownTree t;
    t.nodes.Select(2);
    QSignalSpy clicks(&t.widget, &TreeViewWidget::NodeClick);
    QSignalSpy expands(&t.widget, &TreeViewWidget::Expand);
    const QRect rect = t.widget.NodeRect(1);
    QTest::mouseClick(t.widget.viewport(), Qt::LeftButton, {},
                      QPoint(rect.left() - t.widget.indentation() / 2, rect.center().y()));
    EXPECT_TRUE(t.nodes.Expanded(1));
    EXPECT_EQ(expands.count(), 1);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(t.nodes.Selected(), 2);
}

TEST(TreeViewWidget, ABranchOpenWithoutChildrenShowsItsNewChildren) {
    ShownTree t;
    t.nodes.SetExpanded(1, true);
    t.nodes.SetExpanded(4, true); // no children yet
    const int first = t.nodes.Add(4, "first");
    QCoreApplication::processEvents();
    EXPECT_TRUE(t.shownExpanded(4));
    EXPECT_FALSE(t.widget.NodeRect(first).isEmpty());

    // Emptied and filled again, as the random folder is.
    t.nodes.SetExpanded(2, true);
    QSignalSpy collapses(&t.widget, &TreeViewWidget::Collapse);
    t.nodes.Remove(5);
    EXPECT_TRUE(t.nodes.Expanded(2));
    EXPECT_EQ(collapses.count(), 0);
    const int again = t.nodes.Add(2, "Numbers");
    QCoreApplication::processEvents();
    EXPECT_TRUE(t.shownExpanded(2));
    EXPECT_FALSE(t.widget.NodeRect(again).isEmpty());
}

TEST(TreeViewWidget, NodesAddedByCodeShowAtTheNextPaint) {
    ShownTree t;
    t.nodes.SetExpanded(1, true);
    t.nodes.SetExpanded(3, true);
    t.widget.viewport()->repaint();
    const QRect father = t.widget.NodeRect(7);
    for (int i = 0; i < 50; ++i)
        t.nodes.Add(3, QString::number(i));
    // Painted before the event loop runs: the view asks for no rows itself.
    t.widget.viewport()->repaint();
    const QPoint below = father.center() + QPoint(0, father.height());
    EXPECT_EQ(t.widget.indexAt(below).data().toString(), "0");
}
