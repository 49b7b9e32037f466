#include "platform/tree_view_widget.h"

#include "platform/image_list.h"
#include "platform/twips.h"

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

} // namespace

TreeViewWidget::TreeViewWidget(QWidget *parent) : QTreeWidget(parent) {
    m_owned = new TreeView(this);
    m_nodes = m_owned;
    setUp();
}

TreeViewWidget::TreeViewWidget(TreeView &nodes, QWidget *parent)
    : QTreeWidget(parent), m_nodes(&nodes) {
    setUp();
}

TreeViewWidget::~TreeViewWidget() {
    // The collection may outlive the widget; stop listening before the items go.
    if (!m_owned)
        disconnect(m_nodes, nullptr, this, nullptr);
}

void TreeViewWidget::setUp() {
    setColumnCount(1);
    setHeaderHidden(true);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformRowHeights(true);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);

    connect(m_nodes, &TreeView::nodeAdded, this, &TreeViewWidget::addItem);
    connect(m_nodes, &TreeView::nodeAboutToBeRemoved, this, &TreeViewWidget::removeItems);
    connect(m_nodes, &TreeView::nodeChanged, this, &TreeViewWidget::showNode);
    connect(m_nodes, &TreeView::expandedChanged, this,
            [this](const TreeView::Node *node, bool expanded) {
                showExpanded(node, expanded);
                const int index = m_nodes->IndexOf(node);
                if (expanded)
                    emit Expand(index);
                else
                    emit Collapse(index);
            });
    connect(m_nodes, &TreeView::selectionChanged, this,
            [this](const TreeView::Node *) { showSelection(m_shownSelection); });
    connect(m_nodes, &TreeView::cleared, this, [this] {
        FlagScope following(m_following);
        m_items.clear();
        m_nodesOfItems.clear();
        m_shownSelection = nullptr;
        clear();
    });
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current) { viewCurrentChanged(current); });
    connect(this, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem *item) { viewExpanded(item, true); });
    connect(this, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem *item) { viewExpanded(item, false); });
    rebuild();
}

void TreeViewWidget::rebuild() {
    {
        FlagScope following(m_following);
        clear();
    }
    m_items.clear();
    m_nodesOfItems.clear();
    m_shownSelection = nullptr;
    // Parents are always created before their children.
    for (int i = 1; i <= m_nodes->Count(); ++i)
        addItem(m_nodes->NodeAt(i));
    for (int i = 1; i <= m_nodes->Count(); ++i)
        showExpanded(m_nodes->NodeAt(i), m_nodes->Expanded(i));
    showSelection(nullptr);
}

void TreeViewWidget::SetImageList(const ImageList *images) {
    m_images = images;
    if (m_images && !m_images->ImageSize().isEmpty())
        setIconSize(m_images->ImageSize());
    for (auto it = m_items.cbegin(); it != m_items.cend(); ++it)
        showNode(it.key());
}

QTreeWidgetItem *TreeViewWidget::ItemOf(int index) const {
    return m_items.value(m_nodes->NodeAt(index), nullptr);
}

int TreeViewWidget::IndexOfItem(const QTreeWidgetItem *item) const {
    return m_nodes->IndexOf(m_nodesOfItems.value(item, nullptr));
}

QRect TreeViewWidget::NodeRect(int index) const {
    const QTreeWidgetItem *item = ItemOf(index);
    return item ? visualItemRect(item) : QRect();
}

void TreeViewWidget::addItem(const TreeView::Node *node) {
    FlagScope following(m_following);
    QTreeWidgetItem *parentItem =
        node->parent ? m_items.value(node->parent, nullptr) : invisibleRootItem();
    if (!parentItem)
        return;
    auto *item = new QTreeWidgetItem;
    parentItem->addChild(item);
    m_items.insert(node, item);
    m_nodesOfItems.insert(item, node);
    showNode(node);
    // A parent marked expanded before it had children opens with its first child.
    if (node->parent && node->parent->expanded && !parentItem->isExpanded())
        parentItem->setExpanded(true);
}

