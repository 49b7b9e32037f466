#include "subjects/phrase_sound.h"

#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/host.h"
#include "platform/sound.h"
#include "platform/tree_view.h"
#include "subject_data/subject_node.h"
#include "subjects/voice_module.h"

#include <QFile>

#include <stdexcept>

namespace phraseSound {

namespace {
constexpr int kNoticeHeightTwips = 1500;
} // namespace

std::optional<subjectData::Phrase> Selected_Phrase(const TreeView &TreeFolders) {
    const subjectData::SubjectNode *node =
        subjectData::Node_At(TreeFolders, TreeFolders.Selected());
    if (!node || !subjectData::Is_Phrase(node->kind))
        return std::nullopt;
    return node->phrase;
}

void mnuListenToPhrase_Click(Program &program, const TreeView &TreeFolders, Speed speed) {
    if (Selected_Phrase(TreeFolders))
        Listen_to_Phrase(program, TreeFolders, speed);
}

void Listen_to_Phrase(Program &program, const TreeView &TreeFolders, Speed speed) {
    try {
        if (const auto phrase = Selected_Phrase(TreeFolders))
            Play_Phrase(program, *phrase, speed);
    } catch (const std::exception &e) {
        modMain::Show_Error(program, QStringLiteral("Listen_to_Phrase"), e);
    }
}

void Play_Phrase(Program &program, const subjectData::Phrase &phrase, Speed speed) {
    const QString sound = Write_Phrase_Sound(program, phrase.sourceFile, phrase.number);
    if (sound.isEmpty())
        return;
    QByteArray wave;
    {
        QFile file(sound);
        if (file.open(QIODevice::ReadOnly))
            wave = file.readAll();
    }
    // A damaged recording would play as silence: the learner is told instead.
    if (!IsPlayableWave(wave)) {
        program.host().MsgBox(program.captions[caption::SoundNotPlayable].arg(phrase.phrase),
                              vb::vbExclamation, program.identity.productTitle);
        return;
    }
    QByteArray slowed;
    if (speed == Speed::Slow) {
        try {
            slowed = voiceModule::Change_Tempo(wave, voice::kSlowTempo);
        } catch (const std::exception &e) {
            // Without the voice module the phrase is still heard, at its own
            // speed, once the learner knows why.
            program.host().MsgBox(QString::fromUtf8(e.what()), vb::vbExclamation,
                                  program.identity.productTitle);
        }
    }
    ShellWindows &windows = program.windows();
    windows.ShowNotice(QString(), phrase.phrase, kNoticeHeightTwips, 0);
    modMain::Wait_Seconds(program.host(), 1);
    if (windows.NoticeVisible()) {
        // A recording that cannot be slowed is played as it is.
        if (slowed.isEmpty())
            modMain::Play_Sound(program.host(), sound, 0);
        else
            program.host().PlaySoundMemory(slowed, false);
    }
    windows.UnloadNotice();
}

} // namespace phraseSound
