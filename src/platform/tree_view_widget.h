// Shows a TreeView node collection in a QTreeView and raises the tree view
// events the program's windows handle: NodeClick, Expand, Collapse, DblClick
// and the mouse events with VB's button and shift codes.
//
// The node collection is the item model the view shows, and it is the truth
// for the selection and the expanded branches: the view follows it, and a
// click or a key changes the collection's selection and expanded state
// first, then raises the event. Children stay in order of creation; nothing
// is sorted. Labels are edited in place only when the program starts an edit
// (StartLabelEdit) on a collection that allows it (TreeView::SetLabelEdit).
#pragma once

#include "platform/tree_view.h"

#include <QTreeView>

#include <memory>

class ImageList;

class TreeViewWidget : public QTreeView {
    Q_OBJECT
public:
    // A widget with a node collection of its own.
    explicit TreeViewWidget(QWidget *parent = nullptr);
    // A widget showing a node collection that lives elsewhere and outlives it.
    explicit TreeViewWidget(TreeView &nodes, QWidget *parent = nullptr);
    ~TreeViewWidget() override;

    TreeView &Nodes() { return *m_nodes; }
    const TreeView &Nodes() const { return *m_nodes; }

    // Pictures for the nodes' Image and SelectedImage numbers, kept by the
    // node collection as long as it shows them. The view draws them at the
    // list's picture size (or its first picture's size).
    void SetImageList(std::shared_ptr<const ImageList> images);

    // Where the node's picture and text are drawn, in viewport coordinates;
    // an empty rectangle when the node is hidden in a collapsed branch.
    QRect NodeRect(int index) const;
    // The model index of a node; 0 gives the invisible root.
    QModelIndex ModelIndexOf(int index) const;
    // Opens the in-place editor on a node's text; the edit ends with
    // TreeView::LabelEdited, or with nothing when the user presses Escape.
    void StartLabelEdit(int index);
    bool IsEditingLabel() const { return state() == QAbstractItemView::EditingState; }
    // Ends an open label edit now, as Enter would: the text typed so far is
    // reported by TreeView::LabelEdited before this returns.
    void FinishLabelEdit();
    // The node under a point in viewport coordinates, 0 for none.
    int HitTest(const QPoint &at) const;
    // Keys the window uses as commands: reported by KeyDown and not handed
    // on to the view, so that R does not also jump to a node beginning with R.
    void SetCommandKeys(const QList<QKeyCombination> &keys) { m_commandKeys = keys; }

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
    // Keys with VB's key codes (46 Delete, 27 Escape, 13 Enter, 113 F2,
    // letters and digits as their upper-case character codes).
    void KeyDown(int keyCode, int shift);
    void KeyUp(int keyCode, int shift);
    // A drag moves over the tree (x, y in twips from the control's top left
    // corner), or leaves it.
    void DragOver(int x, int y);
    void DragLeave();

protected:
    // Tab and Shift+Tab in the label editor end the edit; they never open
    // an editor on the next node.
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    bool viewportEvent(QEvent *event) override;

private:
    void setUp();
    void followNodes();
    void showExpanded(const QModelIndex &index, bool expanded);
    void showSelection();
    void viewCurrentChanged(const QModelIndex &current);
    void viewExpanded(const QModelIndex &index, bool expanded);
    void emitMouse(void (TreeViewWidget::*signal)(int, int, int, int), QMouseEvent *event,
                   int button);

    // Destroyed before the view's base classes, which still listen to it.
    std::unique_ptr<TreeView> m_owned;
    TreeView *m_nodes;
    // Set while the view changes itself to follow the node collection, so
    // that those changes are not taken for the user's.
    bool m_following = false;
    bool m_inKeyPress = false;
    QList<QKeyCombination> m_commandKeys;
    // Set while Qt handles a click; the click handler selects afterwards.
    bool m_inMouse = false;
    // The node whose label editor StartLabelEdit opened.
    QPersistentModelIndex m_editing;
};
