#include "subjects/subject_tree.h"

#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/ado.h"
#include "platform/file_list_box.h"
#include "platform/host.h"
#include "platform/platform_language.h"
#include "platform/tree_view.h"
#include "subject_data/subject_file.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <stdexcept>
#include <vector>

namespace {

using enum subjectData::TreePicture;
using subjectData::NodeKind;
using subjectData::Phrase;
using subjectData::SubjectNode;

const QString kCrLf = QStringLiteral("\r\n");
constexpr int kRandomPhraseCount = 10;
// From this many failed subjects on, the random draw shows which ones it skips.
constexpr int kQuietFailures = 10;

// A number drawn in [0, count): Rnd is below 1, but a bad source must not
// index past the end.
int drawIndex(Host &host, int count) {
    const int r = static_cast<int>(host.Rnd() * count);
    return qBound(0, r, count - 1);
}

void seedFromTimeOfDay(Host &host) {
    host.Randomize(static_cast<quint32>(host.Now().time().msecsSinceStartOfDay()));
}

} // namespace

SubjectTree::SubjectTree(Program &program, TreeView &TreeFolders, FileListBox &File1,
                         FileListBox &File2)
    : m_program(program), m_tree(TreeFolders), m_file1(File1), m_file2(File2) {}

QStringList SubjectTree::subjectFiles() const {
    QStringList names;
    for (int i = 0; i < m_file1.ListCount(); ++i) {
        const QString name = m_file1.List(i);
        if (!name.contains(QLatin1Char('*')))
            names << name;
    }
    return names;
}

void SubjectTree::reportUnusableNames(const QStringList &names) {
    if (names.isEmpty())
        return;
    m_program.host().MsgBox(
        m_program.captions[caption::UnusableFileNames] + kCrLf + kCrLf + names.join(kCrLf),
        vb::vbOKOnly | vb::vbExclamation, modMain::Safe_Caption(m_program, 103));
}

int SubjectTree::addNode(int parent, const QString &text, NodeKind kind, const QString &fileName,
                         int key, int image, int selectedImage) {
    return m_tree.Add(parent, text, SubjectNode::Of(kind, fileName, key), image, selectedImage);
}

void SubjectTree::addPhraseNode(int parent, Phrase phrase, int image) {
    const QString translation = phrase.translation;
    m_tree.Add(parent, translation, SubjectNode::Of(std::move(phrase)), image);
}

const subjectData::SubjectNode *SubjectTree::Node(int index) const {
    return subjectData::Node_At(m_tree, index);
}

// --- building the tree ---

void SubjectTree::Create_Folders() {
    try {
        const struct {
            int caption;
            NodeKind kind;
        } folders[] = {{2, NodeKind::InstalledFolder},
                       {117, NodeKind::RandomSubjectFolder},
                       {119, NodeKind::RandomPhrasesFolder}};
        for (const auto &folder : folders) {
            const int index = addNode(0, m_program.captions[folder.caption], folder.kind, QString(),
                                      0, FolderClosed);
            m_tree.SetBold(index, true);
        }
    } catch (const std::exception &e) {
        modMain::Show_Error(m_program, QStringLiteral("Create_Folders"), e);
    }
}

void SubjectTree::Get_Subjects() {
    try {
        ShellWindows &windows = m_program.windows();
        for (int n = m_tree.Children(1); n > 0; --n)
            m_tree.Remove(m_tree.Child(1));

        m_file1.Refresh();
        QStringList unusable;
        modMain::EventPump events(m_program.host());
        for (int i = 0; i < m_file1.ListCount(); ++i) {
            const QString fileName = m_file1.List(i);
            if (fileName.contains(QLatin1Char('*'))) {
                unusable << fileName;
                continue;
            }
            const QString title = Proper_Title(fileName);
            addNode(1, title.trimmed(), NodeKind::InstalledSubject, fileName, 0, SubjectPicture,
                    SubjectSelected);
            if (windows.NoticeVisible())
                windows.SetNoticeText(title);
            if (windows.SplashVisible())
                windows.SplashPrepend(m_program.captions[23] + QLatin1Char(' ') + title + kCrLf);
            events.Pump();
        }
        if (m_tree.Children(1) == 0)
            addNode(1, m_program.captions[130], NodeKind::Placeholder);
        m_tree.Select(1);
        reportUnusableNames(unusable);
    } catch (const std::exception &e) {
        modMain::Show_Error(m_program, QStringLiteral("Get_Subjects"), e);
    }
}

