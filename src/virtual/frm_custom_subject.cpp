#include "virtual/frm_custom_subject.h"

#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/ado.h"
#include "platform/file_list_box.h"
#include "platform/host.h"
#include "platform/pictures.h"
#include "platform/qt_button_sounds.h"
#include "platform/qt_window_enabled.h"
#include "platform/qt_window_placement.h"
#include "platform/tiled_background.h"
#include "platform/tree_view_widget.h"
#include "platform/twips.h"
#include "subject_data/subject_file.h"
#include "subject_data/subject_node.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
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

using subjectData::NodeKind;
using subjectData::SubjectNode;
namespace Picture = subjectData;

QString describe(const std::exception &e) {
    if (const auto *adoError = dynamic_cast<const ado::Error *>(&e))
        return adoError->description();
    return QString::fromUtf8(e.what());
}

} // namespace

frmCustomSubject::frmCustomSubject(Program &program, FileListBox &File1, FileListBox &File2,
                                   QWidget *parent)
    : QWidget(parent, Qt::Window), m_program(program), m_file1(File1), m_file2(File2),
      m_store(program), m_background(LoadPicture(QStringLiteral(":/tiles/background.png"))) {
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
    QPainter painter(this);
    tiling::TileBackground(painter, size(), m_background);
}

// --- filling the trees ---

void frmCustomSubject::Create_Root() {
    const int root = subjects().Add(0, m_program.captions[2], SubjectNode::Of(NodeKind::EditorRoot),
                                    Picture::FolderClosed);
    subjects().SetBold(root, true);
}

void frmCustomSubject::Get_Installed_Subjects() {
    ShellWindows &windows = m_program.windows();
    modMain::EventPump events(m_program.host());
    try {
        while (subjects().Child(1) != 0)
            subjects().Remove(subjects().Child(1));
        m_file1.Refresh();
        for (int i = 0; i < m_file1.ListCount(); ++i) {
            const QString fileName = m_file1.List(i);
            QString title;
            try {
                title = subjectFile::Proper_Title(m_program, fileName).trimmed();
            } catch (const std::exception &e) {
                reportError(QStringLiteral("Proper_Title"), e);
            }
            subjects().Add(1, title, SubjectNode::Of(NodeKind::ListedSubject, fileName, i),
                           Picture::SubjectPicture, Picture::SubjectSelected);
            if (windows.NoticeVisible())
                windows.SetNoticeText(title);
            events.Pump();
        }
    } catch (const std::exception &e) {
        reportError(QStringLiteral("Get_Installed_Subjects"), e);
    }
}

void frmCustomSubject::Get_Virtual_Folders() {
    ShellWindows &windows = m_program.windows();
    modMain::EventPump events(m_program.host());
    try {
        m_file2.Refresh();
    } catch (const std::exception &e) {
        reportError(QStringLiteral("Get_Virtual_Folders"), e);
        return;
    }
    for (int i = 0; i < m_file2.ListCount(); ++i) {
        const QString fileName = m_file2.List(i);
        // The main window cannot show such a folder (its tags split at "*").
        if (fileName.contains(QLatin1Char('*')))
            continue;
        const QString name = virtualStore::VirtualStore::Display_Name(fileName);
        const int folder = virtuals().Add(0, name, SubjectNode::Of(NodeKind::EditorFolder),
                                          Picture::VirtualFolderClosed);
        virtuals().SetBold(folder, true);
        if (windows.NoticeVisible())
            windows.SetNoticeText(name);
        // One damaged folder file must not hide the folders after it.
        try {
            for (const virtualStore::SubjectRow &row : m_store.List_Subjects(name)) {
                virtuals().Add(folder, row.name,
                               SubjectNode::Of(NodeKind::EditorSubject, QString(), row.key),
                               Picture::VirtualSubjectPicture, Picture::VirtualSubjectSelected);
                if (windows.NoticeVisible())
                    windows.SetNoticeText(row.name);
                events.Pump();
            }
        } catch (const std::exception &e) {
            modMain::Show_Error(m_program, QStringLiteral("Get_Virtual_Folders"),
                                fileName + QStringLiteral(": ") + describe(e), ado::DetailsOf(e));
        }
    }
}

