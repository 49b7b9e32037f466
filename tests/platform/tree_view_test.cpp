#include "platform/image_list.h"
#include "platform/tree_view.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QFont>
#include <QIcon>
#include <QPixmap>
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

// Collects the warnings Qt's model checker gives while it lives.
struct WarningCollector {
    inline static QStringList *current = nullptr;
    QStringList messages;
    QtMessageHandler previous;
    WarningCollector() {
        current = &messages;
        previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext &, const QString &message) {
                if (type != QtDebugMsg && type != QtInfoMsg)
                    current->append(message);
            });
    }
    ~WarningCollector() {
        qInstallMessageHandler(previous);
        current = nullptr;
    }
    WarningCollector(const WarningCollector &) = delete;
    WarningCollector &operator=(const WarningCollector &) = delete;
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

// A value of the program's own, counting how many are alive.
struct Counted final : TreeNodeData {
    explicit Counted(QString t) : tag(std::move(t)) { ++alive; }
    ~Counted() override { --alive; }
    QString Tag() const override { return tag; }
    QString tag;
    static inline int alive = 0;
};

TEST(TreeView, ANodesValueFollowsItThroughShiftsGivesItsTagAndGoesWithIt) {
    TreeView t;
    const int first = t.Add(0, "first", std::make_shared<Counted>("a*b*c"));
    const int second = t.Add(0, "second", std::make_shared<Counted>("x"));
    t.Add(second, "child", QStringLiteral("plain*tag"));
    EXPECT_EQ(Counted::alive, 2);
    EXPECT_EQ(t.Tag(first), QStringLiteral("a*b*c"));
    EXPECT_EQ(t.Tag(3), QStringLiteral("plain*tag"));
    EXPECT_EQ(t.Data(3), nullptr);

    // Removing the first node shifts the others down; their values go along.
    t.Remove(first);
    EXPECT_EQ(Counted::alive, 1);
    EXPECT_EQ(t.Text(1), QStringLiteral("second"));
    ASSERT_NE(t.Data(1), nullptr);
    EXPECT_EQ(t.Data(1)->Tag(), QStringLiteral("x"));
    EXPECT_EQ(t.Tag(2), QStringLiteral("plain*tag"));

    // A value replaces a plain tag and the other way round.
    t.SetData(2, std::make_shared<Counted>("y"));
    EXPECT_EQ(t.Tag(2), QStringLiteral("y"));
    t.SetTag(1, QStringLiteral("z"));
    EXPECT_EQ(t.Data(1), nullptr);
    EXPECT_EQ(t.Tag(1), QStringLiteral("z"));
    t.Clear();
    EXPECT_EQ(Counted::alive, 0);
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
    t.Flush();
    QSignalSpy inserted(&t, &QAbstractItemModel::rowsInserted);
    QSignalSpy removing(&t, &QAbstractItemModel::rowsAboutToBeRemoved);
    QSignalSpy changed(&t, &QAbstractItemModel::dataChanged);
    QSignalSpy expanded(&t, &TreeView::expandedChanged);
    QSignalSpy selection(&t, &TreeView::selectionChanged);
    QSignalSpy reset(&t, &QAbstractItemModel::modelReset);

    const int index = t.Add(4, "b1 phrase");
    t.Flush();
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(t.IndexOf(inserted[0][0].value<QModelIndex>()), 4);
    EXPECT_EQ(inserted[0][1].toInt(), 0);

    t.SetImage(1, 2);
    t.SetImage(1, 2); // no change, no signal
    t.SetBold(1, true);
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(t.IndexOf(changed[1][0].value<QModelIndex>()), 1);

    t.SetExpanded(1, true);
    t.SetExpanded(1, true);
    t.SetExpanded(1, false);
    ASSERT_EQ(expanded.count(), 2);
    EXPECT_FALSE(expanded[1][1].toBool());

    changed.clear();
    t.Select(index);
    EXPECT_EQ(selection.count(), 1);
    // The selected node may show its selected picture.
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(t.IndexOf(changed[0][0].value<QModelIndex>()), index);

    // One removal for the removed node itself, told while it is still in
    // the tree.
    const TreeView::Node *b = t.NodeAt(2);
    QObject::connect(&t, &QAbstractItemModel::rowsAboutToBeRemoved, &t,
                     [&](const QModelIndex &parent, int first) {
                         EXPECT_EQ(t.IndexOf(t.index(first, 0, parent)), 2);
                         EXPECT_EQ(t.IndexOf(b), 2);
                     });
    t.Remove(2);
    ASSERT_EQ(removing.count(), 1);
    EXPECT_EQ(t.IndexOf(b), 0);
    ASSERT_EQ(selection.count(), 2);
    EXPECT_EQ(selection[1][0].value<const TreeView::Node *>(), nullptr);

    t.Clear();
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(t.Count(), 0);
    EXPECT_EQ(t.Selected(), 0);
    EXPECT_EQ(t.rowCount(), 0);
}

