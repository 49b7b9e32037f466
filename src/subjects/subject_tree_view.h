// The subject tree behind the tree control that shows it: clicks, expands
// and collapses of the control reach the tree's events. The main window and
// the benchmark share this wiring.
#pragma once

class QObject;
class SubjectTree;
class TreeViewWidget;

// context: the object whose life bounds the connections.
void Connect_Subject_Tree(TreeViewWidget &view, SubjectTree &tree, QObject *context);