void SubjectTree::Get_vSubjects() {
    ShellWindows &windows = m_program.windows();
    QStringList unusable;
    modMain::EventPump events(m_program.host());
    try {
        m_file2.Refresh();
    } catch (const std::exception &e) {
        modMain::Show_Error(m_program, QStringLiteral("Get_vSubjects"), e);
        return;
    }
    for (int i = 0; i < m_file2.ListCount(); ++i) {
        const QString fileName = m_file2.List(i);
        if (fileName.contains(QLatin1Char('*'))) {
            unusable << fileName;
            continue;
        }
        // One damaged folder file must not hide the folders after it, so
        // each folder is read on its own.
        int folder = 0;
        try {
            folder = addNode(0, fileName.left(fileName.length() - 5), NodeKind::VirtualFolder,
                             fileName, 0, VirtualFolderClosed);
            m_tree.SetBold(folder, true);
            ado::Connection connection;
            connection.Open(
                modMain::Get_Connection_String(subjectFile::Virtual_Path(m_program, fileName)));
            ado::Recordset rs;
            rs.Open(QStringLiteral("SELECT * FROM tblParents"), connection);
            while (!rs.EOF_()) {
                const ado::Field name = rs.Fields(1);
                if (name.IsNull())
                    throw ado::Error(
                        m_program.captions[caption::UnnamedVirtualSubject].arg(fileName));
                const QString text = name.Text();
                addNode(folder, text, NodeKind::VirtualSubject, fileName,
                        rs.Fields(0).Value().toInt(), VirtualSubjectPicture,
                        VirtualSubjectSelected);
                rs.MoveNext();
                if (windows.SplashVisible())
                    windows.SplashPrepend(m_program.captions[23] + QLatin1Char(' ') + text + kCrLf);
                if (windows.NoticeVisible())
                    windows.SetNoticeText(text);
                events.Pump();
            }
            rs.Close();
            connection.Close();
        } catch (const std::exception &e) {
            modMain::Show_Error(m_program, QStringLiteral("Get_vSubjects"),
                                fileName + QStringLiteral(": ") + ado::DescriptionOf(e), ado::DetailsOf(e));
        }
        try {
            if (folder > 0 && m_tree.Children(folder) == 0)
                addNode(folder, m_program.captions[130], NodeKind::Placeholder);
        } catch (const std::exception &e) {
            modMain::Show_Error(m_program, QStringLiteral("Get_vSubjects"), e);
        }
    }
    reportUnusableNames(unusable);
}

void SubjectTree::Refresh_Subjects() {
    if (!m_program.bSubjectsChanged)
        return;
    m_program.bSubjectsChanged = false;
    m_tree.Clear();
    Create_Folders();
    Get_Subjects();
    Get_vSubjects();
    // The review lists went with the rest; they are read again with it.
    m_reviewsSource = {};
    Show_Review_Nodes();
}

// --- the learner's review lists ---

