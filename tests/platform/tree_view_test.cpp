#include "platform/tree_view.h"

#include <QSignalSpy>

#include <stdexcept>

#include <gtest/gtest.h>

namespace {

// Two folders with subjects and phrases, built in an interleaved order so
// that creation order and tree order differ:
//   1 A            2 B
//   3 A/a1         4 B/b1
//   5 A/a1/p1      6 A/a2
//   7 A/a1/p2      8 B/b2
struct Sample {
    TreeView tree;
    Sample() {
        tree.Add(0, "A", "FOLDER*A");
        tree.Add(0, "B", "FOLDER*B");
        tree.Add(1, "a1", "SUBJECT*a1");
        tree.Add(2, "b1", "SUBJECT*b1");
        tree.Add(3, "p1", "f*1*x*y*z");
        tree.Add(1, "a2", "SUBJECT*a2");
        tree.Add(3, "p2", "f*2*x*y*z");
        tree.Add(2, "b2", "SUBJECT*b2");
    }
    QStringList texts() const {
        QStringList all;
        for (int i = 1; i <= tree.Count(); ++i)
            all << tree.Text(i);
        return all;
    }
};

} // namespace

TEST(TreeView, IndexesFollowCreationOrderAndRelationsFollowTheTree) {
    Sample s;
    TreeView &t = s.tree;
    EXPECT_EQ(s.texts(), QStringList({"A", "B", "a1", "b1", "p1", "a2", "p2", "b2"}));

    EXPECT_EQ(t.Parent(1), 0);
    EXPECT_EQ(t.Parent(5), 3);
    EXPECT_EQ(t.Parent(8), 2);
    EXPECT_EQ(t.Child(1), 3);
    EXPECT_EQ(t.Child(3), 5);
    EXPECT_EQ(t.Child(5), 0);
    EXPECT_EQ(t.Children(1), 2);
    EXPECT_EQ(t.Children(3), 2);
    EXPECT_EQ(t.Children(7), 0);
    EXPECT_EQ(t.ChildAt(2, 1), 8);
    EXPECT_EQ(t.ChildAt(2, 2), 0);
    EXPECT_EQ(t.ChildAt(2, -1), 0);

    // Siblings: the phrases of a1 run from first to last sibling.
    EXPECT_EQ(t.FirstSibling(7), 5);
    EXPECT_EQ(t.LastSibling(5), 7);
    EXPECT_EQ(t.Next(5), 7);
    EXPECT_EQ(t.Next(7), 0);
    EXPECT_EQ(t.FirstSibling(8), 4);
    EXPECT_EQ(t.LastSibling(4), 8);
    EXPECT_EQ(t.Next(3), 6);
    // Root nodes are siblings too.
    EXPECT_EQ(t.FirstSibling(2), 1);
    EXPECT_EQ(t.LastSibling(1), 2);
    EXPECT_EQ(t.Next(1), 2);
    EXPECT_EQ(t.Next(2), 0);
}

TEST(TreeView, AddStoresTheNodesPropertiesAndReturnsItsIndex) {
    TreeView t;
    EXPECT_EQ(t.Add(0, "Folder", "FOLDER*X", 1), 1);
    EXPECT_EQ(t.Add(1, "Subject", "SUBJECT*s.ito", 5, 6), 2);
    EXPECT_EQ(t.Tag(2), "SUBJECT*s.ito");
    EXPECT_EQ(t.Image(2), 5);
    EXPECT_EQ(t.SelectedImage(2), 6);
    EXPECT_EQ(t.SelectedImage(1), 0);
    EXPECT_FALSE(t.Bold(1));
    EXPECT_FALSE(t.Expanded(1));

    t.SetText(1, "Renamed");
    t.SetTag(1, "FOLDER*Y");
    t.SetBold(1, true);
    t.SetImage(2, 11);
    t.SetSelectedImage(2, 11);
    t.SetExpanded(1, true);
    EXPECT_EQ(t.Text(1), "Renamed");
    EXPECT_EQ(t.Tag(1), "FOLDER*Y");
    EXPECT_TRUE(t.Bold(1));
    EXPECT_EQ(t.Image(2), 11);
    EXPECT_EQ(t.SelectedImage(2), 11);
    EXPECT_TRUE(t.Expanded(1));
}

TEST(TreeView, RemovingANodeTakesItsDescendantsAndShiftsLaterIndexesDown) {
    Sample s;
    TreeView &t = s.tree;
    t.Remove(3); // a1 with p1 and p2
    EXPECT_EQ(t.Count(), 5);
    EXPECT_EQ(s.texts(), QStringList({"A", "B", "b1", "a2", "b2"}));
    EXPECT_EQ(t.Child(1), 4);
    EXPECT_EQ(t.Children(1), 1);
    EXPECT_EQ(t.Parent(4), 1);
    EXPECT_EQ(t.FirstSibling(5), 3);
    EXPECT_EQ(t.Next(3), 5);

    // Removing the current first child repeatedly empties a folder.
    const int children = t.Children(2);
    for (int i = 0; i < children; ++i)
        t.Remove(t.Child(2));
    EXPECT_EQ(t.Children(2), 0);
    EXPECT_EQ(s.texts(), QStringList({"A", "B", "a2"}));

    // A new node takes the next index after the remaining ones.
    EXPECT_EQ(t.Add(2, "b3"), 4);
    EXPECT_EQ(t.Child(2), 4);

    t.Remove(1);
    EXPECT_EQ(s.texts(), QStringList({"B", "b3"}));
    EXPECT_EQ(t.Parent(2), 1);
    EXPECT_EQ(t.FirstSibling(1), 1);
    EXPECT_EQ(t.LastSibling(1), 1);
}

