// A small ADO-like layer over SQLite: Connection, Recordset and Field with the
// members the program uses. Every database the program touches (template,
// student database, subject files, virtual folders, activity descriptors) goes
// through here, so nothing above src/platform talks to SQLite directly.
#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVector>

#include <exception>
#include <memory>
#include <string>

struct sqlite3;

namespace ado {

// Thrown by every member on failure; description() is a plain sentence that
// callers show to the user as the error description.
class Error : public std::exception {
public:
    explicit Error(QString description);
    const QString &description() const { return m_description; }
    const char *what() const noexcept override { return m_utf8.c_str(); }

private:
    QString m_description;
    std::string m_utf8;
};

// Cursor and lock kinds are accepted for fidelity with callers; every
// recordset behaves as a keyset cursor with optimistic locking.
enum CursorType { adOpenKeyset = 1 };
enum LockType { adLockOptimistic = 3 };

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Takes "Provider=...;Data Source=<path>;Jet OLEDB:Database Password=<pw>;".
    // Fails with a clear description when the file is missing, is not a
    // database, or is protected by another password.
    void Open(const QString &connectionString);
    void Close();
    bool IsOpen() const { return m_db != nullptr; }
    QString DataSource() const { return m_path; }

    // Runs a statement without a result (schema set-up in tools and tests).
    void Execute(const QString &sql, const QVariantList &params = {});

    // Protects the open database with a password (empty removes protection).
    void SetPassword(const QString &password);

    // Creates an empty database file; fails when it exists already.
    static void CreateDatabase(const QString &path);

    sqlite3 *handle() const;

private:
    sqlite3 *m_db = nullptr;
    QString m_path;
};

// Builds the program's connection string form for a path and password.
QString ConnectionString(const QString &path, const QString &password);

class Recordset;

class Field {
public:
    QString Name() const;
    // Null is an invalid QVariant. Long binary values are not included:
    // use GetChunk for those.
    QVariant Value() const;
    void SetValue(const QVariant &value);
    // Reads (part of) a long binary value from the current row.
    QByteArray GetChunk(qint64 size = -1) const;
    bool IsNull() const { return !Value().isValid() || Value().isNull(); }
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

    void AddNew();
    void Update();
    void Delete();

    int FieldCount() const;
    Field Fields(int index);
    Field Fields(const QString &name);
    Field operator[](const QString &name) { return Fields(name); }

private:
    friend class Field;
    struct Impl;
    std::unique_ptr<Impl> d;
    Connection *m_conn = nullptr;

    QVariant fieldValue(int index) const;
    void setFieldValue(int index, const QVariant &value);
    QByteArray fieldChunk(int index, qint64 size) const;
    QString fieldName(int index) const;
    int fieldIndex(const QString &name) const;
    void loadCurrent() const;
    void requireCurrent(const char *what) const;
};

// VB-style name used throughout: rs.EOF() reads better, but EOF is a macro.
inline bool AtEnd(const Recordset &rs) { return rs.EOF_(); }

} // namespace ado
