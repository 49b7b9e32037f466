// The dates and times of score rows: both encodings the activities store,
// the texts other programs may have stored, the learner's short forms and the
// forms a spreadsheet set to Spanish reads, and the order of rows in time.
#include "students/score_dates.h"

#include <QDate>
#include <QTime>

#include <gtest/gtest.h>

#include <ostream>

static void PrintTo(const QString &text, std::ostream *os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

using scores::DateForms;

const QLocale kSpain(QLocale::Spanish, QLocale::Spain);
const QLocale kUnitedStates(QLocale::English, QLocale::UnitedStates);

QString dateText(const QVariant &stored, const QLocale &locale = kSpain) {
    return scores::Date_Text(stored, scores::Short_Forms(locale));
}
QString timeText(const QVariant &stored, const QLocale &locale = kSpain) {
    return scores::Time_Text(stored, scores::Short_Forms(locale));
}

TEST(ScoreDates, DecodesDateNumbersAndDayNumbersAndNothingElse) {
    using scores::Decode_Date;
    // yyyymmdd, as the activity kit writes it.
    ASSERT_TRUE(Decode_Date(20250131.0));
    EXPECT_EQ(Decode_Date(20250131.0)->date, QDate(2025, 1, 31));
    EXPECT_FALSE(Decode_Date(20250131.0)->time.isValid());
    EXPECT_EQ(Decode_Date(qint64(20261209))->date, QDate(2026, 12, 9));
    // The desktop's day numbers, a fraction giving the time of day.
    ASSERT_TRUE(Decode_Date(45300.5));
    EXPECT_EQ(Decode_Date(45300.5)->date, QDate(2024, 1, 9));
    EXPECT_EQ(Decode_Date(45300.5)->time, QTime(12, 0));
    EXPECT_EQ(Decode_Date(46002.0)->date, QDate(2025, 12, 11));
    EXPECT_FALSE(Decode_Date(46002.0)->time.isValid());
    EXPECT_EQ(Decode_Date(1.0)->date, QDate(1899, 12, 31));
    EXPECT_EQ(Decode_Date(2958465.0)->date, QDate(9999, 12, 31));
    // A fraction within half a second of midnight belongs to the next day.
    EXPECT_EQ(Decode_Date(45300.999999)->date, QDate(2024, 1, 10));
    EXPECT_EQ(Decode_Date(45300.999999)->time, QTime(0, 0));
    // Neither form, or impossible days.
    for (const QVariant &none :
         {QVariant(20241399.0), QVariant(20250230.0), QVariant(20250131.5), QVariant(0.0),
          QVariant(-3.0), QVariant(2958466.0), QVariant(100000000.0), QVariant(),
          QVariant(QStringLiteral("20250131")), QVariant(QStringLiteral("2025-01-31"))})
        EXPECT_FALSE(Decode_Date(none)) << none.toString().toStdString();
}

TEST(ScoreDates, DecodesSecondsSinceMidnightAndFractionsOfADay) {
    using scores::Decode_Time;
    EXPECT_EQ(Decode_Time(32707.0), QTime(9, 5, 7));
    EXPECT_EQ(Decode_Time(10269.0), QTime(2, 51, 9));
    EXPECT_EQ(Decode_Time(0.0), QTime(0, 0));
    EXPECT_EQ(Decode_Time(86399.0), QTime(23, 59, 59));
    EXPECT_EQ(Decode_Time(0.75), QTime(18, 0));
    EXPECT_EQ(Decode_Time(0.2), QTime(4, 48));
    // A whole day number with its time: the time counts, the day not.
    EXPECT_EQ(Decode_Time(45300.25), QTime(6, 0));
    for (const QVariant &none : {QVariant(86400.0), QVariant(-1.0), QVariant(-0.5), QVariant(),
                                 QVariant(QStringLiteral("10:15"))})
        EXPECT_FALSE(Decode_Time(none)) << none.toString().toStdString();
}

TEST(ScoreDates, ShowsNumbersInTheLearnersShortFormsAndTextsAsStored) {
    EXPECT_EQ(dateText(20261209.0), QStringLiteral("9/12/26"));
    EXPECT_EQ(timeText(10269.0), QStringLiteral("2:51"));
    EXPECT_EQ(dateText(45300.5), QStringLiteral("9/1/24 12:00"));
    EXPECT_EQ(timeText(0.75), QStringLiteral("18:00"));
    EXPECT_EQ(dateText(20261209.0, kUnitedStates), QStringLiteral("12/9/26"));
    EXPECT_EQ(timeText(10269.0, kUnitedStates), QStringLiteral("2:51 AM"));
    EXPECT_EQ(timeText(0.75, kUnitedStates), QStringLiteral("6:00 PM"));
    // What cannot be decoded is shown as stored.
    EXPECT_EQ(dateText(QStringLiteral("2024-03-05")), QStringLiteral("2024-03-05"));
    EXPECT_EQ(timeText(QStringLiteral("10:15")), QStringLiteral("10:15"));
    EXPECT_EQ(dateText(20241399.0), QStringLiteral("20241399"));
    EXPECT_EQ(timeText(90000.0), QStringLiteral("90000"));
    EXPECT_EQ(timeText(-0.5), QStringLiteral("-0.5"));
    EXPECT_EQ(dateText(QVariant()), QString());

    // The spreadsheet's forms: four-digit years and seconds, whatever the
    // learner's language.
    const DateForms sheet = scores::Spreadsheet_Forms();
    EXPECT_EQ(scores::Date_Text(20261209.0, sheet), QStringLiteral("09/12/2026"));
    EXPECT_EQ(scores::Time_Text(10269.0, sheet), QStringLiteral("02:51:09"));
    EXPECT_EQ(scores::Date_Text(45300.5, sheet), QStringLiteral("09/01/2024 12:00:00"));
}

TEST(ScoreDates, TheLearnersLocaleIsTheSystemsWhenItSpeaksTheLearnersLanguage) {
    using scores::Learner_Locale;
    EXPECT_EQ(Learner_Locale(QStringLiteral("Spanish"), QLocale::c()).name(), "es_ES");
    EXPECT_EQ(Learner_Locale(QStringLiteral("Spanish"), kUnitedStates).name(), "es_ES");
    EXPECT_EQ(Learner_Locale(QStringLiteral("Spanish"), QLocale(QLocale::Spanish, QLocale::Mexico))
                  .name(),
              "es_MX");
    EXPECT_EQ(Learner_Locale(QStringLiteral("English"), kSpain).name(), "en_US");
    const QLocale britain(QLocale::English, QLocale::UnitedKingdom);
    EXPECT_EQ(Learner_Locale(QStringLiteral("English"), britain).name(), "en_GB");
    EXPECT_EQ(dateText(20261209.0, britain), QStringLiteral("09/12/2026"));
}

TEST(ScoreDates, ReadsWrittenDatesAndTimesToOrderRowsAcrossForms) {
    using scores::Parse_Date_Text;
    using scores::Parse_Time_Text;
    EXPECT_EQ(Parse_Date_Text(QStringLiteral("2024-03-05"), kSpain)->date, QDate(2024, 3, 5));
    const auto iso = Parse_Date_Text(QStringLiteral("2024-03-05T10:15:30"), kSpain);
    ASSERT_TRUE(iso);
    EXPECT_EQ(iso->time, QTime(10, 15, 30));
    // Day and month in the locale's order; two-digit years in this century
    // up to 29.
    EXPECT_EQ(Parse_Date_Text(QStringLiteral("5/3/2024"), kSpain)->date, QDate(2024, 3, 5));
    EXPECT_EQ(Parse_Date_Text(QStringLiteral("5/3/2024"), kUnitedStates)->date, QDate(2024, 5, 3));
    EXPECT_EQ(Parse_Date_Text(QStringLiteral("05.03.24"), kSpain)->date, QDate(2024, 3, 5));
    EXPECT_EQ(Parse_Date_Text(QStringLiteral("5/3/99"), kSpain)->date, QDate(1999, 3, 5));
    EXPECT_EQ(Parse_Date_Text(QStringLiteral("20240305"), kSpain)->date, QDate(2024, 3, 5));
    EXPECT_EQ(Parse_Date_Text(QStringLiteral("martes, 5 de marzo de 2024"), kSpain)->date,
              QDate(2024, 3, 5));
    EXPECT_FALSE(Parse_Date_Text(QStringLiteral("last week"), kSpain));
    EXPECT_FALSE(Parse_Date_Text(QStringLiteral("31/02/2024"), kSpain));

    EXPECT_EQ(Parse_Time_Text(QStringLiteral("10:15"), kSpain), QTime(10, 15));
    EXPECT_EQ(Parse_Time_Text(QStringLiteral("2:05:09 PM"), kSpain), QTime(14, 5, 9));
    EXPECT_EQ(Parse_Time_Text(QStringLiteral("12:30 a. m."), kSpain), QTime(0, 30));
    EXPECT_EQ(Parse_Time_Text(QStringLiteral("36000"), kSpain), QTime(10, 0));
    EXPECT_FALSE(Parse_Time_Text(QStringLiteral("25:00"), kSpain));

    // One day in four forms, and a time in two: each row where it belongs.
    const auto at = [](const QVariant &date, const QVariant &time) {
        return scores::Moment_Of(date, time, kSpain);
    };
    const scores::Moment early = at(QStringLiteral("2024-03-05"), QStringLiteral("06:00"));
    const scores::Moment dayNumber = at(45356.25 + 1.0 / 86400, QVariant()); // 06:00:01
    const scores::Moment dateNumber = at(20240305.0, 36000.0);               // 10:00
    const scores::Moment written = at(QStringLiteral("05/03/2024 11:00"), QVariant());
    const scores::Moment nextDay = at(45357.0, 0.0);
    EXPECT_LT(scores::Compare_Moments(early, dayNumber), 0);
    EXPECT_LT(scores::Compare_Moments(dayNumber, dateNumber), 0);
    EXPECT_LT(scores::Compare_Moments(dateNumber, written), 0);
    EXPECT_LT(scores::Compare_Moments(written, nextDay), 0);
    EXPECT_EQ(scores::Compare_Moments(at(20240305.0, 0.25), early), 0);
    // No date first, dates that cannot be read last.
    EXPECT_LT(scores::Compare_Moments(at(QVariant(), QVariant()), early), 0);
    EXPECT_LT(scores::Compare_Moments(nextDay, at(QStringLiteral("someday"), QVariant())), 0);
    EXPECT_LT(scores::Compare_Moments(nextDay, at(20241399.0, QVariant())), 0);
}

} // namespace
