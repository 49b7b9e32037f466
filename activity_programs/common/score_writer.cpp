#include "score_writer.h"

#include "frame/mod_main.h"
#include "platform/ado.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

namespace activity {

namespace {

// Each try waits up to the connection's busy timeout (5 s) for a lock held
// by the shell or another activity; a few tries outlast a long write there.
constexpr int kTries = 3;
constexpr int kPauseBetweenTriesMs = 300;

void addRow(const QString &databasePath, const ScoreRow &row) {
    ado::Connection db;
    db.Open(modMain::Get_Template_Connection_String(databasePath));
    ado::Recordset rs;
    // No row is read: the recordset only serves to add one.
    rs.Open(QStringLiteral("SELECT * FROM tblscores WHERE 1 = 0"), db);
    rs.AddNew();
    rs[QStringLiteral("tName")].SetValue(row.name);
    rs[QStringLiteral("tActivity")].SetValue(row.activity);
    rs[QStringLiteral("tSubject")].SetValue(row.subject);
    // Empty text, never Null: the viewer shows numberScore for it.
    rs[QStringLiteral("textScore")].SetValue(row.textScore.isNull() ? QString(QLatin1String(""))
                                                                    : row.textScore);
    rs[QStringLiteral("numberScore")].SetValue(row.numberScore);
    rs[QStringLiteral("nDate")].SetValue(DateNumber(row.when.date()));
    rs[QStringLiteral("nTime")].SetValue(TimeNumber(row.when.time()));
    rs.Update();
    rs.Close();
    db.Close();
}

} // namespace

qint64 DateNumber(const QDate &date) {
    return qint64(date.year()) * 10000 + date.month() * 100 + date.day();
}

qint64 TimeNumber(const QTime &time) {
    return time.msecsSinceStartOfDay() / 1000;
}

ScoreRow MakeScoreRow(const StudyFile &file, const QString &activity, double numberScore,
                      const QString &textScore, const QDateTime &when) {
    return ScoreRow{file.studentName, activity, file.subjectTitle, textScore, numberScore, when};
}

bool WriteScore(const QString &databasePath, const ScoreRow &row, const ActivityTexts &texts,
                QString *reason) {
    // The database layer never creates a missing file; saying so plainly
    // beats its generic "file not found".
    if (!QFileInfo(databasePath).isFile()) {
        *reason = texts(Text::DatabaseMissing).arg(QDir::toNativeSeparators(databasePath));
        return false;
    }
    QString last;
    for (int attempt = 1; attempt <= kTries; ++attempt) {
        try {
            addRow(databasePath, row);
            return true;
        } catch (const ado::Error &e) {
            // A failed add commits nothing, so trying again cannot add twice.
            // Errors that are not a lock (a wrong password, a foreign file)
            // fail again quickly and end up reported the same way.
            last = e.description();
        }
        if (attempt < kTries)
            QThread::msleep(kPauseBetweenTriesMs);
    }
    *reason = last;
    return false;
}

} // namespace activity
