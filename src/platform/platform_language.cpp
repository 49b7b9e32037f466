#include "platform/platform_language.h"

#include <QCoreApplication>
#include <QFileDevice>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace platformLanguage {

namespace {

// Built from translations/tolvanex_es.ts by lrelease.
const char *const kSpanishTexts = ":/i18n/tolvanex_es.qm";
// Qt's own texts, from the translations that come with Qt.
const char *const kQtSpanishTexts = "qtbase_es";

// The translators for the whole application: translations hang on the
// application object, not on a Program.
std::unique_ptr<QTranslator> &installed() {
    static std::unique_ptr<QTranslator> translator;
    return translator;
}
std::unique_ptr<QTranslator> &installedQt() {
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

void remove(std::unique_ptr<QTranslator> &translator) {
    if (!translator)
        return;
    QCoreApplication::removeTranslator(translator.get());
    translator.reset();
}

std::unique_ptr<QTranslator> load(const QString &file, const QString &folder = QString()) {
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(file, folder) && QCoreApplication::installTranslator(translator.get()))
        return translator;
    return nullptr;
}

// The reasons the C library gives (in English) for the failures a learner
// may meet with files and programs, collected here for the translations.
// Qt words the first four itself once its own translations are loaded;
// ours stand in where those are not installed.
[[maybe_unused]] const char *const kSystemReasons[] = {
    QT_TRANSLATE_NOOP("systemReason", "Permission denied"),
    QT_TRANSLATE_NOOP("systemReason", "No such file or directory"),
    QT_TRANSLATE_NOOP("systemReason", "No space left on device"),
    QT_TRANSLATE_NOOP("systemReason", "Too many open files"),
    QT_TRANSLATE_NOOP("systemReason", "Read-only file system"),
    QT_TRANSLATE_NOOP("systemReason", "Is a directory"),
    QT_TRANSLATE_NOOP("systemReason", "Not a directory"),
    QT_TRANSLATE_NOOP("systemReason", "File exists"),
    QT_TRANSLATE_NOOP("systemReason", "Directory not empty"),
    QT_TRANSLATE_NOOP("systemReason", "Disk quota exceeded"),
    QT_TRANSLATE_NOOP("systemReason", "Input/output error"),
    QT_TRANSLATE_NOOP("systemReason", "File name too long"),
    QT_TRANSLATE_NOOP("systemReason", "File too large"),
    QT_TRANSLATE_NOOP("systemReason", "Device or resource busy"),
    QT_TRANSLATE_NOOP("systemReason", "Text file busy"),
    QT_TRANSLATE_NOOP("systemReason", "Operation not permitted"),
    QT_TRANSLATE_NOOP("systemReason", "Invalid argument"),
    QT_TRANSLATE_NOOP("systemReason", "Invalid cross-device link"),
    QT_TRANSLATE_NOOP("systemReason", "Too many levels of symbolic links"),
    QT_TRANSLATE_NOOP("systemReason", "No such device"),
    QT_TRANSLATE_NOOP("systemReason", "No such device or address"),
    QT_TRANSLATE_NOOP("systemReason", "Cannot allocate memory"),
    QT_TRANSLATE_NOOP("systemReason", "Resource temporarily unavailable"),
    QT_TRANSLATE_NOOP("systemReason", "Stale file handle"),
};

} // namespace

void Use_Learner_Language(const QString &learnerLanguage) {
    std::unique_ptr<QTranslator> &translator = installed();
    const bool spanish =
        learnerLanguage.compare(QLatin1String("Spanish"), Qt::CaseInsensitive) == 0;
    if (spanish == (translator != nullptr))
        return;
    remove(translator);
    remove(installedQt());
    if (!spanish || !QCoreApplication::instance())
        return;
    translator = load(QString::fromLatin1(kSpanishTexts));
    installedQt() = load(QString::fromLatin1(kQtSpanishTexts),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

QString System_Reason(const QString &reason) {
    const QString trimmed = reason.trimmed();
    const QByteArray source = trimmed.toUtf8();
    const QString ours = QCoreApplication::translate("systemReason", source.constData());
    if (ours != trimmed)
        return ours;
    // Qt's own reasons it did not translate when it gave them.
    return QCoreApplication::translate("QIODevice", source.constData());
}

QString System_Reason(const QFileDevice &file) {
    return System_Reason(file.errorString());
}

QString File_Not_Read(const QString &path, const QString &reason) {
    return QCoreApplication::translate("systemReason", "The file %1 cannot be read: %2")
        .arg(path, System_Reason(reason));
}

QLocale Learner_Locale(const QString &learnerLanguage, const QLocale &system) {
    QLocale::Language language;
    QLocale::Territory home;
    if (learnerLanguage.compare(QLatin1String("Spanish"), Qt::CaseInsensitive) == 0) {
        language = QLocale::Spanish;
        home = QLocale::Spain;
    } else if (learnerLanguage.compare(QLatin1String("English"), Qt::CaseInsensitive) == 0) {
        language = QLocale::English;
        home = QLocale::UnitedStates;
    } else {
        return system;
    }
    if (system.language() == language)
        return system;
    return QLocale(language, home);
}

} // namespace platformLanguage
