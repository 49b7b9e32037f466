#include "platform/tree_view_widget.h"

#include "platform/image_list.h"
#include "platform/twips.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

// Restores a flag when a scope ends, also when an event handler throws.
class FlagScope {
public:
    explicit FlagScope(bool &flag) : m_flag(flag), m_old(flag) { m_flag = true; }
    ~FlagScope() { m_flag = m_old; }
    FlagScope(const FlagScope &) = delete;
    FlagScope &operator=(const FlagScope &) = delete;

private:
    bool &m_flag;
    bool m_old;
};

int vbButton(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

int vbButtons(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
           (buttons & Qt::MiddleButton ? 4 : 0);
}

int vbShift(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

int vbKeyCode(int key) {
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return key;
    switch (key) {
    case Qt::Key_Delete:
        return 46;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_F2:
        return 113;
    default:
        return 0;
    }
}

} // namespace

TreeViewWidget::TreeViewWidget(QWidget *parent)
    : QTreeView(parent), m_owned(std::make_unique<TreeView>()), m_nodes(m_owned.get()) {
    setUp();
}

TreeViewWidget::TreeViewWidget(TreeView &nodes, QWidget *parent)
    : QTreeView(parent), m_nodes(&nodes) {
    setUp();
}

TreeViewWidget::~TreeViewWidget() = default;

void TreeViewWidget::setUp() {
    setModel(m_nodes);
    setHeaderHidden(true);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformRowHeights(true);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);

    connect(m_nodes, &TreeView::expandedChanged, this,
            [this](const TreeView::Node *node, bool expanded) {
                const int index = m_nodes->IndexOf(node);
                showExpanded(m_nodes->ModelIndex(index), expanded);
                if (expanded)
                    emit Expand(index);
                else
                    emit Collapse(index);
            });
    connect(m_nodes, &TreeView::selectionChanged, this, [this] { showSelection(); });
    connect(m_nodes, &QAbstractItemModel::modelReset, this, [this] { followNodes(); });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { viewCurrentChanged(current); });
    connect(this, &QTreeView::expanded, this,
            [this](const QModelIndex &index) { viewExpanded(index, true); });
    connect(this, &QTreeView::collapsed, this,
            [this](const QModelIndex &index) { viewExpanded(index, false); });
    followNodes();
}

// Shows the expanded branches and the selection of a filled collection.
void TreeViewWidget::followNodes() {
    for (int i = 1; i <= m_nodes->Count(); ++i) {
        if (m_nodes->Expanded(i))
            showExpanded(m_nodes->ModelIndex(i), true);
    }
    showSelection();
}

void TreeViewWidget::SetImageList(std::shared_ptr<const ImageList> images) {
    if (images) {
        QSize size = images->ImageSize();
        if (size.isEmpty() && images->Count() > 0)
            size = images->ListImages(1).deviceIndependentSize().toSize();
        if (!size.isEmpty())
            setIconSize(size);
    }
    m_nodes->SetImageList(std::move(images));
}

QModelIndex TreeViewWidget::ModelIndexOf(int index) const {
    return m_nodes->ModelIndex(index);
}

QRect TreeViewWidget::NodeRect(int index) const {
    return visualRect(m_nodes->ModelIndex(index));
}

void TreeViewWidget::showExpanded(const QModelIndex &index, bool expanded) {
    if (!index.isValid() || isExpanded(index) == expanded)
        return;
    FlagScope following(m_following);
    setExpanded(index, expanded);
}

