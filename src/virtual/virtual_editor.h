// What the virtual subject editor does, without its window: the installed
// subjects with their phrases on the left (TreeSubjects), the virtual
// folders, subjects and phrases on the right (TreeVirtual), and the commands
// that change them through the virtual store. The window (frmCustomSubject)
// shows the two trees, turns clicks, keys and drops into these calls and
// enables its buttons as Commands_For says.
#pragma once

#include "platform/tree_view.h"
#include "subject_data/phrase.h"
#include "subject_data/subject_node.h"
#include "virtual/virtual_store.h"

#include <QString>

#include <optional>

class FileListBox;
class Program;

class VirtualEditor {
public:
    // File1 and File2: the main window's lists of installed subject files
    // and virtual folder files, refreshed here.
    VirtualEditor(Program &program, TreeView &TreeSubjects, TreeView &TreeVirtual,
                  FileListBox &File1, FileListBox &File2);

    // --- what the nodes of TreeVirtual are ---
    enum class Kind { None, Folder, Subject, Phrase };
    Kind Kind_Of(int node) const;
    // The folder node that holds a node (the node itself, its parent or its
    // grandparent); 0 for none.
    int Folder_Of(int node) const;
    // The commands a selected node of TreeVirtual offers.
    struct Commands {
        bool newSubject = false;
        bool rename = false;
        bool remove = false;
    };
    std::optional<Commands> Commands_For(int node) const;

    // --- filling the trees (progress in the notice window) ---
    void Create_Root();
    void Get_Installed_Subjects();
    void Get_Virtual_Folders();
    // The phrases of an installed subject node, once; the window is
    // disabled meanwhile by the caller.
    void Get_Installed_Phrases(int node);
    // The phrases of a virtual subject node, once.
    void Get_Virtual_Phrases(int node);

    // --- clicks ---
    // A click on a node of TreeSubjects: the root opens or closes; a subject
    // not yet read is checked (a defective one is marked and reported) and
    // true says its phrases are to be read now (Get_Installed_Phrases).
    bool TreeSubjects_NodeClick(int node);
    // A click on a node of TreeVirtual: a folder opens or closes, a subject
    // lists its phrases, a phrase's source is checked.
    void TreeVirtual_NodeClick(int node);

    // The phrase of the selected node of a tree, if it stands for one.
    static std::optional<subjectData::Phrase> Selected_Phrase(const TreeView &tree);

    // --- commands on TreeVirtual ---
    // A new folder file named caption 123 (numbered past the names taken);
    // its node, selected, or 0 when it could not be made (reported).
    int New_Folder();
    // A new subject named caption 51 in the folder of the selected node; its
    // node, selected, or 0 (nothing selected, or reported).
    int New_Subject();
    // Removes the selected node and what it stands for (a folder after the
    // student agreed); what was removed, or nothing.
    std::optional<Kind> Delete_Selected();

    // A rename typed into a node's label, bound to what the node stood for
    // when the edit began.
    struct Rename {
        Kind kind = Kind::None;
        QString folder;     // the folder's display name (a subject's: its parent's)
        int subjectKey = 0; // a subject's key
        QString oldText;
        QString newText;
    };
    // What a node stands for as a rename begins.
    Rename Begin_Rename(int node) const;
    // Stores the rename: empty text when done (or nothing to do), otherwise
    // the message refusing it (an empty or unusable name, an existing
    // folder). Throws when the store fails; nothing is renamed then.
    QString Apply_Rename(const Rename &rename);

    // --- copying ---
    // A node of TreeSubjects dropped onto node target of TreeVirtual (0:
    // beside the nodes): a whole subject or one phrase is copied. Returns the
    // node of TreeVirtual whose commands apply now (0: leave them).
    int Drop(int dragged, int target);

private:
    const subjectData::SubjectNode *virtualNode(int node) const;
    int Copy_Subject(int dragged, int target);
    int Copy_Phrase(int dragged, int target);
    void reportError(const QString &procedure, const std::exception &e);

    Program &m_program;
    TreeView &m_subjects;
    TreeView &m_virtual;
    FileListBox &m_file1;
    FileListBox &m_file2;
    virtualStore::VirtualStore m_store;
};
