#include "students/score_views.h"

#include "frame/captions.h"
#include "frame/mod_main.h"
#include "platform/ado.h"
#include "platform/platform_language.h"
#include "students/student_database.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace scores {

namespace {

// The names of the three kinds are matched as texts, exactly as the
// activities wrote them; users' texts are bound, never spliced into SQL.
const QString kPairQueries[kViewCount] = {
    QStringLiteral("Select * from tblscores where tName = ? and tActivity = ?"),
    QStringLiteral("Select * from tblscores where tActivity = ? and tSubject = ?"),
    QStringLiteral("Select * from tblscores where tSubject = ? and tName = ?"),
};

// One index per view, on the view's pair of names. Each one's first name
// also serves the lookups (and the saved queries) that the single-name
// indexes of older templates served.
const char *const kIndexNames[kViewCount] = {"idxScoresNameActivity", "idxScoresActivitySubject",
                                             "idxScoresSubjectName"};
const char *const kIndexColumns[kViewCount] = {"tName, tActivity", "tActivity, tSubject",
                                               "tSubject, tName"};

void requireView(int view) {
    if (view < 0 || view >= kViewCount)
        throw std::out_of_range("There is no view " + std::to_string(view) + ".");
}

QString connectionString(const QString &path) {
    return modMain::Get_Template_Connection_String(path);
}

QVector<ViewItem> readStudents(ado::Connection &cn, bool withKeys) {
    ado::Recordset rs;
    rs.Open(QStringLiteral("Select * from tblUsers"), cn);
    const ado::Field key = rs.Fields(QStringLiteral("pkStudentID"));
    const ado::Field first = rs.Fields(QStringLiteral("tFirstname"));
    const ado::Field last = rs.Fields(QStringLiteral("tLastname"));
    const ado::Field icon = rs.Fields(QStringLiteral("nIcon"));
    QVector<ViewItem> items;
    items.reserve(rs.RecordCount());
    for (; !ado::AtEnd(rs); rs.MoveNext()) {
        ViewItem item;
        // As the activities recorded the name: on one line.
        item.text =
            students::One_Line(first.Text()) + QLatin1Char(' ') + students::One_Line(last.Text());
        item.image = item.selectedImage = icon.Value().toInt();
        if (withKeys)
            item.tag = key.Text();
        items << item;
    }
    rs.Close();
    return items;
}

// The first column of a saved query: one activity or subject per row.
QVector<ViewItem> readNames(ado::Connection &cn, const QString &query, int image,
                            int selectedImage) {
    ado::Recordset rs;
    rs.Open(QStringLiteral("Select * from ") + query, cn);
    const ado::Field name = rs.Fields(0);
    QVector<ViewItem> items;
    items.reserve(rs.RecordCount());
    for (; !ado::AtEnd(rs); rs.MoveNext())
        items << ViewItem{name.Text(), image, selectedImage, QString()};
    rs.Close();
    return items;
}

QVector<ViewItem> readKind(ado::Connection &cn, int kind, bool studentKeys) {
    switch (kind) {
    case Student:
        return readStudents(cn, studentKeys);
    case Activity:
        return readNames(cn, QStringLiteral("qryActivities"), kActivityImage,
                         kActivitySelectedImage);
    default:
        return readNames(cn, QStringLiteral("qrySubjects"), kSubjectImage, kSubjectImage);
    }
}

// Reads the rows of an open recordset on tblscores, its fields found once.
class RowReader {
public:
    RowReader(ado::Recordset &rs, const DateForms &forms)
        : m_rs(rs), m_forms(forms), m_name(rs.Fields(QStringLiteral("tName"))),
          m_activity(rs.Fields(QStringLiteral("tActivity"))),
          m_subject(rs.Fields(QStringLiteral("tSubject"))),
          m_text(rs.Fields(QStringLiteral("textScore"))),
          m_number(rs.Fields(QStringLiteral("numberScore"))),
          m_date(rs.Fields(QStringLiteral("nDate"))), m_time(rs.Fields(QStringLiteral("nTime"))) {}

    template <class Sink> void readAll(Sink &&sink) {
        for (; !ado::AtEnd(m_rs); m_rs.MoveNext())
            sink(current());
    }

private:
    ScoreRow current() const {
        ScoreRow row;
        row.names[Student] = m_name.Text();
        row.names[Activity] = m_activity.Text();
        row.names[Subject] = m_subject.Text();
        row.score = m_text.Text();
        if (row.score.isEmpty()) {
            // An empty number shows as an empty score rather than stopping
            // the list: the other rows are worth seeing.
            const QVariant number = m_number.Value();
            row.score = m_number.Text();
            if (Is_Number(number)) {
                row.number = number;
            } else {
                bool ok = false;
                const double value = row.score.trimmed().toDouble(&ok);
                if (ok)
                    row.number = value;
            }
        }
        row.dateValue = m_date.Value();
        row.date = Date_Text(row.dateValue, m_forms);
        row.timeValue = m_time.Value();
        row.time = Time_Text(row.timeValue, m_forms);
        return row;
    }

