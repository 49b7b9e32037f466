#include "subjects/word_list.h"

#include "platform/ado.h"
#include "platform/text_decoding.h"
#include "subject_data/subject_schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>

namespace subjects {

namespace {

QString decode(const QByteArray &bytes, QString &encoding) {
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
        QStringLiteral("phrase"),   QStringLiteral("word"),     QStringLiteral("front"),
        QStringLiteral("term"),     QStringLiteral("question"), QStringLiteral("text"),
        QStringLiteral("frase"),    QStringLiteral("palabra"),  QStringLiteral("termino"),
        QStringLiteral("pregunta"), QStringLiteral("texto"),    QStringLiteral("anverso")};
    static const QStringList translation = {
        QStringLiteral("translation"), QStringLiteral("meaning"),    QStringLiteral("back"),
        QStringLiteral("answer"),      QStringLiteral("traduccion"), QStringLiteral("significado"),
        QStringLiteral("respuesta"),   QStringLiteral("reverso")};
    static const QStringList translation2 = {QStringLiteral("translation2"),
                                             QStringLiteral("secondtranslation"),
                                             QStringLiteral("notes"),
                                             QStringLiteral("note"),
                                             QStringLiteral("example"),
                                             QStringLiteral("traduccion2"),
                                             QStringLiteral("segundatraduccion"),
                                             QStringLiteral("notas"),
                                             QStringLiteral("nota"),
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

QString HtmlToPlainText(const QString &html) {
    static const QRegularExpression sound(QStringLiteral("\\[sound:[^\\]]*\\]"));
    static const QRegularExpression breaks(QStringLiteral("<\\s*(br|/?div|/?p|/?li)\\b[^>]*>"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tag(QStringLiteral("</?[A-Za-z][^>]*>"));
    static const QRegularExpression entity(
        QStringLiteral("&(#[0-9]+|#[xX][0-9A-Fa-f]+|[A-Za-z]+);"));
    static const QHash<QString, QChar> named = {
        {QStringLiteral("amp"), QLatin1Char('&')},   {QStringLiteral("lt"), QLatin1Char('<')},
        {QStringLiteral("gt"), QLatin1Char('>')},    {QStringLiteral("quot"), QLatin1Char('"')},
        {QStringLiteral("apos"), QLatin1Char('\'')}, {QStringLiteral("nbsp"), QLatin1Char(' ')},
        {QStringLiteral("aacute"), QChar(0xE1)},     {QStringLiteral("eacute"), QChar(0xE9)},
        {QStringLiteral("iacute"), QChar(0xED)},     {QStringLiteral("oacute"), QChar(0xF3)},
        {QStringLiteral("uacute"), QChar(0xFA)},     {QStringLiteral("ntilde"), QChar(0xF1)},
        {QStringLiteral("Ntilde"), QChar(0xD1)},     {QStringLiteral("uuml"), QChar(0xFC)},
        {QStringLiteral("ouml"), QChar(0xF6)},       {QStringLiteral("auml"), QChar(0xE4)},
        {QStringLiteral("szlig"), QChar(0xDF)},      {QStringLiteral("egrave"), QChar(0xE8)},
        {QStringLiteral("agrave"), QChar(0xE0)},     {QStringLiteral("ccedil"), QChar(0xE7)},
        {QStringLiteral("iexcl"), QChar(0xA1)},      {QStringLiteral("iquest"), QChar(0xBF)}};
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
        if (ok && code > 0 && code <= 0x10FFFF)
            out += QString::fromUcs4(&code, 1);
        else if (named.contains(name))
            out += named.value(name);
        else
            out += m.captured(0);
        last = m.capturedEnd();
    }
    out += QStringView(text).mid(last);
    out.replace(QChar(0xA0), QLatin1Char(' '));
    return out;
}

WordList ParseWordList(const QByteArray &bytes, const WordListOptions &options) {
    WordList list;
    QString text = decode(bytes, list.encoding);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));

    // Header lines of flash-card programs' plain-text exports come first.
    QChar separator;
    int html = -1; // -1: decide per field
    // Spreadsheet programs may name the separator on a first line "sep=;";
    // it is kept as a comment so that line numbers stay those of the file.
    if (text.startsWith(QLatin1String("sep=")) &&
        (text.size() == 5 || text.indexOf(QLatin1Char('\n')) == 5)) {
        separator = text[4];
        text[0] = QLatin1Char('#');
    }
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1Char('#')))
            break;
        const int colon = line.indexOf(QLatin1Char(':'));
        const QString name = line.mid(1, colon - 1).trimmed().toLower();
        const QString value = colon < 0 ? QString() : line.mid(colon + 1);
        if (name == QLatin1String("separator"))
            separator = separatorNamed(value);
        else if (name == QLatin1String("html"))
            html = value.trimmed().toLower() == QLatin1String("true") ? 1 : 0;
    }
    list.separator = separator.isNull() ? detectSeparator(text) : separator;

    // RFC 4180 records: quotes double inside quoted fields, which may hold
    // separators and line breaks; "#" starts a comment line between records.
    QVector<Record> records;
    {
        int line = 1;
        Record record;
        QString field;
        bool quoted = false, atFieldStart = true, atRecordStart = true;
        const auto endRecord = [&] {
            record.fields << field;
            bool blank = true;
            for (const QString &f : std::as_const(record.fields))
                blank = blank && f.trimmed().isEmpty();
            if (!blank)
                records << record;
            record = Record();
            field.clear();
            atFieldStart = atRecordStart = true;
        };
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            if (atRecordStart) {
                record.line = line;
                atRecordStart = false;
                if (c == QLatin1Char('#')) {
                    const qsizetype end = text.indexOf(QLatin1Char('\n'), i);
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
            } else if (c == list.separator) {
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
            list.problems << WordListProblem{
                record.line, WordListProblemKind::UnclosedQuote, {}, 0};
        else if (!atRecordStart)
            endRecord();
    }

    // Columns: chosen by option, else named by a header row, else in order.
    int columns[3] = {0, 1, 2};
    if (!records.isEmpty()) {
        int named[3] = {-1, -1, -1};
        const QStringList &first = records.first().fields;
        for (int c = 0; c < first.size(); ++c) {
            const int role = headerRole(first[c]);
            if (role >= 0 && named[role] < 0)
                named[role] = c;
        }
        if (named[0] >= 0) {
            for (int r = 0; r < 3; ++r)
                columns[r] = named[r];
            for (const QString &f : first)
                list.header << f.trimmed();
            records.removeFirst();
        }
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
    for (const Record &record : std::as_const(records)) {
        const auto cell = [&](int column) {
            const QString raw = column < 0 ? QString() : record.fields.value(column);
            const bool asHtml = html == 1 || (html < 0 && (raw.contains(QLatin1Char('<')) ||
                                                           raw.contains(QLatin1Char('&')) ||
                                                           raw.contains(QLatin1String("[sound:"))));
            return clean(raw, asHtml);
        };
        WordListRow row{record.line, cell(columns[0]), cell(columns[1]), cell(columns[2])};
        const int before = int(list.problems.size());
        if (row.phrase.isEmpty())
            list.problems << WordListProblem{row.line, WordListProblemKind::EmptyPhrase, {}, 0};
        for (const QString *t : {&row.phrase, &row.translation, &row.translation2}) {
            // Node tags separate their fields with "*", and the study file
            // gives every text a line of its own.
            if (t->contains(QLatin1Char('*')))
                list.problems << WordListProblem{row.line, WordListProblemKind::Star, *t, 0};
            if (t->contains(QLatin1Char('\n')))
                list.problems << WordListProblem{
                    row.line, WordListProblemKind::LineBreak,
                    QString(*t).replace(QLatin1Char('\n'), QLatin1Char(' ')), 0};
        }
        const QString key = row.phrase.toCaseFolded();
        if (!row.phrase.isEmpty() && seen.contains(key))
            list.problems << WordListProblem{row.line, WordListProblemKind::DuplicatePhrase,
                                             row.phrase, seen.value(key)};
        if (list.problems.size() != before)
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
        list.problems << WordListProblem{
            firstExtraLine, WordListProblemKind::TooManyRows, {}, extra};
    if (list.rows.isEmpty() && list.problems.isEmpty())
        list.problems << WordListProblem{0, WordListProblemKind::NoRows, {}, 0};
    return list;
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

QString DescribeProblem(const WordListProblem &p) {
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
    }
    return p.line > 0 ? QStringLiteral("line %1: %2").arg(p.line).arg(text) : text;
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
