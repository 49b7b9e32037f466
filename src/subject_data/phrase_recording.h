// A phrase's recording taken out of its installed subject file: written to
// the program's temporary folder, where it is played or compared.
#pragma once

#include <QString>

class Program;

namespace phraseSound {

// "~selectedphrase" + handle tag + ".wav", and its full path in the
// program's temporary folder (Program::Temporary_Folder).
QString Selected_Phrase_Name(const Program &program);
QString Selected_Phrase_Path(const Program &program);

// Writes the recording of phrase number of the installed subject fileName
// to Selected_Phrase_Path and returns that path; empty when the subject file
// is gone (nothing written). Throws on any other failure.
QString Write_Phrase_Sound(Program &program, const QString &fileName, int number);

} // namespace phraseSound
