// tvx-review's logic: reads the study sets and results of a student database
// and prints, for each student and source phrase, how many reviews it had,
// the last grade, its difficulty, stability and retrievability on the day
// asked for (today unless --at), and the day it is due. Results that cannot
// be traced to a recorded phrase are left out and counted in one line.
//
// One student's history (--student) is read through the indexes of the
// launches by student and of the results by launch id, never by a scan of
// every student's results (studyResults::Student_History_Plan shows the
// plan; a test holds it to that).
#pragma once

#include "study_data/fsrs.h"

#include <QDate>
#include <QString>
#include <QStringList>

class QTextStream;

namespace reviewTool {

struct Options {
    QString database;
    QString student; // empty: every student
    QDate at;        // the day retrievability is given for
    bool csv = false;
    fsrs::Parameters parameters;
};

// Reads the command line (without the program's name). On a mistake returns
// false with *error saying what is wrong.
bool Parse_Arguments(const QStringList &args, const QDate &today, Options *options, QString *error);

// Runs the tool: 0 done, 1 the database could not be read, 2 a wrong
// command line (with the usage).
int Run(const QStringList &args, QTextStream &out, QTextStream &err,
        const QDate &today = QDate::currentDate());

} // namespace reviewTool
