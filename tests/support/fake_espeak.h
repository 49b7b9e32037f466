// A stand-in for espeak-ng, first on PATH while the object lives: it reads
// the text from stdin like the real one and writes a short tone to the -w
// file at once, except for texts beginning with "lento", which stall until
// Release(). A stalling run first leaves its process number in Stalled(), so
// a test knows when an import has reached them (a QFileSystemWatcher on that
// folder says so without timing) and can check afterwards that every one of
// them was stopped.
#pragma once

#include "support/crafted_waves.h"
#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <csignal>
#include <sys/types.h>

namespace fixture {

class FakeEspeak {
public:
    // folder: an empty folder of the test's own.
    explicit FakeEspeak(const QString &folder) : m_folder(QDir(folder).absolutePath()) {
        QDir().mkpath(Stalled());
        writeFile(m_folder + QStringLiteral("/tone.wav"), CraftedWave({}));
        const QString script = m_folder + QStringLiteral("/espeak-ng");
        writeFile(script, "#!/bin/sh\n"
                          "dir=$(dirname \"$0\")\n"
                          "out=\n"
                          "while [ $# -gt 0 ]; do\n"
                          "  if [ \"$1\" = -w ]; then out=$2; shift; fi\n"
                          "  shift\n"
                          "done\n"
                          "text=$(cat)\n"
                          "case \"$text\" in\n"
                          "  lento*)\n"
                          "    : > \"$dir/stalled/$$\"\n"
                          "    while [ ! -e \"$dir/release\" ]; do sleep 0.05; done ;;\n"
                          "esac\n"
                          "cp \"$dir/tone.wav\" \"$out\"\n");
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_oldPath = qgetenv("PATH");
        qputenv("PATH", m_folder.toLocal8Bit() + ':' + m_oldPath);
    }
    ~FakeEspeak() {
        // Whatever still stalls ends by itself.
        Release();
        qputenv("PATH", m_oldPath);
    }
    FakeEspeak(const FakeEspeak &) = delete;
    FakeEspeak &operator=(const FakeEspeak &) = delete;

    QString Stalled() const { return m_folder + QStringLiteral("/stalled"); }
    void Release() const { writeFile(m_folder + QStringLiteral("/release"), QByteArray()); }

    // The stalled runs whose process still exists.
    QStringList StillRunning() const {
        QStringList running;
        for (const QString &pid : QDir(Stalled()).entryList(QDir::Files))
            if (::kill(static_cast<pid_t>(pid.toLongLong()), 0) == 0)
                running << pid;
        return running;
    }
    int StalledCount() const { return int(QDir(Stalled()).entryList(QDir::Files).size()); }

private:
    QString m_folder;
    QByteArray m_oldPath;
};

// A word list of quick phrases followed by ones that stall.
inline QByteArray QuickThenStallingList(int quick, int stalling) {
    QByteArray list = "phrase,translation\n";
    for (int i = 1; i <= quick; ++i)
        list += "parola " + QByteArray::number(i) + ",palabra " + QByteArray::number(i) + "\n";
    for (int i = 1; i <= stalling; ++i)
        list += "lento " + QByteArray::number(i) + ",lento " + QByteArray::number(i) + "\n";
    return list;
}

} // namespace fixture
