#include "subject_tool.h"

#include "tsv_table.h"

#include "frame/identity.h"
#include "platform/ado.h"
#include "subject_data/subject_schema.h"
#include "subjects/deck_sound.h"
#include "subjects/phrase_recorder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <QTextStream>

#include <algorithm>
#include <csignal>

namespace tvxsubject {

namespace {

const QStringList kPhraseHeader = {QStringLiteral("n"), QStringLiteral("phrase"),
                                   QStringLiteral("translation"), QStringLiteral("translation2")};

QByteArray readBytes(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ToolError(QStringLiteral("cannot read '%1': %2").arg(path, file.errorString()));
    return file.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw ToolError(QStringLiteral("cannot write '%1': %2").arg(path, file.errorString()));
}

// Content tables, with their problems reported as this tool's errors.
TsvTable readTable(const QString &path, const QString &what) {
    try {
        return ReadTsv(path);
    } catch (const TsvError &e) {
        throw ToolError(what + QStringLiteral(": ") + e.message());
    }
}

int requireColumn(const TsvTable &table, const QString &name) {
    try {
        return table.requireColumn(name);
    } catch (const TsvError &e) {
        throw ToolError(e.message());
    }
}

int parseNumber(const QString &text, const QString &where) {
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (!ok)
        throw ToolError(QStringLiteral("%1: '%2' is not a phrase number").arg(where, text));
    return n;
}

void requireUsableTexts(const PhraseRow &row) {
    const std::pair<const char *, const QString *> texts[] = {{"phrase", &row.phrase},
                                                              {"translation", &row.translation},
                                                              {"translation2", &row.translation2}};
    // Node tags of the program separate their fields with "*", the study
    // file gives every text a line of its own, and an activity reading it as
    // text stops at a NUL; other control characters show as boxes or nothing.
    for (const auto &[name, text] : texts) {
        bool control = false;
        for (const QChar c : *text)
            control = control || (c.category() == QChar::Other_Control && c != QLatin1Char('\n') &&
                                  c != QLatin1Char('\r'));
        if (control)
            throw ToolError(QStringLiteral("phrase %1: the %2 \"%3\" contains a %4, "
                                           "which is not allowed")
                                .arg(row.number)
                                .arg(QLatin1String(name), subjects::ShownControls(*text),
                                     text->contains(QChar(u'\0'))
                                         ? QStringLiteral("NUL character")
                                         : QStringLiteral("control character")));
        if (text->contains(QLatin1Char('*')))
            throw ToolError(
                QStringLiteral("phrase %1: the %2 \"%3\" contains '*', which is not allowed")
                    .arg(row.number)
                    .arg(QLatin1String(name), *text));
        if (text->contains(QLatin1Char('\n')) || text->contains(QLatin1Char('\r')))
            throw ToolError(QStringLiteral("phrase %1: the %2 contains a line break, which is "
                                           "not allowed")
                                .arg(row.number)
                                .arg(QLatin1String(name)));
    }
}

QString tsvCell(const QString &text) {
    QString cell = text;
    cell.replace(QLatin1Char('\t'), QLatin1Char(' '));
    cell.replace(QLatin1Char('\r'), QLatin1Char(' '));
    cell.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return cell;
}

void requireFileName(const QString &path) {
    const QString name = QFileInfo(path).fileName();
    if (name.isEmpty())
        throw ToolError(QStringLiteral("'%1' names no file").arg(path));
    if (name.contains(QLatin1Char('*')))
        throw ToolError(
            QStringLiteral("the file name '%1' contains '*', which is not allowed").arg(name));
}

} // namespace

// ---------------------------------------------------------------------------

QVector<PhraseRow> ReadPhraseTsv(const QString &path) {
    const TsvTable table = readTable(path, QStringLiteral("phrase list"));
    QStringList header = table.header;
    for (QString &h : header)
        h = h.toLower();
    if (header != kPhraseHeader)
        throw ToolError(QStringLiteral("'%1': the header must be \"%2\", not \"%3\"")
                            .arg(path, kPhraseHeader.join(QLatin1String("<TAB>")),
                                 table.header.join(QLatin1String("<TAB>"))));
    QVector<PhraseRow> rows;
    for (int i = 0; i < table.rows.size(); ++i) {
        const QStringList &f = table.rows[i];
        const QString where = QStringLiteral("%1 line %2").arg(path).arg(table.lines[i]);
        if (f.size() < 3 || f.size() > 4)
            throw ToolError(QStringLiteral("%1: expected 4 columns separated by tabs, found %2")
                                .arg(where)
                                .arg(f.size()));
        PhraseRow row;
        row.number = parseNumber(f[0], where);
        row.phrase = f[1];
        row.translation = f[2];
        row.translation2 = f.value(3);
        rows << row;
    }
    return rows;
}

void WritePhraseTsv(const QString &path, const QVector<PhraseRow> &rows) {
    QString text = kPhraseHeader.join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (const PhraseRow &row : rows)
        text += QString::number(row.number) + QLatin1Char('\t') + tsvCell(row.phrase) +
                QLatin1Char('\t') + tsvCell(row.translation) + QLatin1Char('\t') +
                tsvCell(row.translation2) + QLatin1Char('\n');
    writeBytes(path, text.toUtf8());
}

void RequireBuildCode(const QString &code) {
    if (!Identity::AllCodes().contains(code))
        throw ToolError(QStringLiteral("unknown build code '%1' (known: %2)")
                            .arg(code, Identity::AllCodes().join(QLatin1Char(' '))));
}

void ValidatePhrases(const QVector<PhraseRow> &rows) {
    QSet<int> seen;
    for (const PhraseRow &row : rows) {
        // Random phrase picking relies on 1..N; the phrase editor keeps the
        // number in 16 bits.
        if (row.number < 1 || row.number > 32767)
            throw ToolError(
                QStringLiteral("phrase number %1 is out of range (1 to 32767)").arg(row.number));
        if (seen.contains(row.number))
            throw ToolError(
                QStringLiteral("phrase number %1 appears more than once").arg(row.number));
        seen.insert(row.number);
        requireUsableTexts(row);
    }
    for (int n = 1; n <= rows.size(); ++n)
        if (!seen.contains(n))
            throw ToolError(QStringLiteral("phrase numbers must run from 1 to %1 without gaps: "
                                           "%2 is missing")
                                .arg(rows.size())
                                .arg(n));
}

bool IsWave(const QByteArray &bytes) {
    return bytes.size() >= 12 && bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WAVE";
}

void WriteSubject(const QString &out, const QString &code, QVector<PhraseRow> rows, bool replace) {
    requireFileName(out);
    if (QFileInfo::exists(out) && !replace)
        throw ToolError(QStringLiteral("'%1' exists already (use --force to replace it)").arg(out));
    std::sort(rows.begin(), rows.end(),
              [](const PhraseRow &a, const PhraseRow &b) { return a.number < b.number; });
    const QString part = out + QStringLiteral(".part");
    QFile::remove(part);
    try {
        subjects::CreateSubjectFile(part, code);
        ado::Connection cn;
        cn.Open(ado::ConnectionString(part, subjects::SubjectPassword()));
        // The half-written file is thrown away on any failure; waiting for
        // the disk after every write buys nothing here.
        cn.Execute(QStringLiteral("PRAGMA synchronous = OFF"));
        cn.Execute(QStringLiteral("BEGIN"));
        for (const PhraseRow &row : rows)
            subjects::AddPhrase(cn, row.number, row.phrase, row.translation, row.translation2,
                                row.wave);
        cn.Execute(QStringLiteral("COMMIT"));
    } catch (const ado::Error &e) {
        QFile::remove(part);
        throw ToolError(QStringLiteral("cannot write '%1': %2").arg(out, e.description()));
    }
    QFile::remove(out);
    if (!QFile::rename(part, out)) {
        QFile::remove(part);
        throw ToolError(QStringLiteral("cannot write '%1'").arg(out));
    }
}

void CreateSubject(const CreateOptions &options) {
    RequireBuildCode(options.code);
    requireFileName(options.out);
    if (QFileInfo::exists(options.out) && !options.force)
        throw ToolError(
            QStringLiteral("'%1' exists already (use --force to replace it)").arg(options.out));
    QVector<PhraseRow> rows = ReadPhraseTsv(options.tsv);
    ValidatePhrases(rows);
    for (PhraseRow &row : rows) {
        const QString wav =
            QDir(options.wavFolder).filePath(QString::number(row.number) + QStringLiteral(".wav"));
        if (!QFileInfo::exists(wav))
            throw ToolError(
                QStringLiteral("phrase %1: sound file '%2' not found").arg(row.number).arg(wav));
        row.wave = readBytes(wav);
        if (!IsWave(row.wave))
            throw ToolError(
                QStringLiteral("phrase %1: '%2' is not a RIFF/WAVE file").arg(row.number).arg(wav));
    }
    WriteSubject(options.out, options.code, rows, options.force);
}

QString ListSubject(const QString &path) {
    try {
        ado::Connection cn;
        cn.Open(ado::ConnectionString(path, subjects::SubjectPassword()));
        ado::Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM tblProperties"), cn);
        QString text = QStringLiteral("code\t%1\n")
                           .arg(rs.EOF_() ? QString() : rs.Fields("tProgramCode").Text());
        rs.Open(QStringLiteral("SELECT * FROM tblPhrases ORDER BY pkPhraseNo"), cn);
        for (; !rs.EOF_(); rs.MoveNext())
            text += QStringLiteral("%1\t%2\t%3\t%4\t%5 bytes\n")
                        .arg(rs.Fields("pkPhraseNo").Text(), rs.Fields("tPhrase").Text(),
                             rs.Fields("tTranslation").Text(), rs.Fields("tTranslation2").Text())
                        .arg(rs.Fields("bsound").ActualSize());
        return text;
    } catch (const ado::Error &e) {
        throw ToolError(QStringLiteral("%1: %2").arg(path, e.description()));
    }
}

namespace {

// A recording a learner can hear: a text file read as UTF-16 once gave
// recordings of a few milliseconds, and a package's broken file silence.
void checkRecording(int number, const QByteArray &wave, QStringList &problems) {
    const subjects::WaveMeasure measure = subjects::MeasureWave(wave);
    if (!measure.readable)
        return; // the program plays nothing of it; the header is not ours to judge
    if (measure.seconds < 0.1)
        problems << QStringLiteral("phrase %1: the sound lasts %2 ms; a recording shorter than "
                                   "100 ms holds no phrase")
                        .arg(number)
                        .arg(qRound(measure.seconds * 1000));
    else if (measure.speechSeconds <= 0)
        problems
            << QStringLiteral("phrase %1: the sound is silent; it holds no speech").arg(number);
}

} // namespace

QStringList CheckSubject(const QString &path, const QString &code) {
    QStringList problems;
    try {
        ado::Connection cn;
        cn.Open(ado::ConnectionString(path, subjects::SubjectPassword()));
        ado::Recordset rs;
        // Subject files hold plain tables: the program never runs a view or
        // a trigger of one, so a file relying on them is not what it seems.
        rs.Open(QStringLiteral("SELECT type, name FROM sqlite_master "
                               "WHERE type IN ('view', 'trigger') ORDER BY name"),
                cn);
        for (; !rs.EOF_(); rs.MoveNext())
            problems << QStringLiteral("the file holds the %1 '%2', which the program never runs")
                            .arg(rs.Fields(0).Text(), rs.Fields(1).Text());
        rs.Open(QStringLiteral("SELECT * FROM tblProperties"), cn);
        if (rs.EOF_()) {
            problems << QStringLiteral("tblProperties has no row, so the program code is unknown");
        } else {
            const QString found = rs.Fields("tProgramCode").Text();
            if (!code.isEmpty() && found != code)
                problems << QStringLiteral("the program code is '%1', not '%2'").arg(found, code);
            else if (!Identity::AllCodes().contains(found))
                problems << QStringLiteral("the program code '%1' is no build code").arg(found);
        }

        rs.Open(QStringLiteral("SELECT * FROM tblPhrases ORDER BY pkPhraseNo"), cn);
        int expected = 1;
        bool numberingReported = false;
        for (; !rs.EOF_(); rs.MoveNext(), ++expected) {
            const int number = rs.Fields("pkPhraseNo").Value().toInt();
            if (number != expected && !numberingReported) {
                problems << QStringLiteral("phrase numbers do not run from 1 without gaps: "
                                           "found %1 where %2 was expected")
                                .arg(number)
                                .arg(expected);
                numberingReported = true;
            }
            if (number > 32767)
                problems << QStringLiteral("phrase number %1 is above 32767").arg(number);
            PhraseRow row;
            row.number = number;
            row.phrase = rs.Fields("tPhrase").Text();
            row.translation = rs.Fields("tTranslation").Text();
            row.translation2 = rs.Fields("tTranslation2").Text();
            try {
                requireUsableTexts(row);
            } catch (const ToolError &e) {
                problems << e.message();
            }
            ado::Field sound = rs.Fields("bsound");
            const QByteArray wave =
                sound.IsNull() || sound.ActualSize() == 0 ? QByteArray() : sound.GetChunk(-1);
            if (wave.isEmpty())
                problems << QStringLiteral("phrase %1 has no sound").arg(number);
            else if (!IsWave(wave))
                problems << QStringLiteral("phrase %1: the sound is not a RIFF/WAVE recording")
                                .arg(number);
            else
                checkRecording(number, wave, problems);
        }
    } catch (const ado::Error &e) {
        problems << e.description();
    }
    return problems;
}

void ExportSubject(const QString &path, const QString &folder) {
    if (!QDir().mkpath(folder))
        throw ToolError(QStringLiteral("cannot create the folder '%1'").arg(folder));
    QVector<PhraseRow> rows;
    try {
        ado::Connection cn;
        cn.Open(ado::ConnectionString(path, subjects::SubjectPassword()));
        ado::Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM tblPhrases ORDER BY pkPhraseNo"), cn);
        for (; !rs.EOF_(); rs.MoveNext()) {
            PhraseRow row;
            row.number = rs.Fields("pkPhraseNo").Value().toInt();
            row.phrase = rs.Fields("tPhrase").Text();
            row.translation = rs.Fields("tTranslation").Text();
            row.translation2 = rs.Fields("tTranslation2").Text();
            row.wave = rs.Fields("bsound").GetChunk(-1);
            rows << row;
        }
    } catch (const ado::Error &e) {
        throw ToolError(QStringLiteral("%1: %2").arg(path, e.description()));
    }
    const QDir dir(folder);
    WritePhraseTsv(dir.filePath(QStringLiteral("phrases.tsv")), rows);
    for (const PhraseRow &row : rows)
        if (!row.wave.isEmpty())
            writeBytes(dir.filePath(QString::number(row.number) + QStringLiteral(".wav")),
                       row.wave);
}

// ---------------------------------------------------------------------------

QString VoiceFor(const QString &targetLanguage) {
    // The program's import window speaks with the same voices.
    const QString voice = subjects::EspeakVoice(targetLanguage);
    if (voice.isEmpty())
        throw ToolError(QStringLiteral("no voice for the language '%1'").arg(targetLanguage));
    return voice;
}

namespace {

// Every phrase of a topic at once, so that espeak-ng records as many as
// there are cores; a phrase recorded before, here or by the program's import
// window, comes from the shared cache.
QVector<QByteArray> recordTopic(const DemoOptions &options, const QString &voice,
                                const QStringList &texts, DemoReport &report) {
    subjects::PhraseRecorder recorder(voice, options.wavCache);
    if (options.record)
        recorder.setRecordOne(options.record);
    try {
        const QVector<QByteArray> waves = recorder.record(texts);
        report.recorded += recorder.recorded();
        report.fromCache += recorder.fromCache();
        return waves;
    } catch (const subjects::WordListError &e) {
        throw ToolError(e.message());
    }
}

QString captionFolder(const TsvTable &captions, int number, const QString &learner) {
    const int numberColumn = requireColumn(captions, QStringLiteral("number"));
    const int textColumn = requireColumn(captions, learner);
    for (int i = 0; i < captions.rows.size(); ++i)
        if (captions.cell(i, numberColumn) == QString::number(number)) {
            const QString name = captions.cell(i, textColumn);
            if (name.isEmpty())
                break;
            return name;
        }
    throw ToolError(QStringLiteral("'%1' has no %2 text for caption %3")
                        .arg(captions.path, learner)
                        .arg(number));
}

void requireBaseName(const QString &name, const QString &where) {
    if (name.isEmpty())
        throw ToolError(QStringLiteral("%1: the name is empty").arg(where));
    if (name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('/')) ||
        name.contains(QLatin1Char('\\')))
        throw ToolError(
            QStringLiteral("%1: the name '%2' contains '*', '/' or '\\'").arg(where, name));
}

// Files of this build's kind in folder that this run did not write.
void removeStale(const QString &folder, const QString &pattern, const QStringList &written) {
    const QDir dir(folder);
    for (const QString &name : dir.entryList({pattern}, QDir::Files)) {
        const QString path = dir.filePath(name);
        if (!written.contains(path))
            QFile::remove(path);
    }
}

struct Topic {
    QString fileName; // installed subject file name, without folder
    QMap<int, PhraseRow> phrases;
};

} // namespace

