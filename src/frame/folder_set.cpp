#include "frame/folder_set.h"

#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/host.h"
#include "platform/platform_language.h"
#include "platform/registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#ifdef Q_OS_UNIX
#include <cstdlib>
#include <unistd.h>
#endif

namespace folders {

namespace {
QString withSlash(QString path) {
    path = QDir::fromNativeSeparators(path);
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

// Copies every file and folder below source into destination; throws on the
// first failure so the caller can report it.
void copyTree(const Captions &texts, const QString &source, const QString &destination) {
    const QDir sourceDir(source);
    // Without a shipped folder the copy is simply an empty folder: the user
    // starts without virtual subjects.
    if (!QDir().mkpath(destination))
        throw std::runtime_error(texts[caption::FolderNotCreated].arg(destination).toStdString());
    if (!sourceDir.exists())
        return;
    QDirIterator it(source, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = destination + QLatin1Char('/') + sourceDir.relativeFilePath(path);
        if (it.fileInfo().isDir()) {
            if (!QDir().mkpath(target))
                throw std::runtime_error(
                    texts[caption::FolderNotCreated].arg(target).toStdString());
        } else {
            QFile::remove(target);
            if (!QFile::copy(path, target))
                throw std::runtime_error(
                    texts[caption::FileNotCopied].arg(path, target).toStdString());
            QFile(target).setPermissions(QFile::permissions(target) | QFileDevice::WriteOwner);
        }
    }
}

// The data folder when there is no application-data folder: one in the
// temporary folder, which must exist; the root folder never stands in.
QString temporaryDataFolder(const Program &program) {
    const QString temp = modMain::Get_Temp_Path();
    if (temp.isEmpty())
        throw std::runtime_error(
            program.captions[caption::TemporaryFolderUnusable]
                .arg(QDir::toNativeSeparators(modMain::Get_System_Temp_Name()),
                     platformLanguage::System_Reason(QString::fromLocal8Bit(std::strerror(ENOENT))))
                .toStdString());
    return temp + program.identity.productTitle + QLatin1Char('/');
}

} // namespace

QString Get_App_Path(const Program &program) {
    const QString &override = program.settings().appPathOverride;
    return withSlash(override.isEmpty() ? QCoreApplication::applicationDirPath() : override);
}

bool Test_Write_Access(const QString &folder) {
    return Probe_Write_Access(folder) != 0;
}

int Probe_Write_Access(const QString &folder) {
    // A new file of a name nobody uses: a file the user keeps in the folder
    // is never opened, overwritten or removed by the probe.
#ifdef Q_OS_UNIX
    QByteArray name = QFile::encodeName(folder + QStringLiteral(".~tvx-write-probe-XXXXXX"));
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return errno;
    static const char kLine[] = "\"Test\"\n";
    int error = 0;
    errno = 0;
    if (::write(fd, kLine, sizeof kLine - 1) != ssize_t(sizeof kLine - 1))
        error = errno ? errno : EIO;
    // Some file systems tell of a full disk only when the file is closed.
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (::unlink(name.constData()) != 0 && error == 0)
        error = errno;
    return error;
#else
    QTemporaryFile probe(folder + QStringLiteral(".~tvx-write-probe-XXXXXX"));
    if (!probe.open())
        return EACCES;
    const bool written = probe.write("\"Test\"\n") > 0 && probe.flush();
    const bool full = !written && probe.error() == QFileDevice::ResourceError;
    probe.close();
    const bool removed = probe.remove();
    return written && removed ? 0 : full ? ENOSPC : EACCES;
#endif
}

bool Is_Disk_Full(int probeError) {
#ifdef EDQUOT
    // The user's share of the disk used up is a full disk to this user.
    if (probeError == EDQUOT)
        return true;
#endif
    return probeError == ENOSPC;
}

QString Get_Application_Data_Folder(Program &program) {
    try {
        QString folder = program.settings().appDataOverride;
        if (folder.isEmpty())
            folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        if (folder.isEmpty())
            return QString();
        folder = QDir::fromNativeSeparators(folder);
        while (folder.endsWith(QLatin1Char('/')) && folder.size() > 1)
            folder.chop(1);
        if (!QDir().mkpath(folder))
            return QString();
        return folder;
    } catch (const std::exception &e) {
        modMain::Show_Error(program, QStringLiteral("Get_Application_Data_Folder"), e);
        return QString();
    }
}

void Copy_Folder(Program &program, const QString &source, const QString &destination) {
    try {
        copyTree(program.captions, source, destination);
    } catch (const std::exception &e) {
        modMain::Show_Error(program, QStringLiteral("Copy_Folder"), e);
    }
}

void Set_Paths(Program &program) {
    FolderSet &f = program.folders;
    try {
        f.programFolder = Get_App_Path(program);
        const QString virtualName = program.captions[11];
        const auto &probe = program.settings().writeAccessProbe;
        const int probeError = probe ? probe(f.programFolder) : Probe_Write_Access(f.programFolder);
        if (probeError == 0) {
            f.dataFolder = f.programFolder;
        } else if (Is_Disk_Full(probeError)) {
            // The students and their scores are in the program folder; an
            // empty database elsewhere would look as if they were lost.
            f.dataFolder = f.programFolder;
            program.host().MsgBox(program.captions[caption::ProgramDiskFull].arg(
                                      QDir::toNativeSeparators(f.programFolder)),
                                  vb::vbExclamation, program.identity.productTitle);
        } else {
            const QString appData = Get_Application_Data_Folder(program);
            if (!appData.isEmpty())
                f.dataFolder =
                    appData + QLatin1Char('/') + program.identity.productTitle + QLatin1Char('/');
            else
                f.dataFolder = temporaryDataFolder(program);
            if (!QFileInfo(f.dataFolder).isDir() && !QDir().mkdir(f.dataFolder))
                throw std::runtime_error(
                    program.captions[caption::FolderNotCreated].arg(f.dataFolder).toStdString());
            if (!QFileInfo(f.dataFolder + virtualName).isDir())
                Copy_Folder(program, f.programFolder + virtualName, f.dataFolder + virtualName);
        }
        f.installedSubjectsFolder = f.programFolder + program.captions[10] + QLatin1Char('/');
        f.virtualSubjectsFolder = f.dataFolder + virtualName + QLatin1Char('/');
        f.activitiesFolder = f.programFolder + QStringLiteral("Activities/");
    } catch (const std::exception &e) {
        modMain::Show_Error(program, QStringLiteral("Set_Paths"), e);
    }
}

void Save_Folder_Values(Program &program) {
    const QString root = program.settings().registryRoot;
    const QString key = program.registryKey();
    const std::pair<const char *, QString> values[] = {
        {"ProgramDir", program.folders.programFolder},
        {"InstalledSubjectsDir", program.folders.installedSubjectsFolder},
        {"VirtualSubjectsDir", program.folders.virtualSubjectsFolder},
    };
    for (const auto &[name, folder] : values) {
        const QString stored = modRegistry::Get_String_Value(root, key, QLatin1String(name));
        if (stored.toUpper() != folder.toUpper())
            modRegistry::Save_String_Value(root, key, QLatin1String(name), folder);
    }
}

} // namespace folders
