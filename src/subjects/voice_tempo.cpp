// Slowing a wave file down: read, stretched, written back.
#include "subjects/voice_compare.h"

namespace voice {

QByteArray Change_Tempo(const QByteArray &waveFile, double tempo) {
    const Wave wave = Read_Wave(waveFile);
    if (wave.empty())
        return QByteArray();
    return Write_Wave(Change_Tempo(wave, tempo));
}

} // namespace voice
