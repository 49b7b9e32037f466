// Chooses the language of the platform layer's own texts (the descriptions
// of database errors): English as written, or Spanish from the translations
// compiled into the program.
#pragma once

#include <QString>

namespace platformLanguage {

// learnerLanguage is the program identity's learner language, "English" or
// "Spanish". Installs the Spanish texts on the application for "Spanish" and
// removes them for anything else; calling it again switches. Needs a
// QCoreApplication; without one the texts stay English.
void Use_Learner_Language(const QString &learnerLanguage);

} // namespace platformLanguage
