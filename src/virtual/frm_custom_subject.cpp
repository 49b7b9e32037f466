#include "virtual/frm_custom_subject.h"

#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/host.h"
#include "platform/pictures.h"
#include "platform/qt_button_sounds.h"
#include "platform/qt_window_enabled.h"
#include "platform/qt_window_placement.h"
#include "platform/tiled_background.h"
#include "platform/tree_view_widget.h"
#include "platform/twips.h"
#include "subject_data/subject_node.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <stdexcept>

namespace {

constexpr int kWidthTwips = 11280;
constexpr int kHeightTwips = 7980;
constexpr int kNoticeHeightTwips = 1800;
// Where a drag scrolls the tree: this close to its top or bottom edge.
constexpr int kScrollTopTwips = 100;
constexpr int kScrollBottomTwips = 200;

using subjectData::SubjectNode;
namespace Picture = subjectData;

} // namespace

frmCustomSubject::frmCustomSubject(Program &program, FileListBox &File1, FileListBox &File2,
                                   QWidget *parent)
    : QWidget(parent, Qt::Window), m_program(program),
      m_background(LoadPicture(QStringLiteral(":/tiles/background.png"))) {
    setObjectName(QStringLiteral("frmCustomSubject"));
    setFixedSize(TwipsToPixels(kWidthTwips), TwipsToPixels(kHeightTwips));

    auto button = [this](const char *name, int i) {
        auto *b = new QPushButton(this);
        b->setObjectName(QLatin1String(name));
        PlaceTwips(*b, 240 + i * 2160, 240, 2040, 420);
        AddClickSound(*b, modMain::Button_Click(m_program));
        return b;
    };
    btnNewFolder = button("btnNewFolder", 0);
    btnNewSubject = button("btnNewSubject", 1);
    btnRename = button("btnRename", 2);
    btnDelete = button("btnDelete", 3);
    btnDone = button("btnDone", 4);

    for (int i = 0; i < 2; ++i) {
        auto *label = new QLabel(this);
        label->setObjectName(QStringLiteral("lblCaption%1").arg(i));
        PlaceTwips(*label, 240 + i * 5520, 840, 5280, 330);
        label->setStyleSheet(QStringLiteral("font-weight: bold; color: #123a52;"));
        lblCaption << label;
    }

    for (int i = 1; i <= 11; ++i)
        ImgListView->Add(LoadPicture(QStringLiteral(":/tree/%1.png").arg(i)));
    TreeSubjects = new TreeViewWidget(this);
    TreeSubjects->setObjectName(QStringLiteral("TreeSubjects"));
    PlaceTwips(*TreeSubjects, 240, 1200, 5280, 6480);
    TreeVirtual = new TreeViewWidget(this);
    TreeVirtual->setObjectName(QStringLiteral("TreeVirtual"));
    PlaceTwips(*TreeVirtual, 5760, 1200, 5280, 6480);
    m_editor = std::make_unique<VirtualEditor>(program, TreeSubjects->Nodes(), TreeVirtual->Nodes(),
                                               File1, File2);
    for (TreeViewWidget *tree : {TreeSubjects, TreeVirtual})
        tree->SetImageList(ImgListView);
    lblCaption[0]->setBuddy(TreeSubjects);
    lblCaption[1]->setBuddy(TreeVirtual);

    // Drags go from left to right only, and always copy.
    subjects().SetDragSource(true);
    TreeSubjects->setDragEnabled(true);
    TreeSubjects->setDragDropMode(QAbstractItemView::DragOnly);
    TreeSubjects->setDefaultDropAction(Qt::CopyAction);
    virtuals().SetDropTarget(true);
    virtuals().SetLabelEdit(true);
    TreeVirtual->setAcceptDrops(true);
    TreeVirtual->setDragDropMode(QAbstractItemView::DropOnly);
    // A drop lands on the node under the pointer, never between nodes.
    TreeVirtual->setDragDropOverwriteMode(true);
    TreeVirtual->setDropIndicatorShown(true);
    // Timer1 does the scrolling near the edges, at its own pace.
    TreeVirtual->setAutoScroll(false);
    TreeVirtual->setContextMenuPolicy(Qt::CustomContextMenu);

    mnuEdit = new QMenu(this);
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    auto entry = [this](const char *name) {
        QAction *action = mnuEdit->addAction(QString());
        action->setObjectName(QLatin1String(name));
        return action;
    };
    mnuNewFolder = entry("mnuNewFolder");
    mnuNew = entry("mnuNew");
    mnuDelete = entry("mnuDelete");
    mnuRename = entry("mnuRename");

    auto timer = [this](const char *name, int interval) {
        auto *t = new QTimer(this);
        t->setObjectName(QLatin1String(name));
        t->setInterval(interval);
        return t;
    };
    Timer1 = timer("Timer1", 200);
    TimerEdit = timer("TimerEdit", 100);

    connect(btnNewFolder, &QPushButton::clicked, this, &frmCustomSubject::btnNewFolder_Click);
    connect(mnuNewFolder, &QAction::triggered, this, &frmCustomSubject::btnNewFolder_Click);
    connect(btnNewSubject, &QPushButton::clicked, this, &frmCustomSubject::btnNewSubject_Click);
    connect(mnuNew, &QAction::triggered, this, &frmCustomSubject::btnNewSubject_Click);
    connect(btnRename, &QPushButton::clicked, this, &frmCustomSubject::btnRename_Click);
    connect(mnuRename, &QAction::triggered, this, &frmCustomSubject::btnRename_Click);
    connect(btnDelete, &QPushButton::clicked, this, &frmCustomSubject::btnDelete_Click);
    connect(mnuDelete, &QAction::triggered, this, &frmCustomSubject::btnDelete_Click);
    connect(btnDone, &QPushButton::clicked, this, [this] {
        settleLabelEdit();
        close();
    });
    connect(Timer1, &QTimer::timeout, this, &frmCustomSubject::scrollTick);
    connect(TimerEdit, &QTimer::timeout, this, &frmCustomSubject::restartLabelEdit);

    connect(TreeSubjects, &TreeViewWidget::NodeClick, this, [this](int node) {
        m_lastTree = TreeSubjects;
        TreeSubjects_NodeClick(node);
    });
    connect(TreeVirtual, &TreeViewWidget::NodeClick, this, [this](int node) {
        m_lastTree = TreeVirtual;
        TreeVirtual_NodeClick(node);
    });
    connect(TreeSubjects, &TreeViewWidget::MouseDown, this,
            [this](int, int, int, int) { m_lastTree = TreeSubjects; });
    connect(TreeVirtual, &TreeViewWidget::MouseDown, this,
            [this](int button, int, int x, int y) { virtualMouseDown(button, x, y); });
    connect(TreeVirtual, &TreeViewWidget::MouseUp, this, [this] { Timer1->stop(); });
    connect(TreeVirtual, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { mnuEdit->popup(TreeVirtual->viewport()->mapToGlobal(at)); });
    for (TreeViewWidget *tree : {TreeSubjects, TreeVirtual}) {
        connect(tree, &TreeViewWidget::DblClick, this, [this, tree] {
            m_lastTree = tree;
            Play_Selected_Phrase();
        });
        connect(tree, &TreeViewWidget::KeyDown, this,
                [this, tree](int keyCode, int shift) { treeKeyDown(tree, keyCode, shift); });
        tree->SetCommandKeys(
            {QKeyCombination(Qt::Key_Space), QKeyCombination(Qt::SHIFT, Qt::Key_Space),
             QKeyCombination(Qt::SHIFT, Qt::Key_Return), QKeyCombination(Qt::SHIFT, Qt::Key_Enter),
             QKeyCombination(Qt::Key_R)});
    }
    connect(TreeVirtual, &TreeViewWidget::KeyUp, this, [this](int keyCode, int) {
        // Escape gives up a refused edit: the last good name comes back.
        if (keyCode == 27 && TimerEdit->isActive())
            cancelLabelEdit();
    });
    // Folders (and the root) show whether they are open.
    const auto folderPicture = [](TreeView &tree, int node, int picture) {
        const SubjectNode *value = subjectData::Node_At(tree, node);
        if (value && subjectData::Is_Folder(value->kind))
            tree.SetImage(node, picture);
    };
    connect(TreeSubjects, &TreeViewWidget::Expand, this, [this, folderPicture](int node) {
        folderPicture(subjects(), node, Picture::FolderOpen);
    });
    connect(TreeSubjects, &TreeViewWidget::Collapse, this, [this, folderPicture](int node) {
        folderPicture(subjects(), node, Picture::FolderClosed);
    });
    connect(TreeVirtual, &TreeViewWidget::Expand, this, [this, folderPicture](int node) {
        folderPicture(virtuals(), node, Picture::VirtualFolderOpen);
    });
    connect(TreeVirtual, &TreeViewWidget::Collapse, this, [this, folderPicture](int node) {
        folderPicture(virtuals(), node, Picture::VirtualFolderClosed);
    });
    connect(TreeVirtual, &TreeViewWidget::DragOver, this, &frmCustomSubject::dragOver);
    connect(TreeVirtual, &TreeViewWidget::DragLeave, this, [this] { Timer1->stop(); });
    // Handled once the drop event is over, so that messages never open
    // inside the drag.
    connect(
        &virtuals(), &TreeView::NodeDropped, this,
        [this](const TreeView *source, int dragged, int target) {
            if (source == &subjects())
                Drop(dragged, target);
        },
        Qt::QueuedConnection);
    connect(&virtuals(), &TreeView::LabelEdited, this, &frmCustomSubject::labelEdited);

    setNewSubjectEnabled(false);
    btnRename->setEnabled(false);
    btnDelete->setEnabled(false);
}

