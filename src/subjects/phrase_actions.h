// What a learner does with a phrase of the subject trees: hear it (slowly
// too), record saying it and compare, and, as the administrator, correct its
// texts in the phrase editor. The main window's menu, keys and double click
// and the virtual subject editor's requests all come here.
#pragma once

#include "subject_data/phrase.h"
#include "subjects/phrase_sound.h"

class Program;
class QWidget;
class TreeView;

class PhraseActions {
public:
    // TreeFolders: the tree whose selected phrase the commands act on;
    // window: the window the editor and the recording windows belong to.
    PhraseActions(Program &program, TreeView &TreeFolders, QWidget &window);

    // The selected node of TreeFolders, when it is a phrase.
    void Listen(phraseSound::Speed speed = phraseSound::Speed::Normal);
    void Record();
    // Opens frmEdit on the selected phrase; a student other than the
    // administrator is told no. The node shows what the file holds after OK.
    void Edit();

    // A phrase of another window: errors get the error box of procedure.
    void Hear(const subjectData::Phrase &phrase, bool slowly);
    void Record(const subjectData::Phrase &phrase, QWidget *parent);

private:
    Program &m_program;
    TreeView &m_tree;
    QWidget &m_window;
};