bool SubjectTree::readReviews(bool force) {
    const QString usersPath = m_program.usersPath();
    const QFileInfo users(usersPath);
    const fsrs::Parameters parameters = learnerReviews::Schedule_Parameters(m_program);
    const ReviewsSource source{usersPath,
                               m_program.currentStudent,
                               m_program.host().Now().date(),
                               parameters.desiredRetention,
                               users.lastModified(),
                               users.exists() ? users.size() : -1};
    if (!force && source == m_reviewsSource)
        return false;
    m_reviewsSource = source;
    m_reviews = {};
    m_reviewsProblem.clear();
    // A phrase whose subject is no longer installed cannot be studied: it
    // is neither counted nor listed.
    QHash<QString, bool> installed;
    const auto usable = [&](const studyResults::SourcePhrase &phrase) {
        auto known = installed.constFind(phrase.file);
        if (known == installed.constEnd())
            known = installed.insert(
                phrase.file, !phrase.file.contains(QLatin1Char('*')) &&
                                 modMain::File_Exists(
                                     subjectFile::Installed_Path(m_program, phrase.file)));
        return *known;
    };
    try {
        m_reviews = learnerReviews::Read_Reviews(usersPath, source.student, source.day, parameters,
                                                 usable);
    } catch (const std::exception &e) {
        m_reviewsProblem = ado::DescriptionOf(e);
    }
    return true;
}

int SubjectTree::reviewNode(NodeKind kind) const {
    const int first = m_tree.Count() > 0 ? m_tree.FirstSibling(1) : 0;
    for (int i = first; i != 0; i = m_tree.Next(i))
        if (const SubjectNode *node = Node(i); node && node->kind == kind)
            return i;
    return 0;
}

const QVector<studyResults::PhraseSchedule> &SubjectTree::reviewPhrases(NodeKind kind) const {
    return kind == NodeKind::ReviewToday ? m_reviews.due : m_reviews.difficult;
}

QString SubjectTree::reviewNodeText(NodeKind kind) const {
    const QString title = m_program.captions[subjectData::Review_List_Caption(kind)];
    if (!m_reviewsProblem.isEmpty())
        return title;
    const int count =
        kind == NodeKind::ReviewToday ? m_reviews.dueCount : m_reviews.difficultCount;
    return title + QStringLiteral(" (") + QString::number(count) + QLatin1Char(')');
}

QString SubjectTree::emptyReviewListText(NodeKind kind) const {
    if (kind == NodeKind::DifficultPhrases)
        return m_program.captions[caption::NoDifficultPhrases];
    if (m_reviews.nextDue.isValid())
        return m_program.captions[caption::NextReviewOn].arg(
            platformLanguage::Learner_Locale(m_program.identity.learnerLanguage)
                .toString(m_reviews.nextDue, QLocale::LongFormat));
    return m_program.captions[caption::NothingToReviewYet];
}

QStringList SubjectTree::reviewListKeys(NodeKind kind) const {
    QStringList keys;
    for (const studyResults::PhraseSchedule &s : reviewPhrases(kind))
        keys << s.history.source.file + QLatin1Char('*') +
                    QString::number(s.history.source.phraseNo);
    if (keys.isEmpty())
        keys << emptyReviewListText(kind);
    return keys;
}

void SubjectTree::Show_Review_Nodes() {
    updateReviewNodes(false);
}

void SubjectTree::updateReviewNodes(bool reread) {
    const NodeKind kinds[] = {NodeKind::ReviewToday, NodeKind::DifficultPhrases};
    if (m_program.currentStudent.isEmpty()) {
        for (const NodeKind kind : kinds)
            if (const int node = reviewNode(kind))
                m_tree.Remove(node);
        m_reviewsSource = {};
        return;
    }
    // What each list showed, to tell whether it changed.
    const QStringList shown[] = {reviewListKeys(kinds[0]), reviewListKeys(kinds[1])};
    const bool read = readReviews(reread);
    // Put first in the tree, "review today" above the difficult phrases.
    for (auto kind = std::rbegin(kinds); kind != std::rend(kinds); ++kind) {
        int node = reviewNode(*kind);
        if (node == 0) {
            m_tree.AddFirst(0, reviewNodeText(*kind), SubjectNode::Of(*kind), SubjectPicture,
                            SubjectSelected);
            continue;
        }
        m_tree.SetText(node, reviewNodeText(*kind));
        const bool changed =
            read && shown[*kind == NodeKind::ReviewToday ? 0 : 1] != reviewListKeys(*kind);
        if (changed && m_tree.Children(node) > 0) {
            const int selected = m_tree.Selected();
            const bool selectedWithin = selected != 0 && m_tree.Parent(selected) == node;
            while (m_tree.Children(node) > 0)
                m_tree.Remove(m_tree.Child(node));
            m_tree.SetExpanded(node, false);
            if (selectedWithin)
                m_tree.Select(node);
        }
    }
}

