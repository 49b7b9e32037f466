// The names of the plain files of one folder that match a pattern, sorted by
// name without regard to case, as a hidden file list shows them. Folders and
// hidden files are never listed. Changing the folder or the pattern reads the
// folder again.
#pragma once

#include <QString>
#include <QStringList>

class FileListBox {
public:
    QString Path() const { return m_path; }
    void SetPath(const QString &path);

    // One or more wildcard patterns separated by ";" ("*" any run of
    // characters, "?" one character), matched against the whole name
    // without regard to case. "*.*" and an empty pattern list every file.
    QString Pattern() const { return m_pattern; }
    void SetPattern(const QString &pattern);

    // Lists only files the user may run, leaving out those that match the
    // excluded pattern: the activity programs off Windows, where being a
    // program is a file attribute rather than a name.
    void SetExecutablesOnly(bool only, const QString &excluded = QString());

    // Reads the folder again; a missing folder gives an empty list.
    void Refresh();

    int ListCount() const { return static_cast<int>(m_names.size()); }
    // The i-th name, counted from 0; throws std::out_of_range outside the list.
    QString List(int i) const;

    // Whether a file name matches a pattern text as Pattern describes.
    static bool Matches(const QString &name, const QString &pattern);

private:
    QString m_path;
    QString m_pattern = QStringLiteral("*.*");
    bool m_executablesOnly = false;
    QString m_excluded;
    QStringList m_names;
};
