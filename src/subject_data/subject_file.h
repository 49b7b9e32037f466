// Installed subject files: the compatibility check against this language
// build and the report of a failed check.
#pragma once

#include <QString>

class Program;
namespace ado {
class Connection;
}

namespace subjectFile {

inline constexpr char kValid[] = "VALID";
inline constexpr char kWrongLanguage[] = "WRONG_LANGUAGE";

// True for a name that can only mean a file right inside its folder: not
// empty, no folder separators, not "." or "..", no drive, no control
// characters. Names read from virtual folder files must pass before use.
bool Is_Plain_File_Name(const QString &fileName);

// The data source of an installed subject file (installed-subjects folder +
// name). A name that is not plain gives empty text: no file, so it reads as
// a missing subject and nothing outside the folder is ever opened.
QString Installed_Path(const Program &program, const QString &fileName);
// The data source of a virtual folder file (virtual-subjects folder + name).
QString Virtual_Path(const Program &program, const QString &fileName);

// Display title of an installed subject file: words split at "_", each after
// a blank (so the title starts with one), the extension cut, proper case.
// Throws std::invalid_argument for a name too short to have an extension.
QString Proper_Title(const Program &program, const QString &fileName);

} // namespace subjectFile

// "VALID" when the file opens and the first row of tblProperties names this
// build's language code; "WRONG_LANGUAGE*<code>" for a subject of another
// build; otherwise the description of what stopped the check. Never throws
// and shows nothing, so callers can check many files in a row.
QString Validate_Subject(Program &program, const QString &fileName);
// The same, opening the file in connection, which stays open for reading
// the subject after the check.
QString Validate_Subject(Program &program, const QString &fileName, ado::Connection &connection);
// The same check on a subject file the caller has open (it goes on reading
// it): throws ado::Error when tblProperties cannot be read.
QString Validate_Subject(Program &program, ado::Connection &subject);

// Tells the user why a subject cannot be used: a subject of another build gets
// a plain warning; a file that could not be checked gets the description and
// an offer to visit the subjects page of the web site.
void Show_Subject_Error(Program &program, const QString &fileName, const QString &result);
