// tvx-template: writes the text database and assembles a program folder.
//   tvx-template --code <language code> --content <content/template> --out <program folder>
#include "template_builder.h"

#include "frame/identity.h"
#include "platform/ado.h"
#include "subject_data/subject_schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int contentAt = args.indexOf(QStringLiteral("--content"));
    const int outAt = args.indexOf(QStringLiteral("--out"));
    const int codeAt = args.indexOf(QStringLiteral("--code"));
    if (contentAt < 0 || outAt < 0 || codeAt < 0 || contentAt + 1 >= args.size() ||
        outAt + 1 >= args.size() || codeAt + 1 >= args.size()) {
        std::fprintf(stderr, "usage: tvx-template --code <language code> --content <folder> --out "
                             "<program folder>\n");
        return 2;
    }
    const Identity identity = Identity::ForCode(args[codeAt + 1]);
    if (identity.learnerLanguage.isEmpty()) {
        std::fprintf(stderr, "tvx-template: unknown language code %s\n",
                     qPrintable(args[codeAt + 1]));
        return 2;
    }
    const QString content = args[contentAt + 1];
    const QString out = QDir(args[outAt + 1]).absolutePath() + QLatin1Char('/');
    try {
        QDir().mkpath(out);
        templateBuilder::BuildTemplate(content, out + QStringLiteral("Tolvanex.tpl"));
        QFile::remove(out + QStringLiteral("custom.tpl"));
        subjects::CreateVirtualFolderFile(out + QStringLiteral("custom.tpl"));
        QDir().mkpath(out + QStringLiteral("Activities"));
        const QString language = identity.learnerLanguage;
        QDir().mkpath(out + templateBuilder::CaptionText(content, 10, language));
        QDir().mkpath(out + templateBuilder::CaptionText(content, 11, language));
        const QString offline = out + templateBuilder::CaptionText(content, 95, language);
        QFile::remove(offline);
        if (!QFile::copy(content + QStringLiteral("/offline.htm"), offline))
            throw std::runtime_error("cannot copy offline.htm");
    } catch (const ado::Error &e) {
        std::fprintf(stderr, "tvx-template: %s\n", qPrintable(e.description()));
        return 1;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "tvx-template: %s\n", e.what());
        return 1;
    }
    return 0;
}
