// Small template databases for tests, written from TSV texts given inline, so
// a test states exactly the texts it depends on.
#pragma once

#include <QString>
#include <QStringList>

struct TemplateTexts {
    // One entry per caption number from 1: "English\tSpanish".
    QStringList captions;
    QStringList messages{QStringLiteral("News one\tNoticia uno\tnews.htm\t1\t0"),
                         QStringLiteral("News two\tNoticia dos\t\t1\t1")};
    QStringList tips{QStringLiteral("a\tb\tc\td\te\tf\tg\th")};
    QStringList menu{QStringLiteral("Home\tInicio\tindex.htm\t1\t1")};

    // Every caption the program reads, "E<n>" / "S<n>", with the folder names used by the program.
    static TemplateTexts Numbered();
};

// Writes Tolvanex.tpl into folder (ending in "/") from the texts.
void writeTemplate(const QString &folder, const TemplateTexts &texts);
