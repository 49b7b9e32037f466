#include "class_data/class_sync.h"

#include "frame/mod_main.h"
#include "platform/ado.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QUuid>

#include <sqlite3.h>

#include <functional>

namespace classData {

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("classData", text);
}

// --- the server's tables ---------------------------------------------------

// Every value but the keys is kept as text: the activities store what they
// like in the local columns, and it comes back as it went.
const char *const kServerTables[] = {
    "CREATE TABLE IF NOT EXISTS tvx_schema (version integer NOT NULL)",
    "CREATE TABLE IF NOT EXISTS tvx_computers (computer text PRIMARY KEY, "
    "first_seen timestamptz NOT NULL DEFAULT now())",
    "CREATE TABLE IF NOT EXISTS tvx_students (origin text NOT NULL, origin_key bigint NOT NULL, "
    "first_name text, last_name text, password_hash text, icon text, "
    "version bigint NOT NULL DEFAULT 1, created timestamptz NOT NULL DEFAULT clock_timestamp(), "
    "PRIMARY KEY (origin, origin_key))",
    "CREATE TABLE IF NOT EXISTS tvx_scores (computer text NOT NULL, local_key bigint NOT NULL, "
    "name text, activity text, subject text, text_score text, number_score text, n_date text, "
    "n_time text, PRIMARY KEY (computer, local_key))",
    "CREATE TABLE IF NOT EXISTS tvx_launches (computer text NOT NULL, local_key bigint NOT NULL, "
    "launch_id text, study_file text, name text, subject text, n_date text, n_time text, "
    "PRIMARY KEY (computer, local_key))",
    "CREATE TABLE IF NOT EXISTS tvx_launch_entries (computer text NOT NULL, launch_key bigint NOT "
    "NULL, entry bigint NOT NULL, source_file text, phrase_no text, phrase text, translation "
    "text, translation2 text, PRIMARY KEY (computer, launch_key, entry))",
    "CREATE TABLE IF NOT EXISTS tvx_results (computer text NOT NULL, local_key bigint NOT NULL, "
    "study_file text, launch_id text, entry text, grade text, n_date text, n_time text, seconds "
    "text, PRIMARY KEY (computer, local_key))",
};

const char *const kTableNames[] = {"tvx_schema", "tvx_computers", "tvx_students",
                                   "tvx_scores", "tvx_launches",  "tvx_launch_entries",
                                   "tvx_results"};

// The group role a school gives its lab's login roles: it may read and add
// rows, and change a student's profile, nothing else.
const char *const kGrants[] = {
    "GRANT SELECT ON tvx_schema TO tolvanex_lab",
    "GRANT SELECT, INSERT ON tvx_computers, tvx_students, tvx_scores, tvx_launches, "
    "tvx_launch_entries, tvx_results TO tolvanex_lab",
    "GRANT UPDATE (first_name, last_name, password_hash, icon, version) ON tvx_students TO "
    "tolvanex_lab",
};

// --- one table's rows, on both sides -------------------------------------

// A table that only grows: rows are pushed by their local key.
struct Growing {
    const char *server;      // the server's table
    const char *serverKey;   // its column of the local key
    const char *serverCols;  // the other columns, in the local select's order
    int columns;             // how many
    const char *localSelect; // key first, then the columns; one "?" for the key
    bool keyShared;          // rows share a key (entries share their launch's)
    const char *waiting;     // the local rows after a key, counted
};

const Growing kScores{"tvx_scores",
                      "local_key",
                      "name, activity, subject, text_score, number_score, n_date, n_time",
                      7,
                      "SELECT pkScoreID, tName, tActivity, tSubject, textScore, numberScore, "
                      "nDate, nTime FROM tblscores WHERE pkScoreID > ? ORDER BY pkScoreID",
                      false,
                      "SELECT count(*) FROM tblscores WHERE pkScoreID > ?"};
const Growing kLaunches{"tvx_launches",
                        "local_key",
                        "launch_id, study_file, name, subject, n_date, n_time",
                        6,
                        "SELECT pkLaunchID, tLaunch, tStudyFile, tName, tSubject, nDate, nTime "
                        "FROM tblLaunches WHERE pkLaunchID > ? ORDER BY pkLaunchID",
                        false,
                        "SELECT count(*) FROM tblLaunches WHERE pkLaunchID > ?"};
// A launch's entries are written with it; a push cut off inside one launch's
// entries takes that launch again from its first entry.
const Growing kEntries{"tvx_launch_entries",
                       "launch_key",
                       "entry, source_file, phrase_no, phrase, translation, translation2",
                       6,
                       "SELECT fkLaunch, nEntry, tSourceFile, nPhraseNo, tPhrase, tTranslation, "
                       "tTranslation2 FROM tblLaunchEntries WHERE fkLaunch >= ? ORDER BY "
                       "fkLaunch, nEntry",
                       true,
                       "SELECT count(*) FROM tblLaunchEntries WHERE fkLaunch > ?"};
