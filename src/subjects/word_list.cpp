#include "subjects/word_list.h"

#include "html_entities.h"
#include "platform/ado.h"
#include "platform/text_decoding.h"
#include "subject_data/subject_schema.h"
#include "subjects/deck_package.h"
#include "subjects/kvtml.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <iterator>

namespace subjects {

namespace {

// Spreadsheets save "Unicode text" as UTF-16, with or without a byte order
// mark; without one, the zero high bytes of Latin letters give it away.
QString decode(QByteArray bytes, QString &encoding) {
    std::optional<QStringConverter::Encoding> utf16;
    if (bytes.startsWith("\xFF\xFE")) {
        utf16 = QStringConverter::Utf16LE;
        bytes.remove(0, 2);
    } else if (bytes.startsWith("\xFE\xFF")) {
        utf16 = QStringConverter::Utf16BE;
        bytes.remove(0, 2);
    } else if (bytes.size() >= 4) {
        const qsizetype pairs = std::min<qsizetype>(bytes.size() / 2, 2048);
        qsizetype evenZeros = 0, oddZeros = 0;
        for (qsizetype i = 0; i < pairs; ++i) {
            evenZeros += bytes[2 * i] == '\0';
            oddZeros += bytes[2 * i + 1] == '\0';
        }
        if (oddZeros * 2 > pairs && evenZeros * 10 < pairs)
            utf16 = QStringConverter::Utf16LE;
        else if (evenZeros * 2 > pairs && oddZeros * 10 < pairs)
            utf16 = QStringConverter::Utf16BE;
    }
    if (utf16) {
        encoding = *utf16 == QStringConverter::Utf16LE ? QStringLiteral("UTF-16LE")
                                                       : QStringLiteral("UTF-16BE");
        QStringDecoder decoder(*utf16);
        return decoder.decode(bytes);
    }
    return textDecoding::DecodeText(bytes, &encoding);
}

// Normalises a header cell for comparison: letter case, accents, blanks and
// punctuation do not matter ("Traducción 2" == "traduccion2").
QString headerKey(const QString &cell) {
    QString key;
    for (const QChar c : cell.normalized(QString::NormalizationForm_D).toLower())
        if (c.isLetterOrNumber() && c.category() != QChar::Mark_NonSpacing)
            key += c;
    return key;
}

int headerRole(const QString &cell) {
    static const QStringList phrase = {
        QStringLiteral("phrase"),     QStringLiteral("word"),       QStringLiteral("front"),
        QStringLiteral("term"),       QStringLiteral("question"),   QStringLiteral("text"),
        QStringLiteral("expression"), QStringLiteral("vocabulary"), QStringLiteral("frase"),
        QStringLiteral("palabra"),    QStringLiteral("termino"),    QStringLiteral("pregunta"),
        QStringLiteral("texto"),      QStringLiteral("anverso"),    QStringLiteral("expresion"),
        QStringLiteral("vocabulario")};
    static const QStringList translation = {
        QStringLiteral("translation"), QStringLiteral("meaning"),    QStringLiteral("back"),
        QStringLiteral("answer"),      QStringLiteral("definition"), QStringLiteral("traduccion"),
        QStringLiteral("significado"), QStringLiteral("respuesta"),  QStringLiteral("reverso"),
        QStringLiteral("definicion")};
    static const QStringList translation2 = {
        QStringLiteral("translation2"), QStringLiteral("secondtranslation"),
        QStringLiteral("notes"),        QStringLiteral("note"),
        QStringLiteral("example"),      QStringLiteral("extra"),
        QStringLiteral("traduccion2"),  QStringLiteral("segundatraduccion"),
        QStringLiteral("notas"),        QStringLiteral("nota"),
        QStringLiteral("ejemplo")};
    const QString key = headerKey(cell);
    if (phrase.contains(key))
        return 0;
    if (translation.contains(key))
        return 1;
    if (translation2.contains(key))
        return 2;
    return -1;
}

// The language a header cell names, in English as the builds name them:
// "Italiano", "italian", "Español" -> "Italian", "Spanish". Empty if none.
QString headerLanguage(const QString &cell) {
    static const QHash<QString, QString> names = {
        {QStringLiteral("english"), QStringLiteral("English")},
        {QStringLiteral("ingles"), QStringLiteral("English")},
        {QStringLiteral("spanish"), QStringLiteral("Spanish")},
        {QStringLiteral("espanol"), QStringLiteral("Spanish")},
        {QStringLiteral("castellano"), QStringLiteral("Spanish")},
        {QStringLiteral("french"), QStringLiteral("French")},
        {QStringLiteral("frances"), QStringLiteral("French")},
        {QStringLiteral("francais"), QStringLiteral("French")},
        {QStringLiteral("german"), QStringLiteral("German")},
        {QStringLiteral("aleman"), QStringLiteral("German")},
        {QStringLiteral("deutsch"), QStringLiteral("German")},
        {QStringLiteral("italian"), QStringLiteral("Italian")},
        {QStringLiteral("italiano"), QStringLiteral("Italian")}};
    return names.value(headerKey(cell));
}

// Columns by role (phrase, translation, translation2) from their names;
// -1 where no name says. True when the names are a header at all.
bool namedColumns(const QStringList &cells, const WordListOptions &options, int named[3]) {
    bool header = false;
    for (int c = 0; c < cells.size(); ++c) {
        int role = headerRole(cells[c]);
        const QString language = headerLanguage(cells[c]);
        if (!language.isEmpty()) {
            header = true;
            if (language == options.targetLanguage)
                role = 0;
            else if (language == options.learnerLanguage)
                role = named[1] < 0 ? 1 : 2;
        }
        if (role == 0)
            header = true;
        if (role >= 0 && named[role] < 0)
            named[role] = c;
    }
    const QString *byName[3] = {&options.phraseColumnName, &options.translationColumnName,
                                &options.translation2ColumnName};
    for (int r = 0; r < 3; ++r) {
        if (byName[r]->isEmpty())
            continue;
        for (int c = 0; c < cells.size(); ++c)
            if (headerKey(cells[c]) == headerKey(*byName[r])) {
                named[r] = c;
                header = true;
            }
    }
    return header;
}

QChar separatorNamed(const QString &name) {
    const QString n = name.trimmed().toLower();
    if (n == QLatin1String("tab") || n == QLatin1String("\\t"))
        return QLatin1Char('\t');
    if (n == QLatin1String("comma"))
        return QLatin1Char(',');
    if (n == QLatin1String("semicolon"))
        return QLatin1Char(';');
    if (n == QLatin1String("pipe"))
        return QLatin1Char('|');
    if (n.size() == 1)
        return n[0];
    return {};
}

// The separator the first data line uses most, outside quotes; tabs and
// semicolons win ties because commas also occur inside texts.
QChar detectSeparator(const QString &text) {
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        int tabs = 0, semicolons = 0, commas = 0;
        bool quoted = false;
        for (const QChar c : line) {
            if (c == QLatin1Char('"'))
                quoted = !quoted;
            else if (!quoted && c == QLatin1Char('\t'))
                ++tabs;
            else if (!quoted && c == QLatin1Char(';'))
                ++semicolons;
            else if (!quoted && c == QLatin1Char(','))
                ++commas;
        }
        if (tabs > 0 && tabs >= semicolons && tabs >= commas)
            return QLatin1Char('\t');
        if (semicolons > 0 && semicolons >= commas)
            return QLatin1Char(';');
        if (commas > 0)
            return QLatin1Char(',');
        break;
    }
    return QLatin1Char('\t');
}

struct Record {
    int line = 0;
    QStringList fields;
};

QString clean(QString text, bool html) {
    if (html)
        text = HtmlToPlainText(text);
    else
        text.replace(QChar(0xA0), QLatin1Char(' '));
    static const QRegularExpression blanks(QStringLiteral("[ \\t]+"));
    text.replace(blanks, QStringLiteral(" "));
    return text.trimmed();
}

} // namespace

