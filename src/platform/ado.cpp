#include "platform/ado.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QMutexLocker>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <sqlite3.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <utility>

namespace ado {

// What tells one state of a file from any other: the same file (device and
// inode), with the same size and the same times of its last change. Any write
// moves the change time, which no program sets at will.
struct FileStamp {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    bool operator==(const FileStamp &) const = default;
};

namespace {

constexpr int kDefaultBusyTimeoutMs = 5000;
const char *const kPasswordTable = "MSysPassword";
// The connection string key of the program's own files (see FileOrigin).
const char *const kOwnFileKey = "Own File";
// The progress handler runs every this many virtual machine steps.
constexpr int kProgressInterval = 1000;

FileStamp stampFrom(const struct stat &info) {
    return FileStamp{quint64(info.st_dev), quint64(info.st_ino), qint64(info.st_size),
                     qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec,
                     qint64(info.st_ctim.tv_sec) * 1'000'000'000 + info.st_ctim.tv_nsec};
}

std::optional<FileStamp> stampOf(const QByteArray &nativePath) {
    struct stat info {};
    if (::stat(nativePath.constData(), &info) != 0)
        return std::nullopt;
    return stampFrom(info);
}

// A file's times move in coarse steps: a file changed within the last few
// seconds may change again without its times moving, so what was learnt of
// it is kept only once it has rested that long.
constexpr qint64 kRestedNs = qint64(3) * 1'000'000'000;

bool hasRested(const FileStamp &stamp) {
    struct timespec now {};
    if (clock_gettime(CLOCK_REALTIME, &now) != 0)
        return false;
    const qint64 nowNs = qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
    return nowNs - std::max(stamp.modifiedNs, stamp.changedNs) > kRestedNs;
}

// Backquotes, not double quotes: SQLite reads an unknown "name" as a text
// literal, which would hide a misspelt column instead of naming it.
QString quoteIdentifier(const QString &name) {
    QString escaped = name;
    escaped.replace(QLatin1Char('`'), QLatin1String("``"));
    return QLatin1Char('`') + escaped + QLatin1Char('`');
}

// [name], "name" and `name` are all accepted in queries written for Jet.
QString unquoteIdentifier(const QString &token) {
    if (token.size() >= 2) {
        const QChar first = token.front();
        const QChar last = token.back();
        if ((first == QLatin1Char('[') && last == QLatin1Char(']')) ||
            (first == QLatin1Char('"') && last == QLatin1Char('"')) ||
            (first == QLatin1Char('`') && last == QLatin1Char('`')))
            return token.mid(1, token.size() - 2);
    }
    return token;
}

QString afterPrefix(const QString &message, const QString &prefix) {
    QString name = message.mid(prefix.size()).trimmed();
    if (name.startsWith(QLatin1String("main.")))
        name = name.mid(5);
    return name;
}

[[noreturn]] void damaged(const QString &path, const QString &details) {
    throw Error::WithDetails(
        QCoreApplication::translate("ado", "The database '%1' is damaged.").arg(path), details);
}

// Turns an SQLite failure into the sentence the program shows the user; the
// statement and SQLite's own text go into the details.
[[noreturn]] void fail(sqlite3 *db, int rc, const QString &path, const QString &sql = {}) {
    const QString message =
        db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    QString details = QStringLiteral("SQLite: ") + message;
    if (!sql.isEmpty())
        details += QStringLiteral("\nSQL: ") + sql.simplified();
    switch (rc & 0xff) {
    case SQLITE_NOTADB:
        throw Error::WithDetails(
            QCoreApplication::translate("ado", "The file '%1' is not a database file.").arg(path),
            details);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw Error::WithDetails(
            QCoreApplication::translate("ado", "The database '%1' is locked by another user or "
                                               "program; try again later.")
                .arg(path),
            details, true);
    case SQLITE_READONLY:
        throw Error::WithDetails(QCoreApplication::translate(
                                     "ado", "The database '%1' is read-only; it cannot be changed.")
                                     .arg(path),
                                 details);
    // A statement stopped by the step allowance of a file from outside, and
    // a value longer than such a file may hold, mean a file made to harm.
    case SQLITE_CORRUPT:
    case SQLITE_INTERRUPT:
    case SQLITE_TOOBIG:
        damaged(path, details);
    case SQLITE_CANTOPEN:
        throw Error::WithDetails(
            QCoreApplication::translate("ado", "Cannot open the file '%1'.").arg(path), details);
    default:
        break;
    }
    // A view or trigger of a file from outside, which never runs, and a
    // function its schema must not call: such a file is not one of ours.
    if (message.startsWith(QLatin1String("access to view")) ||
        message.startsWith(QLatin1String("unsafe use of")))
        damaged(path, details);
    const QString noTable = QStringLiteral("no such table: ");
    const QString noColumn = QStringLiteral("no such column: ");
    if (message.startsWith(noTable))
        throw Error::WithDetails(QCoreApplication::translate("ado", "No such table or query: '%1'.")
                                     .arg(afterPrefix(message, noTable)),
                                 details);
    if (message.startsWith(noColumn))
        throw Error::WithDetails(QCoreApplication::translate("ado", "No such column: '%1'.")
                                     .arg(afterPrefix(message, noColumn)),
                                 details);
    throw Error::WithDetails(
        QCoreApplication::translate("ado", "The database '%1' could not do what was asked of it.")
            .arg(path),
        details);
}

[[noreturn]] void readOnlyRecordset(const QString &sql) {
    throw Error::WithDetails(
        QCoreApplication::translate("ado", "This recordset is read-only: its query does not name "
                                           "the rows of one table."),
        QStringLiteral("SQL: ") + sql.simplified());
}

[[noreturn]] void noCurrentRecord() {
    throw Error(QCoreApplication::translate(
        "ado", "No current record: the recordset is at its beginning or end, "
               "or holds no rows."));
}

[[noreturn]] void recordDeleted() {
    throw Error(QCoreApplication::translate("ado", "The current record has been deleted."));
}

// Owns one prepared statement; finalizing on every path keeps no lock behind.
class Statement {
public:
    enum Failure { Throw, LeaveEmpty };
    // With LeaveEmpty a statement that cannot be prepared leaves get() null.
    Statement(sqlite3 *db, const QString &sql, const QString &path, Failure failure = Throw)
        : m_db(db), m_path(path), m_sql(sql) {
        const QByteArray utf8 = sql.toUtf8();
        const int rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr);
        if (rc != SQLITE_OK) {
            sqlite3_finalize(m_stmt);
            m_stmt = nullptr;
            if (failure == Throw)
                fail(db, rc, path, sql);
        }
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    sqlite3_stmt *get() const { return m_stmt; }
    // True while rows come; fails with the mapped description on an error.
    bool step() {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        fail(m_db, rc, m_path, m_sql);
    }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
    QString m_path;
    QString m_sql;
};

void bindValue(sqlite3_stmt *stmt, int index, const QVariant &value) {
    if (!value.isValid()) {
        sqlite3_bind_null(stmt, index);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::QString: {
        // A null QString is still text: callers turn Null into "" on purpose.
        const QByteArray utf8 = value.toString().toUtf8();
        sqlite3_bind_text(stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        return;
    }
    case QMetaType::Bool:
        sqlite3_bind_int(stmt, index, value.toBool() ? 1 : 0);
        return;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        sqlite3_bind_int64(stmt, index, value.toLongLong());
        return;
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(stmt, index, value.toDouble());
        return;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        if (bytes.isNull())
            sqlite3_bind_null(stmt, index);
        else
            sqlite3_bind_blob64(stmt, index, bytes.constData(), sqlite3_uint64(bytes.size()),
                                SQLITE_TRANSIENT);
        return;
    }
    default:
        break;
    }
    if (value.isNull()) {
        sqlite3_bind_null(stmt, index);
        return;
    }
    const QByteArray utf8 = value.toString().toUtf8();
    sqlite3_bind_text(stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void bindAll(sqlite3_stmt *stmt, const QVariantList &params, int first = 0) {
    const int count = sqlite3_bind_parameter_count(stmt);
    for (int i = 0; i < count; ++i)
        bindValue(stmt, i + 1, params.value(first + i));
}

void checkParamCount(sqlite3_stmt *stmt, const QVariantList &params) {
    const int expected = sqlite3_bind_parameter_count(stmt);
    if (expected != params.size())
        throw Error(QCoreApplication::translate(
                        "ado", "The query expects %1 parameter value(s) but %2 were given.")
                        .arg(expected)
                        .arg(params.size()));
}

QVariant columnValue(sqlite3_stmt *stmt, int column) {
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER: {
        const qint64 v = sqlite3_column_int64(stmt, column);
        if (v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max())
            return QVariant(int(v));
        return QVariant(v);
    }
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, column));
    case SQLITE_TEXT: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(stmt, column)));
    }
    case SQLITE_BLOB: {
        const auto *data = static_cast<const char *>(sqlite3_column_blob(stmt, column));
        return QVariant(QByteArray(data, sqlite3_column_bytes(stmt, column)));
    }
    default:
        return QVariant();
    }
}

