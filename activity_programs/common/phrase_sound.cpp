#include "phrase_sound.h"

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
    m_last = waveFile;
    ++m_count;
    const auto loaded = m_loaded.constFind(waveFile);
    if (loaded != m_loaded.cend())
        m_player.PlayMemory(*loaded, true);
    else
        m_player.PlayFile(waveFile, true);
}

} // namespace activity
