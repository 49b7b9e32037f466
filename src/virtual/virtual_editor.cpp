#include "virtual/virtual_editor.h"

#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/ado.h"
#include "platform/file_list_box.h"
#include "platform/host.h"
#include "subject_data/subject_file.h"

#include <stdexcept>

namespace {

using subjectData::NodeKind;
using subjectData::SubjectNode;
using enum subjectData::TreePicture;

} // namespace

VirtualEditor::VirtualEditor(Program &program, TreeView &TreeSubjects, TreeView &TreeVirtual,
                             FileListBox &File1, FileListBox &File2)
    : m_program(program), m_subjects(TreeSubjects), m_virtual(TreeVirtual), m_file1(File1),
      m_file2(File2), m_store(program) {}

void VirtualEditor::reportError(const QString &procedure, const std::exception &e) {
    modMain::Show_Error(m_program, procedure, e);
}

// --- node kinds ---

const SubjectNode *VirtualEditor::virtualNode(int node) const {
    return subjectData::Node_At(m_virtual, node);
}

VirtualEditor::Kind VirtualEditor::Kind_Of(int node) const {
    const SubjectNode *value = virtualNode(node);
    if (!value)
        return Kind::None;
    if (subjectData::Is_Folder(value->kind))
        return Kind::Folder;
    return subjectData::Is_Subject(value->kind) ? Kind::Subject : Kind::Phrase;
}

int VirtualEditor::Folder_Of(int node) const {
    while (node != 0 && m_virtual.Parent(node) != 0)
        node = m_virtual.Parent(node);
    return node;
}

std::optional<VirtualEditor::Commands> VirtualEditor::Commands_For(int node) const {
    switch (Kind_Of(node)) {
    case Kind::Folder:
        return Commands{true, true, true};
    case Kind::Subject:
        return Commands{false, true, true};
    case Kind::Phrase:
        return Commands{false, false, true};
    case Kind::None:
        break;
    }
    return std::nullopt;
}

std::optional<subjectData::Phrase> VirtualEditor::Selected_Phrase(const TreeView &tree) {
    const SubjectNode *node = subjectData::Node_At(tree, tree.Selected());
    if (!node || !subjectData::Is_Phrase(node->kind))
        return std::nullopt;
    return node->phrase;
}

// --- filling the trees ---

void VirtualEditor::Create_Root() {
    const int root = m_subjects.Add(0, m_program.captions[2], SubjectNode::Of(NodeKind::EditorRoot),
                                    FolderClosed);
    m_subjects.SetBold(root, true);
}

void VirtualEditor::Get_Installed_Subjects() {
    ShellWindows &windows = m_program.windows();
    modMain::EventPump events(m_program.host());
    try {
        while (m_subjects.Child(1) != 0)
            m_subjects.Remove(m_subjects.Child(1));
        m_file1.Refresh();
        for (int i = 0; i < m_file1.ListCount(); ++i) {
            const QString fileName = m_file1.List(i);
            QString title;
            try {
                title = subjectFile::Proper_Title(m_program, fileName).trimmed();
            } catch (const std::exception &e) {
                reportError(QStringLiteral("Proper_Title"), e);
            }
            m_subjects.Add(1, title, SubjectNode::Of(NodeKind::ListedSubject, fileName, i),
                           SubjectPicture, SubjectSelected);
            if (windows.NoticeVisible())
                windows.SetNoticeText(title);
            events.Pump();
        }
    } catch (const std::exception &e) {
        reportError(QStringLiteral("Get_Installed_Subjects"), e);
    }
}

void VirtualEditor::Get_Virtual_Folders() {
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
        // The main window cannot show such a folder (its file lists leave
        // names with "*" out).
        if (fileName.contains(QLatin1Char('*')))
            continue;
        const QString name = virtualStore::VirtualStore::Display_Name(fileName);
        const int folder =
            m_virtual.Add(0, name, SubjectNode::Of(NodeKind::EditorFolder), VirtualFolderClosed);
        m_virtual.SetBold(folder, true);
        if (windows.NoticeVisible())
            windows.SetNoticeText(name);
        // One damaged folder file must not hide the folders after it.
        try {
            for (const virtualStore::SubjectRow &row : m_store.List_Subjects(name)) {
                m_virtual.Add(folder, row.name,
                              SubjectNode::Of(NodeKind::EditorSubject, QString(), row.key),
                              VirtualSubjectPicture, VirtualSubjectSelected);
                if (windows.NoticeVisible())
                    windows.SetNoticeText(row.name);
                events.Pump();
            }
        } catch (const std::exception &e) {
            modMain::Show_Error(m_program, QStringLiteral("Get_Virtual_Folders"),
                                fileName + QStringLiteral(": ") + ado::DescriptionOf(e), ado::DetailsOf(e));
        }
    }
}

