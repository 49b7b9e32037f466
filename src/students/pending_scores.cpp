#include "students/pending_scores.h"

#include "frame/mod_main.h"
#include "platform/ado.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QUuid>

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

QString Pending_Folder(const QString &databasePath) {
    return databasePath + QStringLiteral(".pending");
}

QString Keep(const QString &databasePath, const Row &row) {
    const QString folder = Pending_Folder(databasePath);
    if (!QDir().mkpath(folder))
        return {};
    // Named by the time of keeping, so that the kept scores are added in the
    // order of their games; the random part keeps two programs apart.
    const QString path =
        folder + QLatin1Char('/') +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmsszzz")) +
        QLatin1Char('-') + QUuid::createUuid().toString(QUuid::WithoutBraces) +
        QStringLiteral(".json");
    QJsonObject o;
    o.insert(kName, textOf(row.name));
    o.insert(kActivity, textOf(row.activity));
    o.insert(kSubject, textOf(row.subject));
    o.insert(kTextScore, textOf(row.textScore));
    o.insert(kNumberScore, row.numberScore);
    o.insert(kDate, double(row.date));
    o.insert(kTime, double(row.time));
    // Written under another name and renamed when complete: a reader never
    // meets half a score.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(o).toJson(QJsonDocument::Indented)) < 0 || !file.commit())
        return {};
    return path;
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
            break;
        }
    }
    return result;
}

} // namespace scores