void TreeViewWidget::removeItems(const TreeView::Node *node) {
    FlagScope following(m_following);
    QTreeWidgetItem *item = m_items.value(node, nullptr);
    std::vector<const TreeView::Node *> pending{node};
    while (!pending.empty()) {
        const TreeView::Node *next = pending.back();
        pending.pop_back();
        if (next == m_shownSelection)
            m_shownSelection = nullptr;
        m_nodesOfItems.remove(m_items.value(next, nullptr));
        m_items.remove(next);
        pending.insert(pending.end(), next->children.begin(), next->children.end());
    }
    delete item; // takes the child items with it
}

void TreeViewWidget::showNode(const TreeView::Node *node) {
    QTreeWidgetItem *item = m_items.value(node, nullptr);
    if (!item)
        return;
    item->setText(0, node->text);
    QFont font = this->font();
    font.setBold(node->bold);
    item->setFont(0, font);
    const bool selected = node == m_shownSelection;
    const int picture = selected && node->selectedImage != 0 ? node->selectedImage : node->image;
    if (m_images && picture >= 1 && picture <= m_images->Count())
        item->setIcon(0, m_images->Icon(picture));
    else
        item->setIcon(0, QIcon());
}

void TreeViewWidget::showExpanded(const TreeView::Node *node, bool expanded) {
    QTreeWidgetItem *item = m_items.value(node, nullptr);
    if (!item || item->isExpanded() == expanded)
        return;
    FlagScope following(m_following);
    item->setExpanded(expanded);
}

void TreeViewWidget::showSelection(const TreeView::Node *previous) {
    const int index = m_nodes->Selected();
    const TreeView::Node *selected = index == 0 ? nullptr : m_nodes->NodeAt(index);
    m_shownSelection = selected;
    if (previous && previous != selected)
        showNode(previous);
    if (selected)
        showNode(selected);
    FlagScope following(m_following);
    QTreeWidgetItem *item = m_items.value(selected, nullptr);
    if (currentItem() != item)
        setCurrentItem(item);
    if (!item)
        clearSelection();
    else if (!item->isSelected())
        item->setSelected(true);
}

void TreeViewWidget::viewCurrentChanged(QTreeWidgetItem *current) {
    if (m_following || m_inMouse)
        return;
    if (!m_inKeyPress) {
        // Focus changes and drags move Qt's current item; only a click or a
        // key chooses a node.
        showSelection(m_shownSelection);
        return;
    }
    const int index = IndexOfItem(current);
    if (index == 0)
        return;
    m_nodes->Select(index);
    emit NodeClick(m_nodes->Selected());
}

void TreeViewWidget::viewExpanded(QTreeWidgetItem *item, bool expanded) {
    if (m_following)
        return;
    const int index = IndexOfItem(item);
    if (index != 0)
        m_nodes->SetExpanded(index, expanded);
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
    QTreeWidgetItem *item = itemAt(at);
    const bool onNode = item && visualItemRect(item).contains(at);
    const int index = onNode ? IndexOfItem(item) : 0;
    {
        // Qt's own handling toggles branches and starts drags; the
        // selection is ours.
        FlagScope inMouse(m_inMouse);
        QTreeWidget::mousePressEvent(event);
    }
    if (index == 0) {
        showSelection(m_shownSelection);
        return;
    }
    m_nodes->Select(index);
    showSelection(m_shownSelection);
    emit NodeClick(m_nodes->Selected());
}

void TreeViewWidget::mouseReleaseEvent(QMouseEvent *event) {
    emitMouse(&TreeViewWidget::MouseUp, event, vbButton(event->button()));
    if (event->button() == Qt::LeftButton)
        QTreeWidget::mouseReleaseEvent(event);
}

void TreeViewWidget::mouseDoubleClickEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton)
        return;
    {
        FlagScope inMouse(m_inMouse);
        QTreeWidget::mouseDoubleClickEvent(event);
    }
    showSelection(m_shownSelection);
    emit DblClick();
}

void TreeViewWidget::mouseMoveEvent(QMouseEvent *event) {
    emitMouse(&TreeViewWidget::MouseMove, event, vbButtons(event->buttons()));
    QTreeWidget::mouseMoveEvent(event);
}

void TreeViewWidget::keyPressEvent(QKeyEvent *event) {
    FlagScope inKey(m_inKeyPress);
    QTreeWidget::keyPressEvent(event);
}

void TreeViewWidget::focusInEvent(QFocusEvent *event) {
    QTreeWidget::focusInEvent(event);
    showSelection(m_shownSelection);
}
