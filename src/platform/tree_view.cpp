#include "platform/tree_view.h"

#include "platform/image_list.h"

#include <QCoreApplication>
#include <QFont>
#include <QIcon>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace {

bool isWithin(const TreeView::Node *node, const TreeView::Node *ancestor) {
    for (; node; node = node->parent) {
        if (node == ancestor)
            return true;
    }
    return false;
}

// The collections alive in this process: a drop names its source by address,
// which is only trusted while that collection exists.
std::unordered_set<const TreeView *> &liveTrees() {
    static std::unordered_set<const TreeView *> trees;
    return trees;
}

} // namespace

TreeView::TreeView(QObject *parent) : QAbstractItemModel(parent) {
    liveTrees().insert(this);
}

TreeView::~TreeView() {
    liveTrees().erase(this);
}

// --- nodes and their places ---

TreeView::Node *TreeView::at(int index) const {
    if (index < 1 || index > Count())
        throw std::out_of_range(QCoreApplication::translate("controls", "There is no tree node %1.")
                                    .arg(index)
                                    .toStdString());
    return m_nodes[static_cast<size_t>(index - 1)].get();
}

int TreeView::IndexOf(const Node *node) const {
    return node && m_live.contains(node) ? node->index : 0;
}

const TreeView::Node *TreeView::NodeAt(int index) const {
    return at(index);
}

std::vector<TreeView::Node *> &TreeView::childrenOf(Node *node) {
    return node ? node->children : m_roots;
}

const std::vector<TreeView::Node *> &TreeView::childrenOf(const Node *node) const {
    return node ? node->children : m_roots;
}

// Root nodes are siblings of each other in creation order.
const std::vector<TreeView::Node *> &TreeView::siblingsOf(const Node *node) const {
    return childrenOf(node->parent);
}

// --- filling and emptying ---

std::unique_ptr<TreeView::Node> TreeView::newNode(Node *parent, int row, const QString &text,
                                                  int image, int selectedImage) const {
    auto node = std::make_unique<Node>();
    node->text = text;
    node->image = image;
    node->selectedImage = selectedImage;
    node->parent = parent;
    node->row = row;
    node->index = Count() + 1;
    return node;
}

int TreeView::Add(int parentIndex, const QString &text, const QString &tag, int image,
                  int selectedImage) {
    Node *parent = parentIndex == 0 ? nullptr : at(parentIndex);
    if (m_pending && m_pendingParent != parent)
        flushPending();
    std::vector<Node *> &siblings = childrenOf(parent);

    auto owned = newNode(parent, static_cast<int>(siblings.size()), text, image, selectedImage);
    Node *node = owned.get();
    node->tag = tag;
    m_nodes.push_back(std::move(owned));
    siblings.push_back(node);
    m_live.insert(node);

    if (!m_pending) {
        m_pending = true;
        m_pendingParent = parent;
        m_pendingFirst = node->row;
        postFlush();
    }
    return node->index;
}

int TreeView::Add(int parentIndex, const QString &text, std::shared_ptr<const TreeNodeData> data,
                  int image, int selectedImage) {
    const int index = Add(parentIndex, text, QString(), image, selectedImage);
    m_nodes[static_cast<size_t>(index - 1)]->data = std::move(data);
    return index;
}

int TreeView::AddFirst(int parentIndex, const QString &text,
                       std::shared_ptr<const TreeNodeData> data, int image, int selectedImage) {
    Node *parent = parentIndex == 0 ? nullptr : at(parentIndex);
    // Rows waiting to be announced are the last ones; they go out before a
    // row is put in front of them.
    flushPending();
    std::vector<Node *> &siblings = childrenOf(parent);

    auto owned = newNode(parent, 0, text, image, selectedImage);
    Node *node = owned.get();
    node->data = std::move(data);
    beginInsertRows(modelIndexOf(parent), 0, 0);
    m_nodes.push_back(std::move(owned));
    siblings.insert(siblings.begin(), node);
    for (size_t r = 1; r < siblings.size(); ++r)
        siblings[r]->row = static_cast<int>(r);
    m_live.insert(node);
    endInsertRows();
    return node->index;
}

void TreeView::markDoomed(Node *node) {
    node->doomed = true;
    m_live.erase(node);
    for (Node *child : node->children)
        markDoomed(child);
}