void TreeViewWidget::showSelection() {
    const int selected = m_nodes->Selected();
    const QModelIndex index = selected == 0 ? QModelIndex() : m_nodes->ModelIndex(selected);
    QItemSelectionModel *selection = selectionModel();
    FlagScope following(m_following);
    if (!index.isValid()) {
        if (selection->currentIndex().isValid() || selection->hasSelection())
            selection->clear();
        return;
    }
    if (selection->currentIndex() != index || !selection->isSelected(index))
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

void TreeViewWidget::viewCurrentChanged(const QModelIndex &current) {
    if (m_following || m_inMouse)
        return;
    if (!m_inKeyPress) {
        // Focus changes and drags move Qt's current index; only a click or
        // a key chooses a node.
        showSelection();
        return;
    }
    const int index = m_nodes->IndexOf(current);
    if (index == 0)
        return;
    m_nodes->Select(index);
    emit NodeClick(m_nodes->Selected());
}

void TreeViewWidget::viewExpanded(const QModelIndex &index, bool expanded) {
    if (m_following)
        return;
    const int node = m_nodes->IndexOf(index);
    if (node != 0)
        m_nodes->SetExpanded(node, expanded);
}

void TreeViewWidget::emitMouse(void (TreeViewWidget::*signal)(int, int, int, int),
                               QMouseEvent *event, int button) {
    const QPoint at = viewport()->mapTo(this, event->position().toPoint());
    emit(this->*signal)(button, vbShift(event->modifiers()), PixelsToTwips(at.x()),
                        PixelsToTwips(at.y()));
}

void TreeViewWidget::mousePressEvent(QMouseEvent *event) {
    emitMouse(&TreeViewWidget::MouseDown, event, vbButton(event->button()));
    // A right or middle click leaves the selection alone, as in the common
    // control; the program's pop-up menus act on the selected node.
    if (event->button() != Qt::LeftButton)
        return;

    const QPoint at = event->position().toPoint();
    const QModelIndex hit = indexAt(at);
    // The branch sign is beside the node, not on it.
    const bool onNode = hit.isValid() && visualRect(hit).contains(at);
    const int index = onNode ? m_nodes->IndexOf(hit) : 0;
    {
        // Qt's own handling toggles branches and starts drags; the
        // selection is ours.
        FlagScope inMouse(m_inMouse);
        QTreeView::mousePressEvent(event);
    }
    if (index == 0) {
        showSelection();
        return;
    }
    m_nodes->Select(index);
    showSelection();
    emit NodeClick(m_nodes->Selected());
}

void TreeViewWidget::mouseReleaseEvent(QMouseEvent *event) {
    emitMouse(&TreeViewWidget::MouseUp, event, vbButton(event->button()));
    if (event->button() == Qt::LeftButton)
        QTreeView::mouseReleaseEvent(event);
}

void TreeViewWidget::mouseDoubleClickEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton)
        return;
    {
        FlagScope inMouse(m_inMouse);
        QTreeView::mouseDoubleClickEvent(event);
    }
    showSelection();
    emit DblClick();
}

void TreeViewWidget::mouseMoveEvent(QMouseEvent *event) {
    emitMouse(&TreeViewWidget::MouseMove, event, vbButtons(event->buttons()));
    QTreeView::mouseMoveEvent(event);
}

void TreeViewWidget::keyPressEvent(QKeyEvent *event) {
    emit KeyDown(vbKeyCode(event->key()), vbShift(event->modifiers()));
    if (m_commandKeys.contains(event->keyCombination()) && state() != EditingState) {
        event->accept();
        return;
    }
    FlagScope inKey(m_inKeyPress);
    QTreeView::keyPressEvent(event);
}

void TreeViewWidget::keyReleaseEvent(QKeyEvent *event) {
    emit KeyUp(vbKeyCode(event->key()), vbShift(event->modifiers()));
    QTreeView::keyReleaseEvent(event);
}

void TreeViewWidget::StartLabelEdit(int index) {
    const QModelIndex at = m_nodes->ModelIndex(index);
    if (!at.isValid())
        return;
    scrollTo(at);
    m_editing = at;
    edit(at);
}

void TreeViewWidget::FinishLabelEdit() {
    if (state() != EditingState)
        return;
    QWidget *editor = m_editing.isValid() ? indexWidget(m_editing) : nullptr;
    if (!editor)
        return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void TreeViewWidget::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) {
    if (hint == QAbstractItemDelegate::EditNextItem ||
        hint == QAbstractItemDelegate::EditPreviousItem)
        hint = QAbstractItemDelegate::NoHint;
    QTreeView::closeEditor(editor, hint);
}

int TreeViewWidget::HitTest(const QPoint &at) const {
    const QModelIndex hit = indexAt(at);
    return hit.isValid() ? m_nodes->IndexOf(hit) : 0;
}

void TreeViewWidget::dragMoveEvent(QDragMoveEvent *event) {
    QTreeView::dragMoveEvent(event);
    const QPoint at = viewport()->mapTo(this, event->position().toPoint());
    emit DragOver(PixelsToTwips(at.x()), PixelsToTwips(at.y()));
}

void TreeViewWidget::dragLeaveEvent(QDragLeaveEvent *event) {
    QTreeView::dragLeaveEvent(event);
    emit DragLeave();
}

void TreeViewWidget::dropEvent(QDropEvent *event) {
    // Drops are copies: the source keeps its node whatever the modifiers say.
    if (event->dropAction() != Qt::CopyAction && (event->possibleActions() & Qt::CopyAction))
        event->setDropAction(Qt::CopyAction);
    QTreeView::dropEvent(event);
    emit DragLeave();
}

// Nodes added since the last change are shown with the next picture, even
// when code paints before the event loop runs.
bool TreeViewWidget::viewportEvent(QEvent *event) {
    if (event->type() == QEvent::Paint)
        m_nodes->Flush();
    return QTreeView::viewportEvent(event);
}

void TreeViewWidget::focusInEvent(QFocusEvent *event) {
    QTreeView::focusInEvent(event);
    showSelection();
}
