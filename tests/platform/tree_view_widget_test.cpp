#include "platform/image_list.h"
#include "platform/tree_view_widget.h"

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
    QStringList childTexts(QTreeWidgetItem *item) const {
        QStringList texts;
        for (int i = 0; i < item->childCount(); ++i)
            texts << item->child(i)->text(0);
        return texts;
    }
};

QColor colourOf(const QIcon &icon) {
    return icon.isNull() ? QColor() : icon.pixmap(16, 16).toImage().pixelColor(8, 8);
}

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
    EXPECT_EQ(t.widget.currentItem(), t.widget.ItemOf(4));

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
    EXPECT_EQ(t.widget.currentItem(), t.widget.ItemOf(3));
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

TEST(TreeViewWidget, MirrorsRemovalsAndKeepsIndexesOfTheRemainingNodes) {
    ShownTree t;
    t.nodes.SetExpanded(1, true);
    t.nodes.SetExpanded(2, true);
    t.nodes.Select(6);
    ASSERT_EQ(t.widget.topLevelItemCount(), 2);

    t.nodes.Remove(3); // Family with both phrases, the selected one among them
    EXPECT_EQ(t.nodes.Selected(), 0);
    EXPECT_EQ(t.widget.currentItem(), nullptr);
    EXPECT_TRUE(t.widget.selectedItems().isEmpty());
    EXPECT_EQ(t.childTexts(t.widget.topLevelItem(0)), QStringList({"Animals"}));

    // Indexes shifted down: 3 is now Animals, 4 Colours.
    EXPECT_EQ(t.widget.ItemOf(3)->text(0), "Animals");
    EXPECT_EQ(t.widget.ItemOf(4)->text(0), "Colours");
    EXPECT_EQ(t.widget.IndexOfItem(t.widget.topLevelItem(1)->child(0)), 4);
    QSignalSpy clicks(&t.widget, &TreeViewWidget::NodeClick);
    t.click(4);
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks[0][0].toInt(), 4);
    EXPECT_EQ(t.nodes.Text(t.nodes.Selected()), "Colours");

    t.nodes.Remove(2);
    EXPECT_EQ(t.widget.topLevelItemCount(), 1);
    t.nodes.Clear();
    EXPECT_EQ(t.widget.topLevelItemCount(), 0);
    EXPECT_EQ(t.nodes.Add(0, "again"), 1);
    EXPECT_EQ(t.widget.topLevelItem(0)->text(0), "again");
}

TEST(TreeViewWidget, ChildrenKeepTheirOrderOfCreation) {
    ShownTree t;
    t.nodes.Add(2, "Zebra");
    t.nodes.Add(2, "Apple");
    t.nodes.Add(0, "Beta");
    t.nodes.Add(0, "Alpha");
    EXPECT_EQ(t.childTexts(t.widget.topLevelItem(1)), QStringList({"Colours", "Zebra", "Apple"}));
    EXPECT_EQ(t.childTexts(t.widget.invisibleRootItem()),
              QStringList({"Installed", "Random", "Beta", "Alpha"}));
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
    EXPECT_TRUE(t.widget.ItemOf(1)->isExpanded());
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
    EXPECT_FALSE(t.widget.ItemOf(1)->isExpanded());
    EXPECT_EQ(collapses.count(), 2);

    // Selecting a hidden node opens its branch.
    t.nodes.Select(7);
    EXPECT_TRUE(t.widget.ItemOf(1)->isExpanded());
    EXPECT_TRUE(t.widget.ItemOf(3)->isExpanded());
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
    ImageList images(QSize(16, 16));
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::cyan, Qt::magenta, Qt::yellow};
    for (const QColor &colour : colours) {
        QPixmap pixmap(16, 16);
        pixmap.fill(colour);
        images.Add(pixmap);
    }
    t.widget.SetImageList(&images);
    t.nodes.SetBold(1, true);
    EXPECT_TRUE(t.widget.ItemOf(1)->font(0).bold());
    EXPECT_FALSE(t.widget.ItemOf(3)->font(0).bold());
    EXPECT_EQ(colourOf(t.widget.ItemOf(1)->icon(0)), QColor(Qt::red));
    EXPECT_TRUE(t.widget.ItemOf(6)->icon(0).isNull());

    t.nodes.SetExpanded(1, true);
    t.click(3);
    EXPECT_EQ(colourOf(t.widget.ItemOf(3)->icon(0)), QColor(Qt::yellow));  // picture 6
    EXPECT_EQ(colourOf(t.widget.ItemOf(4)->icon(0)), QColor(Qt::magenta)); // picture 5
    t.click(4);
    EXPECT_EQ(colourOf(t.widget.ItemOf(3)->icon(0)), QColor(Qt::magenta));
    EXPECT_EQ(colourOf(t.widget.ItemOf(4)->icon(0)), QColor(Qt::yellow));

    // A node without a selected picture keeps its picture when selected.
    t.click(1);
    EXPECT_EQ(colourOf(t.widget.ItemOf(1)->icon(0)), QColor(Qt::red));
    t.nodes.SetImage(1, 2);
    EXPECT_EQ(colourOf(t.widget.ItemOf(1)->icon(0)), QColor(Qt::green));
    t.nodes.SetText(1, "Soggetti");
    EXPECT_EQ(t.widget.ItemOf(1)->text(0), "Soggetti");
}

TEST(TreeViewWidget, ShowsANodeCollectionThatWasFilledBefore) {
    TreeView nodes;
    nodes.Add(0, "Folder");
    nodes.Add(1, "Subject");
    nodes.Add(2, "Phrase");
    nodes.Select(3);
    TreeViewWidget widget(nodes);
    ASSERT_EQ(widget.topLevelItemCount(), 1);
    EXPECT_EQ(widget.ItemOf(3)->text(0), "Phrase");
    EXPECT_EQ(widget.currentItem(), widget.ItemOf(3));
    EXPECT_TRUE(widget.ItemOf(2)->isExpanded());
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
