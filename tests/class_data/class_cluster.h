// The private PostgreSQL cluster the class server's tests run against: the
// one ctest started for the run (TVX_CLASS_SERVER_ENV), or one of this
// process's own when the tests run by themselves. Each test starts from a
// database without the program's tables.
#pragma once

#include "class_data/class_server.h"

#include <QMap>
#include <QString>
#include <QVariant>

#include <gtest/gtest.h>

#include <memory>

class ClassCluster {
public:
    static ClassCluster &Get();

    bool Available() const { return m_available; }
    const QString &Why_Not() const { return m_whyNot; }

    classData::ServerSettings Owner() const;
    classData::ServerSettings Lab() const;
    // The cluster's superuser, over its socket: for what only an
    // administrator's hand does (dropping a table, counting).
    classData::ServerSettings Super() const;

    // Drops the program's tables; starts the server if a test stopped it.
    void Reset();
    // A statement as the superuser.
    QVector<classData::ServerRow> Super_Query(const QString &sql, const QVariantList &params = {});
    qint64 Count(const QString &table);

    // The cluster script's stop (fast), kill (immediate) and resume.
    bool Control(const QString &what);

    void Start();
    void Stop();

private:
    QMap<QString, QString> m_env;
    QString m_envFile;
    bool m_own = false;
    bool m_available = false;
    bool m_running = false;
    QString m_whyNot;
};

// Skips the test, saying why, when no cluster could be had; else resets it.
#define REQUIRE_CLASS_CLUSTER()                                                                    \
    do {                                                                                           \
        if (!ClassCluster::Get().Available())                                                      \
            GTEST_SKIP() << ClassCluster::Get().Why_Not().toStdString();                           \
        ClassCluster::Get().Reset();                                                               \
    } while (false)

// A student database of its own (a copy of the built template) at path.
void Make_Users(const QString &path);
// Adds rows as an activity would: scores, launches of ten entries each, and
// results spread over the launches' entries.
void Add_Rows(const QString &path, int scores, int launches, int results,
              const QString &student = QStringLiteral("Ana Pérez"));
// A connected server with these settings.
std::unique_ptr<classData::ClassServer> Connect(const classData::ServerSettings &settings);
