// Builds the delivered text database (Tolvanex.tpl) from the readable sources
// in content/template/, and assembles the rest of a program folder.
#pragma once

#include <QString>

namespace templateBuilder {

// Writes Tolvanex.tpl at path (replacing it) from the four tables in
// contentFolder: captions.tsv, messages.tsv, tips.tsv, menu.tsv. The file
// also carries the empty student tables and the two saved queries.
void BuildTemplate(const QString &contentFolder, const QString &path);

// Creates the empty student tables (tblUsers, tblscores, the launches and
// results of studyResults) and the saved queries in the database at path.
void CreateStudentTables(const QString &path, const QString &password);

// The caption text of a number in a learner language column.
QString CaptionText(const QString &contentFolder, int number, const QString &language);

} // namespace templateBuilder
