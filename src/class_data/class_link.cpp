#include "class_data/class_link.h"

#include <QCoreApplication>
#include <QMutex>
#include <QThread>

#include <atomic>
#include <future>

namespace classData {

// What lives on the link's thread: the connection and the settings it uses.
struct ClassLink::Worker {
    QObject context; // moved to the thread: the queued calls run there
    QMutex lock;
    ServerSettings settings; // guarded by lock
    std::unique_ptr<ClassServer> server;
    bool schemaChecked = false;
    std::atomic<bool> syncQueued{false};

    void disconnect() {
        server.reset();
        schemaChecked = false;
    }

    ClassServer &connected() {
        ServerSettings s;
        {
            QMutexLocker locked(&lock);
            s = settings;
        }
        if (!s.Named())
            throw ServerError(
                ServerError::Unreachable,
                QCoreApplication::translate("classData", "No class server is named."));
        if (!server || !server->Connected()) {
            disconnect();
            server = New_Class_Server();
            server->Connect(s);
        }
        if (!schemaChecked) {
            Ensure_Schema(*server);
            schemaChecked = true;
        }
        return *server;
    }
};

ClassLink::ClassLink(QString usersPath, QString classPath, QString templatePath,
                     ServerSettings settings, QObject *parent)
    : QObject(parent), m_usersPath(std::move(usersPath)), m_classPath(std::move(classPath)),
      m_templatePath(std::move(templatePath)), m_thread(std::make_unique<QThread>()),
      m_worker(std::make_shared<Worker>()) {
    qRegisterMetaType<classData::SyncStatus>();
    m_worker->settings = std::move(settings);
    m_thread->setObjectName(QStringLiteral("class server"));
    m_worker->context.moveToThread(m_thread.get());
    m_thread->start();
}

ClassLink::~ClassLink() {
    m_thread->quit();
    // A call to a server that went away mid-answer is bounded by the
    // connection's keep-alives; the program does not wait that long to end.
    if (!m_thread->wait(3000)) {
        // The worker is kept alive by the call under way; the process ends
        // around it.
        (void)m_thread.release();
    }
}

void ClassLink::Set_Settings(const ServerSettings &settings) {
    {
        QMutexLocker locked(&m_worker->lock);
        if (m_worker->settings == settings)
            return;
        m_worker->settings = settings;
    }
    post([worker = m_worker] { worker->disconnect(); });
}

void ClassLink::post(std::function<void()> work) {
    QMetaObject::invokeMethod(&m_worker->context, std::move(work), Qt::QueuedConnection);
}

SyncStatus ClassLink::syncNow() {
    SyncStatus status;
    try {
        ClassServer &server = m_worker->connected();
        status.pushed = Push(server, m_usersPath);
        status.studentsPulled = Pull_Students(server, m_usersPath);
        status.ok = true;
    } catch (const ServerError &e) {
        status.kind = e.kind();
        status.message = e.description();
        // Connected again at the next try, with the settings of then.
        m_worker->disconnect();
    } catch (const std::exception &e) {
        // The student database itself (locked by an activity, read-only):
        // the next try takes it up again.
        status.kind = ServerError::Failed;
        status.message = QString::fromUtf8(e.what());
        m_worker->disconnect();
    }
    try {
        status.waiting = Waiting_Rows(m_usersPath);
    } catch (const std::exception &) {
        status.waiting = -1;
    }
    return status;
}

void ClassLink::Request_Sync() {
    // A sync waiting to run pushes everything there is when it runs.
    if (m_worker->syncQueued.exchange(true))
        return;
    post([this, worker = m_worker] {
        worker->syncQueued = false;
        const SyncStatus status = syncNow();
        QMetaObject::invokeMethod(
            this,
            [this, status] {
                m_last = status;
                emit Synced(status);
            },
            Qt::QueuedConnection);
    });
}

void ClassLink::Request_Class_File() {
    post([this, worker = m_worker] {
        const SyncStatus status = syncNow();
        bool ok = false;
        QString message = status.message;
        try {
            ClassServer *server = status.ok ? worker->server.get() : nullptr;
            Refresh_Class_File(server, m_usersPath, m_classPath, m_templatePath);
            ok = status.ok;
        } catch (const std::exception &e) {
            message = QString::fromUtf8(e.what());
            worker->disconnect();
        }
        QMetaObject::invokeMethod(
            this,
            [this, status, ok, message] {
                m_last = status;
                emit Synced(status);
                emit ClassFileReady(ok, message);
            },
            Qt::QueuedConnection);
    });
}

void ClassLink::Sync_Before_End(int timeoutMs) {
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    post([this, done] {
        syncNow();
        done->set_value();
    });
    finished.wait_for(std::chrono::milliseconds(timeoutMs));
}

void ClassLink::Request_Test(const ServerSettings &settings) {
    post([this, settings] {
        bool ok = false;
        QString message;
        try {
            std::unique_ptr<ClassServer> server = New_Class_Server();
            server->Connect(settings);
            Ensure_Schema(*server);
            const QVector<ServerRow> counts = server->Query(
                QStringLiteral("SELECT (SELECT count(*) FROM tvx_computers), (SELECT count(*) FROM "
                               "tvx_students)"));
            ok = true;
            message =
                QCoreApplication::translate(
                    "classData",
                    "Connected: the class server knows %1 computer(s) and %2 student(s).")
                    .arg(counts.value(0).value(0).toString(), counts.value(0).value(1).toString());
        } catch (const std::exception &e) {
            message = QString::fromUtf8(e.what());
        }
        QMetaObject::invokeMethod(
            this, [this, ok, message] { emit Tested(ok, message); }, Qt::QueuedConnection);
    });
}

} // namespace classData
