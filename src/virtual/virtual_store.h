// The virtual folder files: student-built subjects that point at phrases of
// the installed subjects. Each folder is one database file in the virtual
// subjects folder, named display name + ".v" + the build's short code, made
// from the empty template custom.tpl. The virtual subject editor is the only
// writer; the main window's tree and the study set read the same files.
//
// Every operation opens the folder file, works and closes it again. Failures
// throw (ado::Error or std::runtime_error) with a description the editor
// shows; nothing is half done: a failed copy leaves no subject behind, a
// failed rename keeps the old file, and no file is ever overwritten. Every
// change sets Program::bSubjectsChanged.
#pragma once

#include "subject_data/phrase.h"
#include "subject_data/virtual_subject_maker.h"

#include <QString>
#include <QStringList>
#include <QVector>

class Program;

namespace virtualStore {

struct SubjectRow {
    int key = 0; // nParent
    QString name;
};

struct CopiedSubject {
    int key = 0;
    QVector<subjectData::Phrase> phrases;
};

// Subjects copied whole carry their key as a 16-bit number.
inline constexpr int kHighestCopiedKey = 32767;
// A subject receives single phrases only while it has fewer than this many.
inline constexpr int kMostPhrases = 10;

class VirtualStore : public subjectData::VirtualSubjectMaker {
public:
    explicit VirtualStore(Program &program);

    // --- folders ---
    // Folder file names in the order of the main window's list (sorted by name).
    QStringList List_Folders() const;
    // The display name of a folder file: its name less ".v" and the code.
    static QString Display_Name(const QString &fileName);
    QString Folder_File(const QString &displayName) const;
    QString Folder_Path(const QString &displayName) const;
    // Empty when displayName can name a folder file; otherwise why not (a
    // separator, "*", ":", a control character, empty, too long).
    QString Folder_Name_Problem(const QString &displayName) const override;
    // Whether a file of that name exists, letters compared without regard to
    // case: such a name is taken even where the file system tells case apart.
    bool Folder_Exists(const QString &displayName) const;

    // Copies custom.tpl to the new folder file; refuses an unusable name and
    // never replaces an existing file.
    void Create_Folder(const QString &displayName);
    enum class RenameResult { Done, Exists };
    // Exists (nothing changed) when the new file exists, the folder's own
    // name included. The file keeps its contents; only its name changes.
    RenameResult Rename_Folder(const QString &oldName, const QString &newName);
    // Moves the folder file to the desktop's trash, so that it can be brought
    // back; deletes it where there is no trash. A file already gone is fine.
    void Delete_Folder(const QString &displayName);

    // --- subjects and phrases of one folder ---
    QVector<SubjectRow> List_Subjects(const QString &folder) const;
    // The phrases of a subject (origin Virtual, with their folderKey).
    QVector<subjectData::Phrase> List_Phrases(const QString &folder, int subjectKey) const;
    int Create_Subject(const QString &folder, const QString &name);
    void Rename_Subject(const QString &folder, int subjectKey, const QString &name);
    // Removes the subject's phrases, then the subject.
    void Delete_Subject(const QString &folder, int subjectKey);
    void Delete_Phrase(const QString &folder, int phraseKey);

    // A whole installed subject becomes a new subject of the folder, with
    // all its phrases; refused past kHighestCopiedKey.
    CopiedSubject Copy_Subject(const QString &folder, const QString &sourceFile,
                               const QString &subjectName);
    // A new subject of the folder holding copies of the given installed
    // phrases (at most kMostPhrases, in their order), in one transaction:
    // a failure leaves no subject behind.
    CopiedSubject Create_Subject_Of(const QString &folder, const QString &subjectName,
                                    const QVector<subjectData::Phrase> &phrases);
    // The same for someone outside the editor: the folder is found by its
    // name without regard to case, and made when there is none.
    QStringList Folder_Names() const override;
    void Make_Subject(const QString &folder, const QString &subjectName,
                      const QVector<subjectData::Phrase> &phrases) override;
    // Appends one installed phrase (its place and its texts as the caller
    // holds them) to a subject and returns it as the folder holds it. The
    // caller enforces kMostPhrases.
    subjectData::Phrase Copy_Phrase(const QString &folder, int subjectKey,
                                    const subjectData::Phrase &source);

private:
    QString connectionString(const QString &folder) const;
    void requireSource(const QString &sourceFile) const;
    // A new subject of the folder with these phrases, in one transaction.
    CopiedSubject writeSubject(const QString &folder, const QString &subjectName,
                               const QVector<subjectData::Phrase> &phrases);

    Program &m_program;
};

} // namespace virtualStore
