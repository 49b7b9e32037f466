// The node collection of a tree view with common-control semantics: nodes are
// addressed by a 1-based index in order of creation, and removing a node
// (with its descendants) shifts the later indexes down. Children keep their
// order of creation.
//
// The collection is also the item model (one column) that a QTreeView shows
// directly, so there is one copy of the nodes. It needs no window: the
// program and the tests work on it alone. Selection and expanded state live
// here; a view follows them (TreeViewWidget).
//
// Filling a branch is cheap for a view: consecutive Add()s under the same
// parent are announced to views as one row insertion. Until then the new
// nodes are fully there for the program (Count, Text, Child, ...) but not
// yet rows of the model, so a view always sees a consistent model. They are
// announced before any other change, when a view asks for them (fetchMore,
// ModelIndex, TreeViewWidget before it paints), when control returns to the
// event loop, and on Flush().
#pragma once

#include <QAbstractItemModel>
#include <QColor>
#include <QMimeData>
#include <QString>

#include <memory>
#include <unordered_set>
#include <vector>

class ImageList;

// What a node stands for, as a value of the program's own; the collection
// keeps it with the node (so it follows the node through every shift of the
// indexes) and never looks inside. The node's tag text is derived from it.
class TreeNodeData {
public:
    virtual ~TreeNodeData() = default;
    virtual QString Tag() const = 0;
};

class TreeView : public QAbstractItemModel {
    Q_OBJECT
public:
    struct Node;

    explicit TreeView(QObject *parent = nullptr);
    ~TreeView() override;

    // Adds a node under parentIndex (0 = root) at the end of its children and
    // returns its index. Throws std::out_of_range for a bad parent index.
    int Add(int parentIndex, const QString &text, const QString &tag = QString(), int image = 0,
            int selectedImage = 0);
    // The same for a node that carries a value; its tag is the value's.
    int Add(int parentIndex, const QString &text, std::shared_ptr<const TreeNodeData> data,
            int image = 0, int selectedImage = 0);
    // The same, shown before the parent's first row children (rows, not
    // indexes: the node's index is still the next one, Count() + 1).
    int AddFirst(int parentIndex, const QString &text, std::shared_ptr<const TreeNodeData> data,
                 int image = 0, int selectedImage = 0);
    // Removes the node and its descendants; later indexes shift down.
    void Remove(int index);
    void Clear();
    // Announces the nodes added since the last change to the views now.
    void Flush();

    int Count() const { return static_cast<int>(m_nodes.size()); }

    // Accessors throw std::out_of_range for an index outside 1..Count().
    QString Text(int index) const;
    void SetText(int index, const QString &text);
    // The value's tag for a node with a value, else the text set as its tag.
    QString Tag(int index) const;
    // Sets a plain tag text; the node no longer carries a value.
    void SetTag(int index, const QString &tag);
    // The node's value, null for a node without one.
    const TreeNodeData *Data(int index) const;
    void SetData(int index, std::shared_ptr<const TreeNodeData> data);
    bool Bold(int index) const;
    void SetBold(int index, bool bold);
    int Image(int index) const;
    void SetImage(int index, int image);
    int SelectedImage(int index) const;
    void SetSelectedImage(int index, int image);
    // The text colour; an invalid colour draws the view's own.
    QColor ForeColor(int index) const;
    void SetForeColor(int index, const QColor &color);
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

    // Pictures for the nodes' Image and SelectedImage numbers, kept as long
    // as the collection shows them. Numbers outside the list show no picture.
    void SetImageList(std::shared_ptr<const ImageList> images);

    // Drag and drop through the item model: a drag source lets views drag
    // its nodes out (as a reference to the node, copied, never moved); a
    // drop target takes drops of nodes of another TreeView of this program
    // and reports them by NodeDropped, leaving what they mean to its owner.
    void SetDragSource(bool enabled) { m_dragSource = enabled; }
    void SetDropTarget(bool enabled) { m_dropTarget = enabled; }
    // Whether a view may edit the nodes' texts in place (label editing). An
    // edit sets the new text and then reports it by LabelEdited.
    void SetLabelEdit(bool enabled) { m_labelEdit = enabled; }
    // The mime type that carries a node reference.
    static QString NodeMimeType();

    // The model index of a node (announcing pending nodes first); index 0
    // gives the invisible root. Throws std::out_of_range outside 0..Count().
    QModelIndex ModelIndex(int index) const;
    // The node of a model index of this model, 0 for none.
    int IndexOf(const QModelIndex &index) const;

    // QAbstractItemModel
    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    bool canDropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                         const QModelIndex &parent) const override;
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;

signals:
    // Emitted only when the state really changes, by code or by the view.
    void expandedChanged(const TreeView::Node *node, bool expanded);
    void selectionChanged(const TreeView::Node *node);
    // A node of source was dropped onto node target of this collection (0:
    // beside every node).
    void NodeDropped(const TreeView *source, int sourceIndex, int targetIndex);
    // A label edit ended with text, which the node now shows.
    void LabelEdited(int index, const QString &text);

private:
    Node *at(int index) const;
    Node *nodeOf(const QModelIndex &index) const;
    QModelIndex modelIndexOf(const Node *node) const;
    const std::vector<Node *> &siblingsOf(const Node *node) const;
    std::vector<Node *> &childrenOf(Node *node);
    const std::vector<Node *> &childrenOf(const Node *node) const;
    int shownRows(const Node *parent) const;
    bool isPending(const Node *node) const;
    void flushPending() const;
    void postFlush();
    void changed(Node *node, const QList<int> &roles);
    void markDoomed(Node *node);
    // A node under parent at row, with the next index, not yet in the tree.
    std::unique_ptr<Node> newNode(Node *parent, int row, const QString &text, int image,
                                  int selectedImage) const;
    // The collection and node a drag carries, when they still exist.
    static bool decodeNode(const QMimeData *data, const TreeView *&source, int &index);

    std::vector<std::unique_ptr<Node>> m_nodes; // creation order
    std::vector<Node *> m_roots;
    // The live nodes, so that IndexOf(Node *) never reads a removed node.
    std::unordered_set<const Node *> m_live;
    Node *m_selected = nullptr;
    std::shared_ptr<const ImageList> m_images;

    // Nodes added at the end of one parent's children and not yet announced.
    // m_pendingParent null with m_pending set means the root.
    mutable bool m_pending = false;
    Node *m_pendingParent = nullptr;
    int m_pendingFirst = 0;
    mutable bool m_announcing = false;
    bool m_flushPosted = false;
    bool m_dragSource = false;
    bool m_dropTarget = false;
    bool m_labelEdit = false;
};

struct TreeView::Node {
    QString text;
    QString tag;
    std::shared_ptr<const TreeNodeData> data;
    bool bold = false;
    int image = 0;
    int selectedImage = 0;
    QColor foreColor;
    bool expanded = false;
    Node *parent = nullptr;
    std::vector<Node *> children;
    // Kept up to date by the collection: the 1-based index in creation order
    // and the position among the siblings.
    int index = 0;
    int row = 0;
    bool doomed = false; // being removed
};
