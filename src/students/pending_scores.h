// Scores that could not be added to the student database when a game ended
// (another program held the file locked for longer than the learner waited)
// are kept beside it, one small file per score, and added later: when an
// activity or the shell starts again. Adding is done at most once: a row of
// tblscores identical to a kept score means that it was added already (by a
// program that ended before it could forget the kept file), so it is never
// added twice.
#pragma once

#include "study_data/study_results.h"

#include <QDateTime>
#include <QString>
#include <QVector>

namespace scores {

// One row of tblscores, as an activity writes it.
struct Row {
    QString name;           // tName
    QString activity;       // tActivity
    QString subject;        // tSubject
    QString textScore;      // textScore; empty text, never Null
    double numberScore = 0; // numberScore
    qint64 date = 0;        // nDate, yyyymmdd
    qint64 time = 0;        // nTime, seconds since midnight
};

// How long the shell's start-up waits for a locked student database before
// it leaves the kept scores for the next time.
inline constexpr int kStartUpWaitMs = 250;

// Adds the row unless an identical one is there already; the check and the
// insert are one write transaction, so two programs adding the same kept
// score at once add it once. Returns true when it added the row, false when
// it was there. Throws ado::Error (locked() when the file stayed locked for
// busyTimeoutMs); never creates a missing database.
bool Add_Once(const QString &databasePath, const Row &row, int busyTimeoutMs);

// The folder of kept scores beside a student database: "<database>.pending"
// ("Users.dat.pending").
QString Pending_Folder(const QString &databasePath);

// Keeps a score to be added later, written whole or not at all. Returns the
// kept file, or an empty text when the folder cannot be written.
QString Keep(const QString &databasePath, const Row &row);

// Forgets a kept score once it is in the database.
void Forget(const QString &keptFile);

// A game's per-phrase results, kept the same way when the database stayed
// locked, and written later as the game would have written them. Writing
// them twice adds nothing: results already in tblResults are skipped.
struct KeptResults {
    QString studyFile;     // the study file's name
    QDateTime gameStarted; // finds the launch the study set came from
    QVector<studyResults::EntryTexts> entries;
    QVector<studyResults::PhraseResult> results;
};
// Returns the kept file, or an empty text when the folder cannot be written.
QString Keep_Results(const QString &databasePath, const KeptResults &kept);

struct Pending {
    int added = 0;        // rows added now
    int alreadyThere = 0; // kept scores found in the database already
    int left = 0;         // kept for the next time (locked, or a damaged file)
};

// Adds every kept score of this database (oldest first), then the kept
// results, and forgets each one that is in the database afterwards (kept
// results that find no launch any more are forgotten too, as they would have
// been when their game ended). The counts are the scores'. A locked or unreadable database leaves
// the rest for the next time; a kept file that cannot be read is left alone
// for a person to look at. Never throws, never creates the database.
Pending Write_Pending_Scores(const QString &databasePath, int busyTimeoutMs = kStartUpWaitMs);

} // namespace scores
