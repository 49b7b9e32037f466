// What each phrase a student studied became: the study sets the shell hands
// to activities (one launch row and one row per entry, with the phrase's
// source), the grades that activities give each phrase they asked, and the
// review history and schedule read back from them. Everything lives in the
// student database beside tblscores; a database from before these tables
// gets them when the shell opens it.
//
//   tblLaunches      one row per launch: a unique id (tLaunch), the study
//                    file's name, the student, the subject, date and time
//   tblLaunchEntries one row per entry 1..10: the source subject file and
//                    phrase number, and the phrase's three texts
//   tblResults       written by activities: the study file's name, the entry,
//                    a grade 1..4, date and time, optionally the launch id and
//                    the seconds the learner took
//
// A result finds its launch by the launch id when it carries one, otherwise
// as the latest launch of its study file at or before the result's time. A
// result that finds none, an entry the launch did not have, a grade outside
// 1..4 or a missing date or time is left out and counted.
//
// Every call opens its own connection and closes it before returning;
// failures throw std::exception (ado::Error for the database's own).
#pragma once

#include "study_data/fsrs.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

namespace ado {
class Connection;
}

namespace studyResults {

// Creates the three tables and their indexes where they are missing.
void Create_Tables(ado::Connection &connection);
// The same on the student database at usersPath; false when the file cannot
// take them now (missing, read-only, locked for busyTimeoutMs, damaged).
bool Ensure_Tables(const QString &usersPath, int busyTimeoutMs = 500);

// One entry of a study set and the phrase it came from. For a virtual
// subject's phrase the source is the installed subject it was copied from.
struct LaunchEntry {
    int entry = 0;      // 1..10, its place in the study file
    QString sourceFile; // the installed subject file's name, e.g. "Food.ito"
    int phraseNo = 0;   // pkPhraseNo in that file
    QString phrase;
    QString translation;
    QString translation2;
};

struct Launch {
    QString id;        // unique among all shells (New_Launch_Id)
    QString studyFile; // the study file's name without a folder
    QString student;   // display name, as line 6 of the study file
    QString subject;   // the subject's title, as line 7
    QDateTime when;    // local time
    QVector<LaunchEntry> entries;
};

QString New_Launch_Id();

// Records the launch with its entries in one transaction (creating the
// tables when the file has none yet). Throws when it cannot.
void Record_Launch(const QString &usersPath, const Launch &launch, int busyTimeoutMs);

// An activity's answer for one phrase.
struct PhraseResult {
    int entry = 0;       // 1..10
    int grade = 0;       // fsrs::Grade
    QDateTime when;      // local time of the answer
    double seconds = -1; // how long the learner took; < 0 when not known
};

// The texts an activity read for an entry, to make sure the launch found is
// the one its study file came from.
struct EntryTexts {
    QString phrase;
    QString translation;
    QString translation2;
};

enum class ResultsWritten {
    Written,  // every result is in tblResults
    NoTable,  // an older database without tblResults: nothing to do
    NoLaunch, // no recorded launch gave this study file: nothing written
};

// Writes a game's results in one transaction, each carrying the id of the
// launch its study file came from: the latest launch of studyFileName at or
// before gameStarted whose entries hold exactly these texts. A result that is
// there already (the same launch, entry, grade and second) is not added
// again, so writing the same results twice adds them once. Throws
// ado::Error (locked() when the file stayed locked for busyTimeoutMs).
ResultsWritten Write_Results(const QString &usersPath, const QString &studyFileName,
                             const QDateTime &gameStarted, const QVector<EntryTexts> &entries,
                             const QVector<PhraseResult> &results, int busyTimeoutMs);

// A phrase as the scheduler knows it: the installed file and phrase number
// it came from.
struct SourcePhrase {
    QString file;
    int phraseNo = 0;
    friend bool operator==(const SourcePhrase &, const SourcePhrase &) = default;
};

// One student's answers to one source phrase, oldest first.
struct PhraseHistory {
    QString student;
    SourcePhrase source;
    // The texts of its latest study set.
    QString phrase;
    QString translation;
    QString translation2;
    QVector<fsrs::Review> reviews;
};

struct Histories {
    // By student, then source file and phrase number.
    QVector<PhraseHistory> phrases;
    int unmatched = 0; // results left out (see above)
};

// The histories of one student (by display name), or of every student for
// an empty name. A student's history reads that student's launches and their
// results only, through the indexes. A database without the tables has no
// histories.
Histories Read_Histories(const QString &usersPath, const QString &student = QString());

// How the database reads one student's history: the steps of its plans
// (EXPLAIN QUERY PLAN), each of which should search an index rather than
// scan a table of every student's rows.
QStringList Student_History_Plan(const QString &usersPath);

// A phrase's memory state on a given day.
struct PhraseSchedule {
    PhraseHistory history;
    fsrs::MemoryState state;
    double retrievability = 0; // on the day asked for
    QDate due;
};

QVector<PhraseSchedule> Schedule(const QVector<PhraseHistory> &histories, const QDate &at,
                                 const fsrs::Parameters &parameters = {});

// The phrases due on or before at, most overdue first (the earliest due
// day, then the lowest retrievability), at most `most` of them.
QVector<PhraseSchedule> Due_Phrases(const QVector<PhraseSchedule> &schedule, const QDate &at,
                                    int most);

} // namespace studyResults