void TreeView::Remove(int index) {
    Node *node = at(index);
    flushPending();
    // The selection goes first, so that a view never holds a current row
    // that is being removed.
    if (m_selected && isWithin(m_selected, node)) {
        m_selected = nullptr;
        emit selectionChanged(nullptr);
    }

    std::vector<Node *> &siblings = childrenOf(node->parent);
    const int row = node->row;
    // A node is created after its ancestors, so nothing before it goes.
    const size_t first = static_cast<size_t>(node->index - 1);
    beginRemoveRows(modelIndexOf(node->parent), row, row);
    markDoomed(node);
    siblings.erase(siblings.begin() + row);
    for (size_t r = static_cast<size_t>(row); r < siblings.size(); ++r)
        siblings[r]->row = static_cast<int>(r);
    const auto kept = std::remove_if(m_nodes.begin() + static_cast<std::ptrdiff_t>(first),
                                     m_nodes.end(), [](const auto &n) { return n->doomed; });
    m_nodes.erase(kept, m_nodes.end());
    for (size_t i = first; i < m_nodes.size(); ++i)
        m_nodes[i]->index = static_cast<int>(i) + 1;
    endRemoveRows();
}

void TreeView::Clear() {
    const bool hadSelection = m_selected != nullptr;
    beginResetModel();
    m_pending = false;
    m_selected = nullptr;
    m_roots.clear();
    m_live.clear();
    m_nodes.clear();
    endResetModel();
    if (hadSelection)
        emit selectionChanged(nullptr);
}

// --- announcing added nodes ---

int TreeView::shownRows(const Node *parent) const {
    if (m_pending && m_pendingParent == parent)
        return m_pendingFirst;
    return static_cast<int>(childrenOf(parent).size());
}

bool TreeView::isPending(const Node *node) const {
    return m_pending && node->parent == m_pendingParent && node->row >= m_pendingFirst;
}

// Views are told about rows only here and in the other changes, never from
// inside a view's own query; rows a view has not been told about are simply
// not there yet for it.
void TreeView::flushPending() const {
    // A view may ask for more (fetchMore) while it hears of the insertion.
    if (!m_pending || m_announcing)
        return;
    auto *self = const_cast<TreeView *>(this);
    const int last = static_cast<int>(childrenOf(m_pendingParent).size()) - 1;
    m_announcing = true;
    self->beginInsertRows(modelIndexOf(m_pendingParent), m_pendingFirst, last);
    m_pending = false;
    m_announcing = false;
    self->endInsertRows();
}

// Nodes added by code that then returns to the event loop reach the views
// before the next paint.
void TreeView::postFlush() {
    if (m_flushPosted)
        return;
    m_flushPosted = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_flushPosted = false;
            flushPending();
        },
        Qt::QueuedConnection);
}

void TreeView::Flush() {
    flushPending();
}

bool TreeView::canFetchMore(const QModelIndex &parent) const {
    if (!m_pending || m_announcing || (parent.isValid() && parent.model() != this))
        return false;
    return nodeOf(parent) == m_pendingParent;
}

void TreeView::fetchMore(const QModelIndex &parent) {
    if (canFetchMore(parent))
        flushPending();
}

// --- properties ---

void TreeView::changed(Node *node, const QList<int> &roles) {
    // A node no view knows yet is read whole when it is announced.
    if (isPending(node))
        return;
    flushPending();
    const QModelIndex index = modelIndexOf(node);
    emit dataChanged(index, index, roles);
}

QString TreeView::Text(int index) const {
    return at(index)->text;
}

void TreeView::SetText(int index, const QString &text) {
    Node *node = at(index);
    if (node->text == text)
        return;
    node->text = text;
    changed(node, {Qt::DisplayRole, Qt::ToolTipRole, Qt::AccessibleTextRole});
}

QString TreeView::Tag(int index) const {
    const Node *node = at(index);
    return node->data ? node->data->Tag() : node->tag;
}

// The tag and the value are the program's own data and are never shown.
void TreeView::SetTag(int index, const QString &tag) {
    Node *node = at(index);
    node->tag = tag;
    node->data.reset();
}

const TreeNodeData *TreeView::Data(int index) const {
    return at(index)->data.get();
}

void TreeView::SetData(int index, std::shared_ptr<const TreeNodeData> data) {
    Node *node = at(index);
    node->tag.clear();
    node->data = std::move(data);
}

bool TreeView::Bold(int index) const {
    return at(index)->bold;
}

void TreeView::SetBold(int index, bool bold) {
    Node *node = at(index);
    if (node->bold == bold)
        return;
    node->bold = bold;
    changed(node, {Qt::FontRole});
}

QColor TreeView::ForeColor(int index) const {
    return at(index)->foreColor;
}

