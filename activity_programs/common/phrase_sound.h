// Plays the phrases' recordings through the program's sound layer, in the
// background so that the window stays responsive; a new sound cuts the one
// still playing. Without an audio device it stays silent. A recording that
// fails the sound layer's check is never handed to the player: the phrase
// stays silent and the window is told once, to say so in one line.
#pragma once

#include "platform/sound.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

namespace activity {

class PhraseSound {
public:
    // Reads the sound files into memory at the start of a game: the shell
    // deletes them when the learner starts another activity meanwhile.
    void preload(const QStringList &waveFiles);
    // Plays the preloaded sound of waveFile, or the file itself.
    void play(const QString &waveFile);
    // The same slowed down with its pitch kept (at the speed the shell's
    // "hear slowly" uses), so every syllable can be followed; a recording
    // that cannot be slowed plays at its own speed.
    void playSlowly(const QString &waveFile);
    // Plays a sound that is no file of the study set (the learner's own
    // take), cutting the one still playing; nothing when it is no sound.
    void playWave(const QByteArray &wave);
    // Silences the sound still playing (before the microphone listens).
    void stop() { m_player.Stop(); }
    // The preloaded bytes of waveFile; empty when it was not read.
    QByteArray wave(const QString &waveFile) const { return m_loaded.value(waveFile); }
    // Called the first time a file turns out to be no playable sound; later
    // plays of it are silent without a word.
    void setRefusedReport(std::function<void(const QString &waveFile)> report) {
        m_report = std::move(report);
    }
    // The last file asked for and how many sounds were asked for; what a
    // learner would have heard, for a quiet test to check.
    const QString &lastPlayed() const { return m_last; }
    int playCount() const { return m_count; }
    bool lastWasSlow() const { return m_lastSlow; }

private:
    void playWave(const QString &waveFile, bool slowly);

    SoundPlayer m_player;
    QHash<QString, QByteArray> m_loaded;
    QHash<QString, QByteArray> m_slowed; // made on the first slow play
    QSet<QString> m_refused;
    std::function<void(const QString &)> m_report;
    QString m_last;
    int m_count = 0;
    bool m_lastSlow = false;
};

} // namespace activity