namespace {

// The characters of an HTML5 named reference (case matters: "&Eacute;" is
// not "&eacute;"), or null for a name HTML does not know. Qt's HTML reader
// knows only HTML 4's names.
const char *namedEntity(const QString &name) {
    const QByteArray key = name.toLatin1();
    const auto *begin = std::begin(htmlEntities::kEntities);
    const auto *end = std::end(htmlEntities::kEntities);
    const auto *found =
        std::lower_bound(begin, end, key, [](const htmlEntities::Entity &e, const QByteArray &k) {
            return std::strcmp(e.name, k.constData()) < 0;
        });
    return found != end && key == found->name ? found->utf8 : nullptr;
}

} // namespace

QString HtmlToPlainText(const QString &html) {
    static const QRegularExpression sound(QStringLiteral("\\[sound:[^\\]]*\\]"));
    static const QRegularExpression breaks(QStringLiteral("<\\s*(br|/?div|/?p|/?li)\\b[^>]*>"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tag(QStringLiteral("</?[A-Za-z][^>]*>"));
    static const QRegularExpression entity(
        QStringLiteral("&(#[0-9]+|#[xX][0-9A-Fa-f]+|[A-Za-z][A-Za-z0-9]*);"));
    QString text = html;
    text.remove(sound);
    // A flash card's visual line breaks become blanks: a subject's texts
    // are single lines.
    text.replace(breaks, QStringLiteral(" "));
    text.remove(tag);
    QString out;
    qsizetype last = 0;
    for (auto it = entity.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(text).mid(last, m.capturedStart() - last);
        const QString name = m.captured(1);
        bool ok = false;
        char32_t code = 0;
        if (name.startsWith(QLatin1String("#x")) || name.startsWith(QLatin1String("#X")))
            code = name.mid(2).toUInt(&ok, 16);
        else if (name.startsWith(QLatin1Char('#')))
            code = name.mid(1).toUInt(&ok, 10);
        if (ok && code > 0 && code <= 0x10FFFF) {
            out += QString::fromUcs4(&code, 1);
        } else if (const char *named = namedEntity(name)) {
            out += QString::fromUtf8(named);
        } else {
            // A name HTML does not know stays as written, as a browser shows it.
            out += m.captured(0);
        }
        last = m.capturedEnd();
    }
    out += QStringView(text).mid(last);
    out.replace(QChar(0xA0), QLatin1Char(' '));
    return out;
}

std::optional<FileKind> UnsupportedKind(const QByteArray &bytes) {
    if (bytes.startsWith("PK\x03\x04") || bytes.startsWith("PK\x05\x06")) {
        // The names of an Office file's parts stand uncompressed in the zip.
        if (bytes.contains("application/vnd.oasis.opendocument.spreadsheet"))
            return FileKind::OpenDocumentSheet;
        if (bytes.contains("xl/"))
            return FileKind::ExcelWorkbook;
        if (bytes.contains("word/"))
            return FileKind::WordDocument;
        return FileKind::Zip;
    }
    if (bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return FileKind::OfficeBinary;
    if (bytes.startsWith("%PDF"))
        return FileKind::Pdf;
    if (bytes.startsWith(QByteArray("SQLite format 3\0", 16)))
        return FileKind::Sqlite;
    QString encoding;
    const QString text = decode(bytes.left(4096), encoding);
    const QString start = text.trimmed().left(64).toLower();
    if (start.startsWith(QLatin1String("{\\rtf")))
        return FileKind::Rtf;
    if (start.startsWith(QLatin1String("<!doctype html")) ||
        start.startsWith(QLatin1String("<html")))
        return FileKind::Html;
    if (start.startsWith(QLatin1String("<?xml")) || start.startsWith(QLatin1String("<!doctype")) ||
        (start.startsWith(QLatin1Char('<')) && start.size() > 1 && start[1].isLetter()))
        return FileKind::Xml;
    // A stray control character is a row's problem; many are no text at all.
    qsizetype controls = 0;
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control && c != QLatin1Char('\t') &&
            c != QLatin1Char('\n') && c != QLatin1Char('\r') && c != QLatin1Char('\f'))
            ++controls;
    if (controls > 2 && controls * 50 > text.size())
        return FileKind::Binary;
    return std::nullopt;
}

QString FileKindName(FileKind kind) {
    switch (kind) {
    case FileKind::Xml:
        return QStringLiteral("an XML file");
    case FileKind::Html:
        return QStringLiteral("a web page (HTML)");
    case FileKind::Zip:
        return QStringLiteral("a zip archive");
    case FileKind::ExcelWorkbook:
        return QStringLiteral("an Excel workbook (.xlsx)");
    case FileKind::OpenDocumentSheet:
        return QStringLiteral("an OpenDocument spreadsheet (.ods)");
    case FileKind::WordDocument:
        return QStringLiteral("a Word document (.docx)");
    case FileKind::OfficeBinary:
        return QStringLiteral("an older Office file (.xls or .doc)");
    case FileKind::Pdf:
        return QStringLiteral("a PDF document");
    case FileKind::Sqlite:
        return QStringLiteral("an SQLite database");
    case FileKind::Rtf:
        return QStringLiteral("an RTF document");
    case FileKind::Binary:
        return QStringLiteral("a binary file");
    }
    return {};
}

QString SoundReference(const QString &field) {
    static const QRegularExpression sound(QStringLiteral("\\[sound:([^\\]]+)\\]"));
    const QRegularExpressionMatch m = sound.match(field);
    return m.hasMatch() ? m.captured(1).trimmed() : QString();
}

WordList ParseWordList(const QByteArray &bytes, const WordListOptions &options) {
    if (const std::optional<FileKind> kind = UnsupportedKind(bytes)) {
        WordList refused;
        refused.problems << WordListProblem{
            0, WordListProblemKind::UnsupportedFile, {}, int(*kind)};
        return refused;
    }
    QString encoding;
    QString text = decode(bytes, encoding);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));

    // Header lines of flash-card programs' plain-text exports come first.
    WordTable table;
    table.firstMayBeHeader = true;
    QChar separator;
    // Columns a flash-card export adds around the note's fields, from 0.
    int tagsColumn = -1, guidColumn = -1, deckColumn = -1, notetypeColumn = -1;
    // Spreadsheet programs may name the separator on a first line "sep=;";
    // it is kept as a comment so that line numbers stay those of the file.
    if (text.startsWith(QLatin1String("sep=")) &&
        (text.size() == 5 || text.indexOf(QLatin1Char('\n')) == 5)) {
        separator = text[4];
        text[0] = QLatin1Char('#');
    }
    int headerLines = 0;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1Char('#')))
            break;
        ++headerLines;
        const int colon = line.indexOf(QLatin1Char(':'));
        const QString name = line.mid(1, colon - 1).trimmed().toLower();
        const QString value = colon < 0 ? QString() : line.mid(colon + 1).trimmed();
        const int column = value.toInt() - 1;
        if (name == QLatin1String("separator"))
            separator = separatorNamed(value);
        else if (name == QLatin1String("html"))
            table.html = value.toLower() == QLatin1String("true") ? 1 : 0;
        else if (name == QLatin1String("tags column"))
            tagsColumn = column;
        else if (name == QLatin1String("guid column"))
            guidColumn = column;
        else if (name == QLatin1String("deck column"))
            deckColumn = column;
        else if (name == QLatin1String("notetype column"))
            notetypeColumn = column;
    }
    const QChar sep = separator.isNull() ? detectSeparator(text) : separator;

    // RFC 4180 records: quotes double inside quoted fields, which may hold
    // separators and line breaks. Only the header block's "#" lines are
    // directives or comments; a later one is a row the user should see left
    // out, not one that silently disappears.
    QVector<WordListProblem> problems;
    {
        int line = 1;
        WordTable::Entry record;
        QString field;
        bool quoted = false, atFieldStart = true, atRecordStart = true;
        const auto endRecord = [&] {
            record.fields << field;
            bool blank = true;
            for (const QString &f : std::as_const(record.fields))
                blank = blank && f.trimmed().isEmpty();
            if (!blank)
                table.entries << record;
            record = WordTable::Entry();
            field.clear();
            atFieldStart = atRecordStart = true;
        };
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            if (atRecordStart) {
                record.line = line;
                atRecordStart = false;
                if (c == QLatin1Char('#')) {
                    qsizetype end = text.indexOf(QLatin1Char('\n'), i);
                    if (line > headerLines)
                        problems << WordListProblem{line, WordListProblemKind::CommentRow,
                                                    text.mid(i, end < 0 ? -1 : end - i).trimmed(),
                                                    0};
                    if (end < 0)
                        break;
                    i = end;
                    ++line;
                    atRecordStart = true;
                    continue;
                }
            }
            if (quoted) {
                if (c == QLatin1Char('"')) {
                    if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                        field += c;
                        ++i;
                    } else {
                        quoted = false;
                    }
                } else {
                    if (c == QLatin1Char('\n'))
                        ++line;
                    field += c;
                }
                continue;
            }
            if (c == QLatin1Char('"') && atFieldStart) {
                quoted = true;
                atFieldStart = false;
            } else if (c == sep) {
                record.fields << field;
                field.clear();
                atFieldStart = true;
            } else if (c == QLatin1Char('\n')) {
                ++line;
                endRecord();
            } else {
                field += c;
                atFieldStart = false;
            }
        }
        if (quoted)
            problems << WordListProblem{record.line, WordListProblemKind::UnclosedQuote, {}, 0};
        else if (!atRecordStart)
            endRecord();
    }

    // The export's own columns are never texts: the deck chooses rows, the
    // others are dropped.
    const bool exportColumns =
        tagsColumn >= 0 || guidColumn >= 0 || deckColumn >= 0 || notetypeColumn >= 0;
    if (exportColumns) {
        table.firstMayBeHeader = false;
        for (WordTable::Entry &entry : table.entries) {
            if (deckColumn >= 0) {
                entry.deck = entry.fields.value(deckColumn).trimmed();
                if (!entry.deck.isEmpty() && !table.decks.contains(entry.deck))
                    table.decks << entry.deck;
            }
            QStringList fields;
            for (int c = 0; c < entry.fields.size(); ++c)
                if (c != tagsColumn && c != guidColumn && c != deckColumn && c != notetypeColumn)
                    fields << entry.fields[c];
            entry.fields = fields;
        }
    }
    WordList list = WordListFromTable(table, options, problems);
    list.encoding = encoding;
    list.separator = sep;
    // A text file brings no recordings: its "[sound:...]" names nothing here.
    for (WordListRow &row : list.rows)
        row.sound.clear();
    return list;
}

