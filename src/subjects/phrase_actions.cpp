#include "subjects/phrase_actions.h"

#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/host.h"
#include "platform/tree_view.h"
#include "subject_data/subject_node.h"
#include "subjects/frm_edit.h"
#include "subjects/frm_voice.h"

PhraseActions::PhraseActions(Program &program, TreeView &TreeFolders, QWidget &window)
    : m_program(program), m_tree(TreeFolders), m_window(window) {}

void PhraseActions::Listen(phraseSound::Speed speed) {
    phraseSound::mnuListenToPhrase_Click(m_program, m_tree, speed);
}

void PhraseActions::Record() {
    if (const auto phrase = phraseSound::Selected_Phrase(m_tree))
        Record(*phrase, &m_window);
}

void PhraseActions::Edit() {
    Host &host = m_program.host();
    if (!m_program.administrator) {
        host.MsgBox(m_program.captions[113], vb::vbExclamation);
        return;
    }
    const auto phrase = phraseSound::Selected_Phrase(m_tree);
    if (!phrase)
        return;
    const int selected = m_tree.Selected();
    frmEdit editor(m_program, *phrase, &m_window);
    if (!editor.Row_Read())
        return;
    host.ShowModal(editor);
    if (!editor.Saved())
        return;
    m_tree.SetData(selected, subjectData::SubjectNode::Of(editor.Saved_Phrase()));
    m_tree.SetText(selected, editor.Saved_Phrase().translation);
}

void PhraseActions::Hear(const subjectData::Phrase &phrase, bool slowly) {
    try {
        phraseSound::Play_Phrase(m_program, phrase,
                                 slowly ? phraseSound::Speed::Slow : phraseSound::Speed::Normal);
    } catch (const std::exception &e) {
        modMain::Show_Error(m_program, QStringLiteral("Play_Selected_Phrase"), e);
    }
}

void PhraseActions::Record(const subjectData::Phrase &phrase, QWidget *parent) {
    voiceWindows::Record_And_Compare(m_program, phrase, parent);
}