// What a value held in a recordset costs, near enough.
constexpr qint64 kRowOverhead = 64;
qint64 heldSize(const QVariant &value) {
    switch (value.typeId()) {
    case QMetaType::QString:
        return 16 + 2 * qint64(value.toString().size());
    case QMetaType::QByteArray:
        return 16 + qint64(value.toByteArray().size());
    default:
        return 16;
    }
}

bool isNullValue(const QVariant &value) {
    if (!value.isValid())
        return true;
    if (value.typeId() == QMetaType::QString)
        return false;
    return value.isNull();
}

QByteArray bytesOf(const QVariant &value) {
    if (isNullValue(value))
        return {};
    if (value.typeId() == QMetaType::QByteArray)
        return value.toByteArray();
    return value.toString().toUtf8();
}

// One write (or one consistent read) and its own transaction, unless the
// caller already opened one.
class Transaction {
public:
    Transaction(sqlite3 *db, const QString &path) : m_db(db), m_path(path) {
        m_own = sqlite3_get_autocommit(db) != 0;
        if (m_own)
            exec("BEGIN IMMEDIATE");
    }
    ~Transaction() {
        if (m_own && !m_done)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    void commit() {
        if (m_own)
            exec("COMMIT");
        m_done = true;
    }

private:
    void exec(const char *sql) {
        const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            fail(m_db, rc, m_path);
    }
    sqlite3 *m_db;
    QString m_path;
    bool m_own = false;
    bool m_done = false;
};

QString passwordHash(const QString &salt, const QString &password) {
    return QString::fromLatin1(
        QCryptographicHash::hash((salt + password).toUtf8(), QCryptographicHash::Sha256).toHex());
}

// Long binary columns are left out of the row fetch and read on demand.
bool isLongBinaryType(const QString &declaredType) {
    const QString t = declaredType.toUpper();
    return t.contains(QLatin1String("BLOB")) || t.contains(QLatin1String("BINARY")) ||
           t.contains(QLatin1String("IMAGE")) || t.contains(QLatin1String("OLE"));
}

// A connection string value as OLE DB writes it: enclosed in double quotes
// (a double quote inside doubled) when it holds a separator, a quote or
// blanks at either end, as-is otherwise.
QString connectionValue(const QString &value) {
    const bool plain = !value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('"')) &&
                       !value.contains(QLatin1Char('\'')) && value.trimmed() == value;
    if (plain)
        return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// Splits "key=value;..." into lower-case keys (blanks simplified) and values.
// A value may be enclosed in double or single quotes, with that quote
// doubled inside; then it may hold ";" and keeps its blanks. A value that
// opens a quote and never closes it is taken as written.
QList<std::pair<QString, QString>> parseConnectionString(const QString &text) {
    QList<std::pair<QString, QString>> pairs;
    qsizetype i = 0;
    const qsizetype n = text.size();
    const auto isBlank = [](QChar c) { return c.isSpace(); };
    while (i < n) {
        const qsizetype eq = text.indexOf(QLatin1Char('='), i);
        const qsizetype semicolon = text.indexOf(QLatin1Char(';'), i);
        if (eq < 0 || (semicolon >= 0 && semicolon < eq)) {
            // A part without "=": nothing to take.
            if (semicolon < 0)
                break;
            i = semicolon + 1;
            continue;
        }
        const QString key = text.mid(i, eq - i).simplified().toLower();
        qsizetype v = eq + 1;
        while (v < n && isBlank(text[v]))
            ++v;
        QString value;
        bool quotedValue = false;
        if (v < n && (text[v] == QLatin1Char('"') || text[v] == QLatin1Char('\''))) {
            const QChar quote = text[v];
            qsizetype j = v + 1;
            QString inner;
            bool closed = false;
            while (j < n) {
                if (text[j] == quote) {
                    if (j + 1 < n && text[j + 1] == quote) {
                        inner += quote;
                        j += 2;
                        continue;
                    }
                    closed = true;
                    ++j;
                    break;
                }
                inner += text[j++];
            }
            // Only blanks may follow the closing quote before the next ";".
            qsizetype k = j;
            while (k < n && isBlank(text[k]))
                ++k;
            if (closed && (k == n || text[k] == QLatin1Char(';'))) {
                value = inner;
                quotedValue = true;
                i = k + 1;
            }
        }
        if (!quotedValue) {
            const qsizetype end = text.indexOf(QLatin1Char(';'), eq + 1);
            value = text.mid(eq + 1, end < 0 ? -1 : end - eq - 1).trimmed();
            i = end < 0 ? n : end + 1;
        }
        pairs.append({key, value});
    }
    return pairs;
}

const QString kIdent = QStringLiteral(R"((?:\[[^\]]+\]|"[^"]+"|`[^`]+`|[A-Za-z_][A-Za-z0-9_]*))");

} // namespace

// ---------------------------------------------------------------------------

Error::Error(QString description, bool locked)
    : m_description(std::move(description)), m_utf8(m_description.toStdString()), m_locked(locked) {
}

Error Error::WithDetails(QString description, QString details, bool locked) {
    Error error(std::move(description), locked);
    error.m_details = std::move(details);
    return error;
}

QString DescriptionOf(const std::exception &e) {
    if (const auto *error = dynamic_cast<const Error *>(&e))
        return error->description();
    return QString::fromUtf8(e.what());
}

QString DetailsOf(const std::exception &e) {
    if (const auto *error = dynamic_cast<const Error *>(&e))
        return error->details();
    return QString();
}

QString ConnectionString(const QString &path, const QString &password, FileOrigin origin) {
    QString text = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%1;"
                                  "Jet OLEDB:Database Password=%2;")
                       .arg(connectionValue(path), connectionValue(password));
    if (origin == FileOrigin::Own)
        text += QLatin1String(kOwnFileKey) + QStringLiteral("=Yes;");
    return text;
}

Connection::Connection() = default;

Connection::~Connection() {
    Close();
}

void Connection::Open(const QString &connectionString) {
    Close();
    QString path;
    QString password;
    FileOrigin origin = FileOrigin::Outside;
    for (const auto &[key, value] : parseConnectionString(connectionString)) {
        if (key == QLatin1String("data source"))
            path = value;
        else if (key == QLatin1String("jet oledb:database password") ||
                 key == QLatin1String("password") || key == QLatin1String("pwd"))
            password = value;
        else if (key == QString::fromLatin1(kOwnFileKey).toLower())
            origin = value.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0 ||
                             value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0
                         ? FileOrigin::Own
                         : FileOrigin::Outside;
    }
    if (path.isEmpty())
        throw Error(
            QCoreApplication::translate("ado", "The connection string names no data source."));

    // One look at the file tells what it is, and is its state before SQLite
    // reads it.
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0)
        throw Error(QCoreApplication::translate("ado", "File not found: '%1'.").arg(path));
    if (S_ISDIR(info.st_mode))
        throw Error(
            QCoreApplication::translate("ado", "'%1' is a folder, not a database file.").arg(path));
    // SQLite would take an empty file as an empty database; nothing we write
    // is empty, so such a file is as foreign as any other.
    if (info.st_size == 0)
        throw Error(
            QCoreApplication::translate("ado", "The file '%1' is not a database file.").arg(path));

    // A file marked read-only stays untouched even for an administrator, as on
    // Windows: open it read-only instead of failing.
    const bool readOnly = !(info.st_mode & S_IWUSR) || ::access(native.constData(), W_OK) != 0;
    const std::optional<FileStamp> stamp =
        origin == FileOrigin::Outside ? std::optional<FileStamp>(stampFrom(info)) : std::nullopt;
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(native.constData(), &db,
                             readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close(db);
        fail(nullptr, rc, path);
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, kDefaultBusyTimeoutMs);
    bool viewsOff = false;
    m_guard->steps = 0;
    if (origin == FileOrigin::Outside)
        viewsOff = guardOutsideFile(db, m_guard.get());

    try {
        // The first read also tells a foreign file from a database.
        // One statement: a file without the password table opens with any
        // password; any other failure (a foreign file) is reported.
        QString salt;
        QString hash;
        bool protectedFile = false;
        {
            Statement st(db,
                         QStringLiteral("SELECT tSalt, tHash FROM %1 LIMIT 1")
                             .arg(QLatin1String(kPasswordTable)),
                         path, Statement::LeaveEmpty);
            if (!st.get()) {
                const int code = sqlite3_extended_errcode(db);
                if (!QString::fromUtf8(sqlite3_errmsg(db))
                         .startsWith(QLatin1String("no such table")))
                    fail(db, code, path);
            } else if (st.step()) {
                protectedFile = true;
                salt = columnValue(st.get(), 0).toString();
                hash = columnValue(st.get(), 1).toString();
            }
        }
        if (protectedFile && passwordHash(salt, password).compare(hash, Qt::CaseInsensitive) != 0)
            throw Error(QCoreApplication::translate(
                            "ado", "Wrong password: not a valid password for the database "
                                   "'%1'.")
                            .arg(path));
        if (origin == FileOrigin::Outside) {
            m_views = inspectedSchema(db, path, native, stamp ? &*stamp : nullptr, viewsOff,
                                      &m_tables, &m_remembered);
            m_tablesListed = true;
        }
    } catch (...) {
        sqlite3_close_v2(db);
        throw;
    }
    m_db = db;
    m_path = path;
    m_readOnly = readOnly;
    m_origin = origin;
}

int Connection::countSteps(void *guard) {
    auto *g = static_cast<StepGuard *>(guard);
    g->steps += kProgressInterval;
    return g->steps > kOutsideStepLimit ? 1 : 0;
}

bool Connection::guardOutsideFile(sqlite3 *db, StepGuard *guard) {
    // What SQLite advises for files of unknown origin: nothing in the file
    // may change its schema behind SQLite's back, call functions with side
    // effects, or run code of its own when it is read or written.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    bool viewsOff = false;
#ifdef SQLITE_DBCONFIG_ENABLE_VIEW
    viewsOff = sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr) == SQLITE_OK;
#endif
#ifdef SQLITE_DBCONFIG_TRUSTED_SCHEMA
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
#endif
#ifdef SQLITE_DBCONFIG_TRUSTED_SCHEMA
    sqlite3_exec(db, "PRAGMA cell_size_check = ON", nullptr, nullptr, nullptr);
#else
    sqlite3_exec(db, "PRAGMA trusted_schema = OFF; PRAGMA cell_size_check = ON", nullptr, nullptr,
                 nullptr);
#endif
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, kOutsideValueLimit);
    sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
    sqlite3_progress_handler(db, kProgressInterval, &Connection::countSteps, guard);
    return viewsOff;
}

namespace {

// What the inspection found in a file from outside, by path, for as long as
// the file stays as it was: the tree and the random draw open the same
// subjects again and again, and their schema need not be read anew each time.
struct InspectedFile {
    FileStamp stamp;
    QSet<QString> views;
    QHash<QString, Connection::TableColumns> tables;
};
constexpr int kInspectedFilesKept = 4096;
QMutex inspectedFilesLock;
QHash<QString, InspectedFile> inspectedFiles;

} // namespace

QSet<QString> Connection::inspectedSchema(sqlite3 *db, const QString &path,
                                          const QByteArray &nativePath, const FileStamp *before,
                                          bool viewsOff, QHash<QString, TableColumns> *tables,
                                          std::unique_ptr<FileStamp> *remembered) {
    // The file must be the same now, after SQLite read its schema, as before
    // it opened it: otherwise it changed in between, and is inspected.
    const std::optional<FileStamp> now = stampOf(nativePath);
    const bool unchanged = before && now && *before == *now;
    if (unchanged) {
        const QMutexLocker locker(&inspectedFilesLock);
        const auto known = inspectedFiles.constFind(path);
        if (known != inspectedFiles.constEnd() && known->stamp == *now) {
            *tables = known->tables;
            *remembered = std::make_unique<FileStamp>(*now);
            return known->views;
        }
    }
    QSet<QString> views = inspectForeignSchema(db, path, viewsOff, tables);
    const std::optional<FileStamp> after = stampOf(nativePath);
    if (unchanged && after && *after == *now && hasRested(*after)) {
        const QMutexLocker locker(&inspectedFilesLock);
        if (inspectedFiles.size() >= kInspectedFilesKept)
            inspectedFiles.clear();
        inspectedFiles.insert(path, InspectedFile{*after, views, *tables});
        *remembered = std::make_unique<FileStamp>(*after);
    }
    return views;
}

void Connection::rememberColumns(const QString &table, const TableColumns &columns) const {
    if (!m_remembered)
        return;
    const QMutexLocker locker(&inspectedFilesLock);
    const auto known = inspectedFiles.find(m_path);
    if (known != inspectedFiles.end() && known->stamp == *m_remembered)
        known->tables.insert(table, columns);
}

namespace {

// Whether a table's text holds the word AS, which the definition of every
// computed column does ("GENERATED ALWAYS AS (...)" or "AS (...)"): a table
// without it has none. Letters, digits, "_", "$" and every character beyond
// ASCII belong to names, as SQLite reads them.
bool holdsWordAs(const QString &sql) {
    const auto inName = [](QChar c) {
        return c.isLetterOrNumber() || c == u'_' || c == u'$' || c.unicode() >= 0x80;
    };
    for (qsizetype at = sql.indexOf(QLatin1String("as"), 0, Qt::CaseInsensitive); at >= 0;
         at = sql.indexOf(QLatin1String("as"), at + 1, Qt::CaseInsensitive)) {
        const bool startsWord = at == 0 || !inName(sql[at - 1]);
        const bool endsWord = at + 2 >= sql.size() || !inName(sql[at + 2]);
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

} // namespace

QSet<QString> Connection::inspectForeignSchema(sqlite3 *db, const QString &path, bool viewsOff,
                                               QHash<QString, TableColumns> *tables) {
    // Our files hold plain tables only. A view is refused where this SQLite
    // cannot keep views from running (elsewhere, when it is read as a
    // table); a virtual table or a computed column would run the file's own
    // expressions on every read. The file's list of its tables tells the
    // first two; the columns of a table are looked at only when its text
    // could define a computed one, and are otherwise learnt when a
    // recordset first needs them.
    QSet<QString> views;
    QStringList closerLook;
    {
        Statement list(db,
                       QStringLiteral("SELECT type, name, sql FROM sqlite_master "
                                      "WHERE type IN ('table', 'view')"),
                       path);
        while (list.step()) {
            const QString type = columnValue(list.get(), 0).toString();
            const QString name = columnValue(list.get(), 1).toString();
            if (type == QLatin1String("view")) {
                if (!viewsOff)
                    damaged(path, QStringLiteral("the file holds the view %1").arg(name));
                views.insert(name.toLower());
                continue;
            }
            const QString sql = columnValue(list.get(), 2).toString();
            if (sql.simplified().startsWith(QLatin1String("CREATE VIRTUAL"), Qt::CaseInsensitive))
                damaged(path, QStringLiteral("virtual table %1").arg(name));
            tables->insert(name.toLower(), TableColumns());
            if (holdsWordAs(sql))
                closerLook << name;
        }
    }
    for (const QString &name : std::as_const(closerLook)) {
        Statement columns(db, QStringLiteral("SELECT hidden FROM pragma_table_xinfo(?)"), path);
        const QByteArray utf8 = name.toUtf8();
        sqlite3_bind_text(columns.get(), 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        while (columns.step()) {
            const int hidden = sqlite3_column_int(columns.get(), 0);
            if (hidden == 2 || hidden == 3)
                damaged(path, QStringLiteral("computed column in %1").arg(name));
        }
    }
    return views;
}

void Connection::startCall() const {
    m_guard->steps = 0;
}

void Connection::Close() {
    if (m_db) {
        // Recordsets still holding statements keep the handle alive until
        // they finalize them.
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    m_tables.clear();
    m_tablesListed = false;
    m_path.clear();
    m_readOnly = false;
    m_origin = FileOrigin::Outside;
    m_views.clear();
    m_remembered.reset();
}

sqlite3 *Connection::handle() const {
    if (!m_db)
        throw Error(QCoreApplication::translate("ado", "The connection is not open."));
    return m_db;
}

void Connection::SetBusyTimeout(int milliseconds) {
    sqlite3_busy_timeout(handle(), milliseconds);
}

const Connection::TableColumns *Connection::tableColumns(const QString &table) {
    // The file's tables are listed once per connection; a view is not among
    // them, and its rows cannot be changed.
    if (!m_tablesListed) {
        Statement list(handle(),
                       QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"),
                       m_path);
        while (list.step())
            m_tables.insert(columnValue(list.get(), 0).toString().toLower(), TableColumns());
        m_tablesListed = true;
    }
    const auto found = m_tables.find(table.toLower());
    if (found == m_tables.end())
        return nullptr;
    if (!found->learnt) {
        // Preparing a statement tells the columns and their declared types
        // without reading a row; a table without row keys cannot prepare it.
        Statement st(handle(),
                     QStringLiteral("SELECT *, rowid FROM %1").arg(quoteIdentifier(table)), m_path,
                     Statement::LeaveEmpty);
        if (st.get()) {
            const int n = sqlite3_column_count(st.get()) - 1;
            for (int i = 0; i < n; ++i) {
                found->names << QString::fromUtf8(sqlite3_column_name(st.get(), i));
                const char *type = sqlite3_column_decltype(st.get(), i);
                found->declaredTypes << (type ? QString::fromUtf8(type) : QString());
            }
        }
        found->learnt = true;
        rememberColumns(found.key(), *found);
    }
    return found->names.isEmpty() ? nullptr : &*found;
}

void Connection::Execute(const QString &sql, const QVariantList &params) {
    // The statements may change tables: they are learnt again.
    m_tables.clear();
    m_tablesListed = false;
    sqlite3 *db = handle();
    const QByteArray utf8 = sql.toUtf8();
    const char *tail = utf8.constData();
    const char *end = utf8.constData() + utf8.size();
    int used = 0;
    while (tail < end) {
        sqlite3_stmt *stmt = nullptr;
        const char *next = nullptr;
        int rc = sqlite3_prepare_v2(db, tail, int(end - tail), &stmt, &next);
        if (rc != SQLITE_OK)
            fail(db, rc, m_path, sql);
        tail = next;
        if (!stmt)
            continue; // whitespace or a comment
        const int count = sqlite3_bind_parameter_count(stmt);
        if (used + count > params.size()) {
            sqlite3_finalize(stmt);
            throw Error(QCoreApplication::translate(
                            "ado", "The statement expects more parameter values than the %1 "
                                   "given.")
                            .arg(params.size()));
        }
        bindAll(stmt, params, used);
        used += count;
        startCall();
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        }
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE)
            fail(db, rc, m_path, sql);
    }
    if (used != params.size())
        throw Error(QCoreApplication::translate(
                        "ado", "The statement expects %1 parameter value(s) but %2 were given.")
                        .arg(used)
                        .arg(params.size()));
}

void Connection::SetPassword(const QString &password) {
    sqlite3 *db = handle();
    Transaction tx(db, m_path);
    Execute(QStringLiteral("DROP TABLE IF EXISTS %1").arg(QLatin1String(kPasswordTable)));
    if (!password.isEmpty()) {
        const quint64 a = QRandomGenerator::system()->generate64();
        const quint64 b = QRandomGenerator::system()->generate64();
        const QString salt = QString::fromLatin1(QByteArray::number(a, 16).rightJustified(16, '0') +
                                                 QByteArray::number(b, 16).rightJustified(16, '0'));
        Execute(QStringLiteral("CREATE TABLE %1(tSalt TEXT, tHash TEXT)")
                    .arg(QLatin1String(kPasswordTable)));
        Execute(QStringLiteral("INSERT INTO %1(tSalt, tHash) VALUES (?, ?)")
                    .arg(QLatin1String(kPasswordTable)),
                {salt, passwordHash(salt, password)});
    }
    tx.commit();
}

void Connection::CreateDatabase(const QString &path) {
    if (QFileInfo::exists(path))
        throw Error(QCoreApplication::translate("ado", "The file '%1' exists already.").arg(path));
    const QByteArray native = QFile::encodeName(path);
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(native.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                             nullptr);
    if (rc == SQLITE_OK)
        // Writing a header value makes SQLite write the file's first page, so
        // the new file is a real (empty) database and not a zero-byte file.
        rc = sqlite3_exec(db, "PRAGMA application_id = 1414944817", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close(db);
        QFile::remove(path);
        throw Error::WithDetails(
            QCoreApplication::translate("ado", "Cannot create the database '%1'.").arg(path),
            QStringLiteral("SQLite: ") + message);
    }
    sqlite3_close(db);
}

// ---------------------------------------------------------------------------

// One row as Open (or the re-read after a write) found it.
// A long binary value left in the file is marked in blobFields and its
// length kept in its place among the values, so a row costs one allocation
// however many sounds it has.
struct Recordset::Row {
    static constexpr int kMaxFields = 64; // keyed recordsets; more read as snapshots
    qint64 key = 0;                       // rowid (keyed recordsets)
    QVector<QVariant> values;             // every value, or the length of a long binary one
    quint64 blobFields = 0;               // bit i: field i is a long binary value in the file
    bool holdsBlob(int index) const { return index < kMaxFields && (blobFields >> index) & 1; }
    qint64 blobSize(int index) const { return values[index].toLongLong(); }
};

struct Recordset::Impl {
    sqlite3 *db = nullptr;
    QString path;
    QString sql;

    // Keyed recordsets know their table and each row's key; snapshots are
    // read-only and hold every value.
    bool keyed = false;
    QString table;     // quoted
    QString tableName; // as the query names it
    QStringList names;
    QStringList columnSql; // quoted column names (keyed)
    QString rowList;       // the select list that reads one row (keyed)
    QVector<Row> rows;
    QVector<bool> deleted;
    int pos = 0;

    // Long binary values of the current row read so far, and where GetChunk
    // goes on; both start again on another row.
    int currentPos = -2;
    QVector<std::optional<QVariant>> blobValues;
    QVector<qint64> chunkOffsets;

    enum class Mode { None, Adding, Editing };
    Mode mode = Mode::None;
    QMap<int, QVariant> pending;

    int size() const { return int(deleted.size()); }
    int liveCount() const { return int(deleted.count(false)); }
    bool onRow() const { return pos >= 0 && pos < size(); }

    void invalidate() { currentPos = -2; }

    // Moving through a listing touches no long binary value: the per-row
    // state is only cleared when something was read on the row before.
    bool blobStateUsed = false;
    void enterRow() {
        if (currentPos == pos)
            return;
        const int n = int(names.size());
        if (blobValues.size() != n) {
            blobValues = QVector<std::optional<QVariant>>(n);
            chunkOffsets = QVector<qint64>(n, 0);
        } else if (blobStateUsed) {
            blobValues.fill(std::nullopt);
            chunkOffsets.fill(0);
        }
        blobStateUsed = false;
        currentPos = pos;
    }

    // Reads a row of the keyed select list: the fields, then per field the
    // length of a long binary value (Null for any other value), then the key.
    Row readRow(sqlite3_stmt *stmt) const {
        const int n = int(names.size());
        Row row;
        row.key = sqlite3_column_int64(stmt, 2 * n);
        row.values.resize(n);
        for (int i = 0; i < n; ++i) {
            if (sqlite3_column_type(stmt, n + i) == SQLITE_NULL) {
                row.values[i] = columnValue(stmt, i);
                continue;
            }
            row.blobFields |= quint64(1) << i;
            row.values[i] = sqlite3_column_int64(stmt, n + i);
        }
        return row;
    }

    // Reads the stored row again by key after a write, so the cached values
    // are what the file holds (defaults, conversions, triggers included).
    Row rereadRow(qint64 key) const {
        Statement st(db, QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?").arg(rowList, table),
                     path);
        sqlite3_bind_int64(st.get(), 1, key);
        if (st.step())
            return readRow(st.get());
        Row row;
        row.key = key;
        row.values.resize(names.size());
        return row;
    }

    // One statement per long binary column, prepared at its first use and
    // used again for every row: reading the sounds of a subject row by row
    // costs no parsing per row.
    std::map<int, std::unique_ptr<Statement>> blobReaders;

    QVariant blobValue(int index) {
        blobStateUsed = true;
        if (!blobValues[index]) {
            std::unique_ptr<Statement> &reader = blobReaders[index];
            if (!reader)
                reader =
                    std::make_unique<Statement>(db,
                                                QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                                                    .arg(columnSql[index], table),
                                                path);
            sqlite3_stmt *st = reader->get();
            sqlite3_reset(st);
            sqlite3_bind_int64(st, 1, rows[pos].key);
            if (!reader->step()) {
                sqlite3_reset(st);
                recordDeleted(); // removed by someone else since Open
            }
            blobValues[index] = columnValue(st, 0);
            // Reset at once: a statement left stepping would keep the file
            // locked for other programs.
            sqlite3_reset(st);
        }
        return *blobValues[index];
    }

    // Copies a long binary value of the current row from the file to device
    // through a small buffer: a sound costs one read, never a copy of its
    // own in memory.
    bool saveBlob(int index, QIODevice &device) {
        if (blobValues[index]) {
            const QByteArray bytes = bytesOf(*blobValues[index]);
            return device.write(bytes) == bytes.size();
        }
        sqlite3_blob *blob = nullptr;
        const QByteArray tableUtf8 = tableName.toUtf8();
        const QByteArray columnUtf8 = names[index].toUtf8();
        if (sqlite3_blob_open(db, "main", tableUtf8.constData(), columnUtf8.constData(),
                              rows[pos].key, 0, &blob) != SQLITE_OK) {
            // Not a value the file can hand out in pieces (a text where a
            // sound belongs, a row gone since Open): read as Value reads it.
            sqlite3_blob_close(blob);
            const QByteArray bytes = bytesOf(blobValue(index));
            return device.write(bytes) == bytes.size();
        }
        const std::unique_ptr<sqlite3_blob, int (*)(sqlite3_blob *)> closer(blob,
                                                                            &sqlite3_blob_close);
        const int total = sqlite3_blob_bytes(blob);
        // A value longer than the connection lets a file hold is damage, as
        // when it is read whole.
        if (total > sqlite3_limit(db, SQLITE_LIMIT_LENGTH, -1))
            damaged(path, QStringLiteral("a value of %1 bytes in %2").arg(total).arg(table));
        // A phrase's sound in one piece or a few: each piece is a read of
        // the file and a write of the device.
        constexpr int kPiece = 1024 * 1024;
        const int wanted = std::clamp(total, 1, kPiece);
        if (pieceSize < wanted) {
            pieceBuffer.reset(new char[size_t(wanted)]);
            pieceSize = wanted;
        }
        for (int at = 0; at < total;) {
            const int n = std::min(kPiece, total - at);
            const int rc = sqlite3_blob_read(blob, pieceBuffer.get(), n, at);
            if (rc != SQLITE_OK)
                fail(db, rc, path);
            if (device.write(pieceBuffer.get(), n) != n)
                return false;
            at += n;
        }
        return true;
    }

    // The buffer the sounds go through, kept from one row to the next: a
    // launch writes ten sounds, and a fresh buffer for each would be fresh
    // memory for the system to hand out each time.
    std::unique_ptr<char[]> pieceBuffer;
    int pieceSize = 0;
};

Reader::Reader(Connection &connection, const QString &sql, const QVariantList &params)
    : m_db(connection.handle()), m_path(connection.DataSource()), m_sql(sql) {
    connection.startCall();
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        fail(m_db, rc, m_path, m_sql);
    }
    try {
        checkParamCount(m_stmt, params);
    } catch (...) {
        sqlite3_finalize(m_stmt);
        throw;
    }
    bindAll(m_stmt, params);
}

Reader::~Reader() {
    sqlite3_finalize(m_stmt);
}

bool Reader::Next() {
    if (m_ended)
        return false;
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    // Ended or failed: the read transaction ends here, and a statement reset
    // would start again from the first row.
    m_ended = true;
    sqlite3_reset(m_stmt);
    if (rc != SQLITE_DONE)
        fail(m_db, rc, m_path, m_sql);
    return false;
}

int Reader::FieldCount() const {
    return sqlite3_column_count(m_stmt);
}

QVariant Reader::Value(int index) const {
    return columnValue(m_stmt, index);
}

QString Reader::Text(int index) const {
    if (sqlite3_column_type(m_stmt, index) == SQLITE_NULL)
        return QString(QLatin1String(""));
    const QVariant value = columnValue(m_stmt, index);
    if (value.typeId() == QMetaType::QByteArray)
        return QString::fromUtf8(value.toByteArray());
    return value.toString();
}

bool Reader::IsNull(int index) const {
    return sqlite3_column_type(m_stmt, index) == SQLITE_NULL;
}

Recordset::Recordset() = default;

Recordset::~Recordset() {
    Close();
}

void Recordset::Open(const QString &sqlText, Connection &connection, const QVariantList &params,
                     CursorType, LockType lock) {
    Close();
    auto impl = std::make_unique<Impl>();
    impl->db = connection.handle();
    impl->path = connection.DataSource();
    connection.startCall();

    QString sql = sqlText.trimmed();
    // A bare table or query name opens all of its rows.
    static const QRegularExpression bareName(QStringLiteral("^(%1)\\s*;?$").arg(kIdent));
    if (const auto m = bareName.match(sql);
        m.hasMatch() && m.captured(1).compare(QLatin1String("select"), Qt::CaseInsensitive) != 0)
        sql = QStringLiteral("SELECT * FROM ") + m.captured(1);
    impl->sql = sql;

    // Keyed only for plain columns of one table; everything else is a snapshot.
    static const QRegularExpression selectRe(
        QStringLiteral("^SELECT\\s+(.*?)\\s+FROM\\s+(%1)(.*)$").arg(kIdent),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression restStart(QStringLiteral("^(WHERE|ORDER\\s+BY|LIMIT)\\b"),
                                              QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression restForbidden(
        QStringLiteral("\\b(UNION|INTERSECT|EXCEPT|GROUP\\s+BY|HAVING)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression plainColumn(QStringLiteral("^%1$").arg(kIdent));

    bool keyed = false;
    QString tableName;
    QString rest;
    QStringList listed;
    if (const auto m = selectRe.match(sql); m.hasMatch()) {
        const QString list = m.captured(1).trimmed();
        tableName = unquoteIdentifier(m.captured(2));
        // A file from outside whose table is a view is not what it claims.
        if (connection.m_views.contains(tableName.toLower()))
            damaged(impl->path, QStringLiteral("%1 is a view").arg(tableName));
        rest = m.captured(3).trimmed();
        while (rest.endsWith(QLatin1Char(';')))
            rest.chop(1);
        keyed = lock != adLockReadOnly &&
                (rest.isEmpty() || restStart.match(rest).hasMatch()) &&
                !restForbidden.match(rest).hasMatch();
        if (keyed && list != QLatin1String("*")) {
            for (const QString &column : list.split(QLatin1Char(','))) {
                const QString c = column.trimmed();
                if (!plainColumn.match(c).hasMatch() ||
                    c.compare(QLatin1String("DISTINCT"), Qt::CaseInsensitive) == 0) {
                    keyed = false;
                    break;
                }
                listed << unquoteIdentifier(c);
            }
        }
    }

    // A file from outside may hold far more rows, or far longer values, than
    // any of ours; its recordsets stop before they take all memory.
    const bool outside = connection.Origin() == FileOrigin::Outside;
    qint64 heldBytes = 0;
    const auto hold = [&](const Row &row) {
        if (!outside)
            return;
        heldBytes += kRowOverhead;
        for (const QVariant &value : row.values)
            heldBytes += heldSize(value);
        if (impl->rows.size() > Connection::kOutsideRowLimit ||
            heldBytes > Connection::kOutsideByteLimit)
            damaged(impl->path, QStringLiteral("more than %1 rows or %2 bytes in \"%3\"")
                                    .arg(impl->rows.size())
                                    .arg(Connection::kOutsideByteLimit)
                                    .arg(sql.simplified()));
    };

    // The rows come from one statement, stepped to its end in one go: SQLite
    // reads them in one read transaction, one consistent state of the file,
    // without the cost of an explicit BEGIN and COMMIT per recordset.
    const Connection::TableColumns *columns = keyed ? connection.tableColumns(tableName) : nullptr;
    keyed = columns != nullptr &&
            (listed.isEmpty() ? columns->names.size() : listed.size()) <= Row::kMaxFields;

    if (keyed) {
        impl->table = quoteIdentifier(tableName);
        impl->tableName = tableName;
        QMap<QString, QString> declared; // lower-case name -> declared type
        for (int i = 0; i < columns->names.size(); ++i)
            declared.insert(columns->names[i].toLower(), columns->declaredTypes[i]);
        impl->names = listed.isEmpty() ? columns->names : listed;
        // The caller's fields come first, so an ORDER BY by position still
        // names them; the blob lengths and the key follow. A long binary value
        // (any value of a column declared so, or any stored blob) is left in
        // the file: typeof() and length() of a blob are answered from its
        // header without reading its content.
        QStringList fields;
        QStringList sizes;
        for (const QString &name : std::as_const(impl->names)) {
            const QString c = quoteIdentifier(name);
            impl->columnSql << c;
            const QString type = declared.value(name.toLower());
            if (isLongBinaryType(type)) {
                fields << QStringLiteral("NULL");
                sizes << QStringLiteral("CASE typeof(%1) WHEN 'null' THEN NULL WHEN 'blob' THEN "
                                        "length(%1) ELSE length(CAST(%1 AS BLOB)) END")
                             .arg(c);
            } else if (type.trimmed().isEmpty()) {
                // An untyped column holds whatever was stored: a sound is
                // told by its stored type.
                fields
                    << QStringLiteral("CASE WHEN typeof(%1) = 'blob' THEN NULL ELSE %1 END").arg(c);
                sizes << QStringLiteral("CASE WHEN typeof(%1) = 'blob' THEN length(%1) END").arg(c);
            } else {
                // A column declared as text or number holds texts and numbers.
                fields << c;
                sizes << QStringLiteral("NULL");
            }
        }
        impl->rowList = (fields + sizes + QStringList{impl->table + QStringLiteral(".rowid")})
                            .join(QLatin1String(", "));
        // The caller's own filter and order. If this cannot be prepared (a
        // rowid-less table, for one) the snapshot path below still gives the
        // caller its rows or the real error.
        const QString keyedSql =
            QStringLiteral("SELECT %1 FROM %2 %3").arg(impl->rowList, impl->table, rest);
        Statement st(impl->db, keyedSql, impl->path, Statement::LeaveEmpty);
        if (!st.get()) {
            keyed = false;
        } else {
            checkParamCount(st.get(), params);
            bindAll(st.get(), params);
            while (st.step()) {
                impl->rows << impl->readRow(st.get());
                hold(impl->rows.back());
            }
        }
    }

    if (!keyed) {
        impl->names.clear();
        impl->columnSql.clear();
        impl->rows.clear();
        heldBytes = 0;
        Statement st(impl->db, sql, impl->path);
        checkParamCount(st.get(), params);
        bindAll(st.get(), params);
        const int n = sqlite3_column_count(st.get());
        for (int i = 0; i < n; ++i)
            impl->names << QString::fromUtf8(sqlite3_column_name(st.get(), i));
        while (st.step()) {
            Row row;
            row.values.resize(n);
            for (int i = 0; i < n; ++i)
                row.values[i] = columnValue(st.get(), i);
            impl->rows << row;
            hold(impl->rows.back());
        }
    }
    impl->keyed = keyed;
    impl->deleted = QVector<bool>(impl->rows.size(), false);
    impl->pos = 0;
    d = std::move(impl);
    m_conn = &connection;
}

void Recordset::Close() {
    d.reset();
    m_conn = nullptr;
}

void Recordset::requireOpen() const {
    if (!d || !m_conn)
        throw Error(QCoreApplication::translate("ado", "The recordset is not open."));
    if (!m_conn->IsOpen() || m_conn->handle() != d->db)
        throw Error(
            QCoreApplication::translate("ado", "The recordset's connection has been closed."));
}

bool Recordset::IsUpdatable() const {
    requireOpen();
    return d->keyed;
}

void Recordset::flushPending() {
    if (d->mode != Impl::Mode::None)
        Update();
}

void Recordset::MoveFirst() {
    requireOpen();
    flushPending();
    if (d->liveCount() == 0)
        noCurrentRecord();
    d->pos = int(d->deleted.indexOf(false));
    d->invalidate();
}

void Recordset::MoveLast() {
    requireOpen();
    flushPending();
    if (d->liveCount() == 0)
        noCurrentRecord();
    d->pos = int(d->deleted.lastIndexOf(false));
    d->invalidate();
}

void Recordset::MoveNext() {
    requireOpen();
    flushPending();
    if (d->pos >= d->size())
        noCurrentRecord();
    do {
        ++d->pos;
    } while (d->pos < d->size() && d->deleted[d->pos]);
    d->invalidate();
}

void Recordset::MovePrevious() {
    requireOpen();
    flushPending();
    if (d->pos < 0 || d->size() == 0)
        noCurrentRecord();
    do {
        --d->pos;
    } while (d->pos >= 0 && d->deleted[d->pos]);
    d->invalidate();
}

bool Recordset::EOF_() const {
    requireOpen();
    return d->pos >= d->size();
}

bool Recordset::BOF() const {
    requireOpen();
    return d->pos < 0 || d->size() == 0;
}

int Recordset::RecordCount() const {
    requireOpen();
    return d->liveCount();
}

void Recordset::AddNew() {
    requireOpen();
    flushPending();
    if (!d->keyed)
        readOnlyRecordset(d->sql);
    d->mode = Impl::Mode::Adding;
    d->pending.clear();
}

void Recordset::CancelUpdate() {
    requireOpen();
    d->mode = Impl::Mode::None;
    d->pending.clear();
}

void Recordset::Update() {
    requireOpen();
    if (d->mode == Impl::Mode::None)
        return;
    m_conn->startCall();
    if (d->mode == Impl::Mode::Adding) {
        QStringList columns;
        QStringList marks;
        QVariantList values;
        for (auto it = d->pending.cbegin(); it != d->pending.cend(); ++it) {
            columns << d->columnSql[it.key()];
            marks << QStringLiteral("?");
            values << it.value();
        }
        const QString sql = columns.isEmpty()
                                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(d->table)
                                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                      .arg(d->table, columns.join(QLatin1String(", ")),
                                           marks.join(QLatin1String(", ")));
        Transaction tx(d->db, d->path);
        Statement st(d->db, sql, d->path);
        for (int i = 0; i < values.size(); ++i)
            bindValue(st.get(), i + 1, values[i]);
        st.step();
        const Row row = d->rereadRow(sqlite3_last_insert_rowid(d->db));
        tx.commit();
        // The new row becomes the current one, so its AutoNumber can be read.
        d->rows << row;
        d->deleted << false;
        d->pos = d->size() - 1;
    } else {
        if (!d->onRow() || d->deleted[d->pos])
            recordDeleted();
        QStringList sets;
        QVariantList values;
        for (auto it = d->pending.cbegin(); it != d->pending.cend(); ++it) {
            sets << d->columnSql[it.key()] + QStringLiteral(" = ?");
            values << it.value();
        }
        Transaction tx(d->db, d->path);
        Statement st(d->db,
                     QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                         .arg(d->table, sets.join(QLatin1String(", "))),
                     d->path);
        for (int i = 0; i < values.size(); ++i)
            bindValue(st.get(), i + 1, values[i]);
        sqlite3_bind_int64(st.get(), int(values.size()) + 1, d->rows[d->pos].key);
        st.step();
        if (sqlite3_changes(d->db) == 0)
            recordDeleted();
        Row row = d->rereadRow(d->rows[d->pos].key);
        tx.commit();
        d->rows[d->pos] = std::move(row);
    }
    d->mode = Impl::Mode::None;
    d->pending.clear();
    d->invalidate();
}

void Recordset::Delete() {
    requireOpen();
    if (!d->keyed)
        readOnlyRecordset(d->sql);
    if (d->mode == Impl::Mode::Adding) {
        CancelUpdate();
        return;
    }
    if (!d->onRow())
        noCurrentRecord();
    if (d->deleted[d->pos])
        recordDeleted();
    d->mode = Impl::Mode::None;
    d->pending.clear();
    m_conn->startCall();
    Transaction tx(d->db, d->path);
    Statement st(d->db, QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(d->table), d->path);
    sqlite3_bind_int64(st.get(), 1, d->rows[d->pos].key);
    st.step();
    tx.commit();
    d->deleted[d->pos] = true;
    d->invalidate();
}

int Recordset::FieldCount() const {
    requireOpen();
    return int(d->names.size());
}

Field Recordset::Fields(int index) {
    requireOpen();
    if (index < 0 || index >= d->names.size())
        throw Error(QCoreApplication::translate(
                        "ado", "No field at position %1: the recordset has %2 field(s).")
                        .arg(index)
                        .arg(d->names.size()));
    return Field(this, index);
}

Field Recordset::Fields(const QString &name) {
    return Field(this, fieldIndex(name));
}

int Recordset::fieldIndex(const QString &name) const {
    requireOpen();
    for (int i = 0; i < d->names.size(); ++i)
        if (d->names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    throw Error(QCoreApplication::translate("ado", "No such column: '%1'.").arg(name));
}

QString Recordset::fieldName(int index) const {
    requireOpen();
    return d->names.value(index);
}

// The stored current row when the field's value comes from it; nullptr when
// it comes from a pending change (or the row being added).
const Recordset::Row *Recordset::storedRow(int index) const {
    requireOpen();
    if (d->mode == Impl::Mode::Adding ||
        (d->mode == Impl::Mode::Editing && d->pending.contains(index)))
        return nullptr;
    if (!d->onRow())
        noCurrentRecord();
    if (d->deleted[d->pos])
        recordDeleted();
    d->enterRow();
    return &d->rows[d->pos];
}

QVariant Recordset::fieldValue(int index) const {
    const Row *row = storedRow(index);
    if (!row)
        return d->pending.value(index);
    if (row->holdsBlob(index)) {
        m_conn->startCall();
        return d->blobValue(index);
    }
    return row->values[index];
}

bool Recordset::fieldIsNull(int index) const {
    const Row *row = storedRow(index);
    if (!row)
        return isNullValue(d->pending.value(index));
    return !row->holdsBlob(index) && isNullValue(row->values[index]);
}

qint64 Recordset::fieldSize(int index) const {
    const Row *row = storedRow(index);
    if (!row)
        return bytesOf(d->pending.value(index)).size();
    if (row->holdsBlob(index))
        return row->blobSize(index);
    return bytesOf(row->values[index]).size();
}

QByteArray Recordset::fieldChunk(int index, qint64 size) const {
    const QByteArray all = bytesOf(fieldValue(index));
    if (!storedRow(index)) // a pending value: no position to go on from
        return size < 0 ? all : all.left(size);
    d->blobStateUsed = true;
    qint64 &offset = d->chunkOffsets[index];
    const QByteArray chunk = size < 0 ? all.mid(offset) : all.mid(offset, size);
    offset += chunk.size();
    return chunk;
}

bool Recordset::fieldSaveTo(int index, QIODevice &device) const {
    const Row *row = storedRow(index);
    if (row && row->holdsBlob(index)) {
        m_conn->startCall();
        d->blobStateUsed = true;
        return d->saveBlob(index, device);
    }
    const QByteArray bytes = bytesOf(row ? row->values[index] : d->pending.value(index));
    return device.write(bytes) == bytes.size();
}

void Recordset::setFieldValue(int index, const QVariant &value) {
    requireOpen();
    if (!d->keyed)
        readOnlyRecordset(d->sql);
    if (d->mode == Impl::Mode::None) {
        if (!d->onRow())
            noCurrentRecord();
        if (d->deleted[d->pos])
            recordDeleted();
        d->mode = Impl::Mode::Editing;
    }
    d->pending.insert(index, value);
}

// ---------------------------------------------------------------------------

QString Field::Name() const {
    return m_rs->fieldName(m_index);
}
QVariant Field::Value() const {
    return m_rs->fieldValue(m_index);
}
void Field::SetValue(const QVariant &value) {
    m_rs->setFieldValue(m_index, value);
}
QByteArray Field::GetChunk(qint64 size) const {
    return m_rs->fieldChunk(m_index, size);
}
bool Field::SaveTo(QIODevice &device) const {
    return m_rs->fieldSaveTo(m_index, device);
}
qint64 Field::ActualSize() const {
    return m_rs->fieldSize(m_index);
}
bool Field::IsNull() const {
    return m_rs->fieldIsNull(m_index);
}

QString Field::Text() const {
    const QVariant value = Value();
    if (isNullValue(value))
        return QString(QLatin1String(""));
    if (value.typeId() == QMetaType::QByteArray)
        return QString::fromUtf8(value.toByteArray());
    return value.toString();
}

} // namespace ado