const Growing kResults{"tvx_results",
                       "local_key",
                       "study_file, launch_id, entry, grade, n_date, n_time, seconds",
                       7,
                       "SELECT pkResultID, tStudyFile, tLaunch, nEntry, nGrade, nDate, nTime, "
                       "nSeconds FROM tblResults WHERE pkResultID > ? ORDER BY pkResultID",
                       false,
                       "SELECT count(*) FROM tblResults WHERE pkResultID > ?"};

const Growing *const kGrowing[] = {&kScores, &kLaunches, &kEntries, &kResults};

// A local value as the server keeps it: text, or null.
QVariant serverValue(const QVariant &v) {
    if (v.isNull() || !v.isValid())
        return QVariant();
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 17);
    return v.toString();
}

// A server's text back as the local column had it: a whole number, another
// number, or the text.
QVariant localValue(const QVariant &v) {
    if (v.isNull() || !v.isValid())
        return QVariant();
    const QString text = v.toString();
    bool ok = false;
    const qint64 whole = text.toLongLong(&ok);
    if (ok)
        return whole;
    const double number = text.toDouble(&ok);
    if (ok && !text.contains(QLatin1Char(' ')))
        return number;
    return text;
}

// --- the local side ---------------------------------------------------------

const char *const kLocalTables =
    "CREATE TABLE IF NOT EXISTS tblClassSync (tKey TEXT PRIMARY KEY, tValue TEXT);"
    "CREATE TABLE IF NOT EXISTS tblClassStudents (fkStudent INTEGER PRIMARY KEY, "
    "tOrigin TEXT NOT NULL, nOriginKey INTEGER NOT NULL, nVersion INTEGER NOT NULL, "
    "tDigest TEXT, UNIQUE (tOrigin, nOriginKey));";

void openLocal(ado::Connection &db, const QString &path) {
    db.Open(modMain::Get_Template_Connection_String(path));
    db.SetBusyTimeout(5000);
}

QString localValueOf(ado::Connection &db, const QString &key) {
    ado::Reader r(db, QStringLiteral("SELECT tValue FROM tblClassSync WHERE tKey = ?"), {key});
    return r.Next() ? r.Text(0) : QString();
}

void setLocalValue(ado::Connection &db, const QString &key, const QVariant &value) {
    db.Execute(QStringLiteral("INSERT OR REPLACE INTO tblClassSync (tKey, tValue) VALUES (?, ?)"),
               {key, value});
}

template <typename Work> void inLocalTransaction(ado::Connection &db, Work work) {
    db.Execute(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        work();
        db.Execute(QStringLiteral("COMMIT"));
    } catch (...) {
        try {
            db.Execute(QStringLiteral("ROLLBACK"));
        } catch (const std::exception &) {
        }
        throw;
    }
}

bool hasLocalTable(ado::Connection &db, const char *name) {
    ado::Reader r(db,
                  QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"),
                  {QString::fromLatin1(name)});
    return r.Next();
}

// One statement prepared once and run for many rows.
class Statement {
public:
    Statement(ado::Connection &db, const char *sql) : m_db(db.handle()) {
        if (sqlite3_prepare_v2(m_db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            throw ado::Error(QString::fromUtf8(sqlite3_errmsg(m_db)));
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    void Run(const QVariantList &values) {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
        for (int i = 0; i < values.size(); ++i) {
            const QVariant &v = values[i];
            if (v.isNull() || !v.isValid())
                sqlite3_bind_null(m_stmt, i + 1);
            else if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int)
                sqlite3_bind_int64(m_stmt, i + 1, v.toLongLong());
            else if (v.typeId() == QMetaType::Double)
                sqlite3_bind_double(m_stmt, i + 1, v.toDouble());
            else {
                const QByteArray text = v.toString().toUtf8();
                sqlite3_bind_text(m_stmt, i + 1, text.constData(), int(text.size()),
                                  SQLITE_TRANSIENT);
            }
        }
        const int rc = sqlite3_step(m_stmt);
        if (rc != SQLITE_DONE && rc != SQLITE_ROW)
            throw ado::Error(QString::fromUtf8(sqlite3_errmsg(m_db)));
    }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
};

QString digestOf(const QString &first, const QString &last, const QString &password,
                 const QString &icon) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString &part : {first, last, password, icon}) {
        hash.addData(part.toUtf8());
        hash.addData(QByteArrayView("\0", 1));
    }
    return QString::fromLatin1(hash.result().toHex());
}

QString serverPassword(ClassServer &server, const QString &password) {
    if (password.trimmed().isEmpty())
        return QString();
    if (Is_Password_Hash(password))
        return password;
    return server.Hash_Password(Password_Text(password));
}

