// What the progress viewer shows, read from the student database without a
// window: the two levels of the three views (by student, by activity, by
// subject), the score rows of one pair of names, the points of the progress
// chart and the export of a whole view as CSV. Every call opens its own
// connection and closes it before returning; failures throw std::exception
// whose what() is a sentence to show the user.
#pragma once

#include "students/score_dates.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

class Captions;
namespace ado {
class Connection;
}

namespace scores {

// The views in the order of the view choice. The first kViewCount arrange
// the score rows by their names (below); the view by phrase shows what the
// class remembers of each phrase (phraseViews).
enum View : int { ByStudent = 0, ByActivity = 1, BySubject = 2, ByPhrase = 3 };
inline constexpr int kViewCount = 3;
inline constexpr int kViewChoices = 4;

// Pictures of the viewer's image list: the 40 faces, then these.
inline constexpr int kImageCount = 43;
inline constexpr int kActivityImage = 41;
inline constexpr int kActivitySelectedImage = 42;
inline constexpr int kSubjectImage = 43;
// The text of the one node of a view without data.
inline constexpr int kNoDataCaption = 55;

// The three kinds of names a score row carries, in the order the views
// cycle through them: view v lists kind v, under it kind v + 1, and the
// list's first column shows kind v + 2.
enum Kind : int { Student = 0, Activity = 1, Subject = 2 };
inline constexpr int FirstLevelKind(int view) {
    return view;
}
inline constexpr int SecondLevelKind(int view) {
    return (view + 1) % kViewCount;
}
inline constexpr int ColumnKind(int view) {
    return (view + 2) % kViewCount;
}
// The caption naming a kind: the view's text, and the heading of a column
// showing that kind.
int KindCaption(int kind);

// A node of a view's tree.
struct ViewItem {
    QString text;
    int image = 0;
    int selectedImage = 0;
    QString tag; // a student's key in the view by student; empty otherwise
};

// A view's tree: the first level, and the second level that every
// first-level node carries (the full cross product, scores or not).
struct ViewTree {
    QVector<ViewItem> firstLevel;
    QVector<ViewItem> secondLevel;
    // Nothing to list under the first level: the tree ends with one node
    // reading caption 55, and no first-level node has children.
    bool noData = false;
};

// One row of tblscores as the list shows it.
struct ScoreRow {
    QString names[kViewCount]; // tName, tActivity, tSubject, by Kind
    QString score;             // textScore when not empty, otherwise numberScore
    QString date;              // nDate as the reader reads it (see Date_Text)
    QString time;              // nTime likewise
    // numberScore when the score shows it; invalid for a text score (and
    // for an empty number).
    QVariant number;
    QVariant dateValue; // nDate and nTime as stored
    QVariant timeValue;

    const QString &Column1(int view) const { return names[ColumnKind(view)]; }
};

// A point of the progress chart.
struct ChartPoint {
    double score = 0;
    QString date; // as the list shows them
    QString time;
    // The point's label on the time axis: its day in the short form, or the
    // stored text of a date that could not be read.
    QString day;
};

// The two forms of the export: RFC 4180 (commas, UTF-8, numbers with a
// decimal point, dates as the list shows them), and the form a spreadsheet
// set to Spanish opens into columns (semicolons, a UTF-8 byte order mark,
// decimal commas, dates and times it reads as such).
enum class CsvForm : int { Rfc4180 = 0, Spreadsheet = 1 };

class ScoreViews {
public:
    // forms: how dates and times are shown (the learner's short forms).
    ScoreViews(QString usersPath, DateForms forms);

    const QString &Path() const { return m_path; }
    const DateForms &Forms() const { return m_forms; }

    // Gives a student database made from an older template the indexes the
    // pair lookups need. Returns false, changing nothing, when the file
    // cannot take them now (missing, read-only, locked by an activity); the
    // viewer then works more slowly, but works.
    bool Ensure_Indexes() const noexcept;

    // The nodes of a view, in the order the database returns them.
    ViewTree Build_View(int view) const;

    // The score rows of a pair of names of a view (a first-level text and
    // one of its children), in the order the database returns them.
    QVector<ScoreRow> Show_Scores(int view, const QString &parent, const QString &node) const;

    // Writes every row the view shows as CSV to path: pair by pair in the
    // tree's order, each pair of names once. The file is replaced only
    // when all of it was written. Throws with a description otherwise.
    // Safe to run on another thread: it opens its own connection.
    void Export_Csv(int view, const Captions &captions, const QString &path,
                    CsvForm form = CsvForm::Rfc4180) const;

private:
    QString m_path;
    DateForms m_forms;
};

// The numeric scores of the rows in true date order (nDate, then nTime),
// whatever form each row's date was stored in; text scores are left out.
// Texts are read in locale's forms.
QVector<ChartPoint> Chart_Points(const QVector<ScoreRow> &rows, const QLocale &locale);

// The export's header: the first level, the second level, then the list's
// four column headings.
QStringList Csv_Header(int view, const Captions &captions);
// The export's record of a row, in the header's order; in the spreadsheet
// form the numbers shown (a score, a date that is no date) take a decimal
// comma.
QStringList Csv_Record(int view, const ScoreRow &row, CsvForm form = CsvForm::Rfc4180);
// One CSV line: fields holding the separator, a quote, CR or LF stand in
// double quotes with their quotes doubled; the line ends in CR LF. UTF-8.
QByteArray Csv_Line(const QStringList &fields, char separator = ',');
// What the export's file starts with before its header: the byte order mark
// in the spreadsheet form, nothing in RFC 4180.
QByteArray Csv_Start(CsvForm form);
// The field separator of a form.
char Csv_Separator(CsvForm form);

// The export's own texts, in the learner's language: the save dialog's
// filter of the spreadsheet form, the report of a finished export, and the
// question before a name completed with ".csv" replaces a file.
QString Spreadsheet_Filter();
QString Export_Saved(const QString &path);
QString Export_Replace(const QString &path);

// Creates the indexes of tblscores that the viewer's pair lookups use
// (when missing), in an open student database or template.
void Create_Score_Indexes(ado::Connection &connection);

} // namespace scores