void SubjectTree::fillReviewNode(int index) {
    const SubjectNode *node = Node(index);
    if (!node)
        return;
    const NodeKind kind = node->kind;
    // Read afresh: both lists follow, the other one emptied if it changed.
    updateReviewNodes(true);
    index = reviewNode(kind);
    if (index == 0)
        return;
    while (m_tree.Children(index) > 0)
        m_tree.Remove(m_tree.Child(index));
    if (!m_reviewsProblem.isEmpty()) {
        m_program.host().MsgBox(m_program.captions[caption::ReviewsUnreadable].arg(m_reviewsProblem),
                                vb::vbOKOnly | vb::vbExclamation,
                                modMain::Safe_Caption(m_program, 103));
        return;
    }
    const QVector<studyResults::PhraseSchedule> &phrases = reviewPhrases(kind);
    QHash<QString, QString> titles;
    for (const studyResults::PhraseSchedule &s : phrases) {
        const studyResults::PhraseHistory &h = s.history;
        auto title = titles.constFind(h.source.file);
        if (title == titles.constEnd()) {
            QString text;
            try {
                text = subjectFile::Proper_Title(m_program, h.source.file).trimmed();
            } catch (const std::exception &) {
                // The phrase's own click tells what is wrong with its subject.
                text = h.source.file;
            }
            title = titles.insert(h.source.file, text);
        }
        Phrase phrase;
        phrase.sourceFile = h.source.file;
        phrase.number = h.source.phraseNo;
        phrase.phrase = h.phrase;
        phrase.translation = h.translation;
        phrase.translation2 = h.translation2;
        m_tree.Add(index, h.translation + QStringLiteral("  (") + *title + QLatin1Char(')'),
                   SubjectNode::Of(std::move(phrase)), PhrasePicture);
    }
    if (phrases.isEmpty())
        addNode(index, emptyReviewListText(kind), NodeKind::Placeholder);
    m_tree.Select(index);
}

QString SubjectTree::Proper_Title(const QString &fileName) {
    try {
        return subjectFile::Proper_Title(m_program, fileName);
    } catch (const std::exception &e) {
        modMain::Show_Error(m_program, QStringLiteral("Proper_Title"), e);
        return QString();
    }
}

QString SubjectTree::Tag_Item(int n, int index) {
    try {
        // A node without a value of ours (none is made by the program) has
        // only its tag text to show.
        const SubjectNode *node = Node(index);
        const QStringList fields =
            node ? node->Fields() : m_tree.Tag(index).split(QLatin1Char('*'));
        if (n < 0 || n >= fields.size())
            throw std::out_of_range(
                m_program.captions[caption::NoSuchTagField].arg(index).arg(n).toStdString());
        return fields[n];
    } catch (const std::exception &e) {
        modMain::Show_Error(m_program, QStringLiteral("Tag_Item"), e);
        return QString();
    }
}

// --- events ---

void SubjectTree::List_Subject_Files() {
    m_file1.SetPattern(QStringLiteral("*.") + m_program.identity.shortCode);
    m_file1.SetPath(m_program.folders.installedSubjectsFolder);
    m_file1.Refresh();
    m_file2.SetPattern(QStringLiteral("*.v") + m_program.identity.shortCode);
    m_file2.SetPath(m_program.folders.virtualSubjectsFolder);
    m_file2.Refresh();
}

void SubjectTree::Expand(int index) {
    if (const SubjectNode *node = Node(index); node && subjectData::Is_Folder(node->kind))
        m_tree.SetImage(index,
                        node->kind == NodeKind::VirtualFolder ? VirtualFolderOpen : FolderOpen);
}