// Runs work inside one server transaction.
template <typename Work> void inServerTransaction(ClassServer &server, Work work) {
    server.Execute(QStringLiteral("BEGIN"));
    try {
        work();
        server.Execute(QStringLiteral("COMMIT"));
    } catch (...) {
        try {
            if (server.Connected())
                server.Execute(QStringLiteral("ROLLBACK"));
        } catch (const std::exception &) {
            // A connection that went away has rolled back already.
        }
        throw;
    }
}

// "INSERT INTO t (cols) VALUES ($1, …), (…) ON CONFLICT DO NOTHING" for rows
// rows of columns values: the statement holds placeholders only.
QString insertMany(const QString &head, int columns, int rows) {
    QString sql = head + QStringLiteral(" VALUES ");
    int n = 0;
    for (int r = 0; r < rows; ++r) {
        sql += r ? QStringLiteral(", (") : QStringLiteral("(");
        for (int c = 0; c < columns; ++c)
            sql += (c ? QStringLiteral(", $") : QStringLiteral("$")) + QString::number(++n);
        sql += QLatin1Char(')');
    }
    return sql + QStringLiteral(" ON CONFLICT DO NOTHING");
}

int pushGrowing(ClassServer &server, ado::Connection &local, const QString &computer,
                const Growing &t, int batchRows) {
    const QVector<ServerRow> top =
        server.Query(QStringLiteral("SELECT coalesce(max(%1), 0) FROM %2 WHERE computer = $1")
                         .arg(QLatin1String(t.serverKey), QLatin1String(t.server)),
                     {computer});
    const qint64 seen = top.value(0).value(0).toLongLong();
    const int perRow = t.columns + 2; // computer, key, columns
    // At most 65535 parameters in one statement.
    const int rowsPerStatement = std::max(1, std::min(1000, 65000 / perRow));
    const QString head =
        QStringLiteral("INSERT INTO %1 (computer, %2, %3)")
            .arg(QLatin1String(t.server), QLatin1String(t.serverKey), QLatin1String(t.serverCols));
    int pushed = 0;
    qint64 last = seen;
    QVariantList values;
    int inStatement = 0;
    int inTransaction = 0;
    bool open = false;
    const auto flush = [&] {
        if (inStatement == 0)
            return;
        pushed += int(server.Execute(insertMany(head, perRow, inStatement), values));
        values.clear();
        inStatement = 0;
    };
    const auto commit = [&] {
        flush();
        if (open)
            server.Execute(QStringLiteral("COMMIT"));
        open = false;
        inTransaction = 0;
    };
    try {
        // Read the local rows to the end first: the reader holds the file's
        // read lock, which an activity writing its scores must not wait for
        // longer than the read.
        QVector<QVariantList> rows;
        {
            ado::Reader r(local, QString::fromLatin1(t.localSelect), {seen});
            while (r.Next()) {
                QVariantList row;
                row.reserve(t.columns + 1);
                for (int c = 0; c <= t.columns; ++c)
                    row << r.Value(c);
                rows << std::move(row);
            }
        }
        for (const QVariantList &row : rows) {
            if (!open) {
                server.Execute(QStringLiteral("BEGIN"));
                open = true;
            }
            values << computer << row[0].toLongLong();
            for (int c = 1; c <= t.columns; ++c)
                values << serverValue(row[c]);
            last = std::max(last, row[0].toLongLong());
            ++inStatement;
            ++inTransaction;
            if (inStatement == rowsPerStatement)
                flush();
            // Entries of one launch stay in one transaction.
            if (inTransaction >= batchRows && !t.keyShared)
                commit();
        }
        commit();
    } catch (...) {
        try {
            if (open && server.Connected())
                server.Execute(QStringLiteral("ROLLBACK"));
        } catch (const std::exception &) {
        }
        throw;
    }
    // What is known to be on the server, for the count of waiting rows;
    // written only when it moved, so that a push with nothing to do leaves
    // the student database untouched (the shell watches it for new rows).
    const QString key = QStringLiteral("pushed.") + QLatin1String(t.server);
    if (localValueOf(local, key) != QString::number(last))
        setLocalValue(local, key, last);
    return pushed;
}

