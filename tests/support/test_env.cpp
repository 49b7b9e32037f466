#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <cstdlib>
#include <stdexcept>

TestEnv::TestEnv() {
    if (!m_dir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    QDir().mkpath(programFolder());
    QDir().mkpath(appDataFolder());
    QDir().mkpath(tempFolder());
    QDir().mkpath(root() + QStringLiteral("config"));
    m_oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(tempFolder()));
    // Files moved to the trash land in this test's own home.
    QDir().mkpath(homeFolder() + QStringLiteral(".local/share"));
    m_oldHome = qgetenv("HOME");
    m_oldDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("HOME", QFile::encodeName(homeFolder()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(homeFolder() + QStringLiteral(".local/share")));
    // Qt's trash needs its data folder to exist (in test mode one below HOME).
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       root() + QStringLiteral("config"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       root() + QStringLiteral("config"));
}

namespace {
void restore(const char *name, const QByteArray &old) {
    if (old.isNull())
        qunsetenv(name);
    else
        qputenv(name, old);
}
} // namespace

TestEnv::~TestEnv() {
    restore("HOME", m_oldHome);
    restore("XDG_DATA_HOME", m_oldDataHome);
    if (m_oldTmp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", m_oldTmp);
}

ProgramSettings TestEnv::settings() const {
    ProgramSettings s;
    s.appPathOverride = programFolder();
    s.appDataOverride = appDataFolder();
    return s;
}

QString TestEnv::trashFilesFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Trash/files/");
}

QString TestEnv::builtProgramFolder() {
    return QStringLiteral(TVX_BINARY_DIR "/" TVX_LANGUAGE_CODE "/");
}

void TestEnv::installTemplate() const {
    for (const char *name : {"Tolvanex.tpl", "custom.tpl"}) {
        const QString source = builtProgramFolder() + QLatin1String(name);
        const QString target = programFolder() + QLatin1String(name);
        QFile::remove(target);
        if (!QFile::copy(source, target))
            throw std::runtime_error(("cannot copy " + source).toStdString());
        QFile(target).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error(("cannot write " + path).toStdString());
    file.write(bytes);
}
