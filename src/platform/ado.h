// A small ADO-like layer over SQLite: Connection, Recordset and Field with the
// members the program uses. Every database the program touches (template,
// student database, subject files, virtual folders, activity descriptors) goes
// through here, so nothing above src/platform talks to SQLite directly.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <exception>
#include <memory>
#include <string>

class QIODevice;
struct sqlite3;
struct sqlite3_stmt;

namespace ado {

// Thrown by every member on failure; description() is a plain sentence that
// callers show to the user as the error description, in the language
// platformLanguage::Use_Learner_Language chose. What the sentence rests on
// (the statement that failed, SQLite's own English text) is kept apart in
// details(), for a "details" part of the report; what() is the sentence.
class Error : public std::exception {
public:
    // locked: the file was held by another connection for longer than the
    // busy timeout; trying again later may well succeed.
    explicit Error(QString description, bool locked = false);
    static Error WithDetails(QString description, QString details, bool locked = false);
    const QString &description() const { return m_description; }
    // Empty when the sentence says all there is.
    const QString &details() const { return m_details; }
    bool locked() const { return m_locked; }
    const char *what() const noexcept override { return m_utf8.c_str(); }

private:
    QString m_description;
    QString m_details;
    std::string m_utf8;
    bool m_locked = false;
};

// The sentence of any exception to show the user: an ado::Error's
// description, another exception's what().
QString DescriptionOf(const std::exception &e);
// The details of an ado::Error; empty for any other exception.
QString DetailsOf(const std::exception &e);

// Where a database file comes from. The program's own files (the template and
// the student database, which it made and keeps) are read as they are, saved
// queries included. Any other file (a subject, a virtual folder, an activity
// descriptor, anything imported) may have been made by anyone, so it is opened
// defensively: its views and triggers never run, its schema cannot be
// changed behind SQLite's back, and a statement that runs away or a result
// that grows without end stops with the "damaged" description.
enum class FileOrigin { Outside, Own };

// Cursor kinds are accepted for fidelity with callers. Every recordset
// behaves as a keyset cursor with optimistic locking, unless it is opened
// with adLockReadOnly: its rows are then only read, kept as a snapshot
// without their keys, which costs less to read.
enum CursorType { adOpenKeyset = 1 };
enum LockType { adLockReadOnly = 1, adLockOptimistic = 3 };

struct FileStamp; // one state of a file on disk

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Takes "Provider=...;Data Source=<path>;Jet OLEDB:Database Password=<pw>;"
    // and, for the program's own files only, "Own File=Yes;" (see FileOrigin;
    // without it a file is from outside).
    // A value may be enclosed in double (or single) quotes, that quote doubled
    // inside, so that it can hold ";" and blanks at either end.
    // Fails with a clear description when the file is missing, is not a
    // database, or is protected by another password.
    void Open(const QString &connectionString);
    void Close();
    bool IsOpen() const { return m_db != nullptr; }
    QString DataSource() const { return m_path; }
    FileOrigin Origin() const { return m_origin; }

    // Runs one or more statements without a result (schema set-up in tools
    // and tests). Parameters are bound in order across the statements.
    void Execute(const QString &sql, const QVariantList &params = {});
    // True when the file was opened read-only because it is marked read-only.
    bool IsReadOnly() const { return m_readOnly; }
    // How long a statement waits for another process's lock before it fails
    // with the "locked" description. Open sets 5000 ms.
    void SetBusyTimeout(int milliseconds);

    // Protects the open database with a password (empty removes protection).
    void SetPassword(const QString &password);

    // Creates an empty database file; fails when it exists already.
    static void CreateDatabase(const QString &path);

    sqlite3 *handle() const;

    // The columns of a table of this file, learnt once per connection; null
    // for a view, a table without row keys, or a name that is no table.
    struct TableColumns {
        bool learnt = false;
        QStringList names;
        QStringList declaredTypes;
    };
    const TableColumns *tableColumns(const QString &table);

    // Limits of a file from outside: the steps one call may make, the rows a
    // recordset may hold and the bytes of their values, and the length of a
    // single value. None is near what a real subject file needs.
    static constexpr qint64 kOutsideStepLimit = 50'000'000;
    static constexpr int kOutsideRowLimit = 1 << 20;
    static constexpr qint64 kOutsideByteLimit = qint64(128) << 20;
    static constexpr int kOutsideValueLimit = 128 << 20;

private:
    friend class Recordset;
    friend class Reader;
    // Counts the steps of the current call; the progress handler stops the
    // statement once a file from outside has used up its allowance.
    struct StepGuard {
        qint64 steps = 0;
    };
    static int countSteps(void *guard);
    // Sets a file from outside up defensively; true when its views cannot run.
    static bool guardOutsideFile(sqlite3 *db, StepGuard *guard);
    // Refuses, as damaged, a file from outside whose schema holds what none
    // of ours does; returns the names of its views (in lower case) and puts
    // its tables with their columns in *tables.
    static QSet<QString> inspectForeignSchema(sqlite3 *db, const QString &path, bool viewsOff,
                                              QHash<QString, TableColumns> *tables);
    // The same, from what an earlier connection found when the file is still
    // the same, unchanged; inspects it otherwise.
    // *remembered is set to the file's state when what was learnt of it is
    // kept for later connections.
    static QSet<QString> inspectedSchema(sqlite3 *db, const QString &path,
                                         const QByteArray &nativePath, const FileStamp *before,
                                         bool viewsOff, QHash<QString, TableColumns> *tables,
                                         std::unique_ptr<FileStamp> *remembered);
    // Keeps the columns of a table, learnt by this connection, with what is
    // remembered of its file.
    void rememberColumns(const QString &table, const TableColumns &columns) const;
    // Starts the allowance of one call of the public interface afresh.
    void startCall() const;