int pushStudents(ClassServer &server, ado::Connection &local, const QString &computer) {
    struct LocalStudent {
        qint64 id;
        QString first, last, password, icon;
        bool mapped;
        QString origin;
        qint64 originKey;
        qint64 version;
        QString digest;
    };
    QVector<LocalStudent> students;
    {
        ado::Reader r(
            local, QStringLiteral("SELECT U.pkStudentID, U.tFirstname, U.tLastname, U.tPassword, "
                                  "U.nIcon, C.tOrigin, C.nOriginKey, C.nVersion, C.tDigest "
                                  "FROM tblUsers U LEFT JOIN tblClassStudents C ON "
                                  "C.fkStudent = U.pkStudentID ORDER BY U.pkStudentID"));
        while (r.Next())
            students << LocalStudent{r.Value(0).toLongLong(),
                                     r.Text(1),
                                     r.Text(2),
                                     r.Text(3),
                                     r.Text(4),
                                     !r.IsNull(5),
                                     r.Text(5),
                                     r.Value(6).toLongLong(),
                                     r.Value(7).toLongLong(),
                                     r.Text(8)};
    }
    int changed = 0;
    for (const LocalStudent &s : students) {
        const QString digest = digestOf(s.first, s.last, s.password, s.icon);
        if (!s.mapped) {
            const QString hash = serverPassword(server, s.password);
            const qint64 added = server.Execute(
                QStringLiteral("INSERT INTO tvx_students (origin, origin_key, first_name, "
                               "last_name, password_hash, icon) VALUES ($1, $2, $3, $4, $5, $6) "
                               "ON CONFLICT DO NOTHING"),
                {computer, s.id, s.first, s.last, hash.isEmpty() ? QVariant() : hash, s.icon});
            const QVector<ServerRow> row = server.Query(
                QStringLiteral("SELECT version, first_name, last_name, icon FROM tvx_students "
                               "WHERE origin = $1 AND origin_key = $2"),
                {computer, s.id});
            if (row.isEmpty())
                continue;
            // A row already there (a push cut off before it was noted here)
            // that another computer changed since is taken from the server.
            const bool same = row[0][1].toString() == s.first && row[0][2].toString() == s.last &&
                              row[0][3].toString() == s.icon;
            local.Execute(QStringLiteral("INSERT OR REPLACE INTO tblClassStudents (fkStudent, "
                                         "tOrigin, nOriginKey, nVersion, tDigest) VALUES (?, ?, "
                                         "?, ?, ?)"),
                          {s.id, computer, s.id, same ? row[0][0].toLongLong() : 0, digest});
            changed += int(added);
        } else if (digest != s.digest) {
            // Edited here since the last push: over the version it was made on
            // only.
            const QString hash = serverPassword(server, s.password);
            const QVector<ServerRow> row = server.Query(
                QStringLiteral("UPDATE tvx_students SET first_name = $1, last_name = $2, "
                               "password_hash = $3, icon = $4, version = version + 1 WHERE "
                               "origin = $5 AND origin_key = $6 AND version = $7 RETURNING "
                               "version"),
                {s.first, s.last, hash.isEmpty() ? QVariant() : hash, s.icon, s.origin, s.originKey,
                 s.version});
            if (row.isEmpty())
                continue; // changed elsewhere first: the pull brings the server's
            local.Execute(QStringLiteral("UPDATE tblClassStudents SET nVersion = ?, tDigest = ? "
                                         "WHERE fkStudent = ?"),
                          {row[0][0].toLongLong(), digest, s.id});
            ++changed;
        }
    }
    return changed;
}

QString newComputerId(ado::Connection &db) {
    QString id = localValueOf(db, QStringLiteral("computer"));
    if (id.isEmpty()) {
        id = QUuid::createUuid().toString(QUuid::WithoutBraces);
        setLocalValue(db, QStringLiteral("computer"), id);
    }
    return id;
}

QString computerOf(ado::Connection &db) {
    db.Execute(QLatin1String(kLocalTables));
    return newComputerId(db);
}

} // namespace

bool Is_Password_Hash(const QString &stored) {
    return stored.startsWith(QLatin1String("$argon2")) && stored.count(QLatin1Char('$')) >= 4;
}

QString Password_Text(const QString &typed) {
    return typed.toUpper();
}

