#include "phrase_sound.h"

namespace activity {

void PhraseSound::play(const QString &waveFile) {
    m_last = waveFile;
    ++m_count;
    m_player.PlayFile(waveFile, true);
}

} // namespace activity
