#include "frame/identity.h"

#include <QStringList>

namespace {
struct Row {
    const char *code;
    const char *title;
    const char *learner;
    const char *target;
    const char *shortCode;
    int logo;
};

// The eight language builds.
const Row kIdentities[] = {
    {"tvxspa", "Tolvanex Spanish", "English", "Spanish", "spa", 1},
    {"tvxfre", "Tolvanex French", "English", "French", "fre", 2},
    {"tvxger", "Tolvanex German", "English", "German", "ger", 3},
    {"tvxita", "Tolvanex Italian", "English", "Italian", "ita", 4},
    {"tvxeng", "Tolvanex Inglés", "Spanish", "English", "eng", 5},
    {"tvxfra", "Tolvanex Francés", "Spanish", "French", "fra", 6},
    {"tvxale", "Tolvanex Alemán", "Spanish", "German", "ale", 7},
    {"tvxito", "Tolvanex Italiano", "Spanish", "Italian", "ito", 8},
};
} // namespace

Identity Identity::ForCode(const QString &languageCode) {
    Identity identity;
    identity.languageCode = languageCode;
    for (const Row &row : kIdentities) {
        if (languageCode == QLatin1String(row.code)) {
            identity.productTitle = QString::fromUtf8(row.title);
            identity.learnerLanguage = QString::fromUtf8(row.learner);
            identity.targetLanguage = QString::fromUtf8(row.target);
            identity.shortCode = QString::fromUtf8(row.shortCode);
            identity.logoIndex = row.logo;
        }
    }
    return identity;
}

QStringList Identity::AllCodes() {
    QStringList codes;
    for (const Row &row : kIdentities)
        codes << QLatin1String(row.code);
    return codes;
}

QString BuildLanguageCode() {
    return QStringLiteral(TVX_LANGUAGE_CODE);
}