void SubjectTree::Collapse(int index) {
    if (const SubjectNode *node = Node(index); node && subjectData::Is_Folder(node->kind))
        m_tree.SetImage(index,
                        node->kind == NodeKind::VirtualFolder ? VirtualFolderClosed : FolderClosed);
}

SubjectTree::PhraseMenu SubjectTree::Phrase_Menu() const {
    const int selected = m_tree.Selected();
    const SubjectNode *node = Node(selected);
    if (!node || !subjectData::Is_Phrase(node->kind))
        return PhraseMenu::None;
    const SubjectNode *subject = Node(m_tree.Parent(selected));
    return subject && subject->kind == NodeKind::InstalledSubject ? PhraseMenu::HearAndEdit
                                                                  : PhraseMenu::Hear;
}

// A clicked subject shows its phrases at once. The node may be gone (a random
// draw that found nothing removes it), so it is looked up again.
void SubjectTree::openOnPhrases(const TreeView::Node *subject) {
    const int index = m_tree.IndexOf(subject);
    if (index != 0 && m_tree.Children(index) > 0)
        m_tree.SetExpanded(index, true);
}

void SubjectTree::NodeClick(int index) {
    Host &host = m_program.host();
    seedFromTimeOfDay(host);

    // Without installed subjects nothing in the tree can be studied.
    const QStringList files = subjectFiles();
    if (files.isEmpty()) {
        QString folder = QDir::toNativeSeparators(m_file1.Path());
        if (!folder.endsWith(QDir::separator()))
            folder += QDir::separator();
        host.MsgBox(m_program.captions[131] + QLatin1Char(' ') + kCrLf + kCrLf + folder + kCrLf +
                        kCrLf + m_program.captions[132] + kCrLf,
                    vb::vbOKOnly);
        return;
    }
    if (index < 1 || index > m_tree.Count())
        return;

    const SubjectNode *node = Node(index);
    if (!node)
        return;
    if (node->kind == NodeKind::Placeholder) {
        m_tree.Select(m_tree.Parent(index));
        return;
    }

    switch (node->kind) {
    case NodeKind::RandomSubjectFolder:
        if (m_tree.Children(index) == 0) {
            const QString fileName = files[drawIndex(host, files.size())];
            const int subject = addNode(index, Proper_Title(fileName), NodeKind::InstalledSubject,
                                        fileName, 0, SubjectPicture, SubjectSelected);
            m_tree.Select(subject);
            m_tree.SetImage(index, FolderOpen);
            m_tree.SetExpanded(index, true);
        } else {
            m_tree.Remove(m_tree.Child(index));
            m_tree.SetImage(index, FolderClosed);
        }
        return;
    case NodeKind::RandomPhrasesFolder:
        if (m_tree.Children(index) == 0) {
            const int randomNode = addNode(index, m_program.captions[118], NodeKind::RandomPhrases,
                                           QString(), 0, SubjectPicture, SubjectSelected);
            const TreeView::Node *randomPhrases = m_tree.NodeAt(randomNode);
            m_tree.Select(randomNode);
            m_tree.SetImage(index, FolderOpen);
            m_tree.SetExpanded(index, true);
            Get_Random_Phrases();
            openOnPhrases(randomPhrases);
        } else {
            m_tree.SetImage(index, FolderClosed);
            m_tree.Remove(m_tree.Child(index));
        }
        return;
    case NodeKind::InstalledFolder:
    case NodeKind::VirtualFolder:
        m_tree.SetExpanded(index, !m_tree.Expanded(index));
        return;
    case NodeKind::ReviewToday:
    case NodeKind::DifficultPhrases: {
        fillReviewNode(index);
        const int list = m_tree.Selected();
        if (list != 0 && m_tree.Children(list) > 0)
            m_tree.SetExpanded(list, true);
        return;
    }
    case NodeKind::InstalledSubject:
    case NodeKind::RandomPhrases:
    case NodeKind::VirtualSubject: {
        const TreeView::Node *subject = m_tree.NodeAt(index);
        if (node->kind == NodeKind::InstalledSubject) {
            Get_Phrases(node->fileName);
        } else if (node->kind == NodeKind::RandomPhrases) {
            Get_Random_Phrases();
        } else {
            const SubjectNode *folder = Node(m_tree.Parent(index));
            Get_vPhrases(folder ? folder->fileName : node->fileName, node->key, index);
        }
        openOnPhrases(subject);
        return;
    }
    case NodeKind::Phrase: {
        // A phrase: its source subject must still be usable in this build.
        const QString fileName = node->phrase.sourceFile;
        const QString result = Validate_Subject(m_program, fileName);
        if (result != QLatin1String(subjectFile::kValid)) {
            Show_Subject_Error(m_program, fileName, result);
            m_tree.Select(m_tree.Parent(index));
        }
        return;
    }
    default: // nodes of the editor's trees never stand here
        return;
    }
}

