// Adds a game's result to tblscores of the student database, the file the
// shell's progress viewer reads. The shell or another activity may be using
// the file at the same moment, so a busy database is waited for; a score
// that cannot be added yet is kept beside the database (ScoreSaver).
#pragma once

#include "activity_texts.h"
#include "students/pending_scores.h"
#include "study_file.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

namespace activity {

// One row of tblscores.
struct ScoreRow {
    QString name;           // tName: the student's display name (study file line 6)
    QString activity;       // tActivity: the activity's name in the learner's language
    QString subject;        // tSubject: the subject's title (study file line 7)
    QString textScore;      // shown by the viewer instead of numberScore when not empty
    double numberScore = 0; // numberScore
    QDateTime when;         // local time of the game's end: nDate and nTime
};

// nDate: the local date as the number yyyymmdd (20250131 for 31 January 2025).
qint64 DateNumber(const QDate &date);
// nTime: seconds since local midnight, 0 to 86399.
qint64 TimeNumber(const QTime &time);

ScoreRow MakeScoreRow(const StudyFile &file, const QString &activity, double numberScore,
                      const QString &textScore,
                      const QDateTime &when = QDateTime::currentDateTime());

// The row as tblscores stores it: nDate and nTime from when.
scores::Row TableRow(const ScoreRow &row);

enum class WriteResult {
    Written, // the row is in tblscores (added now, or found there already)
    Locked,  // another program held the database for the whole wait
    Failed,  // anything else: a missing or damaged database, a full disk
};

// One try at adding the row, at most once (an identical row already there
// counts as written), waiting up to busyTimeoutMs for a database another
// program is writing. Unless Written, *reason says why in the learner's
// language. Never creates a missing database. Safe on any thread.
WriteResult WriteScore(const QString &databasePath, const ScoreRow &row, const ActivityTexts &texts,
                       QString *reason, int busyTimeoutMs = 5000);

} // namespace activity
