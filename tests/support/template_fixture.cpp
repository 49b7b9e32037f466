#include "support/template_fixture.h"

#include "frame/captions.h"
#include "support/test_env.h"
#include "template_builder.h"

#include <QDir>

namespace {
void writeTsv(const QString &path, const QString &header, const QStringList &rows) {
    writeFile(path, (QStringList{header} + rows).join(QLatin1Char('\n')).toUtf8() + "\n");
}
} // namespace

TemplateTexts TemplateTexts::Numbered() {
    TemplateTexts texts;
    for (int n = 1; n <= caption::Last; ++n) {
        QString english = QStringLiteral("E%1").arg(n);
        QString spanish = QStringLiteral("S%1").arg(n);
        if (n == 10) {
            english = QStringLiteral("Subjects");
            spanish = QStringLiteral("Temas");
        } else if (n == 11) {
            english = QStringLiteral("Virtual Subjects");
            spanish = QStringLiteral("Temas Virtuales");
        } else if (n == 94) {
            english = spanish = QStringLiteral("https://site.example/");
        } else if (n == 95) {
            english = spanish = QStringLiteral("offline.htm");
        }
        texts.captions << english + QLatin1Char('\t') + spanish;
    }
    return texts;
}

void writeTemplate(const QString &folder, const TemplateTexts &texts) {
    const QString source = folder + QStringLiteral("template-source/");
    QDir().mkpath(source);
    QStringList captionRows;
    for (int i = 0; i < texts.captions.size(); ++i)
        captionRows << QString::number(i + 1) + QLatin1Char('\t') + texts.captions[i];
    writeTsv(source + QStringLiteral("captions.tsv"), QStringLiteral("number\tEnglish\tSpanish"),
             captionRows);
    writeTsv(source + QStringLiteral("messages.tsv"),
             QStringLiteral("English\tSpanish\tlink\tbL1\tbL2"), texts.messages);
    writeTsv(source + QStringLiteral("tips.tsv"),
             QStringLiteral("tvxspa\ttvxfre\ttvxger\ttvxita\ttvxeng\ttvxfra\ttvxale\ttvxito"),
             texts.tips);
    writeTsv(source + QStringLiteral("menu.tsv"),
             QStringLiteral("English\tSpanish\tlink\tbL1\tbL2"), texts.menu);
    templateBuilder::BuildTemplate(source, folder + QStringLiteral("Tolvanex.tpl"));
    QDir(source).removeRecursively();
}
