#include "subjects/deck_sound.h"

#include "platform/sound.h"

#include <QCoreApplication>
#include <QHash>
#include <QThread>

#include <sndfile.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <numeric>
#include <thread>
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

// A windowed-sinc filter with a row of taps for each instant an output
// falls on between two input samples: 8 zero crossings each side, scaled
// down when the rate goes down so nothing above the new Nyquist frequency
// folds back. Rates in a small ratio (44.1 kHz to 22.05 kHz has one instant,
// 48 kHz has 147) get a row for each exact instant; others the nearest of
// kMaxPhases.
struct ResamplingFilter {
    static constexpr std::int64_t kMaxPhases = 512;
    static constexpr double kZeroCrossings = 8;
    static constexpr int kLanes = 8; // rows padded to this many taps
    int half = 0;                    // taps each side of the centre
    int width = 0;                   // taps in a row, 2 * half and zeros to the next lane
    std::int64_t inStep = 0;         // inRate / gcd: input samples per outStep outputs
    std::int64_t outStep = 0;        // outRate / gcd
    std::int64_t phases = 0;         // rows
    std::vector<float> taps;         // phases + 1 rows of width taps, the last one a sample on
    int inRate = 0;
    int outRate = 0;

    ResamplingFilter(int in, int out) : inRate(in), outRate(out) {
        const std::int64_t common = std::gcd(in, out);
        inStep = in / common;
        outStep = out / common;
        phases = std::min(outStep, kMaxPhases);
        const double scale = std::min(1.0, double(outRate) / inRate);
        const double cutoff = 0.95 * scale;
        half = int(std::ceil(kZeroCrossings / scale));
        width = (2 * half + kLanes - 1) / kLanes * kLanes;
        taps.assign(size_t(phases + 1) * size_t(width), 0.0f);
        for (std::int64_t p = 0; p <= phases; ++p) {
            const double frac = double(p) / double(phases);
            float *row = &taps[size_t(p) * size_t(width)];
            double sum = 0;
            for (int k = 0; k < 2 * half; ++k) {
                const double x = (k - half + 1) - frac; // from the output instant
                const double arg = M_PI * cutoff * x;
                const double sinc = x == 0 ? 1.0 : std::sin(arg) / arg;
                const double w = x / half;
                // Blackman window over the filter's span.
                const double window = std::abs(w) >= 1 ? 0
                                                       : 0.42 + 0.5 * std::cos(M_PI * w) +
                                                             0.08 * std::cos(2 * M_PI * w);
                row[k] = float(sinc * window);
                sum += row[k];
            }
            for (int k = 0; k < 2 * half; ++k)
                row[k] = float(row[k] / sum);
        }
    }

    // The row for an output that falls remainder / outStep of a sample past
    // the input sample before it.
    const float *row(std::int64_t remainder) const {
        const std::int64_t p =
            phases == outStep ? remainder : (remainder * phases + outStep / 2) / outStep;
        return &taps[size_t(p) * size_t(width)];
    }
};

QString tr(const char *text) {
    return QCoreApplication::translate("wordList", text);
}

} // namespace

