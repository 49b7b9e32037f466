// When the program talks to the class server: at log-in, a little after an
// activity has written the student database, every 30 seconds while the main
// window is open, and once more at the end. Owns the link to the server while
// one is named (none, and no server library loaded, otherwise) and says in
// one line of text what is wrong while the server is away.
#pragma once

#include "class_data/class_link.h"

#include <QObject>
#include <QString>

#include <memory>

class Program;
class QFileSystemWatcher;
class QTimer;

class ClassSyncSchedule : public QObject {
    Q_OBJECT
public:
    explicit ClassSyncSchedule(Program &program, QObject *parent = nullptr);
    ~ClassSyncSchedule() override;

    // Reads the server settings again: makes the link when a server is named,
    // takes it away when none is, hands new settings to the link.
    void Refresh();
    // The main window is shown for a student: sync now and every 30 s.
    void Start();
    // The main window is hidden (another student logs in): no more timed syncs.
    void Stop();
    // The program ends: a last push, waiting a few seconds at most.
    void End();

    // The link to the class server; null when none is named.
    classData::ClassLink *Link() const { return m_link.get(); }

    // The one quiet line for a sync that failed: what is wrong and how many
    // rows wait on this computer.
    static QString Status_Line(const classData::SyncStatus &status);

signals:
    // After each sync: the line to show (empty when all is well) and the
    // server's own words for it.
    void StatusChanged(const QString &line, const QString &details);

private:
    void watchUsers();

    Program &m_program;
    std::unique_ptr<classData::ClassLink> m_link;
    QTimer *m_every;                     // every 30 s while the window is open
    QTimer *m_settle;                    // an activity's rows have settled
    QFileSystemWatcher *m_usersWatcher;  // the student database changing
    bool m_running = false;
};