DemoReport BuildDemo(const DemoOptions &options) {
    RequireBuildCode(options.code);
    const Identity id = Identity::ForCode(options.code);
    const QString learner = id.learnerLanguage;
    const QString target = id.targetLanguage;
    const QDir content(options.content);
    const QString voice = VoiceFor(target);
    DemoReport report;

    const TsvTable captions = readTable(content.filePath(QStringLiteral("template/captions.tsv")),
                                        QStringLiteral("caption list"));
    const QString subjectsDir = QDir(options.out).filePath(captionFolder(captions, 10, learner));
    const QString virtualDir = QDir(options.out).filePath(captionFolder(captions, 11, learner));
    for (const QString &dir : {subjectsDir, virtualDir})
        if (!QDir().mkpath(dir))
            throw ToolError(QStringLiteral("cannot create the folder '%1'").arg(dir));

    const TsvTable topics = readTable(content.filePath(QStringLiteral("subjects/topics.tsv")),
                                      QStringLiteral("topic list"));
    const int idColumn = requireColumn(topics, QStringLiteral("id"));
    const int nameColumn = requireColumn(topics, learner);
    QMap<QString, Topic> byId;
    for (int t = 0; t < topics.rows.size(); ++t) {
        const QString topicId = topics.cell(t, idColumn);
        const QString where = QStringLiteral("%1 line %2").arg(topics.path).arg(topics.lines[t]);
        requireBaseName(topicId, where);
        const QString base = topics.cell(t, nameColumn);
        requireBaseName(base, where);

        const TsvTable phrases =
            readTable(content.filePath(QStringLiteral("subjects/%1.tsv").arg(topicId)),
                      QStringLiteral("phrases of topic"));
        const int nCol = requireColumn(phrases, QStringLiteral("n"));
        const int phraseCol = requireColumn(phrases, target);
        const int translationCol = requireColumn(phrases, learner);
        const int translation2Col = requireColumn(phrases, learner + QLatin1Char('2'));
        QVector<PhraseRow> rows;
        for (int r = 0; r < phrases.rows.size(); ++r) {
            PhraseRow row;
            row.number =
                parseNumber(phrases.cell(r, nCol),
                            QStringLiteral("%1 line %2").arg(phrases.path).arg(phrases.lines[r]));
            row.phrase = phrases.cell(r, phraseCol);
            row.translation = phrases.cell(r, translationCol);
            row.translation2 = phrases.cell(r, translation2Col);
            rows << row;
        }
        try {
            ValidatePhrases(rows);
        } catch (const ToolError &e) {
            throw ToolError(QStringLiteral("%1: %2").arg(phrases.path, e.message()));
        }
        Topic topic;
        topic.fileName = base + QLatin1Char('.') + id.shortCode;
        QStringList texts;
        for (const PhraseRow &row : std::as_const(rows)) {
            if (row.phrase.isEmpty())
                throw ToolError(QStringLiteral("%1: phrase %2 has no %3 text")
                                    .arg(phrases.path)
                                    .arg(row.number)
                                    .arg(target));
            texts << row.phrase;
        }
        const QVector<QByteArray> waves = recordTopic(options, voice, texts, report);
        for (int r = 0; r < rows.size(); ++r) {
            rows[r].wave = waves[r];
            topic.phrases.insert(rows[r].number, rows[r]);
        }
        const QString file = QDir(subjectsDir).filePath(topic.fileName);
        if (report.subjectFiles.contains(file))
            throw ToolError(QStringLiteral("%1: two topics are named '%2'").arg(where, base));
        WriteSubject(file, options.code, rows, true);
        report.subjectFiles << file;
        byId.insert(topicId, topic);
    }

    const QString virtualTsv = content.filePath(QStringLiteral("subjects/virtual.tsv"));
    if (QFileInfo::exists(virtualTsv)) {
        const TsvTable shipped = readTable(virtualTsv, QStringLiteral("virtual subject list"));
        const int folderCol = requireColumn(shipped, QStringLiteral("folder_") + learner);
        const int subjectCol = requireColumn(shipped, QStringLiteral("subject_") + learner);
        const int topicCol = requireColumn(shipped, QStringLiteral("topic"));
        const int nCol = requireColumn(shipped, QStringLiteral("n"));
        // Folders and their subjects in order of first appearance.
        QStringList folders;
        QMap<QString, QStringList> subjectsOf;
        for (int r = 0; r < shipped.rows.size(); ++r) {
            const QString where =
                QStringLiteral("%1 line %2").arg(shipped.path).arg(shipped.lines[r]);
            const QString folder = shipped.cell(r, folderCol);
            const QString subject = shipped.cell(r, subjectCol);
            requireBaseName(folder, where);
            if (subject.isEmpty())
                throw ToolError(QStringLiteral("%1: the subject name is empty").arg(where));
            const QString topicId = shipped.cell(r, topicCol);
            if (!byId.contains(topicId))
                throw ToolError(QStringLiteral("%1: unknown topic '%2'").arg(where, topicId));
            const Topic &topic = byId[topicId];
            const int n = parseNumber(shipped.cell(r, nCol), where);
            if (!topic.phrases.contains(n))
                throw ToolError(
                    QStringLiteral("%1: topic '%2' has no phrase %3").arg(where, topicId).arg(n));
            if (!folders.contains(folder))
                folders << folder;
            if (!subjectsOf[folder].contains(subject))
                subjectsOf[folder] << subject;
        }
        for (const QString &folder : std::as_const(folders)) {
            const QString file =
                QDir(virtualDir).filePath(folder + QStringLiteral(".v") + id.shortCode);
            const QString part = file + QStringLiteral(".part");
            QFile::remove(part);
            try {
                subjects::CreateVirtualFolderFile(part);
                ado::Connection cn;
                cn.Open(ado::ConnectionString(part, subjects::SubjectPassword()));
                cn.Execute(QStringLiteral("PRAGMA synchronous = OFF"));
                for (const QString &subject : subjectsOf[folder]) {
                    ado::Recordset parents;
                    parents.Open(QStringLiteral("SELECT * FROM tblParents"), cn);
                    parents.AddNew();
                    parents.Fields(1).SetValue(subject);
                    parents.Update();
                    const int key = parents.Fields(0).Value().toInt();
                    ado::Recordset rs;
                    rs.Open(QStringLiteral("SELECT * FROM tblPhrases where fkParent =") +
                                QString::number(key),
                            cn);
                    for (int r = 0; r < shipped.rows.size(); ++r) {
                        if (shipped.cell(r, folderCol) != folder ||
                            shipped.cell(r, subjectCol) != subject)
                            continue;
                        const Topic topic = byId.value(shipped.cell(r, topicCol));
                        const PhraseRow p = topic.phrases.value(shipped.cell(r, nCol).toInt());
                        rs.AddNew();
                        rs.Fields("fkParent").SetValue(key);
                        rs.Fields("tfilename").SetValue(topic.fileName);
                        rs.Fields("nPhraseNo").SetValue(p.number);
                        rs.Fields("tPhrase").SetValue(p.phrase);
                        rs.Fields("tTranslation").SetValue(p.translation);
                        rs.Fields("tTranslation2").SetValue(p.translation2);
                        rs.Update();
                    }
                }
            } catch (const ado::Error &e) {
                QFile::remove(part);
                throw ToolError(QStringLiteral("cannot write '%1': %2").arg(file, e.description()));
            }
            QFile::remove(file);
            if (!QFile::rename(part, file))
                throw ToolError(QStringLiteral("cannot write '%1'").arg(file));
            report.virtualFiles << file;
        }
    }

    // Topics renamed or dropped since the last build must not linger.
    removeStale(subjectsDir, QStringLiteral("*.") + id.shortCode, report.subjectFiles);
    removeStale(virtualDir, QStringLiteral("*.v") + id.shortCode, report.virtualFiles);
    return report;
}

