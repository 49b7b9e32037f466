#include "phrase_sound.h"

#include "subjects/voice_compare.h"

#include <QFile>

namespace activity {

void PhraseSound::preload(const QStringList &waveFiles) {
    for (const QString &path : waveFiles) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            m_loaded.insert(path, file.readAll());
    }
}

void PhraseSound::play(const QString &waveFile) {
    playWave(waveFile, false);
}

void PhraseSound::playSlowly(const QString &waveFile) {
    playWave(waveFile, true);
}

void PhraseSound::playWave(const QString &waveFile, bool slowly) {
    m_last = waveFile;
    m_lastSlow = slowly;
    ++m_count;
    QByteArray wave = m_loaded.value(waveFile);
    if (wave.isEmpty()) {
        QFile file(waveFile);
        if (file.open(QIODevice::ReadOnly))
            wave = file.readAll();
    }
    if (!IsPlayableWave(wave)) {
        // The sound before it is not left playing over this phrase.
        m_player.Stop();
        if (!m_refused.contains(waveFile)) {
            m_refused.insert(waveFile);
            if (m_report)
                m_report(waveFile);
        }
        return;
    }
    if (slowly) {
        // A phrase lasts seconds: slowing it takes a few milliseconds, once.
        auto slowed = m_slowed.find(waveFile);
        if (slowed == m_slowed.end())
            slowed = m_slowed.insert(waveFile, voice::Change_Tempo(wave, voice::kSlowTempo));
        if (!slowed->isEmpty()) {
            m_player.PlayMemory(*slowed, true);
            return;
        }
    }
    m_player.PlayMemory(wave, true);
}

void PhraseSound::playWave(const QByteArray &wave) {
    m_player.Stop();
    if (IsPlayableWave(wave))
        m_player.PlayMemory(wave, true);
}

} // namespace activity