TreeView &frmCustomSubject::subjects() {
    return TreeSubjects->Nodes();
}

TreeView &frmCustomSubject::virtuals() {
    return TreeVirtual->Nodes();
}

void frmCustomSubject::reportError(const QString &procedure, const std::exception &e) {
    modMain::Show_Error(m_program, procedure, e);
}

// --- opening, loading, closing ---

void frmCustomSubject::Open() {
    ShellWindows &windows = m_program.windows();
    windows.ShowNotice(m_program.captions[12], m_program.captions[13] + QStringLiteral("..."),
                       kNoticeHeightTwips, 0);
    modMain::Wait_Seconds(m_program.host(), 1);
    Form_Load();
    CenterWindow(*this);
    show();
    windows.UnloadNotice();
    // The keyboard starts where the student starts: the installed subjects.
    activateWindow();
    TreeSubjects->setFocus();
}

void frmCustomSubject::Form_Load() {
    const Captions &c = m_program.captions;
    {
        WindowDisabled loading(*this);
        setWindowTitle(m_program.identity.productTitle + QStringLiteral(" - ") + c[65]);
        lblCaption[0]->setText(c[2]);
        lblCaption[1]->setText(c[64]);
        btnNewFolder->setText(c[123]);
        mnuNewFolder->setText(c[123]);
        btnNewSubject->setText(c[66]);
        mnuNew->setText(c[66]);
        btnDelete->setText(c[24]);
        mnuDelete->setText(c[24]);
        btnRename->setText(c[84]);
        mnuRename->setText(c[84]);
        btnDone->setText(c[128]);
        TreeSubjects->setAccessibleName(c[2]);
        TreeVirtual->setAccessibleName(c[64]);
        for (QWidget *w :
             {static_cast<QWidget *>(TreeSubjects), static_cast<QWidget *>(TreeVirtual)}) {
            w->setAccessibleDescription(c[caption::CopyPasteHint]);
            w->setToolTip(c[caption::CopyPasteHint]);
        }
        Create_Root();
        Get_Installed_Subjects();
        Get_Virtual_Folders();
    }
    subjects().SetExpanded(1, true);
    subjects().Select(1);
    if (virtuals().Count() > 0)
        virtuals().Select(1);
}

