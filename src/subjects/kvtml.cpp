#include "subjects/kvtml.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QUrl>
#include <QXmlStreamReader>

namespace subjects {

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("wordList", text);
}

// Sounds lie beside the file, or wherever an absolute path or file URL says.
class FolderMedia : public WordListMedia {
public:
    explicit FolderMedia(QString folder) : m_folder(std::move(folder)) {}
    QByteArray read(const QString &name, QString *error) const override {
        QString path = name;
        const QUrl url(name);
        if (url.isLocalFile())
            path = url.toLocalFile();
        QFile file(QDir(m_folder).filePath(path));
        if (!file.open(QIODevice::ReadOnly)) {
            if (error)
                *error = file.errorString();
            return {};
        }
        return file.readAll();
    }

private:
    QString m_folder;
};

// The English name of a language by its locale ("it", "es_ES"), as the
// builds name it, so the columns are found as a CSV header's are.
QString localeLanguage(const QString &locale) {
    static const QHash<QString, QString> languages = {
        {QStringLiteral("en"), QStringLiteral("English")},
        {QStringLiteral("es"), QStringLiteral("Spanish")},
        {QStringLiteral("fr"), QStringLiteral("French")},
        {QStringLiteral("de"), QStringLiteral("German")},
        {QStringLiteral("it"), QStringLiteral("Italian")}};
    return languages.value(locale.left(2).toLower());
}

struct Translation {
    QString text;
    QString sound;
};

} // namespace

bool IsKvtml(const QByteArray &bytes) {
    QXmlStreamReader xml(bytes.left(4096));
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement)
            return xml.name() == QLatin1String("kvtml");
    }
    return false;
}

WordList ParseKvtml(const QByteArray &bytes, const QString &folder,
                    const WordListOptions &options) {
    QXmlStreamReader xml(bytes);
    QMap<int, QString> identifiers; // id -> column name
    QVector<QHash<int, Translation>> entries;
    QHash<QString, int> entryIndex; // entry id -> its place
    QHash<int, QString> lessonOf;
    QStringList lessons;
    QString version;
    QStringList containers; // the lesson names enclosing the element read
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == QLatin1String("container"))
            containers.removeLast();
        if (!xml.isStartElement())
            continue;
        const auto name = xml.name();
        if (name == QLatin1String("kvtml")) {
            version = xml.attributes().value(QLatin1String("version")).toString();
        } else if (name == QLatin1String("identifier")) {
            const int id = xml.attributes().value(QLatin1String("id")).toInt();
            QString idName, locale;
            while (xml.readNextStartElement()) {
                if (xml.name() == QLatin1String("name"))
                    idName = xml.readElementText().trimmed();
                else if (xml.name() == QLatin1String("locale"))
                    locale = xml.readElementText().trimmed();
                else
                    xml.skipCurrentElement();
            }
            const QString language = localeLanguage(locale);
            identifiers.insert(id, language.isEmpty() ? idName : language);
        } else if (name == QLatin1String("entry") && containers.isEmpty()) {
            const QString id = xml.attributes().value(QLatin1String("id")).toString();
            QHash<int, Translation> entry;
            while (xml.readNextStartElement()) {
                if (xml.name() != QLatin1String("translation")) {
                    xml.skipCurrentElement();
                    continue;
                }
                const int language = xml.attributes().value(QLatin1String("id")).toInt();
                Translation t;
                while (xml.readNextStartElement()) {
                    if (xml.name() == QLatin1String("text"))
                        t.text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                    else if (xml.name() == QLatin1String("sound"))
                        t.sound = xml.readElementText().trimmed();
                    else
                        xml.skipCurrentElement();
                }
                entry.insert(language, t);
            }
            entryIndex.insert(id, int(entries.size()));
            entries << entry;
        } else if (name == QLatin1String("container")) {
            QString lesson;
            // The container's name comes before its entries.
            containers << QString();
            xml.readNextStartElement();
            if (xml.name() == QLatin1String("name")) {
                lesson = xml.readElementText().trimmed();
                containers.last() = lesson;
            } else if (xml.isStartElement()) {
                xml.skipCurrentElement();
            }
        } else if (name == QLatin1String("entry") && !containers.isEmpty()) {
            const int index =
                entryIndex.value(xml.attributes().value(QLatin1String("id")).toString(), -1);
            const QString lesson = containers.join(QStringLiteral("::"));
            if (index >= 0 && !lessonOf.contains(index) && !lesson.isEmpty()) {
                lessonOf.insert(index, lesson);
                if (!lessons.contains(lesson))
                    lessons << lesson;
            }
            xml.skipCurrentElement();
        }
    }
    WordList list;
    list.unit = RowUnit::Entry;
    if (xml.hasError() || !version.startsWith(QLatin1Char('2'))) {
        list.problems << WordListProblem{
            0, WordListProblemKind::Unreadable,
            xml.hasError() ? tr("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString())
                           : tr("this is no vocabulary file of version 2"),
            0};
        return list;
    }

    WordTable table;
    table.unit = RowUnit::Entry;
    table.html = 0;
    table.decks = lessons;
    const QList<int> ids = identifiers.keys();
    for (const int id : ids)
        table.header << identifiers.value(id);
    for (int i = 0; i < entries.size(); ++i) {
        WordTable::Entry entry;
        entry.line = i + 1;
        entry.deck = lessonOf.value(i);
        for (const int id : ids) {
            entry.fields << entries[i].value(id).text;
            entry.sounds << entries[i].value(id).sound;
        }
        table.entries << entry;
    }
    list = WordListFromTable(table, options);
    list.encoding = QStringLiteral("UTF-8");
    list.media = std::make_shared<FolderMedia>(folder);
    return list;
}

WordList ReadKvtml(const QString &path, const WordListOptions &options) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        WordList list;
        list.unit = RowUnit::Entry;
        list.problems << WordListProblem{0, WordListProblemKind::Unreadable, file.errorString(), 0};
        return list;
    }
    return ParseKvtml(file.readAll(), QFileInfo(path).absolutePath(), options);
}

} // namespace subjects
