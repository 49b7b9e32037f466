#include "platform/tree_view.h"

#include <algorithm>
#include <stdexcept>
#include <string>

TreeView::TreeView(QObject *parent) : QObject(parent) {}

TreeView::~TreeView() = default;

TreeView::Node *TreeView::at(int index) const {
    if (index < 1 || index > Count())
        throw std::out_of_range("tree node index " + std::to_string(index) + " out of range");
    return m_nodes[static_cast<size_t>(index - 1)].get();
}

int TreeView::IndexOf(const Node *node) const {
    if (!node)
        return 0;
    const auto found = std::find_if(m_nodes.begin(), m_nodes.end(),
                                    [node](const auto &owned) { return owned.get() == node; });
    return found == m_nodes.end() ? 0 : static_cast<int>(found - m_nodes.begin()) + 1;
}

const TreeView::Node *TreeView::NodeAt(int index) const {
    return at(index);
}

int TreeView::Add(int parentIndex, const QString &text, const QString &tag, int image,
                  int selectedImage) {
    Node *parent = parentIndex == 0 ? nullptr : at(parentIndex);
    auto node = std::make_unique<Node>();
    node->text = text;
    node->tag = tag;
    node->image = image;
    node->selectedImage = selectedImage;
    node->parent = parent;
    Node *added = node.get();
    m_nodes.push_back(std::move(node));
    if (parent)
        parent->children.push_back(added);
    emit nodeAdded(added);
    return Count();
}

void TreeView::collect(Node *node, std::vector<Node *> &out) const {
    out.push_back(node);
    for (Node *child : node->children)
        collect(child, out);
}

void TreeView::Remove(int index) {
    Node *node = at(index);
    std::vector<Node *> doomed;
    collect(node, doomed);

    emit nodeAboutToBeRemoved(node);
    const bool selectionGoes =
        m_selected && std::find(doomed.begin(), doomed.end(), m_selected) != doomed.end();

    if (node->parent) {
        auto &siblings = node->parent->children;
        siblings.erase(std::find(siblings.begin(), siblings.end(), node));
    }
    std::erase_if(m_nodes, [&doomed](const auto &owned) {
        return std::find(doomed.begin(), doomed.end(), owned.get()) != doomed.end();
    });
    if (selectionGoes) {
        m_selected = nullptr;
        emit selectionChanged(nullptr);
    }
}

void TreeView::Clear() {
    m_selected = nullptr;
    m_nodes.clear();
    emit cleared();
}

QString TreeView::Text(int index) const {
    return at(index)->text;
}

void TreeView::SetText(int index, const QString &text) {
    Node *node = at(index);
    if (node->text == text)
        return;
    node->text = text;
    emit nodeChanged(node);
}

QString TreeView::Tag(int index) const {
    return at(index)->tag;
}

// The tag is the program's own data and is never shown.
void TreeView::SetTag(int index, const QString &tag) {
    at(index)->tag = tag;
}

bool TreeView::Bold(int index) const {
    return at(index)->bold;
}

void TreeView::SetBold(int index, bool bold) {
    Node *node = at(index);
    if (node->bold == bold)
        return;
    node->bold = bold;
    emit nodeChanged(node);
}

int TreeView::Image(int index) const {
    return at(index)->image;
}

void TreeView::SetImage(int index, int image) {
    Node *node = at(index);
    if (node->image == image)
        return;
    node->image = image;
    emit nodeChanged(node);
}

int TreeView::SelectedImage(int index) const {
    return at(index)->selectedImage;
}

void TreeView::SetSelectedImage(int index, int image) {
    Node *node = at(index);
    if (node->selectedImage == image)
        return;
    node->selectedImage = image;
    emit nodeChanged(node);
}

bool TreeView::Expanded(int index) const {
    return at(index)->expanded;
}

void TreeView::SetExpanded(int index, bool expanded) {
    Node *node = at(index);
    if (node->expanded == expanded)
        return;
    node->expanded = expanded;
    emit expandedChanged(node, expanded);
}

int TreeView::Parent(int index) const {
    return IndexOf(at(index)->parent);
}

int TreeView::Child(int index) const {
    const Node *node = at(index);
    return node->children.empty() ? 0 : IndexOf(node->children.front());
}

int TreeView::Children(int index) const {
    return static_cast<int>(at(index)->children.size());
}

int TreeView::ChildAt(int index, int n) const {
    const Node *node = at(index);
    if (n < 0 || n >= static_cast<int>(node->children.size()))
        return 0;
    return IndexOf(node->children[static_cast<size_t>(n)]);
}

namespace {

// Root nodes are siblings of each other in creation order.
std::vector<TreeView::Node *> siblingsOf(const TreeView::Node *node,
                                         const std::vector<std::unique_ptr<TreeView::Node>> &all) {
    if (node->parent)
        return node->parent->children;
    std::vector<TreeView::Node *> roots;
    for (const auto &owned : all) {
        if (!owned->parent)
            roots.push_back(owned.get());
    }
    return roots;
}

} // namespace

int TreeView::FirstSibling(int index) const {
    return IndexOf(siblingsOf(at(index), m_nodes).front());
}

int TreeView::LastSibling(int index) const {
    return IndexOf(siblingsOf(at(index), m_nodes).back());
}

int TreeView::Next(int index) const {
    const Node *node = at(index);
    const auto siblings = siblingsOf(node, m_nodes);
    const auto it = std::find(siblings.begin(), siblings.end(), node);
    return it + 1 == siblings.end() ? 0 : IndexOf(*(it + 1));
}

int TreeView::Selected() const {
    return IndexOf(m_selected);
}

void TreeView::Select(int index) {
    Node *node = index == 0 ? nullptr : at(index);
    for (Node *ancestor = node ? node->parent : nullptr; ancestor; ancestor = ancestor->parent) {
        if (!ancestor->expanded) {
            ancestor->expanded = true;
            emit expandedChanged(ancestor, true);
        }
    }
    if (m_selected == node)
        return;
    m_selected = node;
    emit selectionChanged(node);
}
