// What a node of the subject trees stands for: the main window's tree
// (folders, subjects, phrases, placeholders, the learner's review lists) and the two trees of the virtual
// subject editor. The program reads these values; the "*"-joined tag text
// that each node also carries (the form activities and older tools know) is
// computed from them here and nowhere else.
#pragma once

#include "platform/tree_view.h"
#include "subject_data/phrase.h"

#include <QStringList>

#include <memory>

namespace subjectData {

enum class NodeKind {
    // The main window's tree.
    InstalledFolder,     // "FOLDER*INSTALLED_SUBJECTS"
    RandomSubjectFolder, // "FOLDER*RANDOM_SUBJECT"
    RandomPhrasesFolder, // "FOLDER*RANDOM_PHRASES"
    VirtualFolder,       // "FOLDER*" + folder file
    InstalledSubject,    // "SUBJECT*" + subject file (also the random subject)
    RandomPhrases,       // "SUBJECT*VIRTUALSUBJECT"
    VirtualSubject,      // "SUBJECT*VIRTUALSUBJECT*" + key
    Phrase,              // file * number * phrase * translation * translation 2
    Placeholder,         // "IGNORE"
    ReviewToday,         // "SUBJECT*VIRTUALSUBJECT*REVIEW_TODAY"
    DifficultPhrases,    // "SUBJECT*VIRTUALSUBJECT*DIFFICULT_PHRASES"
    // The virtual subject editor's trees.
    EditorRoot,    // no tag
    ListedSubject, // the subject file's position in the installed file list
    EditorFolder,  // no tag: the folder file is named by the node's text
    EditorSubject, // the subject's key
    FolderPhrase,  // the five phrase fields * its own key in the folder file
};

// The pictures of the trees (the image lists ImageList2 and ImgListView), by
// their numbers.
enum TreePicture {
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
inline constexpr int kTreePictureCount = 11;

bool Is_Folder(NodeKind kind);  // a folder of either tree, or the editor's root
bool Is_Subject(NodeKind kind); // a subject of either tree
bool Is_Phrase(NodeKind kind);  // a phrase of either tree
// Studied phrase by phrase from their sources (Check_Virtual_Subject).
bool Is_Studied_Virtually(NodeKind kind);
// The caption of a review list's name (the node shows it with its count; a
// study set of it carries it alone); 0 for the other kinds.
int Review_List_Caption(NodeKind kind);

class SubjectNode final : public TreeNodeData {
public:
    // A folder, subject or placeholder: fileName is the subject or folder
    // file where the kind has one, key the subject's key or list position.
    static std::shared_ptr<const SubjectNode> Of(NodeKind kind, const QString &fileName = {},
                                                 int key = 0);
    // A phrase node (Phrase, or FolderPhrase for the editor's virtual phrases).
    static std::shared_ptr<const SubjectNode> Of(Phrase phrase, NodeKind kind = NodeKind::Phrase);

    NodeKind kind = NodeKind::Placeholder;
    QString fileName;
    int key = 0;
    subjectData::Phrase phrase;

    // The fields of the node's tag, in their order.
    QStringList Fields() const;
    QString Tag() const override;
};

// The value of node index of tree; null for a node without one (or no node).
const SubjectNode *Node_At(const TreeView &tree, int index);

} // namespace subjectData