WordList WordListFromTable(const WordTable &source, const WordListOptions &options,
                           QVector<WordListProblem> problems) {
    WordList list;
    list.unit = source.unit;
    list.decks = source.decks;
    WordTable table = source;
    if (!options.deck.isEmpty()) {
        // A deck includes its subdecks ("Italiano::Cibo" of "Italiano").
        const auto inDeck = [&options](const QString &deck) {
            return deck.compare(options.deck, Qt::CaseInsensitive) == 0 ||
                   deck.startsWith(options.deck + QStringLiteral("::"), Qt::CaseInsensitive);
        };
        QVector<WordTable::Entry> chosen;
        for (const WordTable::Entry &entry : std::as_const(table.entries))
            if (inDeck(entry.deck))
                chosen << entry;
        table.entries = chosen;
        if (chosen.isEmpty()) {
            list.problems = problems;
            list.problems << WordListProblem{0, WordListProblemKind::NoSuchDeck, options.deck, 0};
            return list;
        }
    }

    // Columns: chosen by option, else by their names, else in order.
    int columns[3] = {0, 1, 2};
    QStringList names = table.header;
    if (names.isEmpty() && table.firstMayBeHeader && !table.entries.isEmpty())
        names = table.entries.first().fields;
    int named[3] = {-1, -1, -1};
    if (!names.isEmpty() && namedColumns(names, options, named)) {
        for (const QString &f : std::as_const(names))
            list.header << f.trimmed();
        if (table.header.isEmpty())
            table.entries.removeFirst();
        // A name not known for a role leaves the first column no other
        // role took to the phrase and the translation.
        for (int r = 0; r < 2; ++r)
            for (int c = 0; named[r] < 0 && c < names.size(); ++c)
                if (c != named[0] && c != named[1] && c != named[2])
                    named[r] = c;
        for (int r = 0; r < 3; ++r)
            columns[r] = named[r];
    }
    const int chosen[3] = {options.phraseColumn, options.translationColumn,
                           options.translation2Column};
    for (int r = 0; r < 3; ++r)
        if (chosen[r] > 0)
            columns[r] = chosen[r] - 1;
    list.phraseColumn = columns[0];
    list.translationColumn = columns[1];
    list.translation2Column = columns[2];

    QHash<QString, int> seen;
    int extra = 0, firstExtraLine = 0;
    QVector<WordListProblem> rowProblems;
    for (const WordTable::Entry &record : std::as_const(table.entries)) {
        const auto raw = [&](int column) {
            return column < 0 ? QString() : record.fields.value(column);
        };
        const auto cell = [&](int column) {
            const QString text = raw(column);
            const bool asHtml =
                table.html == 1 || (table.html < 0 && (text.contains(QLatin1Char('<')) ||
                                                       text.contains(QLatin1Char('&')) ||
                                                       text.contains(QLatin1String("[sound:"))));
            return clean(text, asHtml);
        };
        WordListRow row{record.line, cell(columns[0]), cell(columns[1]), cell(columns[2]),
                        columns[0] < 0 ? QString() : record.sounds.value(columns[0])};
        // The phrase's own recording, else one of the note's other fields.
        if (row.sound.isEmpty())
            row.sound = SoundReference(raw(columns[0]));
        for (int c = 0; row.sound.isEmpty() && c < record.fields.size(); ++c)
            row.sound = SoundReference(record.fields[c]);
        const int before = int(rowProblems.size());
        if (row.phrase.isEmpty())
            rowProblems << WordListProblem{row.line, WordListProblemKind::EmptyPhrase, {}, 0};
        for (const QString *t : {&row.phrase, &row.translation, &row.translation2}) {
            // Node tags separate their fields with "*", and the study file
            // gives every text a line of its own.
            if (t->contains(QLatin1Char('*')))
                rowProblems << WordListProblem{row.line, WordListProblemKind::Star, *t, 0};
            if (t->contains(QLatin1Char('\n')))
                rowProblems << WordListProblem{
                    row.line, WordListProblemKind::LineBreak,
                    QString(*t).replace(QLatin1Char('\n'), QLatin1Char(' ')), 0};
            bool control = false;
            for (const QChar c : *t)
                control =
                    control || (c.category() == QChar::Other_Control && c != QLatin1Char('\n'));
            if (control)
                rowProblems << WordListProblem{row.line, WordListProblemKind::ControlCharacter,
                                               ShownControls(*t), 0};
        }
        const QString key = row.phrase.toCaseFolded();
        if (!row.phrase.isEmpty() && seen.contains(key))
            rowProblems << WordListProblem{row.line, WordListProblemKind::DuplicatePhrase,
                                           row.phrase, seen.value(key)};
        if (rowProblems.size() != before)
            continue;
        if (list.rows.size() >= kMaxSubjectPhrases) {
            if (extra++ == 0)
                firstExtraLine = row.line;
            continue;
        }
        seen.insert(key, row.line);
        list.rows << row;
    }
    if (extra > 0)
        rowProblems << WordListProblem{firstExtraLine, WordListProblemKind::TooManyRows, {}, extra};
    problems += rowProblems;
    std::stable_sort(
        problems.begin(), problems.end(),
        [](const WordListProblem &a, const WordListProblem &b) { return a.line < b.line; });
    list.problems = problems;
    if (list.rows.isEmpty() && list.problems.isEmpty())
        list.problems << WordListProblem{0, WordListProblemKind::NoRows, {}, 0};
    return list;
}

