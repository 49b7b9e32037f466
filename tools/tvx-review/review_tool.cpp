#include "review_tool.h"

#include "platform/ado.h"
#include "study_data/study_results.h"

#include <QTextStream>

#include <algorithm>

namespace reviewTool {

namespace {

const char *const kUsage =
    "usage: tvx-review Users.dat [--student NAME] [--at YYYY-MM-DD] [--retention 0.70-0.97] "
    "[--csv]\n";

QString number(double value) {
    return QString::number(value, 'f', 4);
}

QString csvField(const QString &value) {
    if (!value.contains(QLatin1Char(',')) && !value.contains(QLatin1Char('"')) &&
        !value.contains(QLatin1Char('\n')) && !value.contains(QLatin1Char('\r')))
        return value;
    return QLatin1Char('"') + QString(value).replace(QLatin1String("\""), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

QStringList rowOf(const studyResults::PhraseSchedule &s) {
    return {s.history.student,
            s.history.source.file,
            QString::number(s.history.source.phraseNo),
            s.history.phrase,
            QString::number(s.state.reviews),
            QString::number(s.state.lastGrade),
            number(s.state.difficulty),
            number(s.state.stability),
            number(s.retrievability),
            s.due.toString(Qt::ISODate)};
}

const QStringList kHeader{QStringLiteral("student"),        QStringLiteral("source"),
                          QStringLiteral("phrase no"),      QStringLiteral("phrase"),
                          QStringLiteral("reviews"),        QStringLiteral("last grade"),
                          QStringLiteral("difficulty"),     QStringLiteral("stability"),
                          QStringLiteral("retrievability"), QStringLiteral("due")};

void printTable(const QVector<QStringList> &rows, QTextStream &out) {
    QVector<int> widths(kHeader.size());
    for (const QStringList &row : rows)
        for (int i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], int(row[i].size()));
    for (const QStringList &row : rows) {
        QString line;
        for (int i = 0; i < row.size(); ++i)
            line += i + 1 < row.size() ? row[i].leftJustified(widths[i] + 2) : row[i];
        out << line << '\n';
    }
}

} // namespace

bool Parse_Arguments(const QStringList &args, const QDate &today, Options *options,
                     QString *error) {
    Options o;
    o.at = today;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--csv")) {
            o.csv = true;
        } else if (arg == QLatin1String("--student")) {
            if (!hasValue || args[i + 1].isEmpty()) {
                *error = QStringLiteral("--student needs a name.");
                return false;
            }
            o.student = args[++i];
        } else if (arg == QLatin1String("--at")) {
            o.at = hasValue ? QDate::fromString(args[i + 1], Qt::ISODate) : QDate();
            if (!o.at.isValid()) {
                *error = QStringLiteral("--at needs a day written YYYY-MM-DD.");
                return false;
            }
            ++i;
        } else if (arg == QLatin1String("--retention")) {
            bool ok = false;
            o.parameters.desiredRetention = hasValue ? args[i + 1].toDouble(&ok) : 0;
            if (!ok || !fsrs::Is_Allowed_Retention(o.parameters.desiredRetention)) {
                *error = QStringLiteral("--retention needs a share from 0.70 to 0.97.");
                return false;
            }
            ++i;
        } else if (arg.startsWith(QLatin1String("--")) || !o.database.isEmpty()) {
            *error = QStringLiteral("unknown argument %1.").arg(arg);
            return false;
        } else {
            o.database = arg;
        }
    }
    if (o.database.isEmpty()) {
        *error = QStringLiteral("no student database named.");
        return false;
    }
    *options = o;
    return true;
}

int Run(const QStringList &args, QTextStream &out, QTextStream &err, const QDate &today) {
    Options options;
    QString error;
    if (!Parse_Arguments(args, today, &options, &error)) {
        err << "tvx-review: " << error << '\n' << kUsage;
        err.flush();
        return 2;
    }
    studyResults::Histories histories;
    try {
        histories = studyResults::Read_Histories(options.database, options.student);
    } catch (const ado::Error &e) {
        err << "tvx-review: " << e.description() << '\n';
        err.flush();
        return 1;
    } catch (const std::exception &e) {
        err << "tvx-review: " << QString::fromUtf8(e.what()) << '\n';
        err.flush();
        return 1;
    }
    const QVector<studyResults::PhraseSchedule> schedule =
        studyResults::Schedule(histories.phrases, options.at, options.parameters);
    QVector<QStringList> rows{kHeader};
    for (const studyResults::PhraseSchedule &s : schedule)
        rows << rowOf(s);
    const QString unmatched =
        QStringLiteral("%1 results could not be matched").arg(histories.unmatched);
    if (options.csv) {
        for (const QStringList &row : std::as_const(rows)) {
            QStringList fields;
            for (const QString &value : row)
                fields << csvField(value);
            out << fields.join(QLatin1Char(',')) << "\r\n";
        }
        // The table stays a table: the count goes beside it.
        if (histories.unmatched > 0)
            err << unmatched << '\n';
    } else {
        printTable(rows, out);
        out << unmatched << '\n';
    }
    out.flush();
    err.flush();
    return 0;
}

} // namespace reviewTool
