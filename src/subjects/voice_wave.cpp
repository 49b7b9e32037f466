// Wave files read into samples and written back: the part of the voice
// layer that needs no analysis library, so the program links it directly.
#include "subjects/voice_compare.h"

#include "platform/sound.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace voice {

namespace {

float sampleAt(const char *p, int bits, bool isFloat) {
    if (isFloat) {
        float f;
        std::memcpy(&f, p, 4);
        return std::isfinite(f) ? std::clamp(f, -1.0f, 1.0f) : 0.0f;
    }
    switch (bits) {
    case 8:
        return (static_cast<unsigned char>(*p) - 128) / 128.0f;
    case 16:
        return qFromLittleEndian<qint16>(p) / 32768.0f;
    case 24: {
        const qint32 v = (static_cast<qint32>(static_cast<signed char>(p[2])) << 16) |
                         (static_cast<unsigned char>(p[1]) << 8) | static_cast<unsigned char>(p[0]);
        return v / 8388608.0f;
    }
    default:
        return static_cast<float>(qFromLittleEndian<qint32>(p) / 2147483648.0);
    }
}

} // namespace

int Wave::milliseconds() const {
    return rate > 0 ? static_cast<int>(samples.size() * 1000LL / rate) : 0;
}

Wave Read_Wave(const QByteArray &bytes) {
    Wave wave;
    // The sound layer's check, so that what cannot be played is not slowed
    // down or compared either.
    const std::optional<WaveLayout> layout = PlayableWaveLayout(bytes);
    if (!layout)
        return wave;
    const int channels = layout->channels;
    const int sampleBytes = layout->bits / 8;
    const int frameBytes = layout->frameBytes();
    wave.rate = layout->rate;
    wave.samples.resize(static_cast<size_t>(layout->frames));
    const char *data = bytes.constData() + layout->dataOffset;
    for (qsizetype f = 0; f < layout->frames; ++f) {
        float sum = 0;
        const char *frame = data + f * frameBytes;
        for (int c = 0; c < channels; ++c)
            sum += sampleAt(frame + c * sampleBytes, layout->bits, layout->isFloat);
        wave.samples[static_cast<size_t>(f)] = sum / channels;
    }
    return wave;
}

QByteArray Write_Wave(const Wave &wave) {
    std::vector<qint16> samples(wave.samples.size());
    for (size_t i = 0; i < wave.samples.size(); ++i)
        samples[i] =
            static_cast<qint16>(std::lround(std::clamp(wave.samples[i], -1.0f, 1.0f) * 32767.0f));
    return MonoWave16(samples, wave.rate);
}

} // namespace voice