    ado::Recordset &m_rs;
    const DateForms &m_forms;
    ado::Field m_name, m_activity, m_subject, m_text, m_number, m_date, m_time;
};

bool needsQuotes(const QString &field, char separator) {
    for (const QChar c : field)
        if (c == QLatin1Char(separator) || c == QLatin1Char('"') || c == QLatin1Char('\r') ||
            c == QLatin1Char('\n'))
            return true;
    return false;
}

// A number as a spreadsheet set to Spanish reads it.
QString decimalComma(const QString &number) {
    return QString(number).replace(QLatin1Char('.'), QLatin1Char(','));
}

[[noreturn]] void fail(const QString &description) {
    throw std::runtime_error(description.toStdString());
}

} // namespace

int KindCaption(int kind) {
    static constexpr int kCaptions[kViewCount] = {50, 46, 10};
    return kCaptions[kind % kViewCount];
}

ScoreViews::ScoreViews(QString usersPath, DateForms forms)
    : m_path(std::move(usersPath)), m_forms(std::move(forms)) {}

bool ScoreViews::Ensure_Indexes() const noexcept {
    try {
        if (!QFileInfo(m_path).isFile())
            return false;
        ado::Connection cn;
        cn.Open(connectionString(m_path));
        ado::Recordset rs;
        rs.Open(QStringLiteral("Select name from sqlite_master where type = 'index'"), cn);
        QSet<QString> present;
        for (; !ado::AtEnd(rs); rs.MoveNext())
            present.insert(rs.Fields(0).Text());
        rs.Close();
        bool complete = true;
        for (const char *name : kIndexNames)
            complete = complete && present.contains(QLatin1String(name));
        if (complete)
            return true;
        if (cn.IsReadOnly())
            return false;
        // An activity writing its scores holds the file only briefly; one
        // that holds it longer must not keep the viewer waiting.
        cn.SetBusyTimeout(500);
        Create_Score_Indexes(cn);
        cn.Close();
        return true;
    } catch (...) {
        return false;
    }
}

ViewTree ScoreViews::Build_View(int view) const {
    requireView(view);
    ado::Connection cn;
    cn.Open(connectionString(m_path));
    ViewTree tree;
    if (view == ByStudent) {
        // The students are listed even when no activity has scores yet.
        tree.firstLevel = readKind(cn, Student, true);
        tree.secondLevel = readKind(cn, Activity, false);
        tree.noData = tree.secondLevel.isEmpty();
    } else {
        tree.firstLevel = readKind(cn, FirstLevelKind(view), false);
        tree.noData = tree.firstLevel.isEmpty();
        if (!tree.noData)
            tree.secondLevel = readKind(cn, SecondLevelKind(view), false);
    }
    cn.Close();
    return tree;
}

QVector<ScoreRow> ScoreViews::Show_Scores(int view, const QString &parent,
                                          const QString &node) const {
    requireView(view);
    ado::Connection cn;
    cn.Open(connectionString(m_path));
    ado::Recordset rs;
    rs.Open(kPairQueries[view], cn, {parent, node}, ado::adOpenKeyset, ado::adLockReadOnly);
    QVector<ScoreRow> rows;
    rows.reserve(rs.RecordCount());
    RowReader(rs, m_forms).readAll([&](ScoreRow &&row) { rows << std::move(row); });
    rs.Close();
    cn.Close();
    return rows;
}

void ScoreViews::Export_Csv(int view, const Captions &captions, const QString &path,
                            CsvForm form) const {
    requireView(view);
    const DateForms forms = form == CsvForm::Spreadsheet ? Spreadsheet_Forms() : m_forms;
    const char separator = Csv_Separator(form);
    const ViewTree tree = Build_View(view);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(platformLanguage::System_Reason(file));
    auto write = [&file](const QByteArray &line) {
        if (file.write(line) != line.size())
            fail(platformLanguage::System_Reason(file));
    };
    write(Csv_Start(form) + Csv_Line(Csv_Header(view, captions), separator));
    if (!tree.noData) {
        ado::Connection cn;
        cn.Open(connectionString(m_path));
        // Two students of the same name share their rows in the tree; the
        // file holds each row once.
        QSet<QString> parentsDone;
        for (const ViewItem &parent : tree.firstLevel) {
            if (parentsDone.contains(parent.text))
                continue;
            parentsDone.insert(parent.text);
            QSet<QString> nodesDone;
            for (const ViewItem &node : tree.secondLevel) {
                if (nodesDone.contains(node.text))
                    continue;
                nodesDone.insert(node.text);
                ado::Recordset rs;
                rs.Open(kPairQueries[view], cn, {parent.text, node.text}, ado::adOpenKeyset,
                        ado::adLockReadOnly);
                RowReader(rs, forms).readAll([&](const ScoreRow &row) {
                    write(Csv_Line(Csv_Record(view, row, form), separator));
                });
                rs.Close();
            }
        }
        cn.Close();
    }
    if (!file.commit())
        fail(platformLanguage::System_Reason(file));
}

