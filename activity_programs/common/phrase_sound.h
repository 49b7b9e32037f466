// Plays the phrases' recordings through the program's sound layer, in the
// background so that the window stays responsive; a new sound cuts the one
// still playing. Without an audio device it stays silent.
#pragma once

#include "platform/sound.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

namespace activity {

class PhraseSound {
public:
    // Reads the sound files into memory at the start of a game: the shell
    // deletes them when the learner starts another activity meanwhile.
    void preload(const QStringList &waveFiles);
    // Plays the preloaded sound of waveFile, or the file itself.
    void play(const QString &waveFile);
    // The last file asked for and how many sounds were asked for; what a
    // learner would have heard, for a quiet test to check.
    const QString &lastPlayed() const { return m_last; }
    int playCount() const { return m_count; }

private:
    SoundPlayer m_player;
    QHash<QString, QByteArray> m_loaded;
    QString m_last;
    int m_count = 0;
};

} // namespace activity
