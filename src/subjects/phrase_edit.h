// Correcting the texts of an installed phrase: what the phrase editor
// writes into the subject file, and what the tree shows afterwards.
#pragma once

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

// The three texts of the phrase named by a phrase node's tag (file name *
// phrase number * ...), as its subject file holds them. The texts the tag
// carries are not used: one holding a "*" (a file made elsewhere) shifts
// them. Throws with a description to show when the file or its row cannot
// be read.
PhraseTexts Read(Program &program, const QString &nodeTag);

// Writes the trimmed texts of the phrase named by a phrase node's tag (file
// name * phrase number * ...) into its subject file; an empty or blank text
// leaves its column as it is. Returns the node tag of what the file holds
// afterwards. The row is written in one step, so a failure (a read-only or
// missing file, a phrase number without a row) changes nothing; it throws
// with a description to show.
QString Save(Program &program, const QString &nodeTag, const PhraseTexts &typed);

} // namespace phraseEdit