// ---------------------------------------------------------------------------

namespace {

// Two subjects whose names differ only in letter case look like one in the
// program's tree, and their scores cannot be told apart.
void requireDistinctName(const QString &out, bool replace) {
    const QFileInfo target(out);
    const QDir folder = target.absoluteDir();
    for (const QString &name : folder.entryList(QDir::Files)) {
        if (name == target.fileName() && replace)
            continue;
        if (name.compare(target.fileName(), Qt::CaseInsensitive) == 0 && name != target.fileName())
            throw ToolError(QStringLiteral("'%1' differs only in letter case from the subject "
                                           "'%2' in the same folder; give it another name")
                                .arg(out, folder.filePath(name)));
    }
}

// Found before anything is recorded, not after minutes of espeak-ng.
void requireWritableFolder(const QString &out) {
    const QString folder = QFileInfo(out).absolutePath();
    QFile probe(QDir(folder).filePath(
        QStringLiteral(".tvx-subject-probe-%1").arg(QCoreApplication::applicationPid())));
    if (!probe.open(QIODevice::WriteOnly))
        throw ToolError(QStringLiteral("cannot write into the folder '%1': %2")
                            .arg(folder, probe.errorString()));
    probe.close();
    probe.remove();
}

} // namespace

ImportReport ImportWordList(const ImportOptions &options) {
    RequireBuildCode(options.code);
    requireFileName(options.out);
    if (QFileInfo::exists(options.out) && !options.force)
        throw ToolError(
            QStringLiteral("'%1' exists already (use --force to replace it)").arg(options.out));
    requireDistinctName(options.out, options.force);
    const Identity id = Identity::ForCode(options.code);
    subjects::WordListOptions read = options.columns;
    read.targetLanguage = id.targetLanguage;
    read.learnerLanguage = id.learnerLanguage;
    const subjects::WordList list = subjects::ReadImportFile(options.list, read);
    ImportReport report;
    report.decks = list.decks;
    for (const subjects::WordListProblem &p : list.problems)
        report.problems << subjects::DescribeProblem(p, list.unit);
    if (list.rows.isEmpty() || (!report.problems.isEmpty() && !options.keepGoing))
        throw ToolError(QStringLiteral("%1:\n  %2%3")
                            .arg(options.list, report.problems.join(QStringLiteral("\n  ")),
                                 list.rows.isEmpty()
                                     ? QString()
                                     : QStringLiteral("\n(use --keep-going to import the "
                                                      "other %1 row(s))")
                                           .arg(list.rows.size())));
    requireWritableFolder(options.out);
    const QString voice = VoiceFor(id.targetLanguage);
    try {
        // The file's own recordings first; espeak-ng speaks the others.
        QVector<QByteArray> waves =
            subjects::ReadDeckRecordings(list, &report.unreadableRecordings, options.cancelled);
        QStringList texts;
        QVector<int> spoken;
        for (int i = 0; i < list.rows.size(); ++i) {
            if (!waves[i].isEmpty()) {
                ++report.ownRecordings;
                continue;
            }
            texts << list.rows[i].phrase;
            spoken << i;
        }
        subjects::PhraseRecorder recorder(voice, options.wavCache);
        if (options.record)
            recorder.setRecordOne(options.record);
        if (options.progress)
            QObject::connect(
                &recorder, &subjects::PhraseRecorder::progress, [&](int done, int total) {
                    options.progress(done + report.ownRecordings, total + report.ownRecordings);
                });
        const QVector<QByteArray> recorded = recorder.record(texts, options.cancelled);
        for (int k = 0; k < spoken.size(); ++k)
            waves[spoken[k]] = recorded[k];
        subjects::WriteWordListSubject(options.out, options.code, list.rows, waves, options.force,
                                       options.cancelled);
        report.recorded = recorder.recorded();
        report.fromCache = recorder.fromCache();
    } catch (const subjects::WordListError &e) {
        throw ToolError(e.message());
    }
    report.phrases = int(list.rows.size());
    return report;
}

