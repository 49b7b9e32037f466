// The study set of a launch as the student database keeps it, so that the
// grades an activity gives its entries lead back to their source phrases,
// after the shell has ended and whichever shell launched them.
#pragma once

#include "activities/study_set.h"

#include <QString>
#include <QVector>

class Program;

namespace activities {

// How long a launch waits for a student database that an activity is
// writing: long enough for one activity's results, short enough that the
// learner hardly notices.
inline constexpr int kLaunchRecordWaitMs = 2000;

// Records the launch of the study file just written (its name, the current
// student, the subject's title, now) with its entries. A database that
// cannot take it (read-only, locked, damaged) only costs the grades of this
// launch: the activity starts all the same. Returns the launch id, or an
// empty text when nothing was recorded.
QString Record_Launch(Program &program, const QString &subjectTitle,
                      const QVector<StudyEntry> &entries);

} // namespace activities
