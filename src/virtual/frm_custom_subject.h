// The virtual subject editor: installed subjects with their phrases on the
// left (TreeSubjects), the student's virtual folders, subjects and phrases on
// the right (TreeVirtual). Subjects and phrases are copied by dragging them
// from left to right, or by keyboard (Ctrl+C on the left, Ctrl+V on the
// right); folders and subjects are created, renamed in place and deleted with
// the buttons, the pop-up menu or the keys (F2, Delete). What each command
// does is VirtualEditor's, on the two trees' nodes; the window wires its
// controls to it, times the label edits and the drag's scrolling, and asks
// the main window to hear or record a phrase. Every change goes through the
// virtual store at once; the main window rebuilds its tree when the editor
// closes after a change.
#pragma once

#include "platform/image_list.h"
#include "platform/tree_view.h"
#include "subject_data/phrase.h"
#include "subject_data/subject_node.h"
#include "virtual/virtual_editor.h"

#include <QPixmap>
#include <QPoint>
#include <QVector>
#include <QWidget>

#include <memory>
#include <optional>

class FileListBox;
class Program;
class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTimer;
class TreeViewWidget;

class frmCustomSubject : public QWidget {
    Q_OBJECT
public:
    // File1 and File2: the main window's lists of installed subject files
    // and virtual folder files, refreshed here.
    frmCustomSubject(Program &program, FileListBox &File1, FileListBox &File2,
                     QWidget *parent = nullptr);

    // Opening from the main window (which has hidden itself): a notice while
    // the trees fill, then the window, not modal.
    void Open();
    void Form_Load();

    // --- controls ---
    TreeViewWidget *TreeSubjects;
    TreeViewWidget *TreeVirtual;
    QVector<QLabel *> lblCaption;
    QPushButton *btnNewFolder;
    QPushButton *btnNewSubject;
    QPushButton *btnRename;
    QPushButton *btnDelete;
    QPushButton *btnDone;
    QMenu *mnuEdit;
    QAction *mnuNewFolder;
    QAction *mnuNew;
    QAction *mnuDelete;
    QAction *mnuRename;
    std::shared_ptr<ImageList> ImgListView = std::make_shared<ImageList>();
    QTimer *Timer1;    // scrolls TreeVirtual while a drag hovers near an edge
    QTimer *TimerEdit; // restarts a refused label edit

    // --- procedures ---
    void Create_Root();
    void Get_Installed_Subjects();
    void Get_Virtual_Folders();
    void Get_Installed_Phrases(int node);
    void Get_Virtual_Phrases(int node);
    void TreeSubjects_NodeClick(int node);
    void TreeVirtual_NodeClick(int node);
    void btnNewFolder_Click();
    void btnNewSubject_Click();
    void btnRename_Click();
    void btnDelete_Click();
    // Asks to hear the selected phrase of the tree pressed last (HearPhrase).
    void Play_Selected_Phrase(bool slowly = false);
    // Asks to record the learner saying it and compare (RecordPhrase, key R).
    void Record_Selected_Phrase();
    // The phrase of the selected node of the tree pressed last, if it is one.
    std::optional<subjectData::Phrase> Selected_Phrase() const;

    // A node of TreeSubjects dropped onto node target of TreeVirtual (0:
    // beside the nodes): a whole subject or one phrase is copied.
    void Drop(int dragged, int target);
    // The keyboard's drag and drop: remembers the selected node of
    // TreeSubjects, then drops it onto the selected node of TreeVirtual.
    void Copy_Selection();
    void Paste_Selection();

    // The node a drop would land on, 0 for none.
    int DropHighlight() const { return m_dropHighlight; }
    // -1 up, 1 down, 0 none: where Timer1 scrolls.
    int ScrollDirection() const { return m_scrollDirection; }

signals:
    // The editor changed something: the main window rebuilds its tree.
    void RefreshSubjects();
    // The editor has closed; the main window shows itself again.
    void Closed();
    // The learner asked to hear a phrase (slowly: slowed down), or to record
    // saying it and compare: the main window plays it, or records.
    void HearPhrase(const subjectData::Phrase &phrase, bool slowly);
    void RecordPhrase(const subjectData::Phrase &phrase);

protected:
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    TreeView &subjects();
    TreeView &virtuals();
    void setCommands(int node);
    void setNewSubjectEnabled(bool enabled);
    void startLabelEdit(int node);
    void labelEdited(int node, const QString &text);
    // Handles an edit whose editor has closed; a refused name restarts the
    // edit (TimerEdit) or, when a command is waiting, gives it up.
    void finishLabelEdit(bool restartWhenRefused);
    // Ends any edit under way before a command runs.
    void settleLabelEdit();
    void cancelLabelEdit();
    void restartLabelEdit();
    void refuseLabelEdit(const QString &message, bool restart);
    int editedNode() const;
    void dragOver(int x, int y);
    void scrollTick();
    void virtualMouseDown(int button, int x, int y);
    void treeKeyDown(TreeViewWidget *tree, int keyCode, int shift);
    void Form_Unload();
    void reportError(const QString &procedure, const std::exception &e);

    Program &m_program;
    QPixmap m_background;
    // What the window does, on its two trees.
    std::unique_ptr<VirtualEditor> m_editor;
    // The tree pressed (or used by keyboard) last.
    TreeViewWidget *m_lastTree = nullptr;
    // The label edit under way: its node, and what the node stood for when
    // the edit began (with the new text once the editor has closed).
    struct LabelEdit {
        const TreeView::Node *node = nullptr;
        VirtualEditor::Rename rename;
        bool ended = false; // the editor closed with rename.newText, not yet handled
    };
    std::optional<LabelEdit> m_edit;
    int m_dropHighlight = 0;
    int m_scrollDirection = 0;
    QPoint m_dragPosition; // twips
    const TreeView::Node *m_copied = nullptr;
    bool m_unloaded = false;
};