void Ensure_Schema(ClassServer &server) {
    const auto missing = [&] {
        QStringList gone;
        for (const char *name : kTableNames)
            if (server
                    .Query(QStringLiteral("SELECT to_regclass($1) IS NULL"),
                           {QString::fromLatin1(name)})
                    .value(0)
                    .value(0)
                    .toString() == QLatin1String("t"))
                gone << QString::fromLatin1(name);
        return gone;
    };
    QStringList gone = missing();
    int version = 0;
    if (!gone.contains(QStringLiteral("tvx_schema"))) {
        const QVector<ServerRow> rows =
            server.Query(QStringLiteral("SELECT max(version) FROM tvx_schema"));
        version = rows.value(0).value(0).toInt();
    }
    if (version > kSchemaVersion)
        throw ServerError(ServerError::Schema,
                          tr("The class server's tables are of a newer program (version %1; "
                             "this program knows version %2). Install the newer program on this "
                             "computer.")
                              .arg(version)
                              .arg(kSchemaVersion));
    if (gone.isEmpty() && version == kSchemaVersion)
        return;
    // Made or upgraded in one transaction: a computer never sees half of it.
    try {
        inServerTransaction(server, [&] {
            for (const char *sql : kServerTables)
                server.Execute(QString::fromLatin1(sql));
            const bool group =
                !server
                     .Query(QStringLiteral("SELECT 1 FROM pg_roles WHERE rolname = 'tolvanex_lab'"))
                     .isEmpty();
            if (group)
                for (const char *sql : kGrants)
                    server.Execute(QString::fromLatin1(sql));
            server.Execute(QStringLiteral("DELETE FROM tvx_schema"));
            server.Execute(QStringLiteral("INSERT INTO tvx_schema (version) VALUES ($1)"),
                           {kSchemaVersion});
        });
    } catch (const ServerError &e) {
        if (e.kind() == ServerError::Unreachable)
            throw;
        if (!gone.isEmpty() && !gone.contains(QStringLiteral("tvx_schema")))
            throw ServerError(ServerError::Schema,
                              tr("The class server lacks its table %1, and this user may not "
                                 "make it again. Ask the server's administrator to connect once "
                                 "as the database's owner.")
                                  .arg(gone.join(QStringLiteral(", "))));
        if (version > 0 || !gone.contains(QStringLiteral("tvx_schema")))
            throw ServerError(ServerError::Schema,
                              tr("The class server's tables are of an older version (%1), and "
                                 "this user may not upgrade them. Ask the server's "
                                 "administrator to connect once as the database's owner.")
                                  .arg(version));
        throw ServerError(ServerError::Schema,
                          tr("The class server has no tables of this program yet, and this "
                             "user may not make them. Ask the server's administrator to connect "
                             "once as the database's owner."));
    }
}

QString Computer_Id(const QString &usersPath) {
    ado::Connection db;
    openLocal(db, usersPath);
    const QString id = computerOf(db);
    db.Close();
    return id;
}

PushCount Push(ClassServer &server, const QString &usersPath, int batchRows) {
    ado::Connection local;
    openLocal(local, usersPath);
    const QString computer = computerOf(local);
    server.Execute(QStringLiteral("INSERT INTO tvx_computers (computer) VALUES ($1) ON CONFLICT "
                                  "DO NOTHING"),
                   {computer});
    PushCount count;
    count.students = pushStudents(server, local, computer);
    // An older student database may lack the study tables: nothing of them to push.
    const auto push = [&](const Growing &t, const char *localTable) {
        return hasLocalTable(local, localTable) ? pushGrowing(server, local, computer, t, batchRows)
                                                : 0;
    };
    count.scores = push(kScores, "tblscores");
    count.launches = push(kLaunches, "tblLaunches");
    count.entries = push(kEntries, "tblLaunchEntries");
    count.results = push(kResults, "tblResults");
    local.Close();
    return count;
}

int Pull_Students(ClassServer &server, const QString &usersPath) {
    const QVector<ServerRow> rows = server.Query(QStringLiteral(
        "SELECT origin, origin_key, first_name, last_name, password_hash, icon, version FROM "
        "tvx_students ORDER BY created, origin, origin_key"));
    ado::Connection local;
    openLocal(local, usersPath);
    computerOf(local);
    int changed = 0;
    inLocalTransaction(local, [&] {
        for (const ServerRow &row : rows) {
            const QString origin = row[0].toString();
            const qint64 key = row[1].toLongLong();
            const QString first = row[2].toString();
            const QString last = row[3].toString();
            const QString password = row[4].toString();
            const QString icon = row[5].toString();
            const qint64 version = row[6].toLongLong();
            const QString digest = digestOf(first, last, password, icon);
            bool known = false;
            qint64 id = 0;
            bool present = false;
            qint64 seen = 0;
            {
                ado::Reader mapped(
                    local,
                    QStringLiteral("SELECT C.fkStudent, C.nVersion, U.pkStudentID FROM "
                                   "tblClassStudents C LEFT JOIN tblUsers U ON U.pkStudentID = "
                                   "C.fkStudent WHERE C.tOrigin = ? AND C.nOriginKey = ?"),
                    {origin, key});
                if ((known = mapped.Next())) {
                    id = mapped.Value(0).toLongLong();
                    present = !mapped.IsNull(2);
                    seen = mapped.Value(1).toLongLong();
                }
            }
            if (known) {
                if (!present || seen >= version)
                    continue;
                // Changed elsewhere: the server's profile replaces this one.
                local.Execute(QStringLiteral("UPDATE tblUsers SET tFirstname = ?, tLastname = ?, "
                                             "tPassword = ?, nIcon = ? WHERE pkStudentID = ?"),
                              {first, last, password, localValue(icon), id});
                local.Execute(QStringLiteral("UPDATE tblClassStudents SET nVersion = ?, tDigest "
                                             "= ? WHERE fkStudent = ?"),
                              {version, digest, id});
                ++changed;
                continue;
            }
            local.Execute(QStringLiteral("INSERT INTO tblUsers (tFirstname, tLastname, tPassword, "
                                         "nIcon) VALUES (?, ?, ?, ?)"),
                          {first, last, password, localValue(icon)});
            QVariant newId;
            {
                ado::Reader added(local, QStringLiteral("SELECT last_insert_rowid()"));
                added.Next();
                newId = added.Value(0);
            }
            local.Execute(QStringLiteral("INSERT INTO tblClassStudents (fkStudent, tOrigin, "
                                         "nOriginKey, nVersion, tDigest) VALUES (?, ?, ?, ?, ?)"),
                          {newId, origin, key, version, digest});
            ++changed;
        }
    });
    local.Close();
    return changed;
}

