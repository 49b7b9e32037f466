// The node collection of a tree view with common-control semantics: nodes are
// addressed by a 1-based index in order of creation, and removing a node
// (with its descendants) shifts the later indexes down. Children keep their
// order of creation. The model needs no window; TreeViewWidget shows it.
#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class TreeView : public QObject {
    Q_OBJECT
public:
    struct Node;

    explicit TreeView(QObject *parent = nullptr);
    ~TreeView() override;

    // Adds a node under parentIndex (0 = root) at the end of its children and
    // returns its index. Throws std::out_of_range for a bad parent index.
    int Add(int parentIndex, const QString &text, const QString &tag = QString(), int image = 0,
            int selectedImage = 0);
    // Removes the node and its descendants; later indexes shift down.
    void Remove(int index);
    void Clear();

    int Count() const { return static_cast<int>(m_nodes.size()); }

    // Accessors throw std::out_of_range for an index outside 1..Count().
    QString Text(int index) const;
    void SetText(int index, const QString &text);
    QString Tag(int index) const;
    void SetTag(int index, const QString &tag);
    bool Bold(int index) const;
    void SetBold(int index, bool bold);
    int Image(int index) const;
    void SetImage(int index, int image);
    int SelectedImage(int index) const;
    void SetSelectedImage(int index, int image);
    bool Expanded(int index) const;
    void SetExpanded(int index, bool expanded);

    // Relations; 0 means "none".
    int Parent(int index) const;
    int Child(int index) const; // first child
    int Children(int index) const;
    int FirstSibling(int index) const;
    int LastSibling(int index) const;
    int Next(int index) const; // next sibling
    // Index of the n-th (0-based) child of a node, or 0.
    int ChildAt(int index, int n) const;

    // The selected node, 0 when none. Selecting a node expands its
    // ancestors so that it can be seen; Select(0) clears the selection.
    int Selected() const;
    void Select(int index);

    // Index of a node object, 0 when it is not in the tree (any more).
    int IndexOf(const Node *node) const;
    const Node *NodeAt(int index) const;

signals:
    void nodeAdded(const TreeView::Node *node);
    void nodeAboutToBeRemoved(const TreeView::Node *node);
    // Text, tag, bold or pictures changed.
    void nodeChanged(const TreeView::Node *node);
    // Emitted only when the state really changes, by code or by the view.
    void expandedChanged(const TreeView::Node *node, bool expanded);
    void selectionChanged(const TreeView::Node *node);
    void cleared();

private:
    Node *at(int index) const;
    void collect(Node *node, std::vector<Node *> &out) const;

    std::vector<std::unique_ptr<Node>> m_nodes; // creation order
    Node *m_selected = nullptr;
};

struct TreeView::Node {
    QString text;
    QString tag;
    bool bold = false;
    int image = 0;
    int selectedImage = 0;
    bool expanded = false;
    Node *parent = nullptr;
    std::vector<Node *> children;
};
