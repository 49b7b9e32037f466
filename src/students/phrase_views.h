// What the class remembers of each phrase, read without a window: the
// progress viewer's view by phrase (every source phrase with results, how
// many students studied it, how many answered it right the first time, how
// well it is recalled today, worst first), a phrase's students, its export as
// CSV, and the short list a teacher's review starts from (the worst phrases
// of a subject or of the class).
#pragma once

#include "study_data/fsrs.h"
#include "students/score_views.h"
#include "study_data/study_results.h"
#include "subject_data/phrase.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

class Captions;
class Program;

namespace phraseViews {

using studyResults::PhraseSchedule;

// One source phrase and every student who has results for it.
struct PhraseRow {
    studyResults::SourcePhrase source;
    // The texts of the latest study set that held it.
    QString phrase;
    QString translation;
    QString translation2;
    int rightFirst = 0; // students whose first answer was not "again"
    double rightFirstShare = 0;
    double meanRetrievability = 0; // over its students, on the day asked for
    int lapses = 0;                // all its students' together
    QVector<PhraseSchedule> students; // by name

    int Students() const { return int(students.size()); }
};

// The schedules (of any number of students) grouped by source phrase, worst
// first: the lowest mean retrievability, then the lowest share of first
// answers right, then the most lapses; equal ones by file and number.
QVector<PhraseRow> By_Phrase(const QVector<PhraseSchedule> &schedule);

// The `most` worst rows, of one installed subject file or, for an empty
// name, of the class; in the order of By_Phrase.
QVector<PhraseRow> Worst_Phrases(const QVector<PhraseRow> &rows, int most,
                                 const QString &sourceFile = QString());

// The source phrase of a row, with its latest texts, as the virtual store
// copies it.
subjectData::Phrase Source_Phrase(const PhraseRow &row);

// The installed subject files of the rows, in the order they first appear
// (the worst first).
QStringList Source_Files(const QVector<PhraseRow> &rows);

struct PhraseView {
    QVector<PhraseRow> phrases;
    int unmatched = 0; // results left out of every schedule
};

// Every student's results in the student database, scheduled on day at and
// grouped by phrase. Throws std::exception (ado::Error for the database's
// own) when the results cannot be read.
PhraseView Read_Phrase_View(const QString &usersPath, const QDate &at,
                            const fsrs::Parameters &parameters);

// Works the next reviews out again for another desired retention: it moves
// them only, the memory states and today's recall stay as they were read.
void Move_Next_Reviews(PhraseView &view, const fsrs::Parameters &parameters);

// What the viewer shows: a phrase's node, the list's headings and a
// student's row (name, answers oldest first, recall today, next review in
// the learner's short date form), and the line counting what was left out.
QString Node_Text(const PhraseRow &row, const Captions &captions);
QStringList List_Headings(const Captions &captions);
QStringList Student_Row(const PhraseSchedule &schedule, const scores::DateForms &forms);
QString Unmatched_Text(int unmatched, const Captions &captions);
// A share as the viewer writes it: "67 %".
QString Percent_Text(double share);

// The export of the view: one record per phrase and student, in the view's
// order; the phrase's figures repeated on each of its students' records.
// Numbers take a decimal comma in the spreadsheet form.
QStringList Csv_Header(const Captions &captions);
QStringList Csv_Record(const PhraseRow &row, const PhraseSchedule &student,
                       const scores::DateForms &forms, scores::CsvForm form);
// Writes the whole view to path; replaced only when all of it was written.
// Throws with a description otherwise.
void Export_Csv(const PhraseView &view, const Captions &captions, const QString &path,
                const scores::DateForms &forms, scores::CsvForm form);

} // namespace phraseViews
