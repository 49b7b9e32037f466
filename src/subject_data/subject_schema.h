// The tables of the two kinds of subject database: an installed subject file
// (properties and phrases with their recordings) and a virtual folder file
// (student-built subjects that point at installed phrases). The program only
// reads installed subjects; these helpers serve the tools that author them,
// the content build that writes custom.tpl, and tests that need fixtures.
#pragma once

#include <QByteArray>
#include <QString>

namespace ado {
class Connection;
}

namespace subjects {

// Database password of subject files, virtual folder files and custom.tpl.
inline constexpr char kSubjectPassword[] = "marpelin4729";
QString SubjectPassword();

// Creates an installed subject file for the build programCode ("tvxito"):
// tblProperties with its one row, an empty tblPhrases, protected by the
// subject password. Fails (ado::Error) when the file exists already.
void CreateSubjectFile(const QString &path, const QString &programCode);

// Adds one phrase row to an open subject file. A null text is stored as Null;
// empty wave bytes store no recording (Null).
void AddPhrase(ado::Connection &subject, int number, const QString &phrase,
               const QString &translation, const QString &translation2, const QByteArray &wave);
// The same on a closed file: opens it with the subject password.
void AddPhrase(const QString &path, int number, const QString &phrase, const QString &translation,
               const QString &translation2, const QByteArray &wave);

// Creates an empty virtual folder file (also the template custom.tpl):
// tblParents and tblPhrases, protected by the subject password. Fails when
// the file exists already.
void CreateVirtualFolderFile(const QString &path);

} // namespace subjects