TEST(TreeView, TheModelShowsTheNodesInTreeOrder) {
    Sample s;
    TreeView &t = s.tree;
    const WarningCollector warnings;
    {
        QAbstractItemModelTester tester(&t,
                                        QAbstractItemModelTester::FailureReportingMode::Warning);
        t.Flush();
        EXPECT_EQ(t.rowCount(), 2);
        const QModelIndex a1 = t.ModelIndex(3);
        EXPECT_EQ(a1, t.index(0, 0, t.ModelIndex(1)));
        EXPECT_EQ(a1.data().toString(), "a1");
        EXPECT_EQ(t.rowCount(a1), 2);
        EXPECT_EQ(t.IndexOf(t.index(1, 0, a1)), 7);
        EXPECT_EQ(t.IndexOf(a1.parent()), 1);
        EXPECT_EQ(t.IndexOf(t.index(1, 0, t.ModelIndex(2))), 8);
        EXPECT_EQ(t.ModelIndex(0), QModelIndex());
        EXPECT_EQ(t.IndexOf(QModelIndex()), 0);
        EXPECT_THROW(t.ModelIndex(9), std::out_of_range);

        t.Add(3, "p3");
        t.Add(3, "p4");
        t.Add(0, "C");
        t.SetBold(9, true);
        t.Remove(3);
        t.Add(1, "a3");
        t.Select(3);
        t.Remove(1);
        EXPECT_EQ(t.rowCount(), 2);
        EXPECT_EQ(t.ModelIndex(1).data().toString(), "B");
        EXPECT_EQ(t.ModelIndex(t.Count()).data().toString(), "C");
        t.Clear();
        t.Add(0, "again");
        t.Flush();
    }
    EXPECT_TRUE(warnings.messages.isEmpty()) << warnings.messages.join('\n').toStdString();
}

// A node put before its siblings keeps the next index but is the first row,
// for the program's walks and for a view alike.
TEST(TreeView, ANodeAddedFirstIsTheFirstRowWithTheNextIndex) {
    Sample s;
    TreeView &t = s.tree;
    const WarningCollector warnings;
    {
        QAbstractItemModelTester tester(&t,
                                        QAbstractItemModelTester::FailureReportingMode::Warning);
        t.Flush();
        t.Add(1, "a3"); // still waiting to reach the views
        const int first = t.AddFirst(0, "Z", std::make_shared<Counted>("SUBJECT*Z"));
        EXPECT_EQ(first, 10);
        EXPECT_EQ(t.Tag(first), "SUBJECT*Z");
        EXPECT_EQ(t.rowCount(), 3);
        EXPECT_EQ(t.index(0, 0).data().toString(), "Z");
        EXPECT_EQ(t.IndexOf(t.index(1, 0)), 1);
        EXPECT_EQ(t.FirstSibling(2), first);
        EXPECT_EQ(t.Next(first), 1);
        EXPECT_EQ(t.rowCount(t.ModelIndex(1)), 3);

        t.Add(first, "z1");
        EXPECT_EQ(t.Parent(11), first);
        t.Remove(1); // A and its branch; Z and z1 shift down
        EXPECT_EQ(t.Text(t.FirstSibling(1)), "Z");
        EXPECT_EQ(t.Children(t.FirstSibling(1)), 1);
        t.Remove(t.FirstSibling(1));
        EXPECT_EQ(t.rowCount(), 1);
        EXPECT_EQ(t.index(0, 0).data().toString(), "B");
    }
    EXPECT_TRUE(warnings.messages.isEmpty()) << warnings.messages.join('\n').toStdString();
}

