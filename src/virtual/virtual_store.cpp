#include "virtual/virtual_store.h"

#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/ado.h"
#include "platform/file_list_box.h"
#include "platform/platform_language.h"
#include "subject_data/subject_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <stdexcept>

namespace virtualStore {

namespace {

// Longest file name (in bytes) the common file systems take.
constexpr int kLongestFileName = 255;

[[noreturn]] void fail(const QString &description) {
    throw std::runtime_error(description.toStdString());
}

// One write of several rows in one transaction: a failure half-way rolls
// every row back, so the file never holds half a copy.
class Batch {
public:
    explicit Batch(ado::Connection &connection) : m_connection(connection) {
        m_connection.Execute(QStringLiteral("BEGIN IMMEDIATE"));
    }
    ~Batch() {
        if (!m_done) {
            try {
                m_connection.Execute(QStringLiteral("ROLLBACK"));
            } catch (...) {
                // Closing the connection drops the transaction anyway.
            }
        }
    }
    Batch(const Batch &) = delete;
    Batch &operator=(const Batch &) = delete;
    void Commit() {
        m_connection.Execute(QStringLiteral("COMMIT"));
        m_done = true;
    }

private:
    ado::Connection &m_connection;
    bool m_done = false;
};

// Adds a phrase row to an open recordset of the folder's tblPhrases and
// returns the phrase as the folder now holds it.
subjectData::Phrase addPhrase(ado::Recordset &rs, int subjectKey,
                              const subjectData::Phrase &source) {
    rs.AddNew();
    rs.Fields(QStringLiteral("fkParent")).SetValue(subjectKey);
    rs.Fields(QStringLiteral("tfilename")).SetValue(source.sourceFile);
    rs.Fields(QStringLiteral("nPhraseNo")).SetValue(source.number);
    rs.Fields(QStringLiteral("tPhrase")).SetValue(source.phrase);
    rs.Fields(QStringLiteral("tTranslation")).SetValue(source.translation);
    rs.Fields(QStringLiteral("tTranslation2")).SetValue(source.translation2);
    rs.Update();
    subjectData::Phrase stored = source;
    stored.origin = subjectData::PhraseOrigin::Virtual;
    stored.folderKey = rs.Fields(QStringLiteral("pkPhraseNo")).Value().toInt();
    return stored;
}

} // namespace

VirtualStore::VirtualStore(Program &program) : m_program(program) {}

// --- folders ---

QStringList VirtualStore::List_Folders() const {
    FileListBox list;
    list.SetPattern(QStringLiteral("*.v") + m_program.identity.shortCode);
    list.SetPath(m_program.folders.virtualSubjectsFolder);
    QStringList names;
    for (int i = 0; i < list.ListCount(); ++i)
        names << list.List(i);
    return names;
}

QString VirtualStore::Display_Name(const QString &fileName) {
    return fileName.left(fileName.length() - 5);
}

QString VirtualStore::Folder_File(const QString &displayName) const {
    return displayName + QStringLiteral(".v") + m_program.identity.shortCode;
}

QString VirtualStore::Folder_Path(const QString &displayName) const {
    return subjectFile::Virtual_Path(m_program, Folder_File(displayName));
}

QString VirtualStore::Folder_Name_Problem(const QString &displayName) const {
    const QString file = Folder_File(displayName);
    // "*" separates the fields of the main window's node tags.
    if (displayName.trimmed().isEmpty() || !subjectFile::Is_Plain_File_Name(displayName) ||
        displayName.contains(QLatin1Char('*')) || file.toUtf8().size() > kLongestFileName)
        return m_program.captions[caption::UnusableFolderName];
    return QString();
}

bool VirtualStore::Folder_Exists(const QString &displayName) const {
    const QString file = Folder_File(displayName);
    const QStringList present = QDir(m_program.folders.virtualSubjectsFolder)
                                    .entryList(QDir::Files | QDir::Dirs | QDir::Hidden |
                                               QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : present)
        if (name.compare(file, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void VirtualStore::Create_Folder(const QString &displayName) {
    const QString problem = Folder_Name_Problem(displayName);
    if (!problem.isEmpty())
        fail(problem);
    const QString target = Folder_Path(displayName);
    if (Folder_Exists(displayName))
        fail(m_program.captions[caption::FolderFileExists].arg(target));
    const QString source = m_program.folders.programFolder + QStringLiteral("custom.tpl");
    if (!modMain::File_Exists(source))
        fail(m_program.captions[caption::TemplateMissing].arg(source));
    // QFile::copy never replaces an existing file.
    if (!QFile::copy(source, target))
        fail(m_program.captions[caption::FileNotCopied].arg(source, target));
    // The template may be read-only in an installed program folder.
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    m_program.bSubjectsChanged = true;
}

VirtualStore::RenameResult VirtualStore::Rename_Folder(const QString &oldName,
                                                       const QString &newName) {
    const QString problem = Folder_Name_Problem(newName);
    if (!problem.isEmpty())
        fail(problem);
    if (Folder_Exists(newName))
        return RenameResult::Exists;
    const QString from = Folder_Path(oldName);
    const QString to = Folder_Path(newName);
    // One step where the file system allows; where Qt has to copy, a failed
    // copy leaves the old file in place.
    QFile file(from);
    if (!file.rename(to))
        fail(m_program.captions[caption::FileNotRenamed].arg(
            from, to, platformLanguage::System_Reason(file)));
    m_program.bSubjectsChanged = true;
    return RenameResult::Done;
}

void VirtualStore::Delete_Folder(const QString &displayName) {
    const QString path = Folder_Path(displayName);
    if (!QFileInfo::exists(path)) {
        m_program.bSubjectsChanged = true;
        return;
    }
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    // Qt sets up the desktop's trash only where the user's data folder exists.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
#endif
    QFile file(path);
    if (file.moveToTrash()) {
        // Where no trash could be set up, Qt may file the folder under the
        // working folder: bring it back and delete it instead.
        if (QFileInfo(file.fileName()).isAbsolute()) {
            m_program.bSubjectsChanged = true;
            return;
        }
        const QString misplaced = file.fileName();
        QFile::rename(misplaced, path);
        file.setFileName(path);
    }
    if (!file.remove())
        fail(m_program.captions[caption::FileNotDeleted].arg(
            path, platformLanguage::System_Reason(file)));
    m_program.bSubjectsChanged = true;
}

// --- subjects and phrases ---

QString VirtualStore::connectionString(const QString &folder) const {
    return modMain::Get_Connection_String(Folder_Path(folder));
}

void VirtualStore::requireSource(const QString &sourceFile) const {
    if (!modMain::File_Exists(subjectFile::Installed_Path(m_program, sourceFile)))
        fail(m_program.captions[caption::SourceSubjectGone].arg(sourceFile));
}

QVector<SubjectRow> VirtualStore::List_Subjects(const QString &folder) const {
    ado::Connection cn;
    cn.Open(connectionString(folder));
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblParents"), cn);
    QVector<SubjectRow> rows;
    for (; !rs.EOF_(); rs.MoveNext())
        rows.push_back({rs.Fields(0).Value().toInt(), rs.Fields(1).Text()});
    return rows;
}

QVector<subjectData::Phrase> VirtualStore::List_Phrases(const QString &folder,
                                                        int subjectKey) const {
    ado::Connection cn;
    cn.Open(connectionString(folder));
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblPhrases where fkParent =") +
                QString::number(subjectKey),
            cn);
    QVector<subjectData::Phrase> rows;
    const subjectData::FolderPhraseReader phrases(rs);
    for (; !rs.EOF_(); rs.MoveNext())
        rows.push_back(phrases.Read());
    return rows;
}

int VirtualStore::Create_Subject(const QString &folder, const QString &name) {
    ado::Connection cn;
    cn.Open(connectionString(folder));
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblParents"), cn);
    rs.AddNew();
    rs.Fields(1).SetValue(name);
    rs.Update();
    const int key = rs.Fields(0).Value().toInt();
    m_program.bSubjectsChanged = true;
    return key;
}

void VirtualStore::Rename_Subject(const QString &folder, int subjectKey, const QString &name) {
    ado::Connection cn;
    cn.Open(connectionString(folder));
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblParents where nParent =") +
                QString::number(subjectKey),
            cn);
    // Reading past the end fails: a subject gone from the file is reported.
    rs.Fields(1).SetValue(name);
    rs.Update();
    m_program.bSubjectsChanged = true;
}

void VirtualStore::Delete_Subject(const QString &folder, int subjectKey) {
    ado::Connection cn;
    cn.Open(connectionString(folder));
    Batch batch(cn);
    {
        ado::Recordset phrases;
        phrases.Open(QStringLiteral("SELECT * FROM tblPhrases where fkParent =") +
                         QString::number(subjectKey),
                     cn);
        while (!phrases.EOF_()) {
            phrases.Delete();
            phrases.MoveNext();
        }
        ado::Recordset parent;
        parent.Open(QStringLiteral("SELECT * FROM tblParents where nParent =") +
                        QString::number(subjectKey),
                    cn);
        if (!parent.EOF_())
            parent.Delete();
    }
    batch.Commit();
    m_program.bSubjectsChanged = true;
}

void VirtualStore::Delete_Phrase(const QString &folder, int phraseKey) {
    ado::Connection cn;
    cn.Open(connectionString(folder));
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblPhrases where pkPhraseNo =") +
                QString::number(phraseKey),
            cn);
    if (!rs.EOF_())
        rs.Delete();
    m_program.bSubjectsChanged = true;
}

CopiedSubject VirtualStore::writeSubject(const QString &folder, const QString &subjectName,
                                         const QVector<subjectData::Phrase> &phrases) {
    ado::Connection target;
    target.Open(connectionString(folder));
    CopiedSubject written;
    Batch batch(target);
    {
        ado::Recordset parents;
        parents.Open(QStringLiteral("SELECT * FROM tblParents"), target);
        parents.AddNew();
        parents.Fields(1).SetValue(subjectName);
        parents.Update();
        const qint64 key = parents.Fields(0).Value().toLongLong();
        // The key travels as a 16-bit number: never write rows under a wrong one.
        if (key > kHighestCopiedKey || key < 1)
            fail(m_program.captions[caption::CopiedKeyLimit].arg(folder));
        written.key = static_cast<int>(key);
        ado::Recordset to;
        to.Open(QStringLiteral("SELECT * FROM tblPhrases where fkParent =") +
                    QString::number(written.key),
                target);
        for (const subjectData::Phrase &phrase : phrases)
            written.phrases.push_back(addPhrase(to, written.key, phrase));
    }
    batch.Commit();
    m_program.bSubjectsChanged = true;
    return written;
}

CopiedSubject VirtualStore::Copy_Subject(const QString &folder, const QString &sourceFile,
                                         const QString &subjectName) {
    requireSource(sourceFile);
    return writeSubject(folder, subjectName,
                        subjectData::Read_Installed_Phrases(m_program, sourceFile));
}

CopiedSubject VirtualStore::Create_Subject_Of(const QString &folder, const QString &subjectName,
                                             const QVector<subjectData::Phrase> &phrases) {
    for (const subjectData::Phrase &phrase : phrases)
        requireSource(phrase.sourceFile);
    return writeSubject(folder, subjectName, phrases.mid(0, kMostPhrases));
}

QStringList VirtualStore::Folder_Names() const {
    QStringList names;
    for (const QString &file : List_Folders())
        names << Display_Name(file);
    return names;
}

void VirtualStore::Make_Subject(const QString &folder, const QString &subjectName,
                                const QVector<subjectData::Phrase> &phrases) {
    QString existing;
    for (const QString &name : Folder_Names())
        if (name.compare(folder.trimmed(), Qt::CaseInsensitive) == 0)
            existing = name;
    if (existing.isEmpty()) {
        existing = folder.trimmed();
        Create_Folder(existing);
    }
    Create_Subject_Of(existing, subjectName, phrases);
}

subjectData::Phrase VirtualStore::Copy_Phrase(const QString &folder, int subjectKey,
                                              const subjectData::Phrase &source) {
    requireSource(source.sourceFile);
    ado::Connection cn;
    cn.Open(connectionString(folder));
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblPhrases where fkParent =") +
                QString::number(subjectKey),
            cn);
    const subjectData::Phrase stored = addPhrase(rs, subjectKey, source);
    m_program.bSubjectsChanged = true;
    return stored;
}

} // namespace virtualStore
