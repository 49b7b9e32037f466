#include "platform/file_list_box.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace {

QRegularExpression wildcardExpression(const QString &pattern) {
    QString expression;
    for (const QChar c : pattern) {
        if (c == u'*')
            expression += QStringLiteral(".*");
        else if (c == u'?')
            expression += QLatin1Char('.');
        else
            expression += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression(QRegularExpression::anchoredPattern(expression),
                              QRegularExpression::CaseInsensitiveOption |
                                  QRegularExpression::DotMatchesEverythingOption);
}

} // namespace

bool FileListBox::Matches(const QString &name, const QString &pattern) {
    bool any = false;
    for (const QString &part : pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString one = part.trimmed();
        if (one.isEmpty())
            continue;
        any = true;
        // "*.*" means every file, with or without an extension.
        if (one == QLatin1String("*.*") || one == QLatin1String("*"))
            return true;
        if (wildcardExpression(one).match(name).hasMatch())
            return true;
    }
    return !any;
}

void FileListBox::SetPath(const QString &path) {
    m_path = path;
    Refresh();
}

void FileListBox::SetPattern(const QString &pattern) {
    m_pattern = pattern;
    Refresh();
}

void FileListBox::Refresh() {
    m_names.clear();
    if (m_path.isEmpty())
        return;
    const QDir dir(m_path);
    // Without QDir::Hidden, hidden files stay out; QDir::Files leaves folders out.
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        if (entry.isFile() && !entry.isHidden() && Matches(entry.fileName(), m_pattern))
            m_names << entry.fileName();
    }
    std::sort(m_names.begin(), m_names.end(), [](const QString &a, const QString &b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
}

QString FileListBox::List(int i) const {
    if (i < 0 || i >= ListCount())
        throw std::out_of_range("file list entry " + std::to_string(i) + " out of range");
    return m_names[i];
}