void ExportWordList(const QString &subject, const QString &out) {
    QVector<subjects::WordListRow> rows;
    try {
        ado::Connection cn;
        cn.Open(ado::ConnectionString(subject, subjects::SubjectPassword()));
        ado::Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM tblPhrases ORDER BY pkPhraseNo"), cn);
        for (; !rs.EOF_(); rs.MoveNext())
            rows << subjects::WordListRow{0,
                                          rs.Fields("tPhrase").Text(),
                                          rs.Fields("tTranslation").Text(),
                                          rs.Fields("tTranslation2").Text(),
                                          {}};
    } catch (const ado::Error &e) {
        throw ToolError(QStringLiteral("%1: %2").arg(subject, e.description()));
    }
    const QString part = out + QStringLiteral(".part");
    writeBytes(part, subjects::WordListCsv(rows));
    QFile::remove(out);
    if (!QFile::rename(part, out)) {
        QFile::remove(part);
        throw ToolError(QStringLiteral("cannot write '%1'").arg(out));
    }
}

// ---------------------------------------------------------------------------

namespace {

const char kUsage[] =
    "usage:\n"
    "  tvx-subject create --code <code> --tsv <phrases.tsv> --wav <folder> --out <file> "
    "[--force]\n"
    "  tvx-subject list <file>...\n"
    "  tvx-subject check <file> [--code <code>]\n"
    "  tvx-subject export <file> --out <folder>\n"
    "  tvx-subject demo --code <code> --content <folder> --out <program folder> "
    "[--wav-cache <folder>]\n"
    "  tvx-subject import <list.csv|list.txt|deck.apkg|collection.colpkg|words.kvtml> "
    "--code <code>\n"
    "      --out <file> [--keep-going] [--force] [--deck <name>]\n"
    "      [--phrase-column <n|name>] [--translation-column <n|name>]\n"
    "      [--translation2-column <n|name>] [--wav-cache <folder>]\n"
    "  tvx-subject export-list <file> --out <list.csv>\n";

// Ctrl+C during an import: the handler only notes it, and the import stops
// at its next step, so that it can remove what it had begun to write. A
// SIGINT that was ignored when the tool started (a background job) stays
// ignored.
class Interrupts {
public:
    Interrupts() {
#ifdef Q_OS_UNIX
        s_received = 0;
        struct sigaction ours {};
        ours.sa_handler = &Interrupts::note;
        sigemptyset(&ours.sa_mask);
        if (sigaction(SIGINT, nullptr, &m_old) == 0 && m_old.sa_handler != SIG_IGN)
            m_installed = sigaction(SIGINT, &ours, nullptr) == 0;
        if (m_installed) {
            sigset_t interrupt;
            sigemptyset(&interrupt);
            sigaddset(&interrupt, SIGINT);
            sigprocmask(SIG_UNBLOCK, &interrupt, &m_oldMask);
        }
#endif
    }
    ~Interrupts() {
#ifdef Q_OS_UNIX
        if (m_installed) {
            sigaction(SIGINT, &m_old, nullptr);
            sigprocmask(SIG_SETMASK, &m_oldMask, nullptr);
        }
#endif
    }
    Interrupts(const Interrupts &) = delete;
    Interrupts &operator=(const Interrupts &) = delete;

