#include "platform/registry.h"

#include <QFile>
#include <QSettings>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>

namespace {

const QLatin1String kCurrentUser("HKEY_CURRENT_USER");

bool isCurrentUser(const QString &root) {
    return root.compare(kCurrentUser, Qt::CaseInsensitive) == 0;
}

// Key paths are written with backslashes; either separator is accepted and
// empty parts (doubled or trailing separators) are dropped.
QStringList keyParts(const QString &subkey) {
    QString path = subkey;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

#ifdef Q_OS_WIN

// The registry itself: the subkey is a real key below HKEY_CURRENT_USER, and
// the registry already ignores the case of key and value names.
std::unique_ptr<QSettings> openKey(const QStringList &parts) {
    return std::make_unique<QSettings>(QLatin1String("HKEY_CURRENT_USER\\") +
                                           parts.join(QLatin1Char('\\')),
                                       QSettings::NativeFormat);
}

QString resolveName(QSettings &, const QString &name) {
    return name;
}

#else

// One settings file for the organisation; a registry key becomes a group
// path in it. Registry names ignore case, INI names do not, so an existing
// group or value spelled in another case is found and reused.
QString matchCase(const QStringList &existing, const QString &wanted) {
    for (const QString &candidate : existing) {
        if (candidate.compare(wanted, Qt::CaseInsensitive) == 0)
            return candidate;
    }
    return wanted;
}

std::unique_ptr<QSettings> openKey(const QStringList &parts) {
    auto settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                QStringLiteral("Tolvanex"));
    for (const QString &part : parts)
        settings->beginGroup(matchCase(settings->childGroups(), part));
    return settings;
}

QString resolveName(QSettings &settings, const QString &name) {
    return matchCase(settings.childKeys(), name);
}

#endif

} // namespace

namespace modRegistry {

QString Get_String_Value(const QString &root, const QString &subkey, const QString &name,
                         const QString &defaultValue) {
    const QStringList parts = keyParts(subkey);
    if (!isCurrentUser(root) || parts.isEmpty() || name.isEmpty())
        return defaultValue;
    const auto settings = openKey(parts);
    const QString key = resolveName(*settings, name);
    if (!settings->contains(key))
        return defaultValue;
    const QVariant value = settings->value(key);
    // Numbers, lists and binary data written by other programs are not ours.
    if (value.typeId() != QMetaType::QString)
        return defaultValue;
    QString text = value.toString();
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    if (nul >= 0)
        text.truncate(nul);
    return text;
}

void Save_String_Value(const QString &root, const QString &subkey, const QString &name,
                       const QString &value) {
    const QStringList parts = keyParts(subkey);
    if (!isCurrentUser(root) || parts.isEmpty() || name.isEmpty())
        return;
    const auto settings = openKey(parts);
    settings->setValue(resolveName(*settings, name), value);
    settings->sync();
}

void Keep_Private() {
#ifndef Q_OS_WIN
    // The registry is the user's own already; the settings file is made
    // readable by others by default.
    const auto settings = openKey({});
    settings->sync();
    QFile::setPermissions(settings->fileName(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
#endif
}

} // namespace modRegistry
