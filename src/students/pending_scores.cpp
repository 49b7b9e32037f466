#include "students/pending_scores.h"

#include "frame/mod_main.h"
#include "platform/ado.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QUuid>

#include <optional>

namespace scores {

namespace {

const QString kName = QStringLiteral("tName");
const QString kActivity = QStringLiteral("tActivity");
const QString kSubject = QStringLiteral("tSubject");
const QString kTextScore = QStringLiteral("textScore");
const QString kNumberScore = QStringLiteral("numberScore");
const QString kDate = QStringLiteral("nDate");
const QString kTime = QStringLiteral("nTime");

// Empty text, never Null: the viewer shows numberScore for it, and the
// comparison with a kept score must not tell the two apart.
QString textOf(const QString &text) {
    return text.isNull() ? QString(QLatin1String("")) : text;
}

QVariantList valuesOf(const Row &row) {
    return {textOf(row.name),
            textOf(row.activity),
            textOf(row.subject),
            textOf(row.textScore),
            row.numberScore,
            row.date,
            row.time};
}

bool readKept(const QString &path, Row *row) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    const QJsonObject o = document.object();
    for (const QString &key : {kName, kActivity, kSubject, kTextScore})
        if (!o.value(key).isString())
            return false;
    for (const QString &key : {kNumberScore, kDate, kTime})
        if (!o.value(key).isDouble())
            return false;
    row->name = o.value(kName).toString();
    row->activity = o.value(kActivity).toString();
    row->subject = o.value(kSubject).toString();
    row->textScore = o.value(kTextScore).toString();
    row->numberScore = o.value(kNumberScore).toDouble();
    row->date = qint64(o.value(kDate).toDouble());
    row->time = qint64(o.value(kTime).toDouble());
    return true;
}

} // namespace

bool Add_Once(const QString &databasePath, const Row &row, int busyTimeoutMs) {
    ado::Connection db;
    db.Open(modMain::Get_Template_Connection_String(databasePath));
    db.SetBusyTimeout(busyTimeoutMs);
    // Taking the write lock first makes the check and the insert one step
    // for every other program.
    db.Execute(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        ado::Recordset same;
        same.Open(QStringLiteral("SELECT tName FROM tblscores WHERE tName IS ? AND tActivity IS ? "
                                 "AND tSubject IS ? AND textScore IS ? AND numberScore IS ? AND "
                                 "nDate IS ? AND nTime IS ? LIMIT 1"),
                  db, valuesOf(row));
        const bool there = !ado::AtEnd(same);
        same.Close();
        if (!there) {
            ado::Recordset rs;
            // No row is read: the recordset only serves to add one.
            rs.Open(QStringLiteral("SELECT * FROM tblscores WHERE 1 = 0"), db);
            rs.AddNew();
            const QVariantList values = valuesOf(row);
            const QString columns[] = {kName,        kActivity, kSubject, kTextScore,
                                       kNumberScore, kDate,     kTime};
            for (int i = 0; i < values.size(); ++i)
                rs[columns[i]].SetValue(values[i]);
            rs.Update();
            rs.Close();
        }
        db.Execute(QStringLiteral("COMMIT"));
        db.Close();
        return !there;
    } catch (...) {
        try {
            db.Execute(QStringLiteral("ROLLBACK"));
        } catch (const ado::Error &) {
            // Closing the connection rolls back as well.
        }
        throw;
    }
}

namespace {

const QString kResultsSuffix = QStringLiteral(".results");

// A new kept file's path: named by the time of keeping, so that kept things
// are added in the order of their games; the random part keeps two programs
// apart.
QString newKeptPath(const QString &folder, const QString &suffix) {
    return folder + QLatin1Char('/') +
           QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmsszzz")) +
           QLatin1Char('-') + QUuid::createUuid().toString(QUuid::WithoutBraces) + suffix;
}

// Written under another name and renamed when complete: a reader never meets
// half of it.
bool writeWhole(const QString &path, const QJsonObject &o) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(QJsonDocument(o).toJson(QJsonDocument::Indented)) >= 0 && file.commit();
}

std::optional<KeptResults> readKeptResults(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject o = document.object();
    KeptResults kept;
    kept.studyFile = o.value(QStringLiteral("studyFile")).toString();
    kept.gameStarted =
        QDateTime::fromString(o.value(QStringLiteral("gameStarted")).toString(), Qt::ISODateWithMs);
    if (kept.studyFile.isEmpty() || !kept.gameStarted.isValid())
        return std::nullopt;
    for (const QJsonValue &v : o.value(QStringLiteral("entries")).toArray()) {
        const QJsonArray texts = v.toArray();
        if (texts.size() != 3)
            return std::nullopt;
        kept.entries << studyResults::EntryTexts{texts[0].toString(), texts[1].toString(),
                                                 texts[2].toString()};
    }
    for (const QJsonValue &v : o.value(QStringLiteral("results")).toArray()) {
        const QJsonObject r = v.toObject();
        const QDateTime when =
            QDateTime::fromString(r.value(QStringLiteral("when")).toString(), Qt::ISODateWithMs);
        if (!when.isValid())
            return std::nullopt;
        kept.results << studyResults::PhraseResult{r.value(QStringLiteral("entry")).toInt(),
                                                   r.value(QStringLiteral("grade")).toInt(), when,
                                                   r.value(QStringLiteral("seconds")).toDouble(-1)};
    }
    return kept;
}