QVector<ChartPoint> Chart_Points(const QVector<ScoreRow> &rows, const QLocale &locale) {
    struct Dated {
        const ScoreRow *row;
        Moment when;
    };
    QVector<Dated> numeric;
    for (const ScoreRow &row : rows)
        if (row.number.isValid())
            numeric << Dated{&row, Moment_Of(row.dateValue, row.timeValue, locale)};
    std::stable_sort(numeric.begin(), numeric.end(), [](const Dated &a, const Dated &b) {
        return Compare_Moments(a.when, b.when) < 0;
    });
    const DateForms forms = Short_Forms(locale);
    QVector<ChartPoint> points;
    points.reserve(numeric.size());
    for (const Dated &dated : std::as_const(numeric)) {
        const ScoreRow &row = *dated.row;
        QString day = row.date;
        if (dated.when.rank == 1)
            day = locale.toString(QDate::fromJulianDay(dated.when.seconds / 86400), forms.date);
        points << ChartPoint{row.number.toDouble(), row.date, row.time, day};
    }
    return points;
}

QStringList Csv_Header(int view, const Captions &captions) {
    requireView(view);
    return {captions[KindCaption(FirstLevelKind(view))],
            captions[KindCaption(SecondLevelKind(view))],
            captions[KindCaption(ColumnKind(view))],
            captions[47],
            captions[48],
            captions[49]};
}

QStringList Csv_Record(int view, const ScoreRow &row, CsvForm form) {
    QString score = row.score;
    QString date = row.date;
    QString time = row.time;
    if (form == CsvForm::Spreadsheet) {
        // Only numbers take the comma: a text score such as "7.5/10" is
        // the activity's own text.
        if (row.number.isValid())
            score = decimalComma(score);
        if (Is_Number(row.dateValue) && !Decode_Date(row.dateValue))
            date = decimalComma(date);
        if (Is_Number(row.timeValue) && !Decode_Time(row.timeValue))
            time = decimalComma(time);
    }
    return {row.names[FirstLevelKind(view)],
            row.names[SecondLevelKind(view)],
            row.names[ColumnKind(view)],
            score,
            date,
            time};
}

char Csv_Separator(CsvForm form) {
    // A spreadsheet set to Spanish writes numbers with a decimal comma, so
    // it separates fields with semicolons.
    return form == CsvForm::Spreadsheet ? ';' : ',';
}

QByteArray Csv_Start(CsvForm form) {
    // Without the mark such a spreadsheet takes the file for the desktop's
    // old 8-bit code page and garbles every accent.
    return form == CsvForm::Spreadsheet ? QByteArray("\xEF\xBB\xBF") : QByteArray();
}

QByteArray Csv_Line(const QStringList &fields, char separator) {
    QByteArray line;
    for (int i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += separator;
        const QString &field = fields[i];
        if (needsQuotes(field, separator)) {
            line += '"';
            line += QString(field).replace(QLatin1Char('"'), QLatin1String("\"\"")).toUtf8();
            line += '"';
        } else {
            line += field.toUtf8();
        }
    }
    line += "\r\n";
    return line;
}

QString Spreadsheet_Filter() {
    return QCoreApplication::translate("scores",
                                       "CSV for spreadsheets in Spanish (semicolons) (*.csv)");
}

QString Export_Saved(const QString &path) {
    return QCoreApplication::translate("scores", "The scores have been saved in this file:") +
           QStringLiteral("\r\n") + QDir::toNativeSeparators(path);
}

QString Export_Replace(const QString &path) {
    return QCoreApplication::translate("scores", "%1 already exists. Do you want to replace it?")
        .arg(QDir::toNativeSeparators(path));
}

void Create_Score_Indexes(ado::Connection &connection) {
    QString sql;
    for (int view = 0; view < kViewCount; ++view)
        sql += QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON tblscores (%2);")
                   .arg(QLatin1String(kIndexNames[view]), QLatin1String(kIndexColumns[view]));
    connection.Execute(QStringLiteral("BEGIN;") + sql + QStringLiteral("COMMIT;"));
}

} // namespace scores