void frmCustomSubject::closeEvent(QCloseEvent *event) {
    Form_Unload();
    event->accept();
}

void frmCustomSubject::Form_Unload() {
    if (m_unloaded)
        return;
    settleLabelEdit();
    m_unloaded = true;
    hide();
    ShellWindows &windows = m_program.windows();
    if (m_program.bSubjectsChanged) {
        windows.ShowNotice(m_program.captions[129], m_program.captions[13] + QStringLiteral("..."),
                           kNoticeHeightTwips, 0);
        modMain::Wait_Seconds(m_program.host(), 1);
        emit RefreshSubjects();
    }
    emit Closed();
    windows.UnloadNotice();
}

void frmCustomSubject::paintEvent(QPaintEvent *) {
    // Without its picture the window keeps its plain colour and stays usable.
    tiling::PaintWindowBackground(*this, m_background);
}

// --- filling the trees ---

void frmCustomSubject::Create_Root() {
    m_editor->Create_Root();
}

void frmCustomSubject::Get_Installed_Subjects() {
    m_editor->Get_Installed_Subjects();
}

void frmCustomSubject::Get_Virtual_Folders() {
    m_editor->Get_Virtual_Folders();
}

void frmCustomSubject::Get_Installed_Phrases(int node) {
    WindowDisabled reading(*this);
    m_editor->Get_Installed_Phrases(node);
}

void frmCustomSubject::Get_Virtual_Phrases(int node) {
    m_editor->Get_Virtual_Phrases(node);
}

// --- clicks and commands ---

