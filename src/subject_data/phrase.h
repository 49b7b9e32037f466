// One phrase as the program carries it from a subject file to the trees, the
// phrase editor, the sound and the study set: where it lives (the installed
// subject file and its number there) and its three texts. A virtual subject's
// phrase is the same value with copied texts; in its folder file it also has
// a row of its own.
#pragma once

#include "platform/ado.h"

#include <QString>
#include <QVector>

class Program;

namespace subjectData {

// Where the phrase was read from: an installed subject (also the random
// subject and the random phrases) or a virtual folder.
enum class PhraseOrigin { Installed, Virtual };

struct Phrase {
    QString sourceFile; // the installed subject file with the phrase and its sound
    int number = 0;     // its pkPhraseNo there
    QString phrase;     // tPhrase: what the recording says
    QString translation;
    QString translation2;
    PhraseOrigin origin = PhraseOrigin::Installed;
    // Its own pkPhraseNo in a virtual folder file; 0 when not read from one.
    int folderKey = 0;

    friend bool operator==(const Phrase &, const Phrase &) = default;
};

// Reads the phrase of the current row of an installed subject's tblPhrases
// (Null texts become empty). The fields are found by name once, so a reader
// serves every row of the recordset.
class InstalledPhraseReader {
public:
    explicit InstalledPhraseReader(ado::Recordset &rs);
    Phrase Read(const QString &fileName) const;

private:
    ado::Field m_number, m_phrase, m_translation, m_translation2;
};

// Every phrase of the installed subject fileName, in the file's order.
// Throws ado::Error when the file cannot be read.
QVector<Phrase> Read_Installed_Phrases(const Program &program, const QString &fileName);

// Reads the phrase of the current row of a virtual folder's tblPhrases.
class FolderPhraseReader {
public:
    explicit FolderPhraseReader(ado::Recordset &rs);
    Phrase Read() const;
    // Whether the row names a phrase that can be found: a subject file right
    // inside the installed-subjects folder (without "*", which the file lists
    // leave out) and a number.
    bool NamesInstalledPhrase() const;

private:
    ado::Field m_file, m_number, m_key, m_phrase, m_translation, m_translation2;
};

} // namespace subjectData
