#include "subjects/deck_sound.h"

#include "platform/sound.h"

#include <QCoreApplication>
#include <QHash>

#include <SDL.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace subjects {

namespace {

// libsndfile reads the recording straight from memory.
struct MemoryFile {
    const QByteArray *bytes = nullptr;
    sf_count_t position = 0;
};

sf_count_t memoryLength(void *user) {
    return static_cast<MemoryFile *>(user)->bytes->size();
}
sf_count_t memorySeek(sf_count_t offset, int whence, void *user) {
    auto *f = static_cast<MemoryFile *>(user);
    const sf_count_t size = f->bytes->size();
    sf_count_t target = offset;
    if (whence == SEEK_CUR)
        target = f->position + offset;
    else if (whence == SEEK_END)
        target = size + offset;
    f->position = std::clamp<sf_count_t>(target, 0, size);
    return f->position;
}
sf_count_t memoryRead(void *out, sf_count_t count, void *user) {
    auto *f = static_cast<MemoryFile *>(user);
    const sf_count_t n = std::clamp<sf_count_t>(f->bytes->size() - f->position, 0, count);
    std::memcpy(out, f->bytes->constData() + f->position, size_t(n));
    f->position += n;
    return n;
}
sf_count_t memoryWrite(const void *, sf_count_t, void *) {
    return 0;
}
sf_count_t memoryTell(void *user) {
    return static_cast<MemoryFile *>(user)->position;
}

// Mean power of the 20 ms stretches louder than the gate, and how long
// those last.
void gatedPower(const std::vector<float> &samples, int rate, double &power, double &seconds) {
    const size_t window = std::max(1, rate / 50);
    const double gate = std::pow(10.0, kSpeechGateDb / 10.0);
    double sum = 0;
    size_t counted = 0;
    for (size_t start = 0; start < samples.size(); start += window) {
        const size_t end = std::min(samples.size(), start + window);
        double s = 0;
        for (size_t i = start; i < end; ++i)
            s += double(samples[i]) * samples[i];
        if (s / double(end - start) > gate) {
            sum += s;
            counted += end - start;
        }
    }
    power = counted > 0 ? sum / double(counted) : 0;
    seconds = double(counted) / rate;
}

QString tr(const char *text) {
    return QCoreApplication::translate("wordList", text);
}

} // namespace