void VirtualEditor::Get_Installed_Phrases(int node) {
    if (m_subjects.Children(node) != 0)
        return;
    try {
        const SubjectNode *subject = subjectData::Node_At(m_subjects, node);
        if (!subject)
            return;
        for (subjectData::Phrase &phrase :
             subjectData::Read_Installed_Phrases(m_program, subject->fileName)) {
            const QString translation = phrase.translation;
            m_subjects.Add(node, translation, SubjectNode::Of(std::move(phrase)), PhrasePicture);
        }
        m_subjects.SetExpanded(node, true);
    } catch (const std::exception &e) {
        reportError(QStringLiteral("Get_Installed_Phrases"), e);
    }
}

void VirtualEditor::Get_Virtual_Phrases(int node) {
    if (m_virtual.Children(node) != 0)
        return;
    try {
        const SubjectNode *subject = virtualNode(node);
        if (!subject)
            return;
        const QString folder = m_virtual.Text(Folder_Of(node));
        for (const subjectData::Phrase &phrase : m_store.List_Phrases(folder, subject->key))
            m_virtual.Add(node, phrase.translation, SubjectNode::Of(phrase, NodeKind::FolderPhrase),
                          VirtualPhrasePicture);
        if (m_virtual.Children(node) != 0)
            m_virtual.SetExpanded(node, true);
    } catch (const std::exception &e) {
        reportError(QStringLiteral("Get_Virtual_Phrases"), e);
    }
}

// --- clicks ---

bool VirtualEditor::TreeSubjects_NodeClick(int node) {
    const SubjectNode *value = subjectData::Node_At(m_subjects, node);
    if (!value)
        return false;
    if (value->kind == NodeKind::EditorRoot) {
        m_subjects.SetExpanded(node, !m_subjects.Expanded(node));
        return false;
    }
    if (value->kind != NodeKind::ListedSubject || m_subjects.Children(node) != 0)
        return false;
    const QString fileName = value->fileName;
    const QString result = Validate_Subject(m_program, fileName);
    if (result != QLatin1String(subjectFile::kValid)) {
        m_subjects.SetImage(node, BrokenSubject);
        m_subjects.SetSelectedImage(node, BrokenSubject);
        Show_Subject_Error(m_program, fileName, result);
        m_subjects.Select(1);
        return false;
    }
    m_subjects.SetImage(node, SubjectPicture);
    m_subjects.SetSelectedImage(node, SubjectSelected);
    return true;
}

void VirtualEditor::TreeVirtual_NodeClick(int node) {
    switch (Kind_Of(node)) {
    case Kind::Folder: {
        const bool open = !m_virtual.Expanded(node);
        m_virtual.SetExpanded(node, open);
        if (m_virtual.Children(node) == 0)
            m_virtual.SetImage(node, open ? VirtualFolderOpen : VirtualFolderClosed);
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
            m_virtual.Select(m_virtual.Parent(node));
        }
        break;
    }
    case Kind::None:
        break;
    }
}

// --- new, rename, delete ---

int VirtualEditor::New_Folder() {
    const QString base = m_program.captions[123];
    auto taken = [&](const QString &name) {
        for (int i = 1; i <= m_virtual.Count(); ++i)
            if (m_virtual.Text(i) == name)
                return true;
        // A file of that name is never replaced.
        return m_store.Folder_Exists(name);
    };
    int count = 0;
    for (int i = 1; i <= m_virtual.Count(); ++i)
        if (m_virtual.Text(i).startsWith(base))
            ++count;
    int number = count + 1;
    QString name = count == 0 ? base : base + QLatin1Char(' ') + QString::number(number);
    while (taken(name))
        name = base + QLatin1Char(' ') + QString::number(++number);
    try {
        m_store.Create_Folder(name);
    } catch (const std::exception &e) {
        reportError(QStringLiteral("btnNewFolder_Click"), e);
        return 0;
    }
    const int folder =
        m_virtual.Add(0, name, SubjectNode::Of(NodeKind::EditorFolder), VirtualFolderClosed);
    m_virtual.SetBold(folder, true);
    m_virtual.Select(folder);
    return folder;
}

int VirtualEditor::New_Subject() {
    const int selected = m_virtual.Selected();
    if (selected == 0)
        return 0;
    const int folder = Folder_Of(selected);
    const QString name = m_program.captions[51];
    int key = 0;
    try {
        key = m_store.Create_Subject(m_virtual.Text(folder), name);
    } catch (const std::exception &e) {
        reportError(QStringLiteral("btnNewSubject_Click"), e);
        return 0;
    }
    const int node =
        m_virtual.Add(folder, name, SubjectNode::Of(NodeKind::EditorSubject, QString(), key),
                      VirtualSubjectPicture, VirtualSubjectSelected);
    m_virtual.Select(node);
    return node;
}

