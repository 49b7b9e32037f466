#include "platform/private_folder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QTemporaryDir>
#endif

namespace privateFolder {

namespace {

QString withSlash(QString path) {
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

QString withoutSlash(QString path) {
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

#ifdef Q_OS_UNIX
// Empties and removes a folder, entry by entry: a link is unlinked itself,
// a folder inside (never one reached through a link) emptied the same way.
void removeTree(const QString &folder) {
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QString path = it.next();
        const QByteArray native = QFile::encodeName(path);
        struct stat info {};
        if (::lstat(native.constData(), &info) != 0)
            continue;
        if (S_ISDIR(info.st_mode))
            removeTree(path);
        else
            ::unlink(native.constData());
    }
    ::rmdir(QFile::encodeName(folder).constData());
}
#endif

} // namespace

QString Make(const QString &parent, const QString &prefix, QString *reason) {
#ifdef Q_OS_UNIX
    QByteArray name = QFile::encodeName(withSlash(parent) + prefix) + "XXXXXX";
    // mkdtemp makes the folder with a fresh name and mode 0700 in one step;
    // it fails rather than take a name that exists.
    if (!::mkdtemp(name.data())) {
        if (reason)
            *reason = QString::fromLocal8Bit(std::strerror(errno));
        return QString();
    }
    return withSlash(QFile::decodeName(name));
#else
    QTemporaryDir dir(withSlash(parent) + prefix + QStringLiteral("XXXXXX"));
    if (!dir.isValid()) {
        if (reason)
            *reason = dir.errorString();
        return QString();
    }
    dir.setAutoRemove(false);
    return withSlash(QDir::fromNativeSeparators(dir.path()));
#endif
}

bool IsPrivate(const QString &path) {
#ifdef Q_OS_UNIX
    struct stat info {};
    if (::lstat(QFile::encodeName(withoutSlash(path)).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
#else
    const QFileInfo info(withoutSlash(path));
    return info.isDir() && !info.isSymLink();
#endif
}

void Remove(const QString &path) {
    if (path.isEmpty())
        return;
    const QString folder = withoutSlash(path);
#ifdef Q_OS_UNIX
    struct stat info {};
    if (::lstat(QFile::encodeName(folder).constData(), &info) != 0)
        return;
    // Something else in its place is not the program's to empty.
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
        return;
    removeTree(folder);
#else
    if (QFileInfo(folder).isSymLink())
        return;
    QDir(folder).removeRecursively();
#endif
}

bool OpenNew(QFile &file) {
    // Removing a link removes the link; the file it points to stays as it is.
    QFile::remove(file.fileName());
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                     QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

} // namespace privateFolder
