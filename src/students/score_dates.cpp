#include "students/score_dates.h"

#include <QDateTime>
#include <QRegularExpression>

#include <cmath>

namespace scores {

namespace {

constexpr qint64 kSecondsPerDay = 86400;
// The desktop's day numbers: day 0 is 30 December 1899, the last one
// 31 December 9999.
const QDate kDayZero(1899, 12, 30);
constexpr double kLastDayNumber = 2958465;
// yyyymmdd from the year 1000 on; every one lies beyond the last day number.
constexpr double kFirstDateNumber = 10000101;
constexpr double kLastDateNumber = 99991231;

bool isWhole(double value) {
    return std::floor(value) == value;
}

QTime timeOfSeconds(qint64 seconds) {
    return QTime::fromMSecsSinceStartOfDay(int(seconds * 1000));
}

// The time of day that a day number's fraction stands for, to the nearest
// second; the day it rounds into when it comes within half a second of the
// next midnight.
std::pair<qint64, qint64> splitDayNumber(double value) {
    const double day = std::floor(value);
    qint64 seconds = std::llround((value - day) * double(kSecondsPerDay));
    qint64 days = qint64(day);
    if (seconds >= kSecondsPerDay) {
        seconds -= kSecondsPerDay;
        ++days;
    }
    return {days, seconds};
}

// The stored text of a value that is neither decoded nor a number.
QString storedText(const QVariant &stored) {
    if (!stored.isValid() || stored.isNull())
        return QString(QLatin1String(""));
    if (stored.typeId() == QMetaType::QByteArray)
        return QString::fromUtf8(stored.toByteArray());
    return stored.toString();
}

// A date written day first (9/12/2026) or month first (12/9/2026), as the
// locale writes its own short dates.
bool monthFirst(const QLocale &locale) {
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    const qsizetype day = format.indexOf(QLatin1Char('d'));
    const qsizetype month = format.indexOf(QLatin1Char('M'));
    return month >= 0 && (day < 0 || month < day);
}

// Two-digit years as the desktop reads them: 00 to 29 in this century.
int fullYear(const QString &digits) {
    const int year = digits.toInt();
    if (digits.size() > 2)
        return year;
    return year < 30 ? 2000 + year : 1900 + year;
}

std::optional<StoredDate> withTime(const QDate &date, const QString &rest, const QLocale &locale) {
    if (!date.isValid())
        return std::nullopt;
    StoredDate result{date, QTime()};
    if (!rest.trimmed().isEmpty()) {
        const std::optional<QTime> time = Parse_Time_Text(rest, locale);
        if (!time)
            return std::nullopt;
        result.time = *time;
    }
    return result;
}

} // namespace

DateForms Short_Forms(const QLocale &locale) {
    return {locale, locale.dateFormat(QLocale::ShortFormat),
            locale.timeFormat(QLocale::ShortFormat), locale.dateTimeFormat(QLocale::ShortFormat)};
}

DateForms Spreadsheet_Forms() {
    return {QLocale(QLocale::Spanish, QLocale::Spain), QStringLiteral("dd/MM/yyyy"),
            QStringLiteral("HH:mm:ss"), QStringLiteral("dd/MM/yyyy HH:mm:ss")};
}

bool Is_Number(const QVariant &value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return !value.isNull();
    default:
        return false;
    }
}

QString Number_Text(const QVariant &value) {
    return value.toString();
}

std::optional<StoredDate> Decode_Date(const QVariant &stored) {
    if (!Is_Number(stored))
        return std::nullopt;
    const double value = stored.toDouble();
    if (!std::isfinite(value))
        return std::nullopt;
    if (value >= kFirstDateNumber && value <= kLastDateNumber) {
        if (!isWhole(value))
            return std::nullopt;
        const qint64 number = qint64(value);
        const QDate date(int(number / 10000), int(number / 100 % 100), int(number % 100));
        if (!date.isValid())
            return std::nullopt;
        return StoredDate{date, QTime()};
    }
    if (value < 1 || value >= kLastDayNumber + 1)
        return std::nullopt;
    const auto [days, seconds] = splitDayNumber(value);
    const QDate date = kDayZero.addDays(days);
    if (!date.isValid() || date.year() > 9999)
        return std::nullopt;
    return StoredDate{date, isWhole(value) ? QTime() : timeOfSeconds(seconds)};
}

std::optional<QTime> Decode_Time(const QVariant &stored) {
    if (!Is_Number(stored))
        return std::nullopt;
    const double value = stored.toDouble();
    if (!std::isfinite(value) || value < 0)
        return std::nullopt;
    if (isWhole(value)) {
        if (value >= double(kSecondsPerDay))
            return std::nullopt;
        return timeOfSeconds(qint64(value));
    }
    if (value >= kLastDayNumber + 1)
        return std::nullopt;
    return timeOfSeconds(splitDayNumber(value).second);
}

QString Date_Text(const QVariant &stored, const DateForms &forms) {
    if (const std::optional<StoredDate> decoded = Decode_Date(stored)) {
        if (!decoded->time.isValid())
            return forms.locale.toString(decoded->date, forms.date);
        // As a clock reads, whatever the time zone does on that day.
        return forms.locale.toString(QDateTime(decoded->date, decoded->time, Qt::UTC),
                                     forms.dateTime);
    }
    return Is_Number(stored) ? Number_Text(stored) : storedText(stored);
}