    static bool Received() {
        return s_received != 0;
    }

private:
#ifdef Q_OS_UNIX
    static void note(int) {
        s_received = 1;
    }
    struct sigaction m_old {};
    sigset_t m_oldMask{};
    bool m_installed = false;
#endif
    static inline volatile std::sig_atomic_t s_received = 0;
};

struct Arguments {
    QStringList positional;
    QMap<QString, QString> options;
    bool force = false;
    bool keepGoing = false;

    QString required(const QString &name) const {
        const QString value = options.value(name);
        if (value.isEmpty())
            throw ToolError(QStringLiteral("the option --%1 is missing").arg(name));
        return value;
    }
};

constexpr int kOneOrMore = -1;

Arguments parse(const QStringList &args, const QStringList &allowed, int positional) {
    Arguments parsed;
    for (int i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == QLatin1String("--force") && allowed.contains(QStringLiteral("force"))) {
            parsed.force = true;
        } else if (arg == QLatin1String("--keep-going") &&
                   allowed.contains(QStringLiteral("keep-going"))) {
            parsed.keepGoing = true;
        } else if (arg.startsWith(QLatin1String("--"))) {
            const QString name = arg.mid(2);
            if (!allowed.contains(name) || name == QLatin1String("force") ||
                name == QLatin1String("keep-going"))
                throw ToolError(QStringLiteral("unknown option '%1'").arg(arg));
            if (i + 1 >= args.size())
                throw ToolError(QStringLiteral("the option %1 needs a value").arg(arg));
            parsed.options.insert(name, args[++i]);
        } else {
            parsed.positional << arg;
        }
    }
    if (positional == kOneOrMore) {
        if (parsed.positional.isEmpty())
            throw ToolError(QStringLiteral("'%1' expects one or more file arguments").arg(args[0]));
    } else if (parsed.positional.size() != positional) {
        throw ToolError(QStringLiteral("'%1' expects %2 file argument(s), not %3")
                            .arg(args[0])
                            .arg(positional)
                            .arg(parsed.positional.size()));
    }
    return parsed;
}

} // namespace

