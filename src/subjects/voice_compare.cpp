#include "subjects/voice_compare.h"

#include "platform/sound.h"

#include <QtEndian>

#include <SoundTouch.h>
#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

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

Wave Change_Tempo(const Wave &wave, double tempo) {
    Wave out;
    out.rate = wave.rate;
    if (wave.empty() || !IsPlayableRate(wave.rate) || tempo <= 0)
        return out;
    soundtouch::SoundTouch stretcher;
    stretcher.setSampleRate(static_cast<uint>(wave.rate));
    stretcher.setChannels(1);
    stretcher.setTempo(tempo);
    stretcher.putSamples(wave.samples.data(), static_cast<uint>(wave.samples.size()));
    stretcher.flush();
    out.samples.resize(stretcher.numSamples());
    const uint received =
        stretcher.receiveSamples(out.samples.data(), static_cast<uint>(out.samples.size()));
    out.samples.resize(received);
    return out;
}

QByteArray Change_Tempo(const QByteArray &waveFile, double tempo) {
    const Wave wave = Read_Wave(waveFile);
    if (wave.empty())
        return QByteArray();
    return Write_Wave(Change_Tempo(wave, tempo));
}

namespace {

constexpr int kAnalysisRate = 16000;
constexpr int kWindow = 512;
constexpr int kHop = 256;
constexpr int kFilters = 40;
// Below this loudness (root mean square of a frame) nothing is spoken, and
// a frame is background when it is 30 dB below the loudest.
constexpr float kQuietest = 0.004f;
constexpr float kBackground = 0.0316f;
// The mean aligned distance at which two recordings have nothing in common
// (closeness 0). Calibrated on synthetic speech: the same phrase by another
// voice lies near 2.4, a different phrase near 3.2.
constexpr double kNothingInCommon = 5.0;

// Linear resampling is enough here: the analysis looks at bands far below
// the Nyquist frequency of either rate.
std::vector<float> resample(const Wave &wave, int rate) {
    if (wave.rate == rate)
        return wave.samples;
    const double step = static_cast<double>(wave.rate) / rate;
    const size_t n = static_cast<size_t>(wave.samples.size() / step);
    std::vector<float> out(n);
    for (size_t i = 0; i < n; ++i) {
        const double at = i * step;
        const size_t k = static_cast<size_t>(at);
        const double f = at - k;
        const float a = wave.samples[k];
        const float b = k + 1 < wave.samples.size() ? wave.samples[k + 1] : a;
        out[i] = static_cast<float>(a + (b - a) * f);
    }
    return out;
}

struct FvecDeleter {
    void operator()(fvec_t *v) const { del_fvec(v); }
};
struct CvecDeleter {
    void operator()(cvec_t *v) const { del_cvec(v); }
};
struct PvocDeleter {
    void operator()(aubio_pvoc_t *p) const { del_aubio_pvoc(p); }
};
struct MfccDeleter {
    void operator()(aubio_mfcc_t *m) const { del_aubio_mfcc(m); }
};
struct PitchDeleter {
    void operator()(aubio_pitch_t *p) const { del_aubio_pitch(p); }
};

} // namespace

Analysis Analyse(const Wave &wave) {
    Analysis a;
    a.rate = kAnalysisRate;
    a.hop = kHop;
    // A rate no recording has would resample into nothing or into gigabytes.
    if (wave.empty() || !IsPlayableRate(wave.rate))
        return a;
    const std::vector<float> samples = resample(wave, kAnalysisRate);
    const int frames = static_cast<int>(samples.size() / kHop);
    std::unique_ptr<fvec_t, FvecDeleter> in(new_fvec(kHop));
    std::unique_ptr<cvec_t, CvecDeleter> spectrum(new_cvec(kWindow));
    std::unique_ptr<fvec_t, FvecDeleter> coefficients(new_fvec(Analysis::kCoefficients));
    std::unique_ptr<fvec_t, FvecDeleter> pitchOut(new_fvec(1));
    std::unique_ptr<aubio_pvoc_t, PvocDeleter> pvoc(new_aubio_pvoc(kWindow, kHop));
    std::unique_ptr<aubio_mfcc_t, MfccDeleter> mfcc(
        new_aubio_mfcc(kWindow, kFilters, Analysis::kCoefficients, kAnalysisRate));
    std::unique_ptr<aubio_pitch_t, PitchDeleter> pitch(
        new_aubio_pitch("yinfast", kWindow, kHop, kAnalysisRate));
    if (!in || !spectrum || !coefficients || !pitchOut || !pvoc || !mfcc || !pitch)
        return a;
    aubio_pitch_set_unit(pitch.get(), "Hz");
    aubio_pitch_set_silence(pitch.get(), -45);
    a.mfcc.resize(static_cast<size_t>(frames) * Analysis::kCoefficients);
    a.loudness.resize(static_cast<size_t>(frames));
    a.pitch.resize(static_cast<size_t>(frames));
    float loudest = 0;
    for (int f = 0; f < frames; ++f) {
        double energy = 0;
        for (int i = 0; i < kHop; ++i) {
            const float v = samples[static_cast<size_t>(f) * kHop + i];
            // A whisper of fixed noise keeps the logarithms of digital
            // silence finite.
            in->data[i] = v + ((i * 7919) % 17 - 8) * 1e-6f;
            energy += static_cast<double>(v) * v;
        }
        aubio_pvoc_do(pvoc.get(), in.get(), spectrum.get());
        aubio_mfcc_do(mfcc.get(), spectrum.get(), coefficients.get());
        aubio_pitch_do(pitch.get(), in.get(), pitchOut.get());
        std::copy(coefficients->data, coefficients->data + Analysis::kCoefficients,
                  a.mfcc.begin() + static_cast<std::ptrdiff_t>(f) * Analysis::kCoefficients);
        a.loudness[f] = static_cast<float>(std::sqrt(energy / kHop));
        const float hz = pitchOut->data[0];
        a.pitch[f] = aubio_pitch_get_confidence(pitch.get()) > 0.7f && hz > 50 && hz < 600 ? hz : 0;
        loudest = std::max(loudest, a.loudness[f]);
    }
    // The pitch tracker now and then lands an octave off for a few frames:
    // each voiced frame takes the median of its voiced neighbours.
    const std::vector<float> raw = a.pitch;
    for (int f = 0; f < frames; ++f) {
        if (raw[f] <= 0)
            continue;
        float around[7];
        int n = 0;
        for (int g = std::max(0, f - 3); g <= std::min(frames - 1, f + 3); ++g)
            if (raw[g] > 0)
                around[n++] = raw[g];
        std::nth_element(around, around + n / 2, around + n);
        a.pitch[f] = around[n / 2];
    }
    const float threshold = std::max(kQuietest, loudest * kBackground);
    a.first = frames;
    a.last = -1;
    for (int f = 0; f < frames; ++f) {
        if (a.loudness[f] >= threshold) {
            a.first = std::min(a.first, f);
            a.last = f;
        }
    }
    return a;
}