void TreeView::SetForeColor(int index, const QColor &color) {
    Node *node = at(index);
    if (node->foreColor == color)
        return;
    node->foreColor = color;
    changed(node, {Qt::ForegroundRole});
}

int TreeView::Image(int index) const {
    return at(index)->image;
}

void TreeView::SetImage(int index, int image) {
    Node *node = at(index);
    if (node->image == image)
        return;
    node->image = image;
    changed(node, {Qt::DecorationRole});
}

int TreeView::SelectedImage(int index) const {
    return at(index)->selectedImage;
}

void TreeView::SetSelectedImage(int index, int image) {
    Node *node = at(index);
    if (node->selectedImage == image)
        return;
    node->selectedImage = image;
    changed(node, {Qt::DecorationRole});
}

bool TreeView::Expanded(int index) const {
    return at(index)->expanded;
}

void TreeView::SetExpanded(int index, bool expanded) {
    Node *node = at(index);
    if (node->expanded == expanded)
        return;
    flushPending();
    node->expanded = expanded;
    emit expandedChanged(node, expanded);
}

void TreeView::SetImageList(std::shared_ptr<const ImageList> images) {
    m_images = std::move(images);
    flushPending();
    const auto refresh = [this](const Node *parent) {
        const int rows = shownRows(parent);
        if (rows == 0)
            return;
        const QModelIndex parentIndex = modelIndexOf(parent);
        emit dataChanged(index(0, 0, parentIndex), index(rows - 1, 0, parentIndex),
                         {Qt::DecorationRole});
    };
    refresh(nullptr);
    for (const auto &node : m_nodes)
        refresh(node.get());
}

// --- relations ---

int TreeView::Parent(int index) const {
    const Node *parent = at(index)->parent;
    return parent ? parent->index : 0;
}

int TreeView::Child(int index) const {
    const Node *node = at(index);
    return node->children.empty() ? 0 : node->children.front()->index;
}

int TreeView::Children(int index) const {
    return static_cast<int>(at(index)->children.size());
}

int TreeView::ChildAt(int index, int n) const {
    const Node *node = at(index);
    if (n < 0 || n >= static_cast<int>(node->children.size()))
        return 0;
    return node->children[static_cast<size_t>(n)]->index;
}

int TreeView::FirstSibling(int index) const {
    return siblingsOf(at(index)).front()->index;
}

int TreeView::LastSibling(int index) const {
    return siblingsOf(at(index)).back()->index;
}

int TreeView::Next(int index) const {
    const Node *node = at(index);
    const auto &siblings = siblingsOf(node);
    const size_t next = static_cast<size_t>(node->row) + 1;
    return next < siblings.size() ? siblings[next]->index : 0;
}

// --- selection ---

int TreeView::Selected() const {
    return m_selected ? m_selected->index : 0;
}

void TreeView::Select(int index) {
    Node *node = index == 0 ? nullptr : at(index);
    flushPending();
    for (Node *ancestor = node ? node->parent : nullptr; ancestor; ancestor = ancestor->parent) {
        if (!ancestor->expanded) {
            ancestor->expanded = true;
            emit expandedChanged(ancestor, true);
        }
    }
    if (m_selected == node)
        return;
    Node *previous = m_selected;
    m_selected = node;
    // The selected node may show another picture.
    if (previous)
        changed(previous, {Qt::DecorationRole});
    if (node)
        changed(node, {Qt::DecorationRole});
    emit selectionChanged(node);
}

// --- the item model ---

TreeView::Node *TreeView::nodeOf(const QModelIndex &index) const {
    if (!index.isValid() || index.model() != this)
        return nullptr;
    return static_cast<Node *>(index.internalPointer());
}

QModelIndex TreeView::modelIndexOf(const Node *node) const {
    return node ? createIndex(node->row, 0, node) : QModelIndex();
}

QModelIndex TreeView::ModelIndex(int index) const {
    const Node *node = index == 0 ? nullptr : at(index);
    flushPending();
    return modelIndexOf(node);
}

int TreeView::IndexOf(const QModelIndex &index) const {
    const Node *node = nodeOf(index);
    return node ? node->index : 0;
}

QModelIndex TreeView::index(int row, int column, const QModelIndex &parent) const {
    if (column != 0 || row < 0 || (parent.isValid() && parent.model() != this))
        return {};
    const Node *parentNode = nodeOf(parent);
    if (row >= shownRows(parentNode))
        return {};
    return createIndex(row, 0, childrenOf(parentNode)[static_cast<size_t>(row)]);
}

