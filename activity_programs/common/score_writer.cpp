#include "score_writer.h"

#include "platform/ado.h"

#include <QDir>
#include <QFileInfo>

namespace activity {

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

scores::Row TableRow(const ScoreRow &row) {
    return scores::Row{row.name,
                       row.activity,
                       row.subject,
                       row.textScore,
                       row.numberScore,
                       DateNumber(row.when.date()),
                       TimeNumber(row.when.time())};
}

WriteResult WriteScore(const QString &databasePath, const ScoreRow &row, const ActivityTexts &texts,
                       QString *reason, int busyTimeoutMs) {
    // The database layer never creates a missing file; saying so plainly
    // beats its generic "file not found".
    if (!QFileInfo(databasePath).isFile()) {
        *reason = texts(Text::DatabaseMissing).arg(QDir::toNativeSeparators(databasePath));
        return WriteResult::Failed;
    }
    try {
        scores::Add_Once(databasePath, TableRow(row), busyTimeoutMs);
        return WriteResult::Written;
    } catch (const ado::Error &e) {
        // A failed add commits nothing, so trying again cannot add twice.
        *reason = e.description();
        return e.locked() ? WriteResult::Locked : WriteResult::Failed;
    } catch (const std::exception &e) {
        *reason = QString::fromUtf8(e.what());
        return WriteResult::Failed;
    }
}

} // namespace activity