int Run(const QStringList &args, QTextStream &out, QTextStream &err) {
    const QString command = args.value(0);
    try {
        if (command == QLatin1String("create")) {
            const Arguments a =
                parse(args,
                      {QStringLiteral("code"), QStringLiteral("tsv"), QStringLiteral("wav"),
                       QStringLiteral("out"), QStringLiteral("force")},
                      0);
            CreateOptions options;
            options.code = a.required(QStringLiteral("code"));
            options.tsv = a.required(QStringLiteral("tsv"));
            options.wavFolder = a.required(QStringLiteral("wav"));
            options.out = a.required(QStringLiteral("out"));
            options.force = a.force;
            CreateSubject(options);
            out << "created " << options.out << "\n";
            return 0;
        }
        if (command == QLatin1String("list")) {
            // Every file is listed as it is, and one that check rejects (the
            // program would refuse it or show it wrongly) says so.
            const Arguments a = parse(args, {}, kOneOrMore);
            const bool several = a.positional.size() > 1;
            bool allGood = true;
            for (const QString &file : a.positional) {
                if (several)
                    out << "file\t" << file << "\n";
                try {
                    out << ListSubject(file);
                } catch (const ToolError &e) {
                    if (!several)
                        throw;
                    err << "tvx-subject list: " << e.message() << "\n";
                    allGood = false;
                    continue;
                }
                const QStringList problems = CheckSubject(file);
                for (const QString &p : problems)
                    err << file << ": rejected by check: " << p << "\n";
                allGood = allGood && problems.isEmpty();
            }
            out.flush();
            return allGood ? 0 : 1;
        }
        if (command == QLatin1String("check")) {
            const Arguments a = parse(args, {QStringLiteral("code")}, 1);
            const QString code = a.options.value(QStringLiteral("code"));
            if (!code.isEmpty())
                RequireBuildCode(code);
            const QStringList problems = CheckSubject(a.positional[0], code);
            for (const QString &p : problems)
                err << a.positional[0] << ": " << p << "\n";
            if (problems.isEmpty())
                out << a.positional[0] << ": OK\n";
            return problems.isEmpty() ? 0 : 1;
        }
        if (command == QLatin1String("export")) {
            const Arguments a = parse(args, {QStringLiteral("out")}, 1);
            ExportSubject(a.positional[0], a.required(QStringLiteral("out")));
            out << "exported " << a.positional[0] << " to " << a.required(QStringLiteral("out"))
                << "\n";
            return 0;
        }
        if (command == QLatin1String("demo")) {
            const Arguments a = parse(args,
                                      {QStringLiteral("code"), QStringLiteral("content"),
                                       QStringLiteral("out"), QStringLiteral("wav-cache")},
                                      0);
            DemoOptions options;
            options.code = a.required(QStringLiteral("code"));
            options.content = a.required(QStringLiteral("content"));
            options.out = a.required(QStringLiteral("out"));
            options.wavCache = a.options.value(QStringLiteral("wav-cache"));
            const DemoReport report = BuildDemo(options);
            out << options.code << ": " << report.subjectFiles.size() << " subject file(s), "
                << report.virtualFiles.size() << " virtual folder(s); " << report.recorded
                << " phrase(s) recorded, " << report.fromCache << " from the cache\n";
            return 0;
        }
        if (command == QLatin1String("import")) {
            const Arguments a =
                parse(args,
                      {QStringLiteral("code"), QStringLiteral("out"), QStringLiteral("keep-going"),
                       QStringLiteral("force"), QStringLiteral("phrase-column"),
                       QStringLiteral("translation-column"), QStringLiteral("translation2-column"),
                       QStringLiteral("wav-cache"), QStringLiteral("deck")},
                      1);
            ImportOptions options;
            options.list = a.positional[0];
            options.code = a.required(QStringLiteral("code"));
            options.out = a.required(QStringLiteral("out"));
            options.keepGoing = a.keepGoing;
            options.force = a.force;
            // A column by its number from 1 or by its name (a header cell, a
            // note type's field).
            const auto column = [&](const QString &name, int &number, QString &named) {
                const QString text = a.options.value(name).trimmed();
                if (text.isEmpty())
                    return;
                bool ok = false;
                const int n = text.toInt(&ok);
                if (ok && n < 1)
                    throw ToolError(
                        QStringLiteral("--%1 takes a column number from 1 or a name").arg(name));
                if (ok)
                    number = n;
                else
                    named = text;
            };
            subjects::WordListOptions &c = options.columns;
            column(QStringLiteral("phrase-column"), c.phraseColumn, c.phraseColumnName);
            column(QStringLiteral("translation-column"), c.translationColumn,
                   c.translationColumnName);
            column(QStringLiteral("translation2-column"), c.translation2Column,
                   c.translation2ColumnName);
            c.deck = a.options.value(QStringLiteral("deck"));
            // Recordings are kept between runs, so importing a corrected list
            // again only records the phrases that changed.
            options.wavCache = a.options.value(QStringLiteral("wav-cache"));
            if (options.wavCache.isEmpty())
                options.wavCache = subjects::RecordingCache::DefaultFolder();
            int shown = -1;
            bool midLine = false;
            options.progress = [&err, &shown, &midLine](int done, int total) {
                const int width = 30;
                const int filled = total > 0 ? done * width / total : width;
                if (filled == shown && done != total)
                    return;
                shown = filled;
                err << "\rrecording [" << QString(filled, QLatin1Char('#'))
                    << QString(width - filled, QLatin1Char(' ')) << "] " << done << "/" << total;
                midLine = done != total;
                if (!midLine)
                    err << "\n";
                err.flush();
            };
            const Interrupts interrupts;
            options.cancelled = [] { return Interrupts::Received(); };
            ImportReport report;
            try {
                report = ImportWordList(options);
            } catch (const subjects::WordListCancelled &) {
                if (midLine)
                    err << "\n";
                err << "tvx-subject import: cancelled; " << options.out << " was not written\n";
                err.flush();
                return 130;
            }
            for (const QString &p : report.problems)
                err << options.list << ": left out: " << p << "\n";
            for (const QString &p : report.unreadableRecordings)
                err << options.list << ": " << p << "\n";
            if (report.decks.size() > 1 && options.columns.deck.isEmpty())
                err << options.list << ": the file holds " << report.decks.size()
                    << " decks, all imported: " << report.decks.join(QStringLiteral(", "))
                    << "; --deck NAME imports one\n";
            out << "imported " << report.phrases << " phrase(s) into " << options.out << " ("
                << report.recorded << " recorded, " << report.fromCache << " from the cache";
            if (report.ownRecordings > 0)
                out << ", " << report.ownRecordings << " with their own recording";
            out << ")\n";
            return 0;
        }
        if (command == QLatin1String("export-list")) {
            const Arguments a = parse(args, {QStringLiteral("out")}, 1);
            ExportWordList(a.positional[0], a.required(QStringLiteral("out")));
            out << "wrote the phrases of " << a.positional[0] << " to "
                << a.required(QStringLiteral("out")) << "\n";
            return 0;
        }
        err << kUsage;
        return 1;
    } catch (const ToolError &e) {
        err << "tvx-subject " << command << ": " << e.message() << "\n";
        return 1;
    } catch (const ado::Error &e) {
        err << "tvx-subject " << command << ": " << e.description() << "\n";
        return 1;
    }
}

} // namespace tvxsubject