TEST(TreeView, SelectionFollowsTheNodeAndIsClearedWhenItsNodeGoes) {
    Sample s;
    TreeView &t = s.tree;
    EXPECT_EQ(t.Selected(), 0);
    t.Select(8);
    EXPECT_EQ(t.Selected(), 8);

    // Removing an earlier node moves the selected node's index, not the selection.
    t.Remove(3);
    EXPECT_EQ(t.Selected(), 5);
    EXPECT_EQ(t.Text(t.Selected()), "b2");

    t.Remove(2); // the selected node's parent
    EXPECT_EQ(t.Selected(), 0);

    t.Select(2);
    t.Remove(2);
    EXPECT_EQ(t.Selected(), 0);

    t.Select(1);
    t.Select(0);
    EXPECT_EQ(t.Selected(), 0);
}

TEST(TreeView, SelectingANodeExpandsItsAncestors) {
    Sample s;
    TreeView &t = s.tree;
    QSignalSpy expanded(&t, &TreeView::expandedChanged);
    t.Select(7);
    EXPECT_TRUE(t.Expanded(3));
    EXPECT_TRUE(t.Expanded(1));
    EXPECT_FALSE(t.Expanded(2));
    EXPECT_FALSE(t.Expanded(7));
    EXPECT_EQ(expanded.count(), 2);
}

TEST(TreeView, SignalsTellAViewWhatChanged) {
    Sample s;
    TreeView &t = s.tree;
    QSignalSpy added(&t, &TreeView::nodeAdded);
    QSignalSpy removed(&t, &TreeView::nodeAboutToBeRemoved);
    QSignalSpy changed(&t, &TreeView::nodeChanged);
    QSignalSpy expanded(&t, &TreeView::expandedChanged);
    QSignalSpy selection(&t, &TreeView::selectionChanged);
    QSignalSpy cleared(&t, &TreeView::cleared);

    const int index = t.Add(4, "b1 phrase");
    ASSERT_EQ(added.count(), 1);
    EXPECT_EQ(added[0][0].value<const TreeView::Node *>(), t.NodeAt(index));

    t.SetImage(1, 2);
    t.SetImage(1, 2); // no change, no signal
    t.SetBold(1, true);
    EXPECT_EQ(changed.count(), 2);

    t.SetExpanded(1, true);
    t.SetExpanded(1, true);
    t.SetExpanded(1, false);
    ASSERT_EQ(expanded.count(), 2);
    EXPECT_FALSE(expanded[1][1].toBool());

    t.Select(index);
    EXPECT_EQ(selection.count(), 1);
    // One removal signal for the removed node itself, sent while it is
    // still in the tree.
    const TreeView::Node *b = t.NodeAt(2);
    QObject::connect(&t, &TreeView::nodeAboutToBeRemoved, &t,
                     [&](const TreeView::Node *node) { EXPECT_EQ(t.IndexOf(node), 2); });
    t.Remove(2);
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed[0][0].value<const TreeView::Node *>(), b);
    EXPECT_EQ(t.IndexOf(b), 0);
    ASSERT_EQ(selection.count(), 2);
    EXPECT_EQ(selection[1][0].value<const TreeView::Node *>(), nullptr);

    t.Clear();
    EXPECT_EQ(cleared.count(), 1);
    EXPECT_EQ(t.Count(), 0);
    EXPECT_EQ(t.Selected(), 0);
}

TEST(TreeView, BadIndexesThrow) {
    Sample s;
    TreeView &t = s.tree;
    EXPECT_THROW(t.Text(0), std::out_of_range);
    EXPECT_THROW(t.Text(9), std::out_of_range);
    EXPECT_THROW(t.Tag(-1), std::out_of_range);
    EXPECT_THROW(t.Child(9), std::out_of_range);
    EXPECT_THROW(t.FirstSibling(0), std::out_of_range);
    EXPECT_THROW(t.Add(9, "x"), std::out_of_range);
    EXPECT_THROW(t.Remove(9), std::out_of_range);
    EXPECT_THROW(t.Select(9), std::out_of_range);
    EXPECT_THROW(t.SetImage(0, 1), std::out_of_range);
    t.Remove(8);
    EXPECT_THROW(t.Text(8), std::out_of_range);
    EXPECT_EQ(t.Count(), 7);
}
