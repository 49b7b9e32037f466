#include "platform/exit_signals.h"

#include <QSocketNotifier>
#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#ifdef Q_OS_UNIX

namespace {

constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};

// The handler's end of the socket pair; -1 while no object lives. A plain
// int of static storage: the handler may read nothing else.
volatile sig_atomic_t g_writeFd = -1;

struct sigaction g_previous[kSignals.size()];
bool g_installed[kSignals.size()] = {};

extern "C" void onExitSignal(int signalNumber) {
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    // Non-blocking: when the pair is full, enough is already waiting.
    [[maybe_unused]] const ssize_t written = ::write(g_writeFd, &number, 1);
    errno = savedErrno;
}

sigset_t handledSet() {
    sigset_t set;
    sigemptyset(&set);
    for (const int s : kSignals)
        sigaddset(&set, s);
    return set;
}

} // namespace

ExitSignals::ExitSignals(QObject *parent) : QObject(parent) {
    if (g_writeFd >= 0)
        return; // another object already takes the signals
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pair) != 0)
        return;
    m_readFd = pair[0];
    m_writeFd = pair[1];
    g_writeFd = pair[1];
    m_notifier = new QSocketNotifier(m_readFd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ExitSignals::readPending);

    struct sigaction action = {};
    action.sa_handler = onExitSignal;
    // One handler at a time, and no system call fails with EINTR because of it.
    action.sa_mask = handledSet();
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        struct sigaction current = {};
        if (::sigaction(kSignals[i], nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
            continue;
        g_installed[i] = ::sigaction(kSignals[i], &action, &g_previous[i]) == 0;
    }
}

ExitSignals::~ExitSignals() {
    if (m_readFd < 0)
        return;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        if (g_installed[i])
            ::sigaction(kSignals[i], &g_previous[i], nullptr);
        g_installed[i] = false;
    }
    g_writeFd = -1;
    ::close(m_writeFd);
    ::close(m_readFd);
}

void ExitSignals::Unblock() {
    if (m_readFd < 0)
        return;
    sigset_t set;
    sigemptyset(&set);
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        if (g_installed[i])
            sigaddset(&set, kSignals[i]);
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

void ExitSignals::readPending() {
    unsigned char numbers[16];
    for (;;) {
        const ssize_t count = ::read(m_readFd, numbers, sizeof numbers);
        if (count <= 0) {
            if (count < 0 && errno == EINTR)
                continue;
            break;
        }
        for (ssize_t k = 0; k < count; ++k)
            emit Received(numbers[k]);
    }
}

#else

ExitSignals::ExitSignals(QObject *parent) : QObject(parent) {}
ExitSignals::~ExitSignals() = default;
void ExitSignals::Unblock() {}
void ExitSignals::readPending() {}

#endif
