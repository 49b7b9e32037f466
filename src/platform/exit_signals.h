// The requests to end that the system sends a program (SIGTERM at a session's
// logout or from kill, SIGINT from Ctrl+C in a terminal, SIGHUP when its
// terminal goes away), delivered as a Qt signal on the thread that made this
// object, so that the program ends through its own close path (temporary
// files removed, settings written) instead of dying or running on.
//
// A signal handler may do almost nothing safely: ours writes the signal's
// number to a socket pair, and a QSocketNotifier reads it in the event loop.
// One object at a time; a signal that was ignored when the object was made
// (nohup, a background job's SIGINT) stays ignored. Elsewhere than on Unix
// the object does nothing.
#pragma once

#include <QObject>

class QSocketNotifier;

class ExitSignals : public QObject {
    Q_OBJECT
public:
    explicit ExitSignals(QObject *parent = nullptr);
    ~ExitSignals() override;
    ExitSignals(const ExitSignals &) = delete;
    ExitSignals &operator=(const ExitSignals &) = delete;

    // Takes the signals from here on also when whoever started the program
    // blocked them; one that arrived meanwhile is delivered now. Called once
    // the program can end cleanly, when its first window is up.
    void Unblock();

    // Whether the handlers are in place (false elsewhere than on Unix, or
    // when the system refused the socket pair).
    bool Active() const { return m_readFd >= 0; }

signals:
    // signalNumber: SIGTERM, SIGINT or SIGHUP. Emitted once for each signal
    // received; the receiver ends the program and ignores a repeat.
    void Received(int signalNumber);

private:
    void readPending();

    int m_readFd = -1;
    int m_writeFd = -1;
    QSocketNotifier *m_notifier = nullptr;
};