// Writes the kept results of the database; stops at the first that cannot
// be written now.
void writeKeptResults(const QString &databasePath, int busyTimeoutMs) {
    const QDir folder(Pending_Folder(databasePath));
    const QStringList kept =
        folder.entryList({QLatin1Char('*') + kResultsSuffix}, QDir::Files, QDir::Name);
    for (const QString &name : kept) {
        const QString path = folder.absoluteFilePath(name);
        const std::optional<KeptResults> results = readKeptResults(path);
        if (!results)
            continue; // gone meanwhile, or damaged: left for a person to look at
        try {
            studyResults::Write_Results(databasePath, results->studyFile, results->gameStarted,
                                        results->entries, results->results, busyTimeoutMs);
            Forget(path);
        } catch (const std::exception &) {
            return;
        }
    }
}

} // namespace

QString Keep_Results(const QString &databasePath, const KeptResults &kept) {
    const QString folder = Pending_Folder(databasePath);
    if (!QDir().mkpath(folder))
        return {};
    QJsonObject o;
    o.insert(QStringLiteral("studyFile"), kept.studyFile);
    o.insert(QStringLiteral("gameStarted"), kept.gameStarted.toString(Qt::ISODateWithMs));
    QJsonArray entries;
    for (const studyResults::EntryTexts &e : kept.entries)
        entries.append(QJsonArray{e.phrase, e.translation, e.translation2});
    o.insert(QStringLiteral("entries"), entries);
    QJsonArray results;
    for (const studyResults::PhraseResult &r : kept.results)
        results.append(QJsonObject{{QStringLiteral("entry"), r.entry},
                                   {QStringLiteral("grade"), r.grade},
                                   {QStringLiteral("when"), r.when.toString(Qt::ISODateWithMs)},
                                   {QStringLiteral("seconds"), r.seconds}});
    o.insert(QStringLiteral("results"), results);
    const QString path = newKeptPath(folder, kResultsSuffix);
    return writeWhole(path, o) ? path : QString();
}

QString Pending_Folder(const QString &databasePath) {
    return databasePath + QStringLiteral(".pending");
}

QString Keep(const QString &databasePath, const Row &row) {
    const QString folder = Pending_Folder(databasePath);
    if (!QDir().mkpath(folder))
        return {};
    QJsonObject o;
    o.insert(kName, textOf(row.name));
    o.insert(kActivity, textOf(row.activity));
    o.insert(kSubject, textOf(row.subject));
    o.insert(kTextScore, textOf(row.textScore));
    o.insert(kNumberScore, row.numberScore);
    o.insert(kDate, double(row.date));
    o.insert(kTime, double(row.time));
    const QString path = newKeptPath(folder, QStringLiteral(".json"));
    return writeWhole(path, o) ? path : QString();
}

void Forget(const QString &keptFile) {
    if (!keptFile.isEmpty())
        QFile::remove(keptFile);
}

Pending Write_Pending_Scores(const QString &databasePath, int busyTimeoutMs) {
    Pending result;
    const QDir folder(Pending_Folder(databasePath));
    if (!folder.exists())
        return result;
    // Only complete files: one being written has another name until it is.
    const QStringList kept = folder.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    for (qsizetype i = 0; i < kept.size(); ++i) {
        const QString path = folder.absoluteFilePath(kept[i]);
        Row row;
        if (!readKept(path, &row)) {
            // Another program may have added and forgotten it meanwhile;
            // otherwise it is damaged and stays for a person to look at.
            if (QFileInfo::exists(path))
                ++result.left;
            continue;
        }
        // The database is never made here: a missing one has no place for
        // the scores yet.
        if (!QFileInfo(databasePath).isFile()) {
            result.left += int(kept.size() - i);
            break;
        }
        try {
            if (Add_Once(databasePath, row, busyTimeoutMs))
                ++result.added;
            else
                ++result.alreadyThere;
            Forget(path);
        } catch (const std::exception &) {
            // Locked or unreadable now: every later score would fare the same.
            result.left += int(kept.size() - i);
            return result;
        }
    }
    if (QFileInfo(databasePath).isFile())
        writeKeptResults(databasePath, busyTimeoutMs);
    return result;
}

} // namespace scores
