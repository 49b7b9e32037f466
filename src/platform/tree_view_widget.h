// Shows a TreeView node collection in a QTreeWidget and raises the tree
// view events the program's windows handle: NodeClick, Expand, Collapse,
// DblClick and the mouse events with VB's button and shift codes.
//
// The node collection is the truth: the widget mirrors every added, removed
// or changed node, and a click or a key changes the collection's selection
// and expanded state first, then raises the event. Children stay in order of
// creation; nothing is sorted.
#pragma once

#include "platform/tree_view.h"

#include <QHash>
#include <QPointer>
#include <QTreeWidget>

class ImageList;

class TreeViewWidget : public QTreeWidget {
    Q_OBJECT
public:
    // A widget with a node collection of its own.
    explicit TreeViewWidget(QWidget *parent = nullptr);
    // A widget showing a node collection that lives elsewhere and outlives it.
    explicit TreeViewWidget(TreeView &nodes, QWidget *parent = nullptr);
    ~TreeViewWidget() override;

    TreeView &Nodes() { return *m_nodes; }
    const TreeView &Nodes() const { return *m_nodes; }

    // Pictures for the nodes' Image and SelectedImage numbers; not owned.
    void SetImageList(const ImageList *images);

    // Where the node's picture and text are drawn, in viewport coordinates;
    // an empty rectangle when the node is hidden in a collapsed branch.
    QRect NodeRect(int index) const;
    QTreeWidgetItem *ItemOf(int index) const;
    // The node shown by an item, 0 for none.
    int IndexOfItem(const QTreeWidgetItem *item) const;

signals:
    // A click or a key selected the node (the node collection already has
    // it as selected). A click on the selected node raises it again.
    void NodeClick(int index);
    // The node was expanded or collapsed, by the user or by code.
    void Expand(int index);
    void Collapse(int index);
    void DblClick();
    // button: 1 left, 2 right, 4 middle (for MouseMove the buttons held);
    // shift: 1 Shift, 2 Ctrl, 4 Alt; x and y in twips from the control's
    // top left corner.
    void MouseDown(int button, int shift, int x, int y);
    void MouseUp(int button, int shift, int x, int y);
    void MouseMove(int button, int shift, int x, int y);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    void setUp();
    void rebuild();
    void addItem(const TreeView::Node *node);
    void removeItems(const TreeView::Node *node);
    void showNode(const TreeView::Node *node);
    void showExpanded(const TreeView::Node *node, bool expanded);
    void showSelection(const TreeView::Node *previous);
    void viewCurrentChanged(QTreeWidgetItem *current);
    void viewExpanded(QTreeWidgetItem *item, bool expanded);
    void emitMouse(void (TreeViewWidget::*signal)(int, int, int, int), QMouseEvent *event,
                   int button);

    TreeView *m_nodes;
    QPointer<TreeView> m_owned;
    const ImageList *m_images = nullptr;
    QHash<const TreeView::Node *, QTreeWidgetItem *> m_items;
    QHash<const QTreeWidgetItem *, const TreeView::Node *> m_nodesOfItems;
    const TreeView::Node *m_shownSelection = nullptr;
    // Set while the widget changes itself to follow the node collection, so
    // that those changes are not taken for the user's.
    bool m_following = false;
    bool m_inKeyPress = false;
    // Set while Qt handles a click; the click handler selects afterwards.
    bool m_inMouse = false;
};
