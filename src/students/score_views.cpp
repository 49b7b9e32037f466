#include "students/score_views.h"

#include "frame/captions.h"
#include "frame/mod_main.h"
#include "platform/ado.h"
#include "platform/platform_language.h"

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
        item.text = first.Text() + QLatin1Char(' ') + last.Text();
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

bool isNumber(const QVariant &value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

// Reads the rows of an open recordset on tblscores, its fields found once.
class RowReader {
public:
    explicit RowReader(ado::Recordset &rs)
        : m_rs(rs), m_name(rs.Fields(QStringLiteral("tName"))),
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
            if (isNumber(number)) {
                row.number = number;
            } else {
                bool ok = false;
                const double value = row.score.trimmed().toDouble(&ok);
                if (ok)
                    row.number = value;
            }
        }
        row.dateValue = m_date.Value();
        row.date = m_date.Text();
        row.timeValue = m_time.Value();
        row.time = m_time.Text();
        return row;
    }

    ado::Recordset &m_rs;
    ado::Field m_name, m_activity, m_subject, m_text, m_number, m_date, m_time;
};

// Dates and times as the activities stored them: numbers in their order,
// before texts in theirs; an empty value first.
int compareStored(const QVariant &a, const QVariant &b) {
    const int rankA = !a.isValid() || a.isNull() ? 0 : isNumber(a) ? 1 : 2;
    const int rankB = !b.isValid() || b.isNull() ? 0 : isNumber(b) ? 1 : 2;
    if (rankA != rankB)
        return rankA < rankB ? -1 : 1;
    if (rankA == 1) {
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : x > y ? 1 : 0;
    }
    if (rankA == 2)
        return QString::compare(a.toString(), b.toString());
    return 0;
}

bool needsQuotes(const QString &field) {
    for (const QChar c : field)
        if (c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('\r') ||
            c == QLatin1Char('\n'))
            return true;
    return false;
}

[[noreturn]] void fail(const QString &description) {
    throw std::runtime_error(description.toStdString());
}

} // namespace

int KindCaption(int kind) {
    static constexpr int kCaptions[kViewCount] = {50, 46, 10};
    return kCaptions[kind % kViewCount];
}

ScoreViews::ScoreViews(QString usersPath) : m_path(std::move(usersPath)) {}

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
    rs.Open(kPairQueries[view], cn, {parent, node});
    QVector<ScoreRow> rows;
    rows.reserve(rs.RecordCount());
    RowReader(rs).readAll([&](ScoreRow &&row) { rows << std::move(row); });
    rs.Close();
    cn.Close();
    return rows;
}

void ScoreViews::Export_Csv(int view, const Captions &captions, const QString &path) const {
    requireView(view);
    const ViewTree tree = Build_View(view);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(platformLanguage::System_Reason(file));
    auto write = [&file](const QByteArray &line) {
        if (file.write(line) != line.size())
            fail(platformLanguage::System_Reason(file));
    };
    write(Csv_Line(Csv_Header(view, captions)));
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
                rs.Open(kPairQueries[view], cn, {parent.text, node.text});
                RowReader(rs).readAll(
                    [&](const ScoreRow &row) { write(Csv_Line(Csv_Record(view, row))); });
                rs.Close();
            }
        }
        cn.Close();
    }
    if (!file.commit())
        fail(platformLanguage::System_Reason(file));
}

QVector<ChartPoint> Chart_Points(const QVector<ScoreRow> &rows) {
    QVector<const ScoreRow *> numeric;
    for (const ScoreRow &row : rows)
        if (row.number.isValid())
            numeric << &row;
    std::stable_sort(numeric.begin(), numeric.end(), [](const ScoreRow *a, const ScoreRow *b) {
        const int byDate = compareStored(a->dateValue, b->dateValue);
        if (byDate != 0)
            return byDate < 0;
        return compareStored(a->timeValue, b->timeValue) < 0;
    });
    QVector<ChartPoint> points;
    points.reserve(numeric.size());
    for (const ScoreRow *row : numeric)
        points << ChartPoint{row->number.toDouble(), row->date, row->time};
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

QStringList Csv_Record(int view, const ScoreRow &row) {
    return {row.names[FirstLevelKind(view)],
            row.names[SecondLevelKind(view)],
            row.names[ColumnKind(view)],
            row.score,
            row.date,
            row.time};
}

QByteArray Csv_Line(const QStringList &fields) {
    QByteArray line;
    for (int i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += ',';
        const QString &field = fields[i];
        if (needsQuotes(field)) {
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

void Create_Score_Indexes(ado::Connection &connection) {
    QString sql;
    for (int view = 0; view < kViewCount; ++view)
        sql += QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON tblscores (%2);")
                   .arg(QLatin1String(kIndexNames[view]), QLatin1String(kIndexColumns[view]));
    connection.Execute(QStringLiteral("BEGIN;") + sql + QStringLiteral("COMMIT;"));
}

} // namespace scores
