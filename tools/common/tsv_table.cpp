#include "tsv_table.h"

#include <QFile>

int TsvTable::column(const QString &name) const {
    for (int i = 0; i < header.size(); ++i)
        if (header[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int TsvTable::requireColumn(const QString &name) const {
    const int index = column(name);
    if (index < 0)
        throw TsvError(QStringLiteral("'%1' has no column '%2' (its columns: %3)")
                           .arg(path, name, header.join(QLatin1String(", "))));
    return index;
}

QString TsvTable::where(int row) const {
    return QStringLiteral("%1 line %2").arg(path).arg(lines.value(row));
}

TsvTable ReadTsv(const QString &path) {
    QFile file(path);
    if (!file.exists())
        throw TsvError(QStringLiteral("'%1' not found").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        throw TsvError(QStringLiteral("cannot read '%1': %2").arg(path, file.errorString()));
    QString text = QString::fromUtf8(file.readAll());
    if (text.startsWith(QChar(0xfeff))) // a byte order mark from some editors
        text.remove(0, 1);
    TsvTable table;
    table.path = path;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        QStringList fields = line.split(QLatin1Char('\t'));
        if (table.header.isEmpty()) {
            for (QString &field : fields)
                field = field.trimmed();
            table.header = fields;
            continue;
        }
        if (fields.size() != table.header.size())
            throw TsvError(QStringLiteral("%1 line %2: %3 fields where the header has %4")
                               .arg(path)
                               .arg(i + 1)
                               .arg(fields.size())
                               .arg(table.header.size()));
        table.rows << fields;
        table.lines << i + 1;
    }
    if (table.header.isEmpty())
        throw TsvError(QStringLiteral("'%1' is empty: it needs a header line").arg(path));
    return table;
}