std::optional<VirtualEditor::Kind> VirtualEditor::Delete_Selected() {
    const int selected = m_virtual.Selected();
    if (m_virtual.Count() == 0 || selected == 0)
        return std::nullopt;
    const Kind kind = Kind_Of(selected);
    try {
        switch (kind) {
        case Kind::Folder:
            // A whole folder goes at once (to the trash): the student says so first.
            if (m_program.host().MsgBox(
                    m_program.captions[caption::DeleteFolderQuestion].arg(m_virtual.Text(selected)),
                    vb::vbYesNo | vb::vbQuestion, m_program.identity.productTitle) != vb::vbYes)
                return std::nullopt;
            m_store.Delete_Folder(m_virtual.Text(selected));
            break;
        case Kind::Subject:
            m_store.Delete_Subject(m_virtual.Text(m_virtual.Parent(selected)),
                                   virtualNode(selected)->key);
            break;
        case Kind::Phrase:
            m_store.Delete_Phrase(m_virtual.Text(Folder_Of(selected)),
                                  virtualNode(selected)->phrase.folderKey);
            break;
        case Kind::None:
            return std::nullopt;
        }
    } catch (const std::exception &e) {
        // The node stays: tree and file keep agreeing.
        reportError(QStringLiteral("btnDelete_Click"), e);
        return std::nullopt;
    }
    m_virtual.Remove(selected);
    return kind;
}

VirtualEditor::Rename VirtualEditor::Begin_Rename(int node) const {
    Rename rename;
    rename.kind = Kind_Of(node);
    rename.oldText = m_virtual.Text(node);
    if (rename.kind == Kind::Folder) {
        rename.folder = rename.oldText;
    } else if (rename.kind == Kind::Subject) {
        rename.folder = m_virtual.Text(m_virtual.Parent(node));
        rename.subjectKey = virtualNode(node)->key;
    }
    return rename;
}

QString VirtualEditor::Apply_Rename(const Rename &rename) {
    if (rename.newText.trimmed().isEmpty())
        return m_program.captions[124];
    switch (rename.kind) {
    case Kind::Folder: {
        // Enter on the name as it stands keeps it.
        if (rename.newText == rename.oldText)
            return QString();
        const QString problem = m_store.Folder_Name_Problem(rename.newText);
        if (!problem.isEmpty())
            return problem;
        if (m_store.Rename_Folder(rename.folder, rename.newText) ==
            virtualStore::VirtualStore::RenameResult::Exists)
            return m_program.captions[125];
        return QString();
    }
    case Kind::Subject:
        if (rename.newText != rename.oldText)
            m_store.Rename_Subject(rename.folder, rename.subjectKey, rename.newText);
        return QString();
    case Kind::Phrase:
    case Kind::None:
        return QString();
    }
    return QString();
}

// --- copying ---

int VirtualEditor::Drop(int dragged, int target) {
    const SubjectNode *node = subjectData::Node_At(m_subjects, dragged);
    if (!node || node->kind == NodeKind::EditorRoot)
        return 0;
    if (node->kind == NodeKind::ListedSubject)
        return Copy_Subject(dragged, target);
    return Copy_Phrase(dragged, target);
}

int VirtualEditor::Copy_Subject(int dragged, int target) {
    if (target == 0)
        return 0;
    if (Kind_Of(target) != Kind::Folder) {
        m_program.host().MsgBox(m_program.captions[137], vb::vbOKOnly);
        return 0;
    }
    m_virtual.SetExpanded(target, true);
    m_virtual.Select(target);
    try {
        const QString name = m_subjects.Text(dragged);
        const QString fileName = subjectData::Node_At(m_subjects, dragged)->fileName;
        const virtualStore::CopiedSubject copied =
            m_store.Copy_Subject(m_virtual.Text(target), fileName, name);
        const int node = m_virtual.Add(
            target, name, SubjectNode::Of(NodeKind::EditorSubject, QString(), copied.key),
            VirtualSubjectPicture, VirtualSubjectSelected);
        for (const subjectData::Phrase &phrase : copied.phrases)
            m_virtual.Add(node, phrase.translation, SubjectNode::Of(phrase, NodeKind::FolderPhrase),
                          VirtualPhrasePicture);
    } catch (const std::exception &e) {
        reportError(QStringLiteral("Copy_Subject"), e);
    }
    return target;
}

int VirtualEditor::Copy_Phrase(int dragged, int target) {
    if (target == 0)
        return 0;
    m_virtual.SetExpanded(target, true);
    m_virtual.Select(target);
    const Kind kind = Kind_Of(target);
    if (kind == Kind::Folder) {
        m_program.host().MsgBox(m_program.captions[126], vb::vbOKOnly);
        return target;
    }
    const int subject = kind == Kind::Subject ? target : m_virtual.Parent(target);
    // The limit counts the phrases the subject holds, shown or not yet.
    Get_Virtual_Phrases(subject);
    if (m_virtual.Children(subject) >= virtualStore::kMostPhrases) {
        m_program.host().MsgBox(m_program.captions[7], vb::vbOKOnly);
        return target;
    }
    const subjectData::Phrase source = subjectData::Node_At(m_subjects, dragged)->phrase;
    try {
        const subjectData::Phrase stored = m_store.Copy_Phrase(m_virtual.Text(Folder_Of(subject)),
                                                               virtualNode(subject)->key, source);
        const int node =
            m_virtual.Add(subject, stored.translation,
                          SubjectNode::Of(stored, NodeKind::FolderPhrase), VirtualPhrasePicture);
        m_virtual.Select(node);
        return node;
    } catch (const std::exception &e) {
        reportError(QStringLiteral("Copy_Phrase"), e);
        return target;
    }
}
