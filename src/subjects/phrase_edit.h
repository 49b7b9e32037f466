// Correcting the texts of an installed phrase: what the phrase editor
// writes into the subject file, and what the tree shows afterwards.
#pragma once

#include "subject_data/phrase.h"

#include <QString>

class Program;

namespace phraseEdit {

struct PhraseTexts {
    QString phrase;
    QString translation;
    QString translation2;
};

// Empty text when the three texts can be stored; otherwise why not (a "*"
// or a line break would split the node tags and the study file's lines).
QString Refusal(const Program &program, const PhraseTexts &typed);

// The three texts of the phrase at phrase's place (its source file and
// number), as its subject file holds them now (the tree's copy may be older).
// Throws with a description to show when the file or its row cannot be read.
PhraseTexts Read(Program &program, const subjectData::Phrase &phrase);

// Writes the trimmed texts into the row of phrase's place in its subject
// file; an empty or blank text leaves its column as it is. Returns the phrase
// as the file holds it afterwards. The row is written in one step, so a
// failure (a read-only or missing file, a phrase number without a row)
// changes nothing; it throws with a description to show.
subjectData::Phrase Save(Program &program, const subjectData::Phrase &phrase,
                         const PhraseTexts &typed);

} // namespace phraseEdit
