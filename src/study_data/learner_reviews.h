// What a learner is given to review: the phrases due today, most overdue
// first, the day of the next review when none is due, and the difficult
// phrases (not known at least once, or grown hard). Read from the learner's
// own history only.
//
// The desired retention the administrator chose is kept with the program's
// other settings and read through Schedule_Parameters wherever a schedule is
// worked out.
#pragma once

#include "study_data/fsrs.h"
#include "study_data/study_results.h"

#include <QDate>
#include <QString>
#include <QVector>

#include <functional>

class Program;

namespace learnerReviews {

using studyResults::PhraseSchedule;

// A study set's limit: a review list offers no more than an activity takes.
inline constexpr int kMostPhrases = 10;

// From this FSRS difficulty (of 1 to 10) on, a phrase the learner keeps
// finding hard is difficult even without an "again".
inline constexpr double kDifficultFrom = 7.0;

// One student's difficult phrases: those answered "again" at least once (the
// first answer included) or grown hard (kDifficultFrom), the most "again"s
// first, then the lowest retrievability; at most `most`.
QVector<PhraseSchedule> Difficult_Phrases(const QVector<PhraseSchedule> &schedule, int most);

struct Reviews {
    int dueCount = 0;                // every phrase due on or before the day
    QVector<PhraseSchedule> due;     // the most overdue, at most kMostPhrases
    QDate nextDue;                   // none due: the earliest next review (or null)
    int difficultCount = 0;
    QVector<PhraseSchedule> difficult; // at most kMostPhrases
    bool hasHistory = false;           // the student has studied anything at all
};

// Whether a source phrase can be studied now (its subject is installed).
using UsablePhrase = std::function<bool(const studyResults::SourcePhrase &)>;

// The reviews of student on day at from the student database at usersPath,
// of the phrases usable says can be studied (all of them without it).
// Throws std::exception (ado::Error for the database's own) when the results
// cannot be read; a database without results has none.
Reviews Read_Reviews(const QString &usersPath, const QString &student, const QDate &at,
                     const fsrs::Parameters &parameters, const UsablePhrase &usable = {});

// The desired retention in whole percent, fsrs::kLowestRetention to
// kHighestRetention; the default when nothing (or nothing allowed) is stored.
int Desired_Retention_Percent(Program &program);
void Save_Desired_Retention_Percent(Program &program, int percent);
// The scheduler's parameters with the stored retention.
fsrs::Parameters Schedule_Parameters(Program &program);

} // namespace learnerReviews
