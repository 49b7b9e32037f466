// Hearing the selected phrase of the subject tree: its recording is written
// to a temporary wave file and played while a small window shows the
// spoken text.
#pragma once

#include <QString>

class Program;
class SubjectTree;
class TreeView;

namespace phraseSound {

// How a phrase is heard: at its own speed, or slowed down with its pitch kept
// so a learner can follow every syllable.
enum class Speed { Normal, Slow };

// "~selectedphrase" + handle tag + ".wav", and its full path in the
// program's temporary folder (Program::Temporary_Folder).
QString Selected_Phrase_Name(const Program &program);
QString Selected_Phrase_Path(const Program &program);

// Plays the selected node when it is a phrase (not a folder, not a subject,
// whose parents are bold); anything else plays nothing.
void mnuListenToPhrase_Click(Program &program, SubjectTree &subjects, TreeView &TreeFolders,
                             Speed speed = Speed::Normal);

// True when the selected node of the tree is a phrase.
bool Phrase_Selected(SubjectTree &subjects, TreeView &TreeFolders);

// Writes the selected phrase's recording to Selected_Phrase_Path, shows its
// text in the notice window, waits a second and plays it unless the user
// closed the notice meanwhile. A phrase whose source file is gone plays
// nothing and says nothing; other failures get the error box.
void Listen_to_Phrase(Program &program, SubjectTree &subjects, TreeView &TreeFolders,
                      Speed speed = Speed::Normal);

// Writes the recording of phrase number of the installed subject fileName
// to Selected_Phrase_Path and returns that path; empty when the subject file
// is gone (nothing written). Throws on any other failure.
QString Write_Phrase_Sound(Program &program, const QString &fileName, const QString &number);

// Hears one phrase by its source (installed subject file and phrase number):
// the recording is written, the text shown in the notice window, and after a
// second it plays unless the user closed the notice. A phrase whose source
// file is gone plays nothing and says nothing. Throws on other failures.
// Slowly, the recording is slowed down in memory and played from there.
void Play_Phrase(Program &program, const QString &fileName, const QString &number,
                 const QString &text, Speed speed = Speed::Normal);

} // namespace phraseSound
