#include "platform/start_detached.h"

#include <QFile>
#include <QProcess>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char **environ;
#endif

namespace startDetached {

#ifdef Q_OS_LINUX

bool Start(const QString &program, const QStringList &arguments, const QString &workingFolder) {
    // posix_spawn, not a fork: a fork copies the page tables of everything
    // this process maps, which costs a launch more than the rest of its work;
    // a spawned child shares our memory until it runs the program.
    std::vector<QByteArray> words{QFile::encodeName(program)};
    for (const QString &argument : arguments)
        words.push_back(QFile::encodeName(argument));
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray folder = QFile::encodeName(workingFolder);
    if (!folder.isEmpty())
        posix_spawn_file_actions_addchdir_np(&actions, folder.constData());
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // The program starts as a detached one does: its own session, no signal
    // blocked, and the default for those we handle or ignore.
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int s : {SIGPIPE, SIGTERM, SIGINT, SIGHUP, SIGCHLD})
        sigaddset(&defaults, s);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    const bool named = !program.contains(QLatin1Char('/'));
    const int rc = named ? posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ)
                         : posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return false;
    // The child is ours until it ends; a thread of no weight waits for it,
    // so that no finished program lingers in the process table.
    std::thread([pid] {
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

#else

bool Start(const QString &program, const QStringList &arguments, const QString &workingFolder) {
    return QProcess::startDetached(program, arguments, workingFolder);
}

#endif

} // namespace startDetached