QByteArray SubjectWaveFromRecording(const QByteArray &bytes, QString *error) {
    MemoryFile file{&bytes, 0};
    SF_VIRTUAL_IO io{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
    SF_INFO info{};
    SNDFILE *sound = sf_open_virtual(&io, SFM_READ, &info, &file);
    if (!sound) {
        if (error)
            *error = QString::fromLocal8Bit(sf_strerror(nullptr));
        return {};
    }
    // Mixed down to mono as it is read.
    std::vector<float> mono;
    if (info.channels > 0 && info.samplerate > 0) {
        std::vector<float> block(size_t(4096) * size_t(info.channels));
        for (;;) {
            const sf_count_t frames = sf_readf_float(sound, block.data(), 4096);
            if (frames <= 0)
                break;
            for (sf_count_t f = 0; f < frames; ++f) {
                float sum = 0;
                for (int c = 0; c < info.channels; ++c)
                    sum += block[size_t(f) * size_t(info.channels) + size_t(c)];
                mono.push_back(sum / float(info.channels));
            }
        }
    }
    sf_close(sound);
    if (mono.empty() || !IsPlayableRate(info.samplerate)) {
        if (error)
            *error = tr("the recording holds no sound");
        return {};
    }

    // SDL's converter resamples; it is in the program already for playing.
    std::vector<float> resampled;
    if (info.samplerate == kSubjectWaveRate) {
        resampled = std::move(mono);
    } else {
        SDL_AudioStream *stream = SDL_NewAudioStream(AUDIO_F32SYS, 1, info.samplerate,
                                                     AUDIO_F32SYS, 1, kSubjectWaveRate);
        if (!stream) {
            if (error)
                *error = QString::fromUtf8(SDL_GetError());
            return {};
        }
        // The converter holds back the last stretch it was given even when
        // flushed: a tenth of a second of silence pushes the recording's end
        // through, and the result is cut to the recording's own length.
        const auto length = size_t(std::llround(double(mono.size()) * kSubjectWaveRate /
                                                info.samplerate));
        mono.resize(mono.size() + size_t(info.samplerate / 10), 0.0f);
        SDL_AudioStreamPut(stream, mono.data(), int(mono.size() * sizeof(float)));
        SDL_AudioStreamFlush(stream);
        resampled.resize(size_t(SDL_AudioStreamAvailable(stream)) / sizeof(float));
        const int got = SDL_AudioStreamGet(stream, resampled.data(),
                                           int(resampled.size() * sizeof(float)));
        resampled.resize(std::min(length, size_t(std::max(0, got)) / sizeof(float)));
        SDL_FreeAudioStream(stream);
    }

    double power = 0, speech = 0;
    gatedPower(resampled, kSubjectWaveRate, power, speech);
    float peak = 0;
    for (const float s : resampled)
        peak = std::max(peak, std::abs(s));
    // Brought to espeak-ng's level, but never clipped: a peak stays under
    // -1 dB of full scale.
    double gain = power > 0 ? std::sqrt(std::pow(10.0, kPhraseLoudnessDb / 10.0) / power) : 1.0;
    if (peak > 0)
        gain = std::min(gain, 0.89 / peak);
    std::vector<qint16> samples(resampled.size());
    for (size_t i = 0; i < resampled.size(); ++i)
        samples[i] = qint16(std::lround(std::clamp(resampled[i] * gain, -1.0, 1.0) * 32767.0));
    return MonoWave16(samples, kSubjectWaveRate);
}

QVector<QByteArray> ReadDeckRecordings(const WordList &list, QStringList *failures,
                                       const CancelCheck &cancelled) {
    QVector<QByteArray> waves(list.rows.size());
    if (!list.media)
        return waves;
    // A recording two notes share is decoded once.
    QHash<QString, QByteArray> decoded;
    for (int i = 0; i < list.rows.size(); ++i) {
        const WordListRow &row = list.rows[i];
        if (row.sound.isEmpty())
            continue;
        if (cancelled && cancelled())
            throw WordListCancelled();
        const auto known = decoded.constFind(row.sound);
        if (known != decoded.constEnd()) {
            waves[i] = known.value();
            continue;
        }
        QString error;
        const QByteArray bytes = list.media->read(row.sound, &error);
        QByteArray wave;
        if (!bytes.isEmpty())
            wave = SubjectWaveFromRecording(bytes, &error);
        if (wave.isEmpty() && failures)
            *failures << tr("%1: the recording '%2' cannot be played (%3); espeak-ng speaks "
                            "\"%4\" instead")
                             .arg(DescribeUnit(list.unit, row.line), row.sound, error, row.phrase);
        decoded.insert(row.sound, wave);
        waves[i] = wave;
    }
    return waves;
}

WaveMeasure MeasureWave(const QByteArray &wave) {
    WaveMeasure measure;
    const std::optional<WaveLayout> layout = PlayableWaveLayout(wave);
    if (!layout)
        return measure;
    measure.readable = true;
    measure.seconds = double(layout->frames) / layout->rate;
    // The first channel tells whether anything is heard.
    std::vector<float> samples(size_t(layout->frames));
    const char *data = wave.constData() + layout->dataOffset;
    for (qsizetype f = 0; f < layout->frames; ++f) {
        const char *p = data + f * layout->frameBytes();
        float v = 0;
        if (layout->isFloat) {
            std::memcpy(&v, p, 4);
        } else if (layout->bits == 8) {
            v = (static_cast<unsigned char>(*p) - 128) / 128.0f;
        } else {
            qint32 x = 0;
            const int bytes = layout->bits / 8;
            for (int b = 0; b < bytes; ++b)
                x |= qint32(static_cast<unsigned char>(p[b])) << (8 * b);
            x <<= 32 - layout->bits; // sign-extended from the top
            v = float(x / 2147483648.0);
        }
        samples[size_t(f)] = v;
    }
    double power = 0;
    gatedPower(samples, layout->rate, power, measure.speechSeconds);
    measure.loudnessDb = power > 0 ? 10.0 * std::log10(power) : -200;
    return measure;
}

} // namespace subjects
