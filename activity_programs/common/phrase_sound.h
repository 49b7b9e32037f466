// Plays the phrases' recordings through the program's sound layer, in the
// background so that the window stays responsive; a new sound cuts the one
// still playing. Without an audio device it stays silent.
#pragma once

#include "platform/sound.h"

#include <QString>

namespace activity {

class PhraseSound {
public:
    void play(const QString &waveFile);
    // The last file asked for and how many sounds were asked for; what a
    // learner would have heard, for a quiet test to check.
    const QString &lastPlayed() const { return m_last; }
    int playCount() const { return m_count; }

private:
    SoundPlayer m_player;
    QString m_last;
    int m_count = 0;
};

} // namespace activity
