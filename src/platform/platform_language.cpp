#include "platform/platform_language.h"

#include <QCoreApplication>
#include <QTranslator>

#include <memory>

namespace platformLanguage {

namespace {

// Built from translations/tolvanex_es.ts by lrelease.
const char *const kSpanishTexts = ":/i18n/tolvanex_es.qm";

// One translator for the whole application: translations hang on the
// application object, not on a Program.
std::unique_ptr<QTranslator> &installed() {
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

} // namespace

void Use_Learner_Language(const QString &learnerLanguage) {
    std::unique_ptr<QTranslator> &translator = installed();
    const bool spanish =
        learnerLanguage.compare(QLatin1String("Spanish"), Qt::CaseInsensitive) == 0;
    if (spanish == (translator != nullptr))
        return;
    if (translator) {
        QCoreApplication::removeTranslator(translator.get());
        translator.reset();
    }
    if (!spanish || !QCoreApplication::instance())
        return;
    auto spanishTexts = std::make_unique<QTranslator>();
    if (spanishTexts->load(QString::fromLatin1(kSpanishTexts)) &&
        QCoreApplication::installTranslator(spanishTexts.get()))
        translator = std::move(spanishTexts);
}

} // namespace platformLanguage
