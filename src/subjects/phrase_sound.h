// Hearing the selected phrase of the subject tree: its recording is written
// to a temporary wave file and played while a small window shows the
// spoken text.
#pragma once

#include "subject_data/phrase.h"
#include "subject_data/phrase_recording.h"

#include <QString>

#include <optional>

class Program;
class TreeView;

namespace phraseSound {

// How a phrase is heard: at its own speed, or slowed down with its pitch kept
// so a learner can follow every syllable.
enum class Speed { Normal, Slow };

// The phrase of the selected node; none when a folder, a subject or a
// placeholder is selected.
std::optional<subjectData::Phrase> Selected_Phrase(const TreeView &TreeFolders);

// Plays the selected node when it is a phrase; anything else plays nothing.
void mnuListenToPhrase_Click(Program &program, const TreeView &TreeFolders,
                             Speed speed = Speed::Normal);

// Hears the selected phrase (Play_Phrase); failures get the error box.
void Listen_to_Phrase(Program &program, const TreeView &TreeFolders, Speed speed = Speed::Normal);

// Hears one phrase from its source (installed subject file and phrase
// number): the recording is written, the phrase's text shown in the notice
// window, and after a second it plays unless the user closed the notice. A
// phrase whose source file is gone plays nothing and says nothing. Throws on
// other failures. Slowly, the recording is slowed down in memory and played
// from there.
void Play_Phrase(Program &program, const subjectData::Phrase &phrase, Speed speed = Speed::Normal);

} // namespace phraseSound
