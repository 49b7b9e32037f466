// The subject tree of the main window (TreeFolders): three fixed folders
// (installed subjects, a random subject, random phrases) followed by one
// folder per virtual folder file; subjects below them; phrases below a subject
// once it was clicked. Above them all, while a student is logged in, the
// student's two review lists: the phrases due today and the difficult ones. Every node carries a value saying what it stands for
// (subjectData::SubjectNode), from which its tag text follows. Works on the
// TreeView model, so it runs without a window.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include "platform/tree_view.h"
#include "study_data/learner_reviews.h"
#include "subject_data/phrase.h"
#include "subject_data/subject_node.h"
#include "subject_data/virtual_subject_check.h"

class FileListBox;
class Program;

class SubjectTree : public subjectData::VirtualSubjectCheck {
public:
    SubjectTree(Program &program, TreeView &TreeFolders, FileListBox &File1, FileListBox &File2);

    // Points File1 at the installed subjects and File2 at the virtual folders,
    // with this build's name patterns, and reads both folders: the start-up
    // does it before the builders run.
    void List_Subject_Files();

    // Builders, run by the start-up in this order.
    void Create_Folders();
    void Get_Subjects();
    void Get_vSubjects();
    // Rebuilds the whole tree when bSubjectsChanged is set, and clears it.
    void Refresh_Subjects();

    // The logged-in student's review lists as the first nodes of the tree:
    // "review today" with the count of phrases due, and the difficult
    // phrases with theirs; without a student they are taken away. The
    // student database is read again only when it changed since (an
    // activity wrote its results), on another day, for another student or
    // another desired retention; a list whose phrases changed is emptied,
    // to be filled again when it is clicked.
    void Show_Review_Nodes();

    // Events of the tree.
    void NodeClick(int index);
    void Expand(int index);
    void Collapse(int index);

    // Display title of an installed subject file (subjectFile::Proper_Title);
    // empty text, after the error box, when it fails.
    QString Proper_Title(const QString &fileName);
    // Field n (from 0) of the tag of node index; empty text (after the error
    // box) when the node or the field does not exist. The program itself
    // reads the nodes' values (Node).
    QString Tag_Item(int n, int index);
    // What node index stands for; null when there is no such node.
    const subjectData::SubjectNode *Node(int index) const;

    // What the phrase menu offers for the selected node: nothing for a
    // folder, subject or placeholder; hearing for every phrase; correcting
    // only for a phrase of an installed subject (or of the random subject),
    // since a virtual phrase's texts are copies of its source's.
    enum class PhraseMenu { None, Hear, HearAndEdit };
    PhraseMenu Phrase_Menu() const;

    // Before a virtual subject (or the random phrases) is studied: true when it
    // has phrases whose source subjects are present and valid. index receives
    // the last phrase node examined.
    bool Check_Virtual_Subject(int &index) override;

    // The phrase lists (phrase nodes under the selected subject node).
    void Get_Phrases(const QString &fileName);
    void Get_vPhrases(const QString &folderFile, int key, int nodeIndex);
    void Get_Random_Phrases();

private:
    // What the review lists were read from, to read them again only when
    // something changed.
    struct ReviewsSource {
        QString usersPath;
        QString student;
        QDate day;
        double retention = 0;
        QDateTime modified;
        qint64 size = -1;
        friend bool operator==(const ReviewsSource &, const ReviewsSource &) = default;
    };
    // Reads the student's reviews into m_reviews (or m_reviewsProblem) when
    // their source changed, or always when forced; true when they were read.
    bool readReviews(bool force);
    // Show_Review_Nodes, reading the reviews again whatever changed when
    // reread is set.
    void updateReviewNodes(bool reread);
    // The review list node of kind, 0 when there is none.
    int reviewNode(subjectData::NodeKind kind) const;
    // The node's text: its title with the count of its phrases.
    QString reviewNodeText(subjectData::NodeKind kind) const;
    const QVector<studyResults::PhraseSchedule> &reviewPhrases(subjectData::NodeKind kind) const;
    // The line an empty review list shows instead of phrases.
    QString emptyReviewListText(subjectData::NodeKind kind) const;
    // What a review list shows, as keys to tell whether it changed.
    QStringList reviewListKeys(subjectData::NodeKind kind) const;
    // Lists the phrases of a review list node (reading the reviews afresh),
    // each with its subject's title, or a line saying why there are none.
    void fillReviewNode(int index);

    // The installed subject files that can stand in a tag: File1's names
    // without "*", which would split the tag.
    QStringList subjectFiles() const;
    // Warns once about files left out because their names contain "*".
    void reportUnusableNames(const QStringList &names);
    // Expands a subject node that (still) has phrases.
    void openOnPhrases(const TreeView::Node *subject);
    // Adds a phrase node under parent, listed by its translation.
    void addPhraseNode(int parent, subjectData::Phrase phrase, int image);
    // Adds a folder, subject or placeholder node.
    int addNode(int parent, const QString &text, subjectData::NodeKind kind,
                const QString &fileName = QString(), int key = 0, int image = 0,
                int selectedImage = 0);

    Program &m_program;
    learnerReviews::Reviews m_reviews;
    QString m_reviewsProblem; // why the reviews could not be read
    ReviewsSource m_reviewsSource;
    TreeView &m_tree;
    FileListBox &m_file1;
    FileListBox &m_file2;
};
