#include "template_builder.h"

#include "tsv_table.h"

#include "frame/mod_main.h"
#include "platform/ado.h"
#include "students/score_views.h"
#include "study_data/study_results.h"

#include <QFile>

#include <stdexcept>

namespace templateBuilder {

namespace {
const QString kTemplatePassword = QStringLiteral("kqw6081");

std::runtime_error failure(const QString &text) {
    return std::runtime_error(text.toStdString());
}

QString quoted(const QString &name) {
    return QLatin1Char('"') + name + QLatin1Char('"');
}

bool isFlagColumn(const QString &name) {
    return name.startsWith(QLatin1String("bL"));
}

// Creates table `name` with an integer key ID (keeps the stored row order)
// and one column per header name, then inserts the rows.
void writeTable(ado::Connection &db, const QString &name, const TsvTable &table) {
    QStringList columns{QStringLiteral("ID INTEGER PRIMARY KEY")};
    for (const QString &column : table.header)
        columns << quoted(column) + (isFlagColumn(column)
                                         ? QStringLiteral(" BOOLEAN NOT NULL DEFAULT 0")
                                         : QStringLiteral(" TEXT"));
    db.Execute(QStringLiteral("CREATE TABLE ") + name + QStringLiteral(" (") +
               columns.join(QStringLiteral(", ")) + QLatin1Char(')'));
    QStringList names, marks;
    for (const QString &column : table.header) {
        names << quoted(column);
        marks << QStringLiteral("?");
    }
    const QString insert = QStringLiteral("INSERT INTO ") + name + QStringLiteral(" (") +
                           names.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (") +
                           marks.join(QStringLiteral(", ")) + QLatin1Char(')');
    for (const QStringList &row : table.rows) {
        QVariantList values;
        for (int i = 0; i < row.size(); ++i) {
            if (isFlagColumn(table.header[i]))
                values << QVariant(row[i].trimmed() == QLatin1String("1"));
            else // "\n" in a source field stands for a line break
                values << QVariant(
                    QString(row[i]).replace(QLatin1String("\\n"), QLatin1String("\r\n")));
        }
        db.Execute(insert, values);
    }
}
} // namespace

QString CaptionText(const QString &contentFolder, int number, const QString &language) {
    const TsvTable captions = ReadTsv(contentFolder + QStringLiteral("/captions.tsv"));
    const int numberColumn = captions.column(QStringLiteral("number"));
    const int textColumn = captions.column(language);
    if (numberColumn < 0 || textColumn < 0)
        throw failure(QStringLiteral("captions.tsv has no column %1.").arg(language));
    for (const QStringList &row : captions.rows)
        if (row[numberColumn].toInt() == number)
            return row[textColumn];
    throw failure(QStringLiteral("captions.tsv has no caption %1.").arg(number));
}

void CreateStudentTables(const QString &path, const QString &password) {
    ado::Connection db;
    db.Open(ado::ConnectionString(path, password));
    db.Execute(
        QStringLiteral("CREATE TABLE tblUsers (pkStudentID INTEGER PRIMARY KEY AUTOINCREMENT, "
                       "tFirstname TEXT, tLastname TEXT, tPassword TEXT, nIcon INTEGER)"));
    db.Execute(
        QStringLiteral("CREATE TABLE tblscores (pkScoreID INTEGER PRIMARY KEY AUTOINCREMENT, "
                       "tName TEXT, tActivity TEXT, tSubject TEXT, textScore TEXT, "
                       "numberScore REAL, nDate REAL, nTime REAL)"));
    // The progress viewer looks rows up by pairs of names; the same indexes
    // serve lookups by their first name alone and the two saved queries.
    scores::Create_Score_Indexes(db);
    db.Execute(
        QStringLiteral("CREATE VIEW qryActivities AS SELECT DISTINCT tActivity FROM tblscores "
                       "WHERE tActivity IS NOT NULL ORDER BY tActivity"));
    db.Execute(QStringLiteral("CREATE VIEW qrySubjects AS SELECT DISTINCT tSubject FROM tblscores "
                              "WHERE tSubject IS NOT NULL ORDER BY tSubject"));
    // The study sets handed to activities and the grades they give each
    // phrase.
    studyResults::Create_Tables(db);
    db.Close();
}

void BuildTemplate(const QString &contentFolder, const QString &path) {
    const QString folder = contentFolder + QLatin1Char('/');
    const TsvTable captions = ReadTsv(folder + QStringLiteral("captions.tsv"));
    // The row of a text in tblCaptions is its number. Numbers must rise; a
    // number left out (kept free for texts still to come) is an empty text,
    // so that every later text keeps its place.
    const int numberColumn = captions.column(QStringLiteral("number"));
    if (numberColumn < 0)
        throw failure(QStringLiteral("captions.tsv has no number column."));
    TsvTable captionTexts;
    for (const QString &column : captions.header)
        if (column != QLatin1String("number"))
            captionTexts.header << column;
    for (int i = 0; i < captions.rows.size(); ++i) {
        const QStringList &row = captions.rows[i];
        bool isNumber = false;
        const int number = row[numberColumn].toInt(&isNumber);
        if (!isNumber || number <= captionTexts.rows.size())
            throw failure(QStringLiteral("captions.tsv: row %1 carries number %2 after %3.")
                              .arg(i + 1)
                              .arg(row[numberColumn])
                              .arg(captionTexts.rows.size()));
        while (captionTexts.rows.size() < number - 1)
            captionTexts.rows << QStringList(captionTexts.header.size(), QString());
        QStringList texts = row;
        texts.removeAt(numberColumn);
        captionTexts.rows << texts;
    }

    QFile::remove(path);
    ado::Connection::CreateDatabase(path);
    {
        ado::Connection db;
        db.Open(ado::ConnectionString(path, QString()));
        writeTable(db, QStringLiteral("tblCaptions"), captionTexts);
        writeTable(db, QStringLiteral("tblSystemMessages"),
                   ReadTsv(folder + QStringLiteral("messages.tsv")));
        writeTable(db, QStringLiteral("tblTips"), ReadTsv(folder + QStringLiteral("tips.tsv")));
        writeTable(db, QStringLiteral("tblMenu"), ReadTsv(folder + QStringLiteral("menu.tsv")));
        db.SetPassword(kTemplatePassword);
        db.Close();
    }
    CreateStudentTables(path, kTemplatePassword);
}

} // namespace templateBuilder