TEST(TreeView, ShowsTextBoldAndTheSelectedPicture) {
    TreeView t;
    auto images = std::make_shared<ImageList>(QSize(16, 16));
    for (const QColor colour : {Qt::red, Qt::green}) {
        QPixmap pixmap(16, 16);
        pixmap.fill(colour);
        images->Add(pixmap);
    }
    const auto colourOf = [&t](int index) {
        const QIcon icon = t.ModelIndex(index).data(Qt::DecorationRole).value<QIcon>();
        return icon.isNull() ? QColor() : icon.pixmap(16, 16).toImage().pixelColor(8, 8);
    };
    t.Add(0, "Folder", "FOLDER*X", 1, 2);
    t.Add(1, "Subject", "SUBJECT*s.ito", 1);
    t.Add(1, "Phrase", "s.ito*1*a*b*c", 7);
    EXPECT_FALSE(colourOf(1).isValid()) << "no pictures before an image list";
    t.SetImageList(images);
    t.SetBold(1, true);

    const QModelIndex folder = t.ModelIndex(1);
    EXPECT_EQ(folder.data().toString(), "Folder");
    EXPECT_EQ(folder.data(Qt::AccessibleTextRole).toString(), "Folder");
    EXPECT_TRUE(folder.data(Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(t.ModelIndex(2).data(Qt::FontRole).value<QFont>().bold());
    EXPECT_EQ(colourOf(1), QColor(Qt::red));
    t.Select(1);
    EXPECT_EQ(colourOf(1), QColor(Qt::green));
    // Without a selected picture a selected node keeps its picture.
    t.Select(2);
    EXPECT_EQ(colourOf(1), QColor(Qt::red));
    EXPECT_EQ(colourOf(2), QColor(Qt::red));
    EXPECT_FALSE(colourOf(3).isValid()) << "a number outside the list";
    EXPECT_FALSE(t.flags(folder).testFlag(Qt::ItemIsEditable));
}

// Filling a branch node by node must not cost the views a change per node.
TEST(TreeView, NodesAddedUnderOneParentReachTheViewsTogether) {
    Sample s;
    TreeView &t = s.tree;
    t.Flush();
    QSignalSpy inserted(&t, &QAbstractItemModel::rowsInserted);
    for (int i = 0; i < 100; ++i)
        t.Add(4, QString::number(i));
    // The program sees them at once ...
    EXPECT_EQ(t.Children(4), 100);
    EXPECT_EQ(t.Text(t.ChildAt(4, 99)), "99");
    // ... the views when the program returns to the event loop.
    EXPECT_EQ(inserted.count(), 0);
    QCoreApplication::processEvents();
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 0);
    EXPECT_EQ(inserted[0][2].toInt(), 99);
    EXPECT_EQ(t.rowCount(t.ModelIndex(4)), 100);

    // Another parent or any other change tells the views first.
    t.Add(4, "100");
    t.Add(4, "101");
    t.Add(2, "b3");
    t.SetExpanded(2, true);
    ASSERT_EQ(inserted.count(), 3);
    EXPECT_EQ(inserted[1][1].toInt(), 100);
    EXPECT_EQ(inserted[1][2].toInt(), 101);
    EXPECT_EQ(t.IndexOf(inserted[2][0].value<QModelIndex>()), 2);
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
