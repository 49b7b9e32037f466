#include "shell/class_sync_schedule.h"

#include "frame/program.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

namespace {
// How often the open main window pushes to the class server, how long the
// student database must stay still after an activity wrote it, and how long
// the end of the program waits for a last push.
constexpr int kClassSyncMs = 30000;
constexpr int kClassSettleMs = 2000;
constexpr int kClassEndWaitMs = 5000;
} // namespace

ClassSyncSchedule::ClassSyncSchedule(Program &program, QObject *parent)
    : QObject(parent), m_program(program), m_every(new QTimer(this)), m_settle(new QTimer(this)),
      m_usersWatcher(new QFileSystemWatcher(this)) {
    m_every->setInterval(kClassSyncMs);
    m_settle->setSingleShot(true);
    m_settle->setInterval(kClassSettleMs);
    for (QTimer *timer : {m_every, m_settle})
        connect(timer, &QTimer::timeout, this, [this] {
            if (m_link)
                m_link->Request_Sync();
        });
    // An activity's rows go to the server once it has written them.
    connect(m_usersWatcher, &QFileSystemWatcher::fileChanged, this, [this](const QString &) {
        m_settle->start();
        // A file replaced as a whole leaves the watch: it is watched again.
        watchUsers();
    });
}

ClassSyncSchedule::~ClassSyncSchedule() = default;

void ClassSyncSchedule::watchUsers() {
    const QString users = m_program.usersPath();
    if (m_link && !m_usersWatcher->files().contains(users) && QFileInfo::exists(users))
        m_usersWatcher->addPath(users);
}

void ClassSyncSchedule::Refresh() {
    const classData::ServerSettings settings = classData::Server_Settings(m_program);
    if (!settings.Named()) {
        // No server: no link, no library, nothing said.
        m_every->stop();
        if (!m_usersWatcher->files().isEmpty())
            m_usersWatcher->removePaths(m_usersWatcher->files());
        m_link.reset();
        emit StatusChanged(QString(), QString());
        return;
    }
    if (m_link) {
        m_link->Set_Settings(settings);
        m_link->Request_Sync();
        return;
    }
    m_link = std::make_unique<classData::ClassLink>(
        m_program.usersPath(), m_program.folders.dataFolder + QStringLiteral("Class.dat"),
        m_program.templatePath(), settings);
    connect(m_link.get(), &classData::ClassLink::Synced, this,
            [this](const classData::SyncStatus &status) {
                watchUsers();
                emit StatusChanged(status.ok ? QString() : Status_Line(status), status.message);
            });
    watchUsers();
    if (m_running) {
        m_link->Request_Sync();
        m_every->start();
    }
}

void ClassSyncSchedule::Start() {
    m_running = true;
    if (m_link) {
        m_link->Request_Sync();
        m_every->start();
    }
}

void ClassSyncSchedule::Stop() {
    m_running = false;
    m_every->stop();
}

void ClassSyncSchedule::End() {
    Stop();
    if (!m_link)
        return;
    m_link->Sync_Before_End(kClassEndWaitMs);
    m_link.reset();
}

QString ClassSyncSchedule::Status_Line(const classData::SyncStatus &status) {
    QString why;
    switch (status.kind) {
    case classData::ServerError::Unreachable:
        why = tr("The class server cannot be reached");
        break;
    case classData::ServerError::Refused:
        why = tr("The class server refused the user name or the password");
        break;
    case classData::ServerError::Schema:
        why = tr("The class server's tables need its administrator");
        break;
    default:
        why = tr("The class server is not working");
        break;
    }
    return status.waiting > 0
               ? tr("%1: %2 row(s) wait on this computer and go when it is back.")
                     .arg(why)
                     .arg(status.waiting)
               : tr("%1: this computer works on by itself.").arg(why);
}