QString ShownControls(const QString &text) {
    QString shown;
    for (const QChar c : text) {
        if (c == QChar(u'\0'))
            shown += QStringLiteral("\\0");
        else if (c.category() == QChar::Other_Control && c != QLatin1Char('\n'))
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

WordList ReadImportFile(const QString &path, const WordListOptions &options) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        WordList list;
        list.problems << WordListProblem{0, WordListProblemKind::Unreadable, file.errorString(), 0};
        return list;
    }
    // A collection package may be large: only its start is read here.
    if (file.peek(4) == QByteArrayView("PK\x03\x04") && IsDeckPackage(path)) {
        file.close();
        return ReadDeckPackage(path, options);
    }
    const QByteArray bytes = file.readAll();
    file.close();
    if (IsKvtml(bytes))
        return ParseKvtml(bytes, QFileInfo(path).absolutePath(), options);
    return ParseWordList(bytes, options);
}

WordList ReadWordList(const QString &path, const WordListOptions &options) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        WordList list;
        list.problems << WordListProblem{0, WordListProblemKind::Unreadable, file.errorString(), 0};
        return list;
    }
    return ParseWordList(file.readAll(), options);
}

QString DescribeUnit(RowUnit unit, int number) {
    switch (unit) {
    case RowUnit::Note:
        return QCoreApplication::translate("wordList", "note %1").arg(number);
    case RowUnit::Entry:
        return QCoreApplication::translate("wordList", "entry %1").arg(number);
    case RowUnit::Line:
        break;
    }
    return QCoreApplication::translate("wordList", "line %1").arg(number);
}