void frmCustomSubject::Get_Installed_Phrases(int node) {
    if (subjects().Children(node) != 0)
        return;
    WindowDisabled reading(*this);
    try {
        const SubjectNode *subject = subjectData::Node_At(subjects(), node);
        if (!subject)
            return;
        const QString fileName = subject->fileName;
        ado::Connection cn;
        cn.Open(modMain::Get_Connection_String(subjectFile::Installed_Path(m_program, fileName)));
        ado::Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM tblPhrases"), cn);
        const subjectData::InstalledPhraseReader phrases(rs);
        for (; !rs.EOF_(); rs.MoveNext()) {
            subjectData::Phrase phrase = phrases.Read(fileName);
            const QString translation = phrase.translation;
            subjects().Add(node, translation, SubjectNode::Of(std::move(phrase)),
                           Picture::PhrasePicture);
        }
        subjects().SetExpanded(node, true);
    } catch (const std::exception &e) {
        reportError(QStringLiteral("Get_Installed_Phrases"), e);
    }
}

void frmCustomSubject::Get_Virtual_Phrases(int node) {
    if (virtuals().Children(node) != 0)
        return;
    try {
        const SubjectNode *subject = virtualNode(node);
        if (!subject)
            return;
        const QString folder = virtuals().Text(folderOf(node));
        for (const subjectData::Phrase &phrase : m_store.List_Phrases(folder, subject->key))
            virtuals().Add(node, phrase.translation,
                           SubjectNode::Of(phrase, NodeKind::FolderPhrase),
                           Picture::VirtualPhrasePicture);
        if (virtuals().Children(node) != 0)
            virtuals().SetExpanded(node, true);
    } catch (const std::exception &e) {
        reportError(QStringLiteral("Get_Virtual_Phrases"), e);
    }
}

// --- node kinds ---

const SubjectNode *frmCustomSubject::virtualNode(int node) const {
    return subjectData::Node_At(TreeVirtual->Nodes(), node);
}

frmCustomSubject::Kind frmCustomSubject::kindOf(int node) const {
    const SubjectNode *value = virtualNode(node);
    if (!value)
        return Kind::None;
    if (subjectData::Is_Folder(value->kind))
        return Kind::Folder;
    return subjectData::Is_Subject(value->kind) ? Kind::Subject : Kind::Phrase;
}

int frmCustomSubject::folderOf(int node) const {
    const TreeView &tree = TreeVirtual->Nodes();
    while (node != 0 && tree.Parent(node) != 0)
        node = tree.Parent(node);
    return node;
}

// --- clicks and commands ---

void frmCustomSubject::TreeSubjects_NodeClick(int node) {
    settleLabelEdit();
    TreeView &tree = subjects();
    const SubjectNode *value = subjectData::Node_At(tree, node);
    if (!value)
        return;
    if (value->kind == NodeKind::EditorRoot) {
        tree.SetExpanded(node, !tree.Expanded(node));
        return;
    }
    if (value->kind != NodeKind::ListedSubject || tree.Children(node) != 0)
        return;
    const QString fileName = value->fileName;
    const QString result = Validate_Subject(m_program, fileName);
    if (result != QLatin1String(subjectFile::kValid)) {
        tree.SetImage(node, Picture::BrokenSubject);
        tree.SetSelectedImage(node, Picture::BrokenSubject);
        Show_Subject_Error(m_program, fileName, result);
        tree.Select(1);
        return;
    }
    tree.SetImage(node, Picture::SubjectPicture);
    tree.SetSelectedImage(node, Picture::SubjectSelected);
    Get_Installed_Phrases(node);
}

