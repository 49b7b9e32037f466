// The dates and times of score rows, read the way the activities store them
// and written the way a person reads them.
//
// An activity writes nDate and nTime as numbers, in one of two encodings:
//   - nDate the local date as the integer yyyymmdd (20250131), nTime the
//     local time as seconds since midnight (0 to 86399);
//   - older activities: the desktop's day numbers (OLE automation dates,
//     days since 30 December 1899, a fraction of a day giving the time of
//     day): nDate 45300.5 is 9 January 2024 at noon, nTime 0.75 is 18:00.
// The two cannot be confused: the first yyyymmdd date (10000101) lies beyond
// the last day number the desktop knows (31 December 9999). Other programs
// may have written texts ("2024-03-05", "10:15"): those are shown as they are
// and read only to put the rows in date order.
#pragma once

#include "platform/platform_language.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>
#include <QVariant>

#include <optional>

namespace scores {

// How dates and times are written out: the formats of QDate::toString and
// QTime::toString, and the locale that names months and AM/PM.
struct DateForms {
    QLocale locale;
    QString date;
    QString time;
    QString dateTime; // a date that carries its own time of day
};

// The learner's locale (platformLanguage::Learner_Locale) serves here too.
using platformLanguage::Learner_Locale;
// The locale's short date and time forms: 9/12/26 and 2:51 for Spanish.
DateForms Short_Forms(const QLocale &locale);
// The forms a spreadsheet set to Spanish reads as a date and a time whatever
// the learner's language: 09/12/2026 and 02:51:09.
DateForms Spreadsheet_Forms();

// A decoded nDate: its day and, for a day number with a fraction, its time
// of day (invalid otherwise).
struct StoredDate {
    QDate date;
    QTime time;
};

// A number stored as nDate: yyyymmdd, or a day number from 1 (31 December
// 1899) to 2958465 (31 December 9999). Anything else (a text, a number of
// neither form, an impossible day such as 20241399) gives nothing.
std::optional<StoredDate> Decode_Date(const QVariant &stored);
// A number stored as nTime: whole seconds since midnight (0 to 86399), or a
// fraction of a day (a day number's fraction also counts, its day ignored).
std::optional<QTime> Decode_Time(const QVariant &stored);

// nDate and nTime as the list and the export show them: decoded numbers in
// the given forms; a text, and a number that decodes to nothing, as stored.
QString Date_Text(const QVariant &stored, const DateForms &forms);
QString Time_Text(const QVariant &stored, const DateForms &forms);

// Whether a stored value is a number (a whole or real one, not a text).
bool Is_Number(const QVariant &value);
// A number as the default text conversion writes it: 72.5, 46002.
QString Number_Text(const QVariant &value);

// Where a row stands in time, for putting rows in date order. Texts are read
// in the common written forms (ISO dates, the locale's day-month order,
// times with or without seconds or AM/PM).
struct Moment {
    // 0: no date stored; 1: a date known (seconds counts from a fixed day);
    // 2: a date that could not be read (ordered by its text).
    int rank = 0;
    qint64 seconds = 0;
    QString text;
};
Moment Moment_Of(const QVariant &date, const QVariant &time, const QLocale &locale);
// Earlier first: no date, then known dates in time order, then the rest by
// their texts.
int Compare_Moments(const Moment &a, const Moment &b);

// A date or a time written as text, read in the forms Moment_Of knows.
std::optional<StoredDate> Parse_Date_Text(const QString &text, const QLocale &locale);
std::optional<QTime> Parse_Time_Text(const QString &text, const QLocale &locale);

} // namespace scores
