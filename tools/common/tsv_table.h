// The content sources are tab-separated tables with a header line. One
// reader serves every content tool so they agree on the format: UTF-8, an
// optional byte order mark, blank lines ignored, every row exactly as many
// fields as the header.
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <stdexcept>

class TsvError : public std::runtime_error {
public:
    explicit TsvError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

struct TsvTable {
    QString path;
    QStringList header;
    QVector<QStringList> rows; // fields as written (not trimmed)
    QVector<int> lines;        // the file line of each row, for messages

    // Index of a column by name (letter case ignored), -1 when there is none.
    int column(const QString &name) const;
    // The same, but a missing column is an error naming the file.
    int requireColumn(const QString &name) const;
    // A field with its surrounding blanks removed.
    QString cell(int row, int column) const { return rows[row].value(column).trimmed(); }
    // "<path> line <n>" of a row.
    QString where(int row) const;
};

// Reads a table; throws TsvError naming the file (and line) on any problem.
TsvTable ReadTsv(const QString &path);
