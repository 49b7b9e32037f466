// Chooses the language of the texts the program does not take from its
// template: the platform layer's own (the descriptions of database errors,
// the reasons the system gives for a failure), in English as written or in
// Spanish from the translations compiled into the program, and Qt's own
// (the buttons of message boxes, the file dialogs and their questions, the
// names of keys in menus) from Qt's translations.
#pragma once

#include <QLocale>
#include <QString>

class QFileDevice;

namespace platformLanguage {

// learnerLanguage is the program identity's learner language, "English" or
// "Spanish". Installs the Spanish texts on the application for "Spanish" and
// removes them for anything else; calling it again switches. Needs a
// QCoreApplication; without one the texts stay English. Qt's Spanish texts
// come from qtbase_es.qm in Qt's translations folder; without that file
// Qt's texts stay English and ours are Spanish all the same.
void Use_Learner_Language(const QString &learnerLanguage);

// The reason the system gave for a failure (QFile::errorString(), a
// strerror text) in the learner's language, for the place in a sentence of
// ours that says what failed. Reasons the translations do not know, and
// those the system already gives in the learner's language, stay as given.
QString System_Reason(const QString &reason);
// The same for the last failure of file.
QString System_Reason(const QFileDevice &file);

// "The file <path> cannot be read: <reason>" in the learner's language.
QString File_Not_Read(const QString &path, const QString &reason);

// The locale whose forms of dates the learner reads: the system's when it
// speaks the learner's language (a Mexican or a British desktop keeps its
// own order of day and month), otherwise the language's own (Spain, the
// United States). learnerLanguage is "Spanish" or "English".
QLocale Learner_Locale(const QString &learnerLanguage, const QLocale &system = QLocale::system());

} // namespace platformLanguage