// --- studying a virtual subject ---

bool SubjectTree::Check_Virtual_Subject(int &index) {
    int selected = m_tree.Selected();
    try {
        if (selected == 0)
            throw std::runtime_error(m_program.captions[caption::NoSubjectSelected].toStdString());
        // A review list is studied as it stands today: it is listed first
        // when it was not yet, and its line saying why it has no phrases is
        // said rather than taken for a broken subject.
        if (const SubjectNode *list = Node(selected);
            list && (list->kind == NodeKind::ReviewToday ||
                     list->kind == NodeKind::DifficultPhrases)) {
            if (m_tree.Children(selected) == 0)
                fillReviewNode(selected);
            selected = m_tree.Selected();
            const int only = m_tree.Child(selected);
            if (const SubjectNode *first = Node(only);
                first && first->kind == NodeKind::Placeholder) {
                m_program.host().MsgBox(m_tree.Text(only), vb::vbOKOnly | vb::vbInformation,
                                        m_tree.Text(selected));
                return false;
            }
            if (only == 0)
                return false; // the reviews could not be read, and it was said
        }
        const int first = m_tree.Child(selected);
        if (first == 0)
            throw std::runtime_error(m_program.captions[caption::NoPhrases].toStdString());

        int valid = 0;
        QString missingPhrases;
        QString missingFiles;
        // Walk the children in their order; they are contiguous by index when
        // built in one go, and the sibling chain is right even when not.
        for (int i = m_tree.FirstSibling(first); i != 0; i = m_tree.Next(i)) {
            const SubjectNode *node = Node(i);
            // The placeholder of an empty virtual subject: nothing to study.
            if (node && node->kind == NodeKind::Placeholder) {
                valid = 0;
                break;
            }
            if (!node || !subjectData::Is_Phrase(node->kind))
                continue;
            index = i;
            const QString fileName = node->phrase.sourceFile;
            if (modMain::File_Exists(subjectFile::Installed_Path(m_program, fileName))) {
                if (Validate_Subject(m_program, fileName) == QLatin1String(subjectFile::kValid))
                    ++valid;
            } else {
                const QString &translation = node->phrase.translation;
                if (!missingPhrases.contains(translation))
                    missingPhrases += translation + kCrLf;
                const QString upper = fileName.toUpper();
                if (!missingFiles.contains(upper))
                    missingFiles += upper + kCrLf;
            }
        }

        if (!missingFiles.trimmed().isEmpty()) {
            const QString text = m_program.captions[133] + kCrLf + kCrLf + missingPhrases + kCrLf +
                                 m_program.captions[134] + kCrLf + kCrLf + missingFiles + kCrLf +
                                 m_program.captions[135];
            if (m_program.host().MsgBox(text, vb::vbYesNo, m_program.captions[144]) == vb::vbYes)
                modMain::Open_Web_Page(m_program, QStringLiteral("subjects.htm"));
        }
        m_tree.SetExpanded(selected, false);
        if (valid < 1) {
            m_tree.SetImage(selected, BrokenSubject);
            m_tree.SetSelectedImage(selected, BrokenSubject);
            return false;
        }
        return true;
    } catch (const std::exception &e) {
        const SubjectNode *node = Node(selected);
        const QStringList fields = node ? node->Fields() : QStringList();
        m_program.host().MsgBoxWithDetails(fields.value(1) + QLatin1Char(' ') +
                                               modMain::Safe_Caption(m_program, 6) + kCrLf + kCrLf +
                                               ado::DescriptionOf(e),
                                           vb::vbExclamation, QString(), ado::DetailsOf(e));
        return false;
    }
}