qint64 Waiting_Rows(const QString &usersPath) {
    ado::Connection local;
    openLocal(local, usersPath);
    if (!hasLocalTable(local, "tblClassSync"))
        local.Execute(QLatin1String(kLocalTables));
    qint64 waiting = 0;
    const char *const tables[] = {"tblscores", "tblLaunches", "tblLaunchEntries", "tblResults"};
    for (int i = 0; i < 4; ++i) {
        if (!hasLocalTable(local, tables[i]))
            continue;
        const QString seen =
            localValueOf(local, QStringLiteral("pushed.") + QLatin1String(kGrowing[i]->server));
        ado::Reader r(local, QString::fromLatin1(kGrowing[i]->waiting), {seen.toLongLong()});
        if (r.Next())
            waiting += r.Value(0).toLongLong();
    }
    local.Close();
    return waiting;
}

// --- the class file ---------------------------------------------------------

namespace {

const char *const kClassTables =
    "CREATE TABLE IF NOT EXISTS tblClassRows (tComputer TEXT NOT NULL, tTable TEXT NOT NULL, "
    "nLast INTEGER NOT NULL, PRIMARY KEY (tComputer, tTable));";

// The watermarks of one table in the class file, by computer.
QHash<QString, qint64> watermarks(ado::Connection &file, const char *table) {
    QHash<QString, qint64> seen;
    ado::Reader r(file,
                  QStringLiteral("SELECT tComputer, nLast FROM tblClassRows WHERE tTable = ?"),
                  {QString::fromLatin1(table)});
    while (r.Next())
        seen.insert(r.Text(0), r.Value(1).toLongLong());
    return seen;
}

bool Is_Plain_Id(const QString &id) {
    if (id.isEmpty() || id.size() > 64)
        return false;
    for (const QChar c : id)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'-')
            return false;
    return true;
}

// Computer ids (made by the program: letters, digits and "-", checked by
// Is_Plain_Id) as an array parameter.
QString arrayLiteral(const QStringList &items) {
    return QLatin1Char('{') + items.join(QLatin1Char(',')) + QLatin1Char('}');
}

// How a row of each growing table goes into the class file. Study file
// names are only unique on their computer: in the class file they carry it,
// so that a result without a launch id finds its launch among that
// computer's alone.
// Lands rows (computer, key, columns…) of one table in the class file.
void landRows(ado::Connection &file, const Growing &t, const QString &computer,
              const QVector<QVariantList> &rows, QHash<QString, qint64> &last) {
    const char *sql = nullptr;
    if (&t == &kScores)
        sql = "INSERT INTO tblscores (tName, tActivity, tSubject, textScore, numberScore, nDate, "
              "nTime) VALUES (?, ?, ?, ?, ?, ?, ?)";
    else if (&t == &kLaunches)
        sql = "INSERT OR IGNORE INTO tblLaunches (tLaunch, tStudyFile, tName, tSubject, nDate, "
              "nTime) VALUES (?, ?, ?, ?, ?, ?)";
    else if (&t == &kEntries)
        sql = "INSERT OR IGNORE INTO tblLaunchEntries (fkLaunch, nEntry, tSourceFile, nPhraseNo, "
              "tPhrase, tTranslation, tTranslation2) VALUES ((SELECT pkLaunchID FROM tblLaunches "
              "WHERE tLaunch = ?), ?, ?, ?, ?, ?, ?)";
    else
        sql = "INSERT INTO tblResults (tStudyFile, tLaunch, nEntry, nGrade, nDate, nTime, "
              "nSeconds) VALUES (?, ?, ?, ?, ?, ?, ?)";
    Statement insert(file, sql);
    for (const QVariantList &row : rows) {
        const QString from = computer.isEmpty() ? row[0].toString() : computer;
        QVariantList values = row.mid(2);
        if (&t == &kLaunches)
            values[1] = from + QLatin1Char('/') + values[1].toString();
        else if (&t == &kResults)
            values[0] = from + QLatin1Char('/') + values[0].toString();
        // The entries carry their launch's id in place of its key.
        insert.Run(values);
        qint64 &seen = last[from];
        seen = std::max(seen, row[1].toLongLong());
    }
}

} // namespace

