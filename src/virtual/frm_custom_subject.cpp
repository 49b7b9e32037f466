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
#include "subjects/frm_voice.h"
#include "subjects/phrase_sound.h"
#include "subjects/subject_file.h"
#include "subjects/subject_tree.h"

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

using Picture = SubjectTree::Picture;

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
        ImgListView.Add(LoadPicture(QStringLiteral(":/tree/%1.png").arg(i)));
    TreeSubjects = new TreeViewWidget(this);
    TreeSubjects->setObjectName(QStringLiteral("TreeSubjects"));
    PlaceTwips(*TreeSubjects, 240, 1200, 5280, 6480);
    TreeVirtual = new TreeViewWidget(this);
    TreeVirtual->setObjectName(QStringLiteral("TreeVirtual"));
    PlaceTwips(*TreeVirtual, 5760, 1200, 5280, 6480);
    for (TreeViewWidget *tree : {TreeSubjects, TreeVirtual})
        tree->SetImageList(&ImgListView);
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
    connect(TreeSubjects, &TreeViewWidget::Expand, this, [this](int node) {
        if (subjects().Bold(node))
            subjects().SetImage(node, Picture::FolderOpen);
    });
    connect(TreeSubjects, &TreeViewWidget::Collapse, this, [this](int node) {
        if (subjects().Bold(node))
            subjects().SetImage(node, Picture::FolderClosed);
    });
    connect(TreeVirtual, &TreeViewWidget::Expand, this, [this](int node) {
        if (virtuals().Bold(node))
            virtuals().SetImage(node, Picture::VirtualFolderOpen);
    });
    connect(TreeVirtual, &TreeViewWidget::Collapse, this, [this](int node) {
        if (virtuals().Bold(node))
            virtuals().SetImage(node, Picture::VirtualFolderClosed);
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

frmCustomSubject::~frmCustomSubject() {
    // The trees show ImgListView, a member destroyed before the child widgets.
    delete TreeSubjects;
    delete TreeVirtual;
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
    const int root = subjects().Add(0, m_program.captions[2], QString(), Picture::FolderClosed);
    subjects().SetBold(root, true);
}

void frmCustomSubject::Get_Installed_Subjects() {
    ShellWindows &windows = m_program.windows();
    modMain::EventPump events(m_program.host());
    try {
        while (subjects().Child(1) != 0)
            subjects().Remove(subjects().Child(1));
        m_file1.Refresh();
        SubjectTree titles(m_program, subjects(), m_file1, m_file2);
        for (int i = 0; i < m_file1.ListCount(); ++i) {
            const QString title = titles.Proper_Title(m_file1.List(i)).trimmed();
            subjects().Add(1, title, QString::number(i), Picture::SubjectPicture,
                           Picture::SubjectSelected);
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
        const int folder = virtuals().Add(0, name, QString(), Picture::VirtualFolderClosed);
        virtuals().SetBold(folder, true);
        if (windows.NoticeVisible())
            windows.SetNoticeText(name);
        // One damaged folder file must not hide the folders after it.
        try {
            for (const virtualStore::SubjectRow &row : m_store.List_Subjects(name)) {
                virtuals().Add(folder, row.name, QString::number(row.key),
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
        const QString fileName = m_file1.List(subjects().Tag(node).toInt());
        ado::Connection cn;
        cn.Open(modMain::Get_Connection_String(subjectFile::Installed_Path(m_program, fileName)));
        ado::Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM tblPhrases"), cn);
        for (; !rs.EOF_(); rs.MoveNext()) {
            const QString translation = rs.Fields(QStringLiteral("tTranslation")).Text();
            const QString tag =
                QStringList{fileName, rs.Fields(QStringLiteral("pkPhraseNo")).Text(),
                            rs.Fields(QStringLiteral("tPhrase")).Text(), translation,
                            rs.Fields(QStringLiteral("tTranslation2")).Text()}
                    .join(QLatin1Char('*'));
            subjects().Add(node, translation, tag, Picture::PhrasePicture);
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
        const QString folder = virtuals().Text(folderOf(node));
        for (const virtualStore::PhraseRow &row :
             m_store.List_Phrases(folder, virtuals().Tag(node).toInt()))
            virtuals().Add(node, row.translation, row.Tag(), Picture::VirtualPhrasePicture);
        if (virtuals().Children(node) != 0)
            virtuals().SetExpanded(node, true);
    } catch (const std::exception &e) {
        reportError(QStringLiteral("Get_Virtual_Phrases"), e);
    }
}

// --- node kinds ---

// Told apart by boldness alone: folders (and the root) are bold, subjects
// hang under them, phrases under subjects.
frmCustomSubject::Kind frmCustomSubject::kindOf(int node) const {
    const TreeView &tree = TreeVirtual->Nodes();
    if (node == 0)
        return Kind::None;
    if (tree.Bold(node))
        return Kind::Folder;
    const int parent = tree.Parent(node);
    return parent != 0 && tree.Bold(parent) ? Kind::Subject : Kind::Phrase;
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
    if (tree.Bold(node)) {
        tree.SetExpanded(node, !tree.Expanded(node));
        return;
    }
    if (tree.Parent(node) != 1 || tree.Children(node) != 0)
        return;
    QString fileName;
    try {
        fileName = m_file1.List(tree.Tag(node).toInt());
    } catch (const std::exception &e) {
        reportError(QStringLiteral("TreeSubjects_NodeClick"), e);
        return;
    }
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
        const QString fileName = Tag_Field(0);
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
        Play_Selected_Phrase((shift & 1) != 0 ? phraseSound::Speed::Slow
                                              : phraseSound::Speed::Normal);
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

QString frmCustomSubject::Tag_Field(int n) {
    TreeView &tree = m_lastTree == TreeSubjects ? subjects() : virtuals();
    const int selected = tree.Selected();
    if (selected == 0)
        return QString();
    const QStringList fields = tree.Tag(selected).split(QLatin1Char('*'));
    return n < fields.size() ? fields[n] : QString();
}

void frmCustomSubject::Play_Selected_Phrase(phraseSound::Speed speed) {
    TreeView &tree = m_lastTree == TreeSubjects ? subjects() : virtuals();
    const int selected = tree.Selected();
    if (selected == 0 || tree.Bold(selected) || tree.Parent(selected) == 0 ||
        tree.Bold(tree.Parent(selected)))
        return;
    try {
        phraseSound::Play_Phrase(m_program, Tag_Field(0), Tag_Field(1), Tag_Field(2), speed);
    } catch (const std::exception &e) {
        reportError(QStringLiteral("Play_Selected_Phrase"), e);
    }
}

void frmCustomSubject::Record_Selected_Phrase() {
    TreeView &tree = m_lastTree == TreeSubjects ? subjects() : virtuals();
    const int selected = tree.Selected();
    if (selected == 0 || tree.Bold(selected) || tree.Parent(selected) == 0 ||
        tree.Bold(tree.Parent(selected)))
        return;
    voiceWindows::Record_And_Compare(m_program, Tag_Field(0), Tag_Field(1), Tag_Field(2), this);
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
    const int folder = tree.Add(0, name, QString(), Picture::VirtualFolderClosed);
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
    const int node = tree.Add(folder, name, QString::number(key), Picture::VirtualSubjectPicture,
                              Picture::VirtualSubjectSelected);
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
            m_store.Delete_Subject(tree.Text(tree.Parent(selected)), tree.Tag(selected).toInt());
            setNewSubjectEnabled(false);
            break;
        case Kind::Phrase:
            m_store.Delete_Phrase(tree.Text(folderOf(selected)),
                                  tree.Tag(selected).section(QLatin1Char('*'), 5, 5).toInt());
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
        edit.subjectKey = tree.Tag(node).toInt();
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
    TreeView &from = subjects();
    if (dragged < 1 || dragged > from.Count() || from.Bold(dragged)) {
        m_dropHighlight = 0;
        return;
    }
    if (from.Bold(from.Parent(dragged)))
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
        const QString fileName = m_file1.List(subjects().Tag(dragged).toInt());
        const virtualStore::CopiedSubject copied =
            m_store.Copy_Subject(tree.Text(target), fileName, name);
        const int node = tree.Add(target, name, QString::number(copied.key),
                                  Picture::VirtualSubjectPicture, Picture::VirtualSubjectSelected);
        for (const virtualStore::PhraseRow &row : copied.phrases)
            tree.Add(node, row.translation, row.Tag(), Picture::VirtualPhrasePicture);
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
    const QStringList fields = subjects().Tag(dragged).split(QLatin1Char('*'));
    try {
        if (fields.size() < 5)
            throw std::runtime_error(m_program.captions[caption::NoSuchTagField]
                                         .arg(dragged)
                                         .arg(fields.size())
                                         .toStdString());
        const int key = m_store.Copy_Phrase(tree.Text(folderOf(subject)), tree.Tag(subject).toInt(),
                                            fields[0], fields[1], fields[2], fields[3], fields[4]);
        const virtualStore::PhraseRow row{fields[0], fields[1], key,
                                          fields[2], fields[3], fields[4]};
        const int node = tree.Add(subject, fields[3], row.Tag(), Picture::VirtualPhrasePicture);
        tree.Select(node);
        setCommands(node);
    } catch (const std::exception &e) {
        reportError(QStringLiteral("Copy_Phrase"), e);
        setCommands(target);
    }
    m_dropHighlight = 0;
    Timer1->stop();
}
