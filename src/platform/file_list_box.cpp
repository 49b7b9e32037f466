#include "platform/file_list_box.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// A pattern list made ready once, then matched against every name of a
// folder: compiling a regular expression per name cost more than listing
// the folder itself.
class Wildcards {
public:
    explicit Wildcards(const QString &patterns) {
        bool any = false;
        for (const QString &part : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString one = part.trimmed();
            if (one.isEmpty())
                continue;
            any = true;
            // "*.*" means every file, with or without an extension.
            if (one == QLatin1String("*.*") || one == QLatin1String("*")) {
                m_everything = true;
            } else if (isSuffixPattern(one)) {
                m_suffixes << one.mid(1);
            } else {
                m_expressions.push_back(expressionOf(one));
            }
        }
        if (!any)
            m_everything = true;
    }

    bool Matches(const QString &name) const {
        if (m_everything)
            return true;
        for (const QString &suffix : m_suffixes)
            if (name.endsWith(suffix, Qt::CaseInsensitive))
                return true;
        for (const QRegularExpression &expression : m_expressions)
            if (expression.match(name).hasMatch())
                return true;
        return false;
    }

private:
    // "*" followed by plain characters: the usual "*.ito".
    static bool isSuffixPattern(const QString &pattern) {
        return pattern.size() > 1 && pattern.front() == u'*' &&
               !pattern.mid(1).contains(QLatin1Char('*')) &&
               !pattern.mid(1).contains(QLatin1Char('?'));
    }

    static QRegularExpression expressionOf(const QString &pattern) {
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

    bool m_everything = false;
    QStringList m_suffixes;
    std::vector<QRegularExpression> m_expressions;
};

} // namespace

bool FileListBox::Matches(const QString &name, const QString &pattern) {
    return Wildcards(pattern).Matches(name);
}

void FileListBox::SetPath(const QString &path) {
    m_path = path;
    Refresh();
}

void FileListBox::SetPattern(const QString &pattern) {
    m_pattern = pattern;
    Refresh();
}

void FileListBox::SetExecutablesOnly(bool only, const QString &excluded) {
    m_executablesOnly = only;
    m_excluded = excluded;
    Refresh();
}

void FileListBox::Refresh() {
    m_names.clear();
    if (m_path.isEmpty())
        return;
    // Without QDir::Hidden, hidden files stay out; QDir::Files leaves folders out.
    // Unsorted: the names are sorted once, below, in the list's own order.
    const QDir dir(m_path, QString(), QDir::Unsorted, QDir::Files | QDir::NoDotAndDotDot);
    const QFileInfoList entries = dir.entryInfoList();
    const Wildcards wanted(m_pattern);
    std::optional<Wildcards> excluded;
    if (!m_excluded.trimmed().isEmpty())
        excluded.emplace(m_excluded);
    for (const QFileInfo &entry : entries) {
        if (!entry.isFile() || entry.isHidden() || !wanted.Matches(entry.fileName()))
            continue;
        if (m_executablesOnly &&
            (!entry.isExecutable() || (excluded && excluded->Matches(entry.fileName()))))
            continue;
        m_names << entry.fileName();
    }
    std::sort(m_names.begin(), m_names.end(), [](const QString &a, const QString &b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
}

QString FileListBox::List(int i) const {
    if (i < 0 || i >= ListCount())
        throw std::out_of_range(
            QCoreApplication::translate("controls", "There is no file %1 in the list.")
                .arg(i)
                .toStdString());
    return m_names[i];
}