    QHash<QString, TableColumns> m_tables; // by lower-case name
    bool m_tablesListed = false;
    sqlite3 *m_db = nullptr;
    QString m_path;
    bool m_readOnly = false;
    FileOrigin m_origin = FileOrigin::Outside;
    QSet<QString> m_views; // of a file from outside, in lower case
    // The state of a file from outside whose schema is kept for later
    // connections, which also get the columns this one learns.
    std::unique_ptr<FileStamp> m_remembered;
    std::unique_ptr<StepGuard> m_guard = std::make_unique<StepGuard>();
};

// Builds the program's connection string form for a path and password. A
// value holding ";", a quote or blanks at either end is enclosed in double
// quotes (a double quote inside doubled); any other string is unchanged.
// Own adds the key that marks one of the program's own files.
QString ConnectionString(const QString &path, const QString &password,
                         FileOrigin origin = FileOrigin::Outside);

class Recordset;

class Field {
public:
    QString Name() const;
    // Null is an invalid QVariant; numbers come back as int, qint64 or
    // double, texts as QString. A long binary value is read from the file only
    // when it is asked for (here or by GetChunk) and comes back as QByteArray.
    QVariant Value() const;
    // Changes the field of the current row (or of the row being added); the
    // change is written by Recordset::Update. An invalid QVariant writes Null;
    // a QString, even a null one, writes text.
    void SetValue(const QVariant &value);
    // Reads the next size bytes of the value of the current row (all the rest
    // for size < 0); successive calls continue where the last one stopped, and
    // moving to another row starts again at the first byte.
    QByteArray GetChunk(qint64 size = -1) const;
    // Writes the value's bytes to device (texts in UTF-8, nothing for Null):
    // a long binary value goes straight from the file to the device, a piece
    // at a time, and is never held whole. False when the device takes less
    // than it is given.
    bool SaveTo(QIODevice &device) const;
    // Length of the value in bytes (texts in UTF-8); 0 for Null. Known without
    // reading a long binary value.
    qint64 ActualSize() const;
    bool IsNull() const;
    // Null becomes empty text, everything else its text form.
    QString Text() const;

private:
    friend class Recordset;
    Field(Recordset *rs, int index) : m_rs(rs), m_index(index) {}
    Recordset *m_rs;
    int m_index;
};

class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;

    // Opens a query (a SELECT or the name of a table or view). User texts go
    // in params and are bound, never spliced into sql.
    // A SELECT of plain columns (or *) from one table keeps the rows' keys and
    // can be changed; any other query (views, joins, DISTINCT, expressions)
    // keeps a snapshot of its rows and is read-only, as is any query opened
    // with adLockReadOnly. Open reads all rows at
    // once, in the query's own order; a keyed recordset leaves each long
    // binary value in the file until it is asked for.
    void Open(const QString &sql, Connection &connection, const QVariantList &params = {},
              CursorType cursor = adOpenKeyset, LockType lock = adLockOptimistic);
    void Close();
    bool IsOpen() const { return m_conn != nullptr; }

    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    bool EOF_() const;
    bool BOF() const;
    int RecordCount() const;

    // AddNew starts a new row; Update writes the pending row or changes (an
    // Update with nothing pending does nothing); Delete removes the current row
    // at once. Moving off a row with pending changes writes them first.
    void AddNew();
    void Update();
    void Delete();
    // Drops the pending new row or changes.
    void CancelUpdate();
    // False for snapshot recordsets (see Open).
    bool IsUpdatable() const;

    int FieldCount() const;
    Field Fields(int index);
    Field Fields(const QString &name);
    Field operator[](const QString &name) { return Fields(name); }

private:
    friend class Field;
    struct Impl;
    struct Row;
    std::unique_ptr<Impl> d;
    Connection *m_conn = nullptr;

    const Row *storedRow(int index) const;
    QVariant fieldValue(int index) const;
    void setFieldValue(int index, const QVariant &value);
    QByteArray fieldChunk(int index, qint64 size) const;
    bool fieldSaveTo(int index, QIODevice &device) const;
    qint64 fieldSize(int index) const;
    bool fieldIsNull(int index) const;
    QString fieldName(int index) const;
    int fieldIndex(const QString &name) const;
    void requireOpen() const;
    void flushPending();
};

// A forward-only read of a query's rows, one at a time, none of them kept:
// for more rows than are worth holding at once (every result of every
// student). The statement is stepped in one read transaction, as a
// Recordset's is; the file stays locked for writers until the reader ends,
// so read to the end, or let it go, promptly.
//     ado::Reader rows(db, "SELECT nGrade, nDate FROM tblResults WHERE tLaunch = ?", {id});
//     while (rows.Next())
//         use(rows.Value(0), rows.Value(1));
// Failures throw ado::Error, as a Recordset's do.
class Reader {
public:
    Reader(Connection &connection, const QString &sql, const QVariantList &params = {});
    ~Reader();
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

    // Moves to the next row (the first one on the first call); false past
    // the last.
    bool Next();
    int FieldCount() const;
    // The current row's values, as Field::Value, Field::Text and
    // Field::IsNull give them.
    QVariant Value(int index) const;
    QString Text(int index) const;
    bool IsNull(int index) const;

private:
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_stmt = nullptr;
    bool m_ended = false;
    QString m_path;
    QString m_sql;
};

// VB-style name used throughout: rs.EOF() reads better, but EOF is a macro.
inline bool AtEnd(const Recordset &rs) {
    return rs.EOF_();
}

} // namespace ado
