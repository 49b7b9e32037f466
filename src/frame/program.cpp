#include "frame/program.h"

#include "frame/mod_main.h"
#include "platform/platform_language.h"
#include "platform/private_folder.h"
#include "platform/registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <stdexcept>

Program::Program(Host &host, ProgramSettings settings)
    : handleTag(QString::number(QCoreApplication::applicationPid())), m_host(host),
      m_settings(std::move(settings)) {}

Program::~Program() {
    privateFolder::Remove(m_temporaryFolder);
}

void Program::End(int code) {
    if (ended)
        return;
    ended = true;
    exitCode = code;
    if (atEnd)
        atEnd();
    // Nothing of the session stays behind, whatever a window left there.
    privateFolder::Remove(m_temporaryFolder);
    m_temporaryFolder.clear();
    if (onEnd)
        onEnd(code);
}

QString Program::Temporary_Folder() const {
    if (!m_temporaryFolder.isEmpty() && privateFolder::IsPrivate(m_temporaryFolder))
        return m_temporaryFolder;
    // Gone (a cleaner of old temporary files took it) or no longer ours
    // alone: a new one is made, and the old name is never used again.
    m_temporaryFolder.clear();
    const QString parent = modMain::Get_Temp_Path();
    QString reason;
    QString folder;
    if (parent.isEmpty())
        reason = QString::fromLocal8Bit(std::strerror(ENOENT));
    else
        folder = privateFolder::Make(parent, QStringLiteral("~tvx-"), &reason);
    if (folder.isEmpty()) {
        const QString shown =
            QDir::toNativeSeparators(parent.isEmpty() ? modMain::Get_System_Temp_Name() : parent);
        reason = platformLanguage::System_Reason(reason);
        QString text = modMain::Safe_Caption(*this, caption::TemporaryFolderUnusable);
        text = text.isEmpty() ? shown + QStringLiteral(": ") + reason : text.arg(shown, reason);
        throw std::runtime_error(text.toStdString());
    }
    m_temporaryFolder = folder;
    return folder;
}

QString Program::Existing_Temporary_Folder() const {
    if (!m_temporaryFolder.isEmpty() && privateFolder::IsPrivate(m_temporaryFolder))
        return m_temporaryFolder;
    return QString();
}

void Program::Remove_Temporary_File(const QString &name) const {
    const QString folder = Existing_Temporary_Folder();
    if (!folder.isEmpty())
        QFile::remove(folder + name);
}

QString Program::Setting(const QString &name, const QString &defaultValue) const {
    return modRegistry::Get_String_Value(m_settings.registryRoot, registryKey(), name,
                                         defaultValue);
}

void Program::Save_Setting(const QString &name, const QString &value) const {
    modRegistry::Save_String_Value(m_settings.registryRoot, registryKey(), name, value);
}