void frmCustomSubject::TreeSubjects_NodeClick(int node) {
    settleLabelEdit();
    if (m_editor->TreeSubjects_NodeClick(node))
        Get_Installed_Phrases(node);
}

void frmCustomSubject::TreeVirtual_NodeClick(int node) {
    settleLabelEdit();
    m_editor->TreeVirtual_NodeClick(node);
    setCommands(virtuals().Selected());
}

void frmCustomSubject::setNewSubjectEnabled(bool enabled) {
    btnNewSubject->setEnabled(enabled);
    mnuNew->setEnabled(enabled);
}

void frmCustomSubject::setCommands(int node) {
    if (const auto commands = m_editor->Commands_For(node)) {
        setNewSubjectEnabled(commands->newSubject);
        btnRename->setEnabled(commands->rename);
        btnDelete->setEnabled(commands->remove);
    }
}

void frmCustomSubject::virtualMouseDown(int button, int x, int y) {
    m_lastTree = TreeVirtual;
    // A right click acts on the node under the pointer, which the pop-up
    // menu's commands then use.
    if (button == 2) {
        const QPoint at = TreeVirtual->viewport()->mapFrom(
            TreeVirtual, QPoint(TwipsToPixels(x), TwipsToPixels(y)));
        const int node = TreeVirtual->HitTest(at);
        if (node != 0) {
            virtuals().Select(node);
            setCommands(node);
        }
    }
    m_dropHighlight = 0;
}

void frmCustomSubject::treeKeyDown(TreeViewWidget *tree, int keyCode, int shift) {
    m_lastTree = tree;
    const bool ctrl = (shift & 2) != 0;
    if (keyCode == 13 || keyCode == ' ') {
        // Shift hears the phrase slowly, as in the main window's tree.
        Play_Selected_Phrase((shift & 1) != 0);
    } else if (!ctrl && keyCode == 'R' && shift == 0) {
        Record_Selected_Phrase();
    } else if (tree == TreeSubjects && ctrl && keyCode == 'C') {
        Copy_Selection();
    } else if (tree == TreeVirtual && ctrl && keyCode == 'V') {
        Paste_Selection();
    } else if (tree == TreeVirtual && keyCode == 46) {
        btnDelete_Click();
    } else if (tree == TreeVirtual && keyCode == 113) {
        btnRename_Click();
    }
}

std::optional<subjectData::Phrase> frmCustomSubject::Selected_Phrase() const {
    return VirtualEditor::Selected_Phrase(m_lastTree == TreeSubjects ? TreeSubjects->Nodes()
                                                                     : TreeVirtual->Nodes());
}

void frmCustomSubject::Play_Selected_Phrase(bool slowly) {
    if (const auto phrase = Selected_Phrase())
        emit HearPhrase(*phrase, slowly);
}

void frmCustomSubject::Record_Selected_Phrase() {
    if (const auto phrase = Selected_Phrase())
        emit RecordPhrase(*phrase);
}

// --- new, rename, delete ---

void frmCustomSubject::btnNewFolder_Click() {
    settleLabelEdit();
    if (const int folder = m_editor->New_Folder()) {
        setCommands(folder);
        startLabelEdit(folder);
    }
}

void frmCustomSubject::btnNewSubject_Click() {
    settleLabelEdit();
    if (const int subject = m_editor->New_Subject()) {
        setCommands(subject);
        startLabelEdit(subject);
    }
}

void frmCustomSubject::btnRename_Click() {
    settleLabelEdit();
    const int selected = virtuals().Selected();
    const VirtualEditor::Kind kind = m_editor->Kind_Of(selected);
    if (kind == VirtualEditor::Kind::Folder || kind == VirtualEditor::Kind::Subject)
        startLabelEdit(selected);
}

void frmCustomSubject::btnDelete_Click() {
    settleLabelEdit();
    const auto removed = m_editor->Delete_Selected();
    if (removed == VirtualEditor::Kind::Folder || removed == VirtualEditor::Kind::Subject)
        setNewSubjectEnabled(false);
}

// --- label editing ---
//
// An edit is bound to its node from the moment it opens: the file or row it
// renames is the one the node stood for then, whatever the tree does later.
// The new name is handled once the editor has closed (so that messages never
// open inside it), and always before the next command of the window runs, so
// a click that follows the typing at once acts on the renamed tree.

void frmCustomSubject::startLabelEdit(int node) {
    m_edit = LabelEdit{virtuals().NodeAt(node), m_editor->Begin_Rename(node)};
    TreeVirtual->setFocus();
    TreeVirtual->StartLabelEdit(node);
}