QString Time_Text(const QVariant &stored, const DateForms &forms) {
    if (const std::optional<QTime> decoded = Decode_Time(stored))
        return forms.locale.toString(*decoded, forms.time);
    return Is_Number(stored) ? Number_Text(stored) : storedText(stored);
}

std::optional<StoredDate> Parse_Date_Text(const QString &text, const QLocale &locale) {
    const QString s = text.trimmed();
    if (s.isEmpty())
        return std::nullopt;
    bool isNumber = false;
    const double number = s.toDouble(&isNumber);
    if (isNumber)
        return Decode_Date(number);

    // Year first: ISO 8601 (2024-03-05, 2024-03-05T10:15:00) and its kin.
    static const QRegularExpression yearFirst(
        QStringLiteral(R"(^(\d{4})[-/.](\d{1,2})[-/.](\d{1,2})(?:(?:T|\s+)(.*))?$)"));
    QRegularExpressionMatch m = yearFirst.match(s);
    if (m.hasMatch())
        return withTime(QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()),
                        m.captured(4), locale);
    // Day and month in the locale's order, then the year.
    static const QRegularExpression yearLast(
        QStringLiteral(R"(^(\d{1,2})[-/.](\d{1,2})[-/.](\d{4}|\d{2})(?:,?\s+(.*))?$)"));
    m = yearLast.match(s);
    if (m.hasMatch()) {
        int day = m.captured(1).toInt();
        int month = m.captured(2).toInt();
        if (monthFirst(locale))
            std::swap(day, month);
        return withTime(QDate(fullYear(m.captured(3)), month, day), m.captured(4), locale);
    }
    // Written out, in the locale's or in English words.
    for (const QLocale &words : {locale, QLocale::c()}) {
        for (const QLocale::FormatType type : {QLocale::LongFormat, QLocale::ShortFormat}) {
            const QDate date = words.toDate(s, type);
            if (date.isValid())
                return StoredDate{date, QTime()};
            const QDateTime when = words.toDateTime(s, type);
            if (when.isValid())
                return StoredDate{when.date(), when.time()};
        }
    }
    return std::nullopt;
}

std::optional<QTime> Parse_Time_Text(const QString &text, const QLocale &locale) {
    const QString s = text.trimmed();
    if (s.isEmpty())
        return std::nullopt;
    bool isNumber = false;
    const double number = s.toDouble(&isNumber);
    if (isNumber)
        return Decode_Time(number);
    // 10:15, 10:15:30, 10:15:30.250, 2:05 PM, 2:05 p. m., 10:15:00Z.
    static const QRegularExpression clock(QStringLiteral(
        R"(^(\d{1,2}):(\d{2})(?::(\d{2})(?:[.,]\d+)?)?\s*(?:([AaPp])\.?\s*[Mm]\.?)?\s*(?:Z|[+-]\d{2}:?\d{2})?$)"));
    const QRegularExpressionMatch m = clock.match(s);
    if (m.hasMatch()) {
        int hour = m.captured(1).toInt();
        const int minute = m.captured(2).toInt();
        const int second = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
        const QString half = m.captured(4).toLower();
        if (!half.isEmpty()) {
            if (hour < 1 || hour > 12)
                return std::nullopt;
            hour = hour % 12 + (half == QLatin1String("p") ? 12 : 0);
        }
        const QTime time(hour, minute, second);
        if (time.isValid())
            return time;
        return std::nullopt;
    }
    for (const QLocale::FormatType type : {QLocale::LongFormat, QLocale::ShortFormat}) {
        const QTime time = locale.toTime(s, type);
        if (time.isValid())
            return time;
    }
    return std::nullopt;
}

Moment Moment_Of(const QVariant &date, const QVariant &time, const QLocale &locale) {
    const QString dateText = Is_Number(date) ? QString() : storedText(date).trimmed();
    if (!Is_Number(date) && dateText.isEmpty())
        return Moment{};
    const std::optional<StoredDate> day =
        Is_Number(date) ? Decode_Date(date) : Parse_Date_Text(dateText, locale);
    if (!day)
        return Moment{2, 0, Is_Number(date) ? Number_Text(date) : dateText};
    std::optional<QTime> clock =
        Is_Number(time) ? Decode_Time(time) : Parse_Time_Text(storedText(time), locale);
    if (!clock)
        clock = day->time.isValid() ? day->time : QTime(0, 0);
    return Moment{1,
                  day->date.toJulianDay() * kSecondsPerDay + clock->msecsSinceStartOfDay() / 1000,
                  QString()};
}

int Compare_Moments(const Moment &a, const Moment &b) {
    if (a.rank != b.rank)
        return a.rank < b.rank ? -1 : 1;
    if (a.rank == 1)
        return a.seconds < b.seconds ? -1 : a.seconds > b.seconds ? 1 : 0;
    if (a.rank == 2)
        return QString::compare(a.text, b.text);
    return 0;
}

} // namespace scores
