// The class server over PostgreSQL's C library, with the students' passwords
// hashed by libsodium. Built as a library of its own and loaded only when a
// server is named (see class_server.h): a program without a server never
// maps either library.
#include "class_data/class_server.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QMutex>

#include <libpq-fe.h>
#include <sodium.h>

#include <vector>

namespace {

using classData::ServerError;
using classData::ServerRow;

QString tr(const char *text) {
    return QCoreApplication::translate("classData", text);
}

// The server's own words, first line only: enough to tell what happened.
QString firstLine(const char *message) {
    QString text = QString::fromUtf8(message ? message : "").trimmed();
    const qsizetype end = text.indexOf(QLatin1Char('\n'));
    return end < 0 ? text : text.left(end).trimmed();
}

bool looksRefused(const QString &message) {
    const QString m = message.toLower();
    return m.contains(QLatin1String("password")) || m.contains(QLatin1String("authentication")) ||
           m.contains(QLatin1String("role \"")) || m.contains(QLatin1String("permission denied"));
}

class PgClassServer final : public classData::ClassServer {
public:
    ~PgClassServer() override {
        if (m_conn)
            PQfinish(m_conn);
    }

    void Connect(const classData::ServerSettings &s) override {
        if (m_conn) {
            PQfinish(m_conn);
            m_conn = nullptr;
        }
        const QByteArray host = s.host.trimmed().toUtf8();
        const QByteArray port = QByteArray::number(s.port);
        const QByteArray database = s.database.trimmed().toUtf8();
        const QByteArray user = s.user.trimmed().toUtf8();
        const QByteArray password = s.password.toUtf8();
        // A server that does not answer is given up on in seconds; a cut
        // network is noticed by keep-alives rather than waited out.
        const char *keys[] = {"host",
                              "port",
                              "dbname",
                              "user",
                              "password",
                              "connect_timeout",
                              "application_name",
                              "keepalives",
                              "keepalives_idle",
                              "keepalives_interval",
                              "keepalives_count",
                              "client_encoding",
                              nullptr};
        const char *values[] = {host.constData(),
                                port.constData(),
                                database.constData(),
                                user.isEmpty() ? nullptr : user.constData(),
                                password.isEmpty() ? nullptr : password.constData(),
                                "5",
                                "Tolvanex",
                                "1",
                                "10",
                                "5",
                                "3",
                                "UTF8",
                                nullptr};
        m_conn = PQconnectdbParams(keys, values, 0);
        if (!m_conn)
            throw ServerError(ServerError::Failed, tr("Out of memory."));
        if (PQstatus(m_conn) != CONNECTION_OK) {
            const QString why = firstLine(PQerrorMessage(m_conn));
            PQfinish(m_conn);
            m_conn = nullptr;
            const QString where = QStringLiteral("%1:%2").arg(s.host.trimmed()).arg(s.port);
            if (looksRefused(why))
                throw ServerError(ServerError::Refused,
                                  tr("The class server %1 refused the user name or the "
                                     "password (%2).")
                                      .arg(where, why));
            throw ServerError(ServerError::Unreachable,
                              tr("The class server %1 cannot be reached (%2).").arg(where, why));
        }
        // Nothing of ours on the server depends on its settings but these.
        PQclear(PQexec(m_conn, "SET client_min_messages = warning"));
    }

    bool Connected() const override { return m_conn && PQstatus(m_conn) == CONNECTION_OK; }

    QVector<ServerRow> Query(const QString &sql, const QVariantList &params) override {
        PGresult *result = run(sql, params);
        QVector<ServerRow> rows;
        const int count = PQntuples(result);
        const int columns = PQnfields(result);
        rows.reserve(count);
        for (int r = 0; r < count; ++r) {
            ServerRow row(columns);
            for (int c = 0; c < columns; ++c)
                if (!PQgetisnull(result, r, c))
                    row[c] = QString::fromUtf8(PQgetvalue(result, r, c), PQgetlength(result, r, c));
            rows << std::move(row);
        }
        PQclear(result);
        return rows;
    }

    qint64 Execute(const QString &sql, const QVariantList &params) override {
        PGresult *result = run(sql, params);
        const qint64 touched = QByteArray(PQcmdTuples(result)).toLongLong();
        PQclear(result);
        return touched;
    }

    QString Hash_Password(const QString &password) override {
        initSodium();
        const QByteArray text = password.toUtf8();
        char hash[crypto_pwhash_STRBYTES];
        if (crypto_pwhash_str(hash, text.constData(), quint64(text.size()),
                              crypto_pwhash_OPSLIMIT_INTERACTIVE,
                              crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
            throw ServerError(ServerError::Failed,
                              tr("A password could not be hashed: not enough memory."));
        return QString::fromLatin1(hash);
    }

    bool Verify_Password(const QString &hash, const QString &password) override {
        initSodium();
        const QByteArray stored = hash.toLatin1();
        const QByteArray text = password.toUtf8();
        return crypto_pwhash_str_verify(stored.constData(), text.constData(),
                                        quint64(text.size())) == 0;
    }

private:
    static void initSodium() {
        static QMutex lock;
        QMutexLocker locked(&lock);
        static const bool ready = sodium_init() >= 0;
        if (!ready)
            throw ServerError(ServerError::Failed, tr("The password library cannot start."));
    }

    PGresult *run(const QString &sql, const QVariantList &params) {
        if (!Connected())
            throw ServerError(ServerError::Unreachable, tr("The class server went away."));
        std::vector<QByteArray> texts;
        texts.reserve(params.size());
        std::vector<const char *> values;
        values.reserve(params.size());
        for (const QVariant &p : params) {
            if (p.isNull() || !p.isValid()) {
                texts.emplace_back();
                values.push_back(nullptr);
            } else {
                texts.push_back(p.typeId() == QMetaType::Double
                                    ? QByteArray::number(p.toDouble(), 'g', 17)
                                    : p.toString().toUtf8());
                values.push_back(texts.back().constData());
            }
        }
        const QByteArray statement = sql.toUtf8();
        PGresult *result = PQexecParams(m_conn, statement.constData(), int(values.size()), nullptr,
                                        values.data(), nullptr, nullptr, 0);
        const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
            return result;
        const QString state =
            result ? QString::fromLatin1(PQresultErrorField(result, PG_DIAG_SQLSTATE)) : QString();
        const QString why =
            firstLine(result ? PQresultErrorMessage(result) : PQerrorMessage(m_conn));
        if (result)
            PQclear(result);
        if (PQstatus(m_conn) != CONNECTION_OK || state.startsWith(QLatin1String("08")) ||
            state.startsWith(QLatin1String("57P")))
            throw ServerError(ServerError::Unreachable,
                              tr("The class server went away (%1).").arg(why));
        // A table or column that is not there: the server's tables are not
        // the program's any more.
        if (state == QLatin1String("42P01") || state == QLatin1String("42703"))
            throw ServerError(ServerError::Schema,
                              tr("The class server's tables are damaged (%1).").arg(why));
        throw ServerError(ServerError::Failed, tr("The class server answered: %1").arg(why));
    }

    PGconn *m_conn = nullptr;
};

} // namespace

extern "C" Q_DECL_EXPORT classData::ClassServer *tvx_create_class_server() {
    return new PgClassServer;
}