QString DescribeProblem(const WordListProblem &p, RowUnit unit) {
    QString text;
    switch (p.kind) {
    case WordListProblemKind::Unreadable:
        text = QStringLiteral("the file cannot be read: %1").arg(p.detail);
        break;
    case WordListProblemKind::UnclosedQuote:
        text = QStringLiteral("a quoted text starts here and is never closed");
        break;
    case WordListProblemKind::NoRows:
        text = QStringLiteral("the file holds no phrases");
        break;
    case WordListProblemKind::EmptyPhrase:
        text = QStringLiteral("the phrase is empty");
        break;
    case WordListProblemKind::Star:
        text = QStringLiteral("\"%1\" contains '*', which is not allowed").arg(p.detail);
        break;
    case WordListProblemKind::LineBreak:
        text = QStringLiteral("\"%1\" contains a line break, which is not allowed").arg(p.detail);
        break;
    case WordListProblemKind::DuplicatePhrase:
        text = QStringLiteral("the phrase \"%1\" appeared already on line %2")
                   .arg(p.detail)
                   .arg(p.other);
        break;
    case WordListProblemKind::TooManyRows:
        text = QStringLiteral("a subject holds at most %1 phrases; %2 row(s) from here on are "
                              "left out")
                   .arg(kMaxSubjectPhrases)
                   .arg(p.other);
        break;
    case WordListProblemKind::ControlCharacter:
        text = QStringLiteral("\"%1\" contains a control character, which is not allowed")
                   .arg(p.detail);
        break;
    case WordListProblemKind::CommentRow:
        text = QStringLiteral("the row \"%1\" starts with '#' after the header lines and is "
                              "left out")
                   .arg(p.detail);
        break;
    case WordListProblemKind::UnsupportedFile:
        text = QStringLiteral("this is %1, not a word list; save it as CSV (or as Unicode text) "
                              "or use a flash-card package (.apkg, .colpkg) or a vocabulary file "
                              "(.kvtml)")
                   .arg(FileKindName(FileKind(p.other)));
        break;
    case WordListProblemKind::NoSuchDeck:
        text = QStringLiteral("the file holds no deck named \"%1\"").arg(p.detail);
        break;
    }
    if (p.line <= 0)
        return text;
    const char *units[] = {"line", "note", "entry"};
    return QStringLiteral("%1 %2: %3").arg(QLatin1String(units[int(unit)])).arg(p.line).arg(text);
}