QModelIndex TreeView::parent(const QModelIndex &child) const {
    const Node *node = nodeOf(child);
    return node ? modelIndexOf(node->parent) : QModelIndex();
}

int TreeView::rowCount(const QModelIndex &parent) const {
    if (parent.column() > 0 || (parent.isValid() && parent.model() != this))
        return 0;
    return shownRows(nodeOf(parent));
}

int TreeView::columnCount(const QModelIndex &) const {
    return 1;
}

// Counts children no view knows yet, so that a view asks for them (fetchMore).
bool TreeView::hasChildren(const QModelIndex &parent) const {
    if (parent.column() > 0 || (parent.isValid() && parent.model() != this))
        return false;
    return !childrenOf(nodeOf(parent)).empty();
}

QVariant TreeView::data(const QModelIndex &index, int role) const {
    const Node *node = nodeOf(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: // the in-place editor opens on the node's own text
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole:
        return node->text;
    case Qt::FontRole: {
        if (!node->bold)
            return {};
        // Only the weight: the rest comes from the view's font.
        QFont font;
        font.setBold(true);
        return font;
    }
    case Qt::ForegroundRole:
        return node->foreColor.isValid() ? QVariant(node->foreColor) : QVariant();
    case Qt::DecorationRole: {
        const int picture =
            node == m_selected && node->selectedImage != 0 ? node->selectedImage : node->image;
        if (m_images && picture >= 1 && picture <= m_images->Count())
            return m_images->Icon(picture);
        return {};
    }
    default:
        return {};
    }
}

Qt::ItemFlags TreeView::flags(const QModelIndex &index) const {
    if (!nodeOf(index))
        return m_dropTarget ? Qt::ItemIsDropEnabled : Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_dragSource)
        flags |= Qt::ItemIsDragEnabled;
    if (m_dropTarget)
        flags |= Qt::ItemIsDropEnabled;
    if (m_labelEdit)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool TreeView::setData(const QModelIndex &index, const QVariant &value, int role) {
    const Node *node = nodeOf(index);
    if (!node || role != Qt::EditRole || !m_labelEdit)
        return false;
    const int nodeIndex = IndexOf(node);
    SetText(nodeIndex, value.toString());
    emit LabelEdited(nodeIndex, value.toString());
    return true;
}

// --- drag and drop ---

QString TreeView::NodeMimeType() {
    return QStringLiteral("application/x-tolvanex-tree-node");
}

QStringList TreeView::mimeTypes() const {
    return {NodeMimeType()};
}

QMimeData *TreeView::mimeData(const QModelIndexList &indexes) const {
    const int index = indexes.isEmpty() ? 0 : IndexOf(indexes.first());
    if (!m_dragSource || index == 0)
        return nullptr;
    auto *data = new QMimeData;
    // Process, collection and node: a drag from another program is refused.
    const QString reference = QStringLiteral("%1 %2 %3")
                                  .arg(QCoreApplication::applicationPid())
                                  .arg(reinterpret_cast<quintptr>(this))
                                  .arg(index);
    data->setData(NodeMimeType(), reference.toLatin1());
    data->setText(Text(index));
    return data;
}

bool TreeView::decodeNode(const QMimeData *data, const TreeView *&source, int &index) {
    if (!data || !data->hasFormat(NodeMimeType()))
        return false;
    const QStringList parts = QString::fromLatin1(data->data(NodeMimeType())).split(u' ');
    if (parts.size() != 3 || parts[0].toLongLong() != QCoreApplication::applicationPid())
        return false;
    const auto *tree = reinterpret_cast<const TreeView *>(parts[1].toULongLong());
    if (!liveTrees().contains(tree))
        return false;
    index = parts[2].toInt();
    if (index < 1 || index > tree->Count())
        return false;
    source = tree;
    return true;
}

bool TreeView::canDropMimeData(const QMimeData *data, Qt::DropAction action, int, int,
                               const QModelIndex &) const {
    const TreeView *source = nullptr;
    int index = 0;
    return m_dropTarget && action == Qt::CopyAction && decodeNode(data, source, index) &&
           source != this;
}

bool TreeView::dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                            const QModelIndex &parent) {
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    const TreeView *source = nullptr;
    int index = 0;
    decodeNode(data, source, index);
    // Between nodes counts as beside every node: only a node takes a drop.
    const int target = row < 0 ? IndexOf(parent) : 0;
    emit NodeDropped(source, index, target);
    return true;
}

Qt::DropActions TreeView::supportedDragActions() const {
    return Qt::CopyAction;
}

Qt::DropActions TreeView::supportedDropActions() const {
    return Qt::CopyAction;
}
