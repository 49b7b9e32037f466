// The program's link to the class server: every call to the server runs on a
// thread of its own, one at a time, and reports through signals; the windows
// never wait for the network. Made only when a server is named.
#pragma once

#include "class_data/class_server.h"
#include "class_data/class_sync.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QThread;

namespace classData {

struct SyncStatus {
    bool ok = false;
    ServerError::Kind kind = ServerError::Failed;
    QString message;        // what went wrong, for the one quiet line; empty when ok
    PushCount pushed;       // what went to the server this time
    int studentsPulled = 0; // local students added or changed from the server
    qint64 waiting = 0;     // local rows still to push
};

class ClassLink : public QObject {
    Q_OBJECT
public:
    // usersPath: the student database; classPath: the whole class's file;
    // templatePath: the blank database the class file is made from.
    ClassLink(QString usersPath, QString classPath, QString templatePath, ServerSettings settings,
              QObject *parent = nullptr);
    // Waits for the call under way (each is bounded by the connection's
    // time-outs) and ends the thread.
    ~ClassLink() override;

    const QString &ClassPath() const { return m_classPath; }
    void Set_Settings(const ServerSettings &settings);

    // Pushes what the server lacks and pulls the class's students. A request
    // made while one is waiting to run is the same request.
    void Request_Sync();
    // Syncs, then brings the class file up to date.
    void Request_Class_File();
    // Pushes what it can before the program ends, waiting at most
    // timeoutMs for it.
    void Sync_Before_End(int timeoutMs);
    // Connects with these settings, checks the tables, and answers.
    void Request_Test(const ServerSettings &settings);

    // The status of the last sync (on this object's thread).
    const SyncStatus &Last_Status() const { return m_last; }

signals:
    void Synced(const classData::SyncStatus &status);
    // The class file is up to date (ok), or could not be brought so: the
    // file may still hold what it held.
    void ClassFileReady(bool ok, const QString &message);
    void Tested(bool ok, const QString &message);

private:
    struct Worker;
    SyncStatus syncNow();
    void post(std::function<void()> work);

    QString m_usersPath;
    QString m_classPath;
    QString m_templatePath;
    std::unique_ptr<QThread> m_thread;
    std::shared_ptr<Worker> m_worker;
    SyncStatus m_last;
};

} // namespace classData

Q_DECLARE_METATYPE(classData::SyncStatus)