QByteArray WordListCsv(const QVector<WordListRow> &rows) {
    const auto csv = [](const QString &text) -> QString {
        if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
            !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char(';')) &&
            text.trimmed() == text)
            return text;
        return QLatin1Char('"') +
               QString(text).replace(QStringLiteral("\""), QStringLiteral("\"\"")) +
               QLatin1Char('"');
    };
    QString text = QStringLiteral("phrase,translation,translation2\r\n");
    for (const WordListRow &row : rows)
        text += csv(row.phrase) + QLatin1Char(',') + csv(row.translation) + QLatin1Char(',') +
                csv(row.translation2) + QStringLiteral("\r\n");
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

// ---------------------------------------------------------------------------

QString EspeakVoice(const QString &targetLanguage) {
    static const QHash<QString, QString> voices = {
        {QStringLiteral("Spanish"), QStringLiteral("es")},
        {QStringLiteral("French"), QStringLiteral("fr")},
        {QStringLiteral("German"), QStringLiteral("de")},
        {QStringLiteral("Italian"), QStringLiteral("it")},
        {QStringLiteral("English"), QStringLiteral("en")}};
    return voices.value(targetLanguage);
}

void WriteWordListSubject(const QString &out, const QString &programCode,
                          const QVector<WordListRow> &rows, const QVector<QByteArray> &waves,
                          bool replace, const CancelCheck &cancelled) {
    const QString name = QFileInfo(out).fileName();
    if (name.isEmpty() || name.contains(QLatin1Char('*')))
        throw WordListError(
            QCoreApplication::translate("wordList", "'%1' is no usable file name").arg(out));
    if (QFileInfo::exists(out) && !replace)
        throw WordListError(
            QCoreApplication::translate("wordList", "'%1' exists already").arg(out));
    const QString part = out + QStringLiteral(".part");
    const auto removePart = [&part] {
        QFile::remove(part);
        QFile::remove(part + QStringLiteral("-journal"));
    };
    const auto isCancelled = [&cancelled] { return cancelled && cancelled(); };
    removePart();
    bool stopped = false;
    try {
        CreateSubjectFile(part, programCode);
        ado::Connection cn;
        cn.Open(ado::ConnectionString(part, SubjectPassword()));
        // The half-written file is thrown away on any failure; waiting for
        // the disk after every page buys nothing here.
        cn.Execute(QStringLiteral("PRAGMA synchronous = OFF"));
        cn.Execute(QStringLiteral("BEGIN"));
        for (int i = 0; i < rows.size() && !stopped; ++i) {
            stopped = isCancelled();
            if (!stopped)
                AddPhrase(cn, i + 1, rows[i].phrase, rows[i].translation, rows[i].translation2,
                          waves.value(i));
        }
        cn.Execute(stopped ? QStringLiteral("ROLLBACK") : QStringLiteral("COMMIT"));
        cn.Close();
    } catch (const ado::Error &e) {
        removePart();
        throw WordListError(QCoreApplication::translate("wordList", "cannot write '%1': %2")
                                .arg(out, e.description()));
    }
    if (stopped || isCancelled()) {
        removePart();
        throw WordListCancelled();
    }
    if (replace)
        QFile::remove(out);
    if (!QFile::rename(part, out)) {
        removePart();
        throw WordListError(QCoreApplication::translate("wordList", "cannot write '%1'").arg(out));
    }
}

} // namespace subjects