void Refresh_Class_File(ClassServer *server, const QString &usersPath, const QString &classPath,
                        const QString &templatePath) {
    if (!QFileInfo(classPath).isFile()) {
        // Made whole beside its place and moved there: never half a file.
        const QString making = classPath + QStringLiteral(".new");
        QFile::remove(making);
        if (!QFile::copy(templatePath, making))
            throw std::runtime_error(tr("The class file %1 cannot be made.")
                                         .arg(QDir::toNativeSeparators(classPath))
                                         .toStdString());
        QFile::setPermissions(making, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        if (!QFile::rename(making, classPath)) {
            QFile::remove(making);
            throw std::runtime_error(tr("The class file %1 cannot be made.")
                                         .arg(QDir::toNativeSeparators(classPath))
                                         .toStdString());
        }
    }
    ado::Connection local;
    openLocal(local, usersPath);
    const QString computer = computerOf(local);

    // This computer's part: what is new in the student database.
    ado::Connection file;
    openLocal(file, classPath);
    file.Execute(QLatin1String(kClassTables));

    struct Part {
        const Growing *t;
        const char *localTable;
        QVector<QVariantList> rows; // computer, key, values
    };
    QVector<Part> parts;
    for (const Growing *t : kGrowing)
        parts << Part{t, nullptr, {}};
    parts[0].localTable = "tblscores";
    parts[1].localTable = "tblLaunches";
    parts[2].localTable = "tblLaunchEntries";
    parts[3].localTable = "tblResults";

    QVector<QVariantList> students;
    {
        ado::Reader r(local, QStringLiteral("SELECT tFirstname, tLastname, tPassword, nIcon FROM "
                                            "tblUsers ORDER BY pkStudentID"));
        while (r.Next())
            students << QVariantList{r.Value(0), r.Value(1), r.Value(2), r.Value(3)};
    }
    // This computer's new rows, read in one snapshot of the student
    // database: a launch's entries come with it.
    QVector<QHash<QString, qint64>> seen;
    for (Part &p : parts)
        seen << watermarks(file, p.t->server);
    local.Execute(QStringLiteral("BEGIN"));
    try {
        for (int i = 0; i < parts.size(); ++i) {
            Part &p = parts[i];
            if (!hasLocalTable(local, p.localTable))
                continue;
            const qint64 mine = seen[i].value(computer, 0);
            // The entries' select takes launches from a key, the others after it.
            ado::Reader r(local, QString::fromLatin1(p.t->localSelect),
                          {p.t->keyShared ? mine + 1 : mine});
            const int columns = p.t->columns;
            while (r.Next()) {
                QVariantList row{computer, r.Value(0)};
                // Entries carry their launch's id after the key, as the server's do.
                if (p.t->keyShared)
                    row << QVariant();
                for (int c = 1; c <= columns; ++c)
                    row << r.Value(c);
                p.rows << std::move(row);
            }
        }
        if (!parts[2].rows.isEmpty()) {
            QHash<qint64, QString> launchIds;
            ado::Reader r(local,
                          QStringLiteral("SELECT pkLaunchID, tLaunch FROM tblLaunches "
                                         "WHERE pkLaunchID >= ?"),
                          {parts[2].rows.first()[1]});
            while (r.Next())
                launchIds.insert(r.Value(0).toLongLong(), r.Text(1));
            for (QVariantList &row : parts[2].rows)
                row[2] = launchIds.value(row[1].toLongLong());
        }
        local.Execute(QStringLiteral("COMMIT"));
    } catch (...) {
        try {
            local.Execute(QStringLiteral("ROLLBACK"));
        } catch (const std::exception &) {
        }
        throw;
    }
    local.Close();

    // Every other computer's part, from the server, read in one snapshot:
    // a launch's entries are never seen without the launch. One probe says
    // which computers have rows past what the class file holds; only their
    // new rows are read, along the tables' keys.
    QVector<QVector<QVariantList>> remote(parts.size());
    if (server) {
        const char *const selects[] = {
            "SELECT s.computer, s.local_key, s.name, s.activity, s.subject, s.text_score, "
            "s.number_score, s.n_date, s.n_time FROM tvx_scores s WHERE s.computer = w.computer "
            "AND s.local_key > w.seen ORDER BY s.local_key",
            "SELECT s.computer, s.local_key, s.launch_id, s.study_file, s.name, s.subject, "
            "s.n_date, s.n_time FROM tvx_launches s WHERE s.computer = w.computer AND "
            "s.local_key > w.seen ORDER BY s.local_key",
            "SELECT s.computer, s.launch_key, l.launch_id, s.entry, s.source_file, s.phrase_no, "
            "s.phrase, s.translation, s.translation2 FROM tvx_launch_entries s JOIN tvx_launches "
            "l ON l.computer = s.computer AND l.local_key = s.launch_key WHERE s.computer = "
            "w.computer AND s.launch_key > w.seen ORDER BY s.launch_key, s.entry",
            "SELECT s.computer, s.local_key, s.study_file, s.launch_id, s.entry, s.grade, "
            "s.n_date, s.n_time, s.seconds FROM tvx_results s WHERE s.computer = w.computer AND "
            "s.local_key > w.seen ORDER BY s.local_key",
        };
        const QVector<ServerRow> tops = server->Query(
            QStringLiteral("SELECT c.computer, (SELECT max(local_key) FROM tvx_scores WHERE "
                           "computer = c.computer), (SELECT max(local_key) FROM tvx_launches "
                           "WHERE computer = c.computer), (SELECT max(launch_key) FROM "
                           "tvx_launch_entries WHERE computer = c.computer), (SELECT "
                           "max(local_key) FROM tvx_results WHERE computer = c.computer) "
                           "FROM tvx_computers c WHERE c.computer <> $1"),
            {computer});
        // What each table has past the class file, by computer.
        QVector<QStringList> computers(parts.size());
        QVector<QStringList> lasts(parts.size());
        bool fetch = false;
        for (int i = 0; i < parts.size(); ++i)
            for (const ServerRow &top : tops) {
                const QString other = top[0].toString();
                if (!Is_Plain_Id(other))
                    continue; // not one the program made
                const qint64 had = seen[i].value(other, 0);
                if (!top[i + 1].isNull() && top[i + 1].toLongLong() > had) {
                    computers[i] << other;
                    lasts[i] << QString::number(had);
                    fetch = true;
                }
            }
        if (fetch)
            inServerTransaction(*server, [&] {
                server->Execute(QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE "
                                               "READ, READ ONLY"));
                for (int i = 0; i < parts.size(); ++i) {
                    if (computers[i].isEmpty())
                        continue;
                    const QString sql =
                        QStringLiteral("SELECT s.* FROM unnest($1::text[], $2::bigint[]) AS "
                                       "w(computer, seen) CROSS JOIN LATERAL (") +
                        QLatin1String(selects[i]) + QStringLiteral(") s");
                    for (const ServerRow &row :
                         server->Query(sql, {arrayLiteral(computers[i]), arrayLiteral(lasts[i])})) {
                        QVariantList values;
                        values.reserve(row.size());
                        values << row[0] << row[1];
                        // Launch ids stay text; the rest as the local columns had them.
                        for (int c = 2; c < row.size(); ++c)
                            values << (c == 2 && (i == 1 || i == 2) ? row[c] : localValue(row[c]));
                        remote[i] << std::move(values);
                    }
                }
            });
    }

    // Nothing new and the same students: the class file stays as it is.
    bool sameStudents = true;
    {
        QVector<QVariantList> held;
        ado::Reader r(file, QStringLiteral("SELECT tFirstname, tLastname, tPassword, nIcon FROM "
                                           "tblUsers ORDER BY pkStudentID"));
        while (r.Next())
            held << QVariantList{r.Value(0), r.Value(1), r.Value(2), r.Value(3)};
        sameStudents = held.size() == students.size();
        for (qsizetype i = 0; sameStudents && i < held.size(); ++i)
            for (int c = 0; c < 4; ++c)
                sameStudents = sameStudents && held[i][c].toString() == students[i][c].toString() &&
                               held[i][c].isNull() == students[i][c].isNull();
    }
    bool nothingNew = sameStudents;
    for (int i = 0; i < parts.size(); ++i)
        nothingNew = nothingNew && parts[i].rows.isEmpty() && remote[i].isEmpty();
    if (nothingNew) {
        file.Close();
        return;
    }

    inLocalTransaction(file, [&] {
        // The students: those of this computer's database, which holds the
        // class's since the last pull.
        if (!sameStudents) {
            file.Execute(QStringLiteral("DELETE FROM tblUsers"));
            Statement insert(file, "INSERT INTO tblUsers (tFirstname, tLastname, tPassword, "
                                   "nIcon) VALUES (?, ?, ?, ?)");
            for (const QVariantList &s : students)
                insert.Run(s);
        }
        for (int i = 0; i < parts.size(); ++i) {
            QHash<QString, qint64> last = seen[i];
            landRows(file, *parts[i].t, QString(), parts[i].rows, last);
            landRows(file, *parts[i].t, QString(), remote[i], last);
            Statement mark(file, "INSERT OR REPLACE INTO tblClassRows (tComputer, tTable, nLast) "
                                 "VALUES (?, ?, ?)");
            for (auto it = last.cbegin(); it != last.cend(); ++it)
                mark.Run({it.key(), QString::fromLatin1(parts[i].t->server), it.value()});
        }
    });
    file.Close();
}

} // namespace classData