namespace {

// The speech frames' MFCC vectors without the loudness coefficient (c0),
// each less the mean of them all, so a louder microphone or another voice's
// colour weighs less than what is said.
std::vector<float> features(const Analysis &a, int &count) {
    constexpr int n = Analysis::kCoefficients - 1;
    count = a.last - a.first + 1;
    std::vector<float> out(static_cast<size_t>(count) * n);
    std::vector<double> mean(n, 0.0);
    for (int f = 0; f < count; ++f)
        for (int c = 0; c < n; ++c) {
            const float v =
                a.mfcc[static_cast<size_t>(a.first + f) * Analysis::kCoefficients + c + 1];
            out[static_cast<size_t>(f) * n + c] = v;
            mean[c] += v;
        }
    for (int c = 0; c < n; ++c)
        mean[c] /= count;
    for (int f = 0; f < count; ++f)
        for (int c = 0; c < n; ++c)
            out[static_cast<size_t>(f) * n + c] -= static_cast<float>(mean[c]);
    return out;
}

} // namespace

Comparison Compare(const Wave &model, const Wave &mine) {
    Comparison result;
    result.model = Analyse(model);
    result.mine = Analyse(mine);
    if (!result.model.hasSpeech() || !result.mine.hasSpeech())
        return result;
    constexpr int n = Analysis::kCoefficients - 1;
    int rows = 0, cols = 0;
    const std::vector<float> x = features(result.model, rows);
    const std::vector<float> y = features(result.mine, cols);
    const auto local = [&](int i, int j) {
        double sum = 0;
        for (int c = 0; c < n; ++c) {
            const double d = x[static_cast<size_t>(i) * n + c] - y[static_cast<size_t>(j) * n + c];
            sum += d * d;
        }
        return std::sqrt(sum);
    };
    // Dynamic time warping: cost[i][j] is the cheapest way to align the
    // first i+1 model frames with the first j+1 frames of mine; a diagonal
    // step counts twice so paths of any shape weigh alike (total weight
    // rows + cols).
    const double infinity = std::numeric_limits<double>::infinity();
    std::vector<double> cost(static_cast<size_t>(rows) * cols, infinity);
    const auto at = [&](int i, int j) -> double & {
        return cost[static_cast<size_t>(i) * cols + j];
    };
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j) {
            const double d = local(i, j);
            if (i == 0 && j == 0) {
                at(i, j) = 2 * d;
                continue;
            }
            double best = infinity;
            if (i > 0)
                best = std::min(best, at(i - 1, j) + d);
            if (j > 0)
                best = std::min(best, at(i, j - 1) + d);
            if (i > 0 && j > 0)
                best = std::min(best, at(i - 1, j - 1) + 2 * d);
            at(i, j) = best;
        }
    result.distance = at(rows - 1, cols - 1) / (rows + cols);
    for (int i = rows - 1, j = cols - 1;;) {
        result.path.emplace_back(result.model.first + i, result.mine.first + j);
        if (i == 0 && j == 0)
            break;
        if (i == 0) {
            --j;
            continue;
        }
        if (j == 0) {
            --i;
            continue;
        }
        const double diagonal = at(i - 1, j - 1);
        const double up = at(i - 1, j);
        const double left = at(i, j - 1);
        if (diagonal <= up && diagonal <= left) {
            --i;
            --j;
        } else if (up <= left) {
            --i;
        } else {
            --j;
        }
    }
    std::reverse(result.path.begin(), result.path.end());
    // Falls evenly with the mean distance: 100 for the same recording, 0 at
    // kNothingInCommon and beyond.
    result.closeness = static_cast<int>(
        std::lround(100.0 * std::clamp(1.0 - result.distance / kNothingInCommon, 0.0, 1.0)));
    return result;
}

} // namespace voice
