// Which of the eight language builds this is, and what follows from it.
#pragma once

#include <QString>

struct Identity {
    QString languageCode;    // "tvx" + short code, e.g. "tvxito"
    QString productTitle;    // "Tolvanex Italiano"
    QString learnerLanguage; // "English" or "Spanish": the text-table column
    QString targetLanguage;  // "Italian"
    QString shortCode;       // "ito": the subject file extension
    int logoIndex = 0;       // 1..8, 0 when the code is unknown

    // Looks the code up (exactly, case-sensitive). An unknown code leaves
    // every field but the code empty and the logo index 0.
    static Identity ForCode(const QString &languageCode);
    // All eight codes in table order.
    static QStringList AllCodes();
};

// The language code compiled into this build.
QString BuildLanguageCode();
