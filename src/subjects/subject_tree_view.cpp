#include "subjects/subject_tree_view.h"

#include "platform/tree_view_widget.h"
#include "subjects/subject_tree.h"

void Connect_Subject_Tree(TreeViewWidget &view, SubjectTree &tree, QObject *context) {
    QObject::connect(&view, &TreeViewWidget::NodeClick, context,
                     [&tree](int index) { tree.NodeClick(index); });
    QObject::connect(&view, &TreeViewWidget::Expand, context,
                     [&tree](int index) { tree.Expand(index); });
    QObject::connect(&view, &TreeViewWidget::Collapse, context,
                     [&tree](int index) { tree.Collapse(index); });
}