std::vector<float> Resample(const std::vector<float> &in, int inRate, int outRate) {
    // A deck's recordings share one or two rates: each thread keeps the
    // filter of the last pair of rates it met.
    thread_local std::unique_ptr<ResamplingFilter> kept;
    if (!kept || kept->inRate != inRate || kept->outRate != outRate)
        kept = std::make_unique<ResamplingFilter>(inRate, outRate);
    const ResamplingFilter &filter = *kept;
    const int width = filter.width;
    // Zeros around the recording let every output read a whole row of taps.
    std::vector<float> padded(in.size() + size_t(2 * width), 0.0f);
    std::copy(in.begin(), in.end(), padded.begin() + width);
    const auto length =
        size_t((std::int64_t(in.size()) * filter.outStep + filter.inStep / 2) / filter.inStep);
    std::vector<float> out(length);
    // Output n falls n * inStep / outStep input samples in: the whole
    // samples and the remainder are stepped in integers, so no rounding
    // drifts over a long recording.
    const auto whole = size_t(filter.inStep / filter.outStep);
    const std::int64_t part = filter.inStep % filter.outStep;
    size_t i = 0;
    std::int64_t remainder = 0;
    for (size_t n = 0; n < length; ++n) {
        const float *row = filter.row(remainder);
        // Taps k cover input samples i - half + 1 .. i + half.
        const float *x = &padded[i + size_t(width) - size_t(filter.half) + 1];
        // Lanes of partial sums, which the compiler keeps in vector registers.
        float lanes[ResamplingFilter::kLanes] = {};
        for (int k = 0; k < width; k += ResamplingFilter::kLanes)
            for (int j = 0; j < ResamplingFilter::kLanes; ++j)
                lanes[j] += row[k + j] * x[k + j];
        float y = 0;
        for (const float lane : lanes)
            y += lane;
        out[n] = y;
        i += whole;
        remainder += part;
        if (remainder >= filter.outStep) {
            remainder -= filter.outStep;
            ++i;
        }
    }
    return out;
}

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
        constexpr sf_count_t kBlock = 8192;
        const auto channels = size_t(info.channels);
        if (info.frames > 0 && info.frames < sf_count_t(kMaxWaveRate) * 3600)
            mono.reserve(size_t(info.frames));
        std::vector<float> block(size_t(kBlock) * channels);
        for (;;) {
            const sf_count_t frames = sf_readf_float(sound, block.data(), kBlock);
            if (frames <= 0)
                break;
            if (channels == 1) {
                mono.insert(mono.end(), block.begin(), block.begin() + frames);
                continue;
            }
            for (sf_count_t f = 0; f < frames; ++f) {
                float sum = 0;
                for (size_t c = 0; c < channels; ++c)
                    sum += block[size_t(f) * channels + c];
                mono.push_back(sum / float(channels));
            }
        }
    }
    sf_close(sound);
    if (mono.empty() || !IsPlayableRate(info.samplerate)) {
        if (error)
            *error = tr("the recording holds no sound");
        return {};
    }

    std::vector<float> resampled = info.samplerate == kSubjectWaveRate
                                       ? std::move(mono)
                                       : Resample(mono, info.samplerate, kSubjectWaveRate);

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
    // Rounded to the nearest step: the shift by 32768 makes every value
    // positive, so truncation rounds, without a library call per sample.
    const auto scale = float(gain * 32767.0);
    std::vector<qint16> samples(resampled.size());
    for (size_t i = 0; i < resampled.size(); ++i) {
        const float v = std::clamp(resampled[i] * scale, -32767.0f, 32767.0f);
        samples[i] = qint16(int(v + 32768.5f) - 32768);
    }
    return MonoWave16(samples, kSubjectWaveRate);
}

QVector<QByteArray> ReadDeckRecordings(const WordList &list, QStringList *failures,
                                       const CancelCheck &cancelled) {
    QVector<QByteArray> waves(list.rows.size());
    if (!list.media)
        return waves;
    // Every recording is read once, however many notes share it; the media
    // are read one at a time and decoded on every core.
    struct Recording {
        QString name;
        QByteArray bytes;
        QString error;
        QByteArray wave;
    };
    std::vector<Recording> recordings;
    QHash<QString, size_t> byName;
    for (const WordListRow &row : list.rows)
        if (!row.sound.isEmpty() && !byName.contains(row.sound)) {
            byName.insert(row.sound, recordings.size());
            recordings.push_back({row.sound, {}, {}, {}});
        }
    std::atomic<bool> stopped{false};
    std::atomic<size_t> next{0};
    const auto isCancelled = [&] {
        if (!stopped && cancelled && cancelled())
            stopped = true;
        return stopped.load();
    };
    const auto work = [&] {
        for (size_t i; !isCancelled() && (i = next++) < recordings.size();) {
            Recording &r = recordings[i];
            r.bytes = list.media->read(r.name, &r.error);
            if (!r.bytes.isEmpty())
                r.wave = SubjectWaveFromRecording(r.bytes, &r.error);
            r.bytes.clear();
        }
    };
    const int helpers =
        std::max(0, std::min(QThread::idealThreadCount(), int(recordings.size())) - 1);
    std::vector<std::thread> threads;
    for (int t = 0; t < helpers; ++t)
        threads.emplace_back(work);
    work();
    for (std::thread &t : threads)
        t.join();
    if (stopped)
        throw WordListCancelled();
    for (int i = 0; i < list.rows.size(); ++i) {
        const WordListRow &row = list.rows[i];
        if (row.sound.isEmpty())
            continue;
        Recording &r = recordings[byName.value(row.sound)];
        waves[i] = r.wave;
        if (r.wave.isEmpty() && failures)
            *failures << tr("%1: the recording '%2' cannot be played (%3); espeak-ng speaks "
                            "\"%4\" instead")
                             .arg(DescribeUnit(list.unit, row.line), row.sound, r.error,
                                  row.phrase);
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
