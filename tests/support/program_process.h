// Starts one of the built programs as a process of its own, in a test's own
// folders, offscreen and silent, as a desktop session would start it: the
// signals that ask a program to end (SIGTERM, SIGINT, SIGHUP) take their
// default action, but they are held back until the program itself lets them
// through. A signal sent right after the start therefore reaches the
// program's own handling, not the default action before the program could
// take it; a program that never takes them never sees one.
#pragma once

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileSystemWatcher>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <csignal>

namespace fixture {

inline void StartProgram(QProcess &process, const QString &program, const QStringList &arguments,
                         const QString &workingFolder, const QString &home) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/runtime"));
    // A desktop-sized screen: the offscreen platform's own 800 x 600 cannot
    // hold the main window with its frame and would be warned about.
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"),
                       QStringLiteral("offscreen:configfile=" TVX_SOURCE_DIR
                                      "/tests/support/offscreen_screen.json"));
    environment.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    environment.remove(QStringLiteral("TVX_EXIT_AFTER_STARTUP"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingFolder);
    process.setChildProcessModifier([] {
        sigset_t held;
        sigemptyset(&held);
        for (const int s : {SIGTERM, SIGINT, SIGHUP}) {
            std::signal(s, SIG_DFL);
            sigaddset(&held, s);
        }
        sigprocmask(SIG_BLOCK, &held, nullptr);
    });
    process.start(program, arguments);
}

// Whether the process ended by itself within the time (it is killed if
// not), and how.
struct Ending {
    bool ended = false;
    bool normalExit = false;
    int exitCode = -1;
};

inline Ending WaitForEnd(QProcess &process, int milliseconds) {
    Ending ending;
    ending.ended = process.waitForFinished(milliseconds);
    if (!ending.ended) {
        process.kill();
        process.waitForFinished();
        return ending;
    }
    ending.normalExit = process.exitStatus() == QProcess::NormalExit;
    ending.exitCode = process.exitCode();
    return ending;
}

// The folder of its own that the started program makes in the temporary
// folder for its files (its path ending in "/"), as soon as it is there;
// empty when the program ends, or half a minute passes, without one.
inline QString WaitForTemporaryFolder(QProcess &process, const QString &tempFolder) {
    QFileSystemWatcher watcher({tempFolder});
    QEventLoop loop;
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    const QDeadlineTimer deadline(30000);
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, &loop, &QEventLoop::quit);
    giveUp.start(30000);
    for (;;) {
        const QStringList found =
            QDir(tempFolder).entryList({QStringLiteral("~tvx-*")}, QDir::Dirs | QDir::Hidden);
        if (!found.isEmpty())
            return QDir(tempFolder).filePath(found.first()) + QLatin1Char('/');
        if (deadline.hasExpired() || process.state() == QProcess::NotRunning)
            return QString();
        loop.exec();
    }
}

} // namespace fixture