// --- phrase lists ---

void SubjectTree::Get_Phrases(const QString &fileName) {
    const int selected = m_tree.Selected();
    if (selected == 0 || m_tree.Children(selected) > 0)
        return;
    ShellWindows &windows = m_program.windows();
    windows.SetMainEnabled(false);
    try {
        for (const subjectData::Phrase &phrase :
             subjectData::Read_Installed_Phrases(m_program, fileName))
            addPhraseNode(selected, phrase, PhrasePicture);
        windows.SetMainEnabled(true);
    } catch (const std::exception &e) {
        m_tree.SetImage(selected, BrokenSubject);
        m_tree.SetSelectedImage(selected, BrokenSubject);
        m_program.host().MsgBoxWithDetails(
            fileName.toUpper() + modMain::Safe_Caption(m_program, 6) + kCrLf + kCrLf + ado::DescriptionOf(e),
            vb::vbExclamation, modMain::Safe_Caption(m_program, 103), ado::DetailsOf(e));
        windows.SetMainEnabled(true);
        m_tree.Select(m_tree.Parent(selected));
    }
}

void SubjectTree::Get_vPhrases(const QString &folderFile, int key, int nodeIndex) {
    const int selected = m_tree.Selected();
    if (selected == 0 || m_tree.Children(selected) > 0)
        return;
    int skipped = 0;
    try {
        ado::Connection connection;
        connection.Open(
            modMain::Get_Connection_String(subjectFile::Virtual_Path(m_program, folderFile)));
        ado::Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM tblPhrases where fkParent =") + QString::number(key),
                connection);
        const subjectData::FolderPhraseReader phrases(rs);
        while (!rs.EOF_()) {
            // A phrase that does not name a phrase of a subject file right
            // inside the installed-subjects folder cannot be heard or
            // studied; its row stays in the file for the editor.
            if (!phrases.NamesInstalledPhrase()) {
                ++skipped;
            } else {
                // The main window knows a virtual phrase by its source only.
                Phrase phrase = phrases.Read();
                phrase.folderKey = 0;
                addPhraseNode(nodeIndex, std::move(phrase), VirtualPhrasePicture);
            }
            rs.MoveNext();
        }
        rs.Close();
        connection.Close();
        if (m_tree.Children(nodeIndex) == 0)
            addNode(nodeIndex, m_program.captions[127], NodeKind::Placeholder);
    } catch (const std::exception &e) {
        m_tree.SetImage(nodeIndex, BrokenSubject);
        m_tree.SetSelectedImage(nodeIndex, BrokenSubject);
        m_program.host().MsgBoxWithDetails(
            folderFile.toUpper() + modMain::Safe_Caption(m_program, 6) + kCrLf + kCrLf +
                ado::DescriptionOf(e),
            vb::vbExclamation, modMain::Safe_Caption(m_program, 103), ado::DetailsOf(e));
        m_tree.Select(m_tree.Parent(nodeIndex));
        return;
    }
    if (skipped > 0)
        m_program.host().MsgBox(m_program.captions[caption::PhrasesWithoutSource].arg(skipped) +
                                    kCrLf + kCrLf + folderFile,
                                vb::vbOKOnly | vb::vbExclamation,
                                modMain::Safe_Caption(m_program, 103));
}