void frmCustomSubject::TreeVirtual_NodeClick(int node) {
    settleLabelEdit();
    TreeView &tree = virtuals();
    switch (kindOf(node)) {
    case Kind::Folder: {
        const bool open = !tree.Expanded(node);
        tree.SetExpanded(node, open);
        if (tree.Children(node) == 0)
            tree.SetImage(node, open ? Picture::VirtualFolderOpen : Picture::VirtualFolderClosed);
        break;
    }
    case Kind::Subject:
        Get_Virtual_Phrases(node);
        break;
    case Kind::Phrase: {
        const QString fileName = virtualNode(node)->phrase.sourceFile;
        const QString result = Validate_Subject(m_program, fileName);
        if (result != QLatin1String(subjectFile::kValid)) {
            Show_Subject_Error(m_program, fileName, result);
            tree.Select(tree.Parent(node));
        }
        break;
    }
    case Kind::None:
        break;
    }
    setCommands(tree.Selected());
}

void frmCustomSubject::setNewSubjectEnabled(bool enabled) {
    btnNewSubject->setEnabled(enabled);
    mnuNew->setEnabled(enabled);
}

void frmCustomSubject::setCommands(int node) {
    switch (kindOf(node)) {
    case Kind::Folder:
        setNewSubjectEnabled(true);
        btnRename->setEnabled(true);
        btnDelete->setEnabled(true);
        break;
    case Kind::Subject:
    case Kind::Phrase:
        setNewSubjectEnabled(false);
        btnDelete->setEnabled(true);
        btnRename->setEnabled(kindOf(node) == Kind::Subject);
        break;
    case Kind::None:
        break;
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
    const TreeView &tree = m_lastTree == TreeSubjects ? TreeSubjects->Nodes() : TreeVirtual->Nodes();
    const SubjectNode *node = subjectData::Node_At(tree, tree.Selected());
    if (!node || !subjectData::Is_Phrase(node->kind))
        return std::nullopt;
    return node->phrase;
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
    const QString base = m_program.captions[123];
    TreeView &tree = virtuals();
    auto taken = [&](const QString &name) {
        for (int i = 1; i <= tree.Count(); ++i)
            if (tree.Text(i) == name)
                return true;
        // A file of that name is never replaced.
        return m_store.Folder_Exists(name);
    };
    int count = 0;
    for (int i = 1; i <= tree.Count(); ++i)
        if (tree.Text(i).startsWith(base))
            ++count;
    int number = count + 1;
    QString name = count == 0 ? base : base + QLatin1Char(' ') + QString::number(number);
    while (taken(name))
        name = base + QLatin1Char(' ') + QString::number(++number);
    try {
        m_store.Create_Folder(name);
    } catch (const std::exception &e) {
        reportError(QStringLiteral("btnNewFolder_Click"), e);
        return;
    }
    const int folder =
        tree.Add(0, name, SubjectNode::Of(NodeKind::EditorFolder), Picture::VirtualFolderClosed);
    tree.SetBold(folder, true);
    tree.Select(folder);
    setCommands(folder);
    startLabelEdit(folder);
}

void frmCustomSubject::btnNewSubject_Click() {
    settleLabelEdit();
    TreeView &tree = virtuals();
    const int selected = tree.Selected();
    if (selected == 0)
        return;
    const int folder = folderOf(selected);
    const QString name = m_program.captions[51];
    int key = 0;
    try {
        key = m_store.Create_Subject(tree.Text(folder), name);
    } catch (const std::exception &e) {
        reportError(QStringLiteral("btnNewSubject_Click"), e);
        return;
    }
    const int node = tree.Add(folder, name, SubjectNode::Of(NodeKind::EditorSubject, QString(), key),
                              Picture::VirtualSubjectPicture, Picture::VirtualSubjectSelected);
    tree.Select(node);
    setCommands(node);
    startLabelEdit(node);
}

void frmCustomSubject::btnRename_Click() {
    settleLabelEdit();
    const int selected = virtuals().Selected();
    const Kind kind = kindOf(selected);
    if (kind == Kind::Folder || kind == Kind::Subject)
        startLabelEdit(selected);
}

void frmCustomSubject::btnDelete_Click() {
    settleLabelEdit();
    TreeView &tree = virtuals();
    const int selected = tree.Selected();
    if (tree.Count() == 0 || selected == 0)
        return;
    try {
        switch (kindOf(selected)) {
        case Kind::Folder:
            // A whole folder goes at once (to the trash): the student says so first.
            if (m_program.host().MsgBox(
                    m_program.captions[caption::DeleteFolderQuestion].arg(tree.Text(selected)),
                    vb::vbYesNo | vb::vbQuestion, m_program.identity.productTitle) != vb::vbYes)
                return;
            m_store.Delete_Folder(tree.Text(selected));
            setNewSubjectEnabled(false);
            break;
        case Kind::Subject:
            m_store.Delete_Subject(tree.Text(tree.Parent(selected)), virtualNode(selected)->key);
            setNewSubjectEnabled(false);
            break;
        case Kind::Phrase:
            m_store.Delete_Phrase(tree.Text(folderOf(selected)),
                                  virtualNode(selected)->phrase.folderKey);
            break;
        case Kind::None:
            return;
        }
    } catch (const std::exception &e) {
        // The node stays: tree and file keep agreeing.
        reportError(QStringLiteral("btnDelete_Click"), e);
        return;
    }
    tree.Remove(selected);
}

// --- label editing ---
//
// An edit is bound to its node from the moment it opens: the file or row it
// renames is the one the node stood for then, whatever the tree does later.
// The new name is handled once the editor has closed (so that messages never
// open inside it), and always before the next command of the window runs, so
// a click that follows the typing at once acts on the renamed tree.

void frmCustomSubject::startLabelEdit(int node) {
    TreeView &tree = virtuals();
    LabelEdit edit;
    edit.node = tree.NodeAt(node);
    edit.kind = kindOf(node);
    edit.oldText = tree.Text(node);
    if (edit.kind == Kind::Folder) {
        edit.folder = edit.oldText;
    } else if (edit.kind == Kind::Subject) {
        edit.folder = tree.Text(tree.Parent(node));
        edit.subjectKey = virtualNode(node)->key;
    }
    m_edit = edit;
    TreeVirtual->setFocus();
    TreeVirtual->StartLabelEdit(node);
}

void frmCustomSubject::labelEdited(int node, const QString &text) {
    if (!m_edit || virtuals().IndexOf(m_edit->node) != node)
        return;
    m_edit->ended = true;
    m_edit->newText = text;
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
        virtuals().SetText(node, m_edit->oldText);
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
    virtuals().SetText(node, m_edit->oldText);
    startLabelEdit(node);
}

void frmCustomSubject::finishLabelEdit(bool restartWhenRefused) {
    if (!m_edit || !m_edit->ended)
        return;
    const LabelEdit edit = *m_edit;
    if (edit.newText.trimmed().isEmpty()) {
        refuseLabelEdit(m_program.captions[124], restartWhenRefused);
        return;
    }
    try {
        switch (edit.kind) {
        case Kind::Folder: {
            // Enter on the name as it stands keeps it.
            if (edit.newText == edit.oldText)
                break;
            const QString problem = m_store.Folder_Name_Problem(edit.newText);
            if (!problem.isEmpty()) {
                refuseLabelEdit(problem, restartWhenRefused);
                return;
            }
            if (m_store.Rename_Folder(edit.folder, edit.newText) ==
                virtualStore::VirtualStore::RenameResult::Exists) {
                refuseLabelEdit(m_program.captions[125], restartWhenRefused);
                return;
            }
            break;
        }
        case Kind::Subject:
            if (edit.newText != edit.oldText)
                m_store.Rename_Subject(edit.folder, edit.subjectKey, edit.newText);
            break;
        case Kind::Phrase:
        case Kind::None:
            if (const int node = editedNode())
                virtuals().SetText(node, edit.oldText);
            break;
        }
    } catch (const std::exception &e) {
        // Nothing was renamed: the node shows the name the file still has.
        if (const int node = editedNode())
            virtuals().SetText(node, edit.oldText);
        m_edit.reset();
        reportError(QStringLiteral("TreeVirtual_AfterLabelEdit"), e);
        return;
    }
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
    const SubjectNode *node = subjectData::Node_At(subjects(), dragged);
    if (!node || node->kind == NodeKind::EditorRoot) {
        m_dropHighlight = 0;
        return;
    }
    if (node->kind == NodeKind::ListedSubject)
        Copy_Subject(dragged);
    else
        Copy_Phrase(dragged);
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

void frmCustomSubject::Copy_Subject(int dragged) {
    TreeView &tree = virtuals();
    const int target = m_dropHighlight;
    if (target == 0)
        return;
    if (kindOf(target) != Kind::Folder) {
        m_program.host().MsgBox(m_program.captions[137], vb::vbOKOnly);
        m_dropHighlight = 0;
        return;
    }
    tree.SetExpanded(target, true);
    tree.Select(target);
    try {
        const QString name = subjects().Text(dragged);
        const QString fileName = subjectData::Node_At(subjects(), dragged)->fileName;
        const virtualStore::CopiedSubject copied =
            m_store.Copy_Subject(tree.Text(target), fileName, name);
        const int node =
            tree.Add(target, name, SubjectNode::Of(NodeKind::EditorSubject, QString(), copied.key),
                     Picture::VirtualSubjectPicture, Picture::VirtualSubjectSelected);
        for (const subjectData::Phrase &phrase : copied.phrases)
            tree.Add(node, phrase.translation, SubjectNode::Of(phrase, NodeKind::FolderPhrase),
                     Picture::VirtualPhrasePicture);
    } catch (const std::exception &e) {
        reportError(QStringLiteral("Copy_Subject"), e);
    }
    setCommands(target);
    m_dropHighlight = 0;
}

void frmCustomSubject::Copy_Phrase(int dragged) {
    TreeView &tree = virtuals();
    const int target = m_dropHighlight;
    if (target == 0)
        return;
    tree.SetExpanded(target, true);
    tree.Select(target);
    const Kind kind = kindOf(target);
    if (kind == Kind::Folder) {
        m_program.host().MsgBox(m_program.captions[126], vb::vbOKOnly);
        m_dropHighlight = 0;
        setCommands(target);
        return;
    }
    const int subject = kind == Kind::Subject ? target : tree.Parent(target);
    // The limit counts the phrases the subject holds, shown or not yet.
    Get_Virtual_Phrases(subject);
    if (tree.Children(subject) >= virtualStore::kMostPhrases) {
        m_program.host().MsgBox(m_program.captions[7], vb::vbOKOnly);
        Timer1->stop();
        m_dropHighlight = 0;
        setCommands(target);
        return;
    }
    const subjectData::Phrase source = subjectData::Node_At(subjects(), dragged)->phrase;
    try {
        const subjectData::Phrase stored =
            m_store.Copy_Phrase(tree.Text(folderOf(subject)), virtualNode(subject)->key, source);
        const int node = tree.Add(subject, stored.translation,
                                  SubjectNode::Of(stored, NodeKind::FolderPhrase),
                                  Picture::VirtualPhrasePicture);
        tree.Select(node);
        setCommands(node);
    } catch (const std::exception &e) {
        reportError(QStringLiteral("Copy_Phrase"), e);
        setCommands(target);
    }
    m_dropHighlight = 0;
    Timer1->stop();
}
