// The subject tree of the main window (TreeFolders): three fixed folders
// (installed subjects, a random subject, random phrases) followed by one
// folder per virtual folder file; subjects below them; phrases below a subject
// once it was clicked. Every node carries a "*"-separated tag saying what it
// stands for. Works on the TreeView model, so it runs without a window.
#pragma once

#include <QString>
#include <QStringList>

#include "platform/tree_view.h"

class FileListBox;
class Program;

class SubjectTree {
public:
    SubjectTree(Program &program, TreeView &TreeFolders, FileListBox &File1, FileListBox &File2);

    // Builders, run by the start-up in this order.
    void Create_Folders();
    void Get_Subjects();
    void Get_vSubjects();
    // Rebuilds the whole tree when bSubjectsChanged is set, and clears it.
    void Refresh_Subjects();

    // Events of the tree.
    void NodeClick(int index);
    void Expand(int index);
    void Collapse(int index);

    // Display title of an installed subject file: words split at "_", a leading
    // blank, the extension cut, proper case. Empty text when it fails.
    QString Proper_Title(const QString &fileName);
    // Field n (from 0) of the tag of node index; empty text (after the error
    // box) when the node or the field does not exist.
    QString Tag_Item(int n, int index);

    // Before a virtual subject (or the random phrases) is studied: true when it
    // has phrases whose source subjects are present and valid. index receives
    // the last phrase node examined.
    bool Check_Virtual_Subject(int &index);

    // The phrase lists (phrase nodes under the selected subject node).
    void Get_Phrases(const QString &fileName);
    void Get_vPhrases(const QString &folderFile, int key, int nodeIndex);
    void Get_Random_Phrases();

    // Pictures of ImageList2.
    enum Picture {
        FolderClosed = 1,
        FolderOpen = 2,
        VirtualFolderClosed = 3,
        VirtualFolderOpen = 4,
        SubjectPicture = 5,
        SubjectSelected = 6,
        VirtualSubjectPicture = 7,
        VirtualSubjectSelected = 8,
        PhrasePicture = 9,
        VirtualPhrasePicture = 10,
        BrokenSubject = 11,
    };

private:
    // The installed subject files that can stand in a tag: File1's names
    // without "*", which would split the tag.
    QStringList subjectFiles() const;
    // Warns once about files left out because their names contain "*".
    void reportUnusableNames(const QStringList &names);
    // Expands a subject node that (still) has phrases.
    void openOnPhrases(const TreeView::Node *subject);
    // Adds the phrase node of the current row under parent.
    void addPhraseNode(int parent, const QString &fileName, const QString &number,
                       const QString &phrase, const QString &translation,
                       const QString &translation2, int image);

    Program &m_program;
    TreeView &m_tree;
    FileListBox &m_file1;
    FileListBox &m_file2;
};