void SubjectTree::Get_Random_Phrases() {
    const int selected = m_tree.Selected();
    if (selected == 0 || m_tree.Children(selected) > 0)
        return;
    Host &host = m_program.host();
    ShellWindows &windows = m_program.windows();

    m_file1.Refresh();
    const QStringList files = subjectFiles();
    std::vector<bool> failed(files.size(), false);
    int failedCount = 0;
    seedFromTimeOfDay(host);
    windows.SetMainEnabled(false);

    try {
        // Marks a subject as unusable for this draw; false when none is left.
        auto fail = [&](int r) {
            failed[r] = true;
            ++failedCount;
            if (failedCount >= files.size())
                return false;
            if (failedCount > kQuietFailures) {
                const QString heading = m_program.captions[148];
                if (failedCount == kQuietFailures + 1) {
                    windows.ShowNotice(m_program.captions[119], heading, 2000, 0);
                    modMain::Wait_Seconds(host, 1);
                }
                windows.SetNoticeText(heading + kCrLf + kCrLf + files[r]);
                host.DoEvents();
            }
            return true;
        };

        bool anyLeft = !files.isEmpty();
        for (int c = 1; c <= kRandomPhraseCount && anyLeft; ++c) {
            for (;;) {
                const int r = drawIndex(host, files.size());
                if (failed[r])
                    continue;
                const QString fileName = files[r];
                // A subject that is not valid for this build, has no phrases,
                // or whose phrases cannot be read is skipped. One connection
                // serves the check and the reading.
                try {
                    ado::Connection connection;
                    connection.Open(modMain::Get_Connection_String(
                        subjectFile::Installed_Path(m_program, fileName)));
                    if (Validate_Subject(m_program, connection) !=
                        QLatin1String(subjectFile::kValid)) {
                        anyLeft = fail(r);
                        if (!anyLeft)
                            break;
                        continue;
                    }
                    ado::Recordset rs;
                    // The count alone: a long subject's rows need not be read
                    // to tell how many there are.
                    rs.Open(QStringLiteral("SELECT COUNT(*) FROM tblPhrases"), connection, {},
                            ado::adOpenKeyset, ado::adLockReadOnly);
                    const int m = rs.EOF_() ? 0 : rs.Fields(0).Value().toInt();
                    if (m == 0)
                        throw ado::Error(m_program.captions[caption::NoPhrases]);
                    const int k = static_cast<int>(host.Rnd() * m) + 1;
                    rs.Close();
                    // Only the texts the node shows, read as they are: the
                    // row's sound stays in the file.
                    const QString texts = QStringLiteral(
                        "SELECT pkPhraseNo, tPhrase, tTranslation, tTranslation2 FROM tblPhrases");
                    rs.Open(texts + QStringLiteral(" WHERE pkPhraseNO = ") +
                                QString::number(qBound(1, k, m)),
                            connection, {}, ado::adOpenKeyset, ado::adLockReadOnly);
                    if (rs.EOF_()) {
                        // The numbers have a gap: take the k-th row instead.
                        rs.Close();
                        rs.Open(texts, connection, {}, ado::adOpenKeyset, ado::adLockReadOnly);
                        for (int skip = 1; skip < qBound(1, k, m) && !rs.EOF_(); ++skip)
                            rs.MoveNext();
                    }
                    addPhraseNode(selected, subjectData::InstalledPhraseReader(rs).Read(fileName),
                                  PhrasePicture);
                    rs.Close();
                    connection.Close();
                } catch (const ado::Error &) {
                    anyLeft = fail(r);
                    if (!anyLeft)
                        break;
                    continue;
                }
                break;
            }
        }

        if (!anyLeft) {
            host.MsgBox(m_program.captions[140], vb::vbOKOnly);
            windows.SetMainEnabled(true);
            m_tree.Remove(selected);
            windows.UnloadNotice();
            return;
        }
    } catch (const std::exception &e) {
        modMain::Show_Error(m_program, QStringLiteral("Get_Random_Phrases"), e);
    }
    windows.SetMainEnabled(true);
    windows.UnloadNotice();
}