void frmCustomSubject::labelEdited(int node, const QString &text) {
    if (!m_edit || virtuals().IndexOf(m_edit->node) != node)
        return;
    m_edit->ended = true;
    m_edit->rename.newText = text;
    QTimer::singleShot(0, this, [this] { finishLabelEdit(true); });
}

int frmCustomSubject::editedNode() const {
    return m_edit ? TreeVirtual->Nodes().IndexOf(m_edit->node) : 0;
}

void frmCustomSubject::settleLabelEdit() {
    if (TreeVirtual->IsEditingLabel())
        TreeVirtual->FinishLabelEdit();
    if (m_edit && m_edit->ended)
        finishLabelEdit(false);
    else if (m_edit && TimerEdit->isActive())
        cancelLabelEdit();
    else
        m_edit.reset();
}

void frmCustomSubject::cancelLabelEdit() {
    TimerEdit->stop();
    if (const int node = editedNode())
        virtuals().SetText(node, m_edit->rename.oldText);
    m_edit.reset();
}

void frmCustomSubject::refuseLabelEdit(const QString &message, bool restart) {
    m_edit->ended = false;
    m_program.windows().ShowMessage(message, 0);
    if (restart)
        TimerEdit->start();
    else
        cancelLabelEdit();
}

void frmCustomSubject::restartLabelEdit() {
    TimerEdit->stop();
    const int node = editedNode();
    if (node == 0) {
        m_edit.reset();
        return;
    }
    virtuals().SetText(node, m_edit->rename.oldText);
    startLabelEdit(node);
}

void frmCustomSubject::finishLabelEdit(bool restartWhenRefused) {
    if (!m_edit || !m_edit->ended)
        return;
    const VirtualEditor::Rename rename = m_edit->rename;
    QString refusal;
    try {
        refusal = m_editor->Apply_Rename(rename);
    } catch (const std::exception &e) {
        // Nothing was renamed: the node shows the name the file still has.
        if (const int node = editedNode())
            virtuals().SetText(node, rename.oldText);
        m_edit.reset();
        reportError(QStringLiteral("TreeVirtual_AfterLabelEdit"), e);
        return;
    }
    if (!refusal.isEmpty()) {
        refuseLabelEdit(refusal, restartWhenRefused);
        return;
    }
    // Only folders and subjects have names of their own.
    if (rename.kind != VirtualEditor::Kind::Folder && rename.kind != VirtualEditor::Kind::Subject)
        if (const int node = editedNode())
            virtuals().SetText(node, rename.oldText);
    m_edit.reset();
}

// --- drag and drop ---

void frmCustomSubject::dragOver(int x, int y) {
    m_dragPosition = QPoint(x, y);
    const QPoint at =
        TreeVirtual->viewport()->mapFrom(TreeVirtual, QPoint(TwipsToPixels(x), TwipsToPixels(y)));
    m_dropHighlight = TreeVirtual->HitTest(at);
    const int height = PixelsToTwips(TreeVirtual->height());
    if (y > 0 && y < kScrollTopTwips) {
        m_scrollDirection = -1;
        Timer1->start();
    } else if (y > height - kScrollBottomTwips && y < height) {
        m_scrollDirection = 1;
        Timer1->start();
    } else {
        m_scrollDirection = 0;
        Timer1->stop();
    }
}

void frmCustomSubject::scrollTick() {
    const QPoint at = TreeVirtual->viewport()->mapFrom(
        TreeVirtual, QPoint(TwipsToPixels(m_dragPosition.x()), TwipsToPixels(m_dragPosition.y())));
    m_dropHighlight = TreeVirtual->HitTest(at);
    QScrollBar *bar = TreeVirtual->verticalScrollBar();
    if (m_scrollDirection < 0)
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (m_scrollDirection > 0)
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
}

void frmCustomSubject::Drop(int dragged, int target) {
    settleLabelEdit();
    m_dropHighlight = target;
    const int commandsFrom = m_editor->Drop(dragged, target);
    if (commandsFrom != 0)
        setCommands(commandsFrom);
    m_dropHighlight = 0;
    Timer1->stop();
}

void frmCustomSubject::Copy_Selection() {
    const int selected = subjects().Selected();
    m_copied = selected == 0 ? nullptr : subjects().NodeAt(selected);
}

void frmCustomSubject::Paste_Selection() {
    settleLabelEdit();
    const int copied = subjects().IndexOf(m_copied);
    if (copied == 0) {
        m_program.host().MsgBox(m_program.captions[caption::NothingCopied], vb::vbOKOnly);
        return;
    }
    Drop(copied, virtuals().Selected());
}
