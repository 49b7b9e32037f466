#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

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
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       root() + QStringLiteral("config"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       root() + QStringLiteral("config"));
}

TestEnv::~TestEnv() {
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
