// The voice analysis and the slowing down: the part of the voice layer that
// needs aubio and SoundTouch. The program loads it as a module of its own when
// a learner first records or hears a phrase slowly; tools, tests and
// activities link it directly (tvx_voice).
#include "subjects/voice_compare.h"

#include "platform/sound.h"
#include "subjects/voice_quantile.h"

#include <SoundTouch.h>
#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <tuple>

namespace voice {

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

namespace {

constexpr int kAnalysisRate = 16000;
constexpr int kWindow = 512;
constexpr int kHop = 256;
constexpr int kFilters = 40;
constexpr int kFramesPerSecond = kAnalysisRate / kHop;

// Linear resampling is enough here: the analysis looks at bands far below
// the Nyquist frequency of either rate. The samples are read as if taken at
// rate "from", which scales every frequency of the sound by from / wave.rate.
std::vector<float> resample(const std::vector<float> &samples, double from, int to) {
    if (from == to)
        return samples;
    const double step = from / to;
    const size_t n = static_cast<size_t>(samples.size() / step);
    std::vector<float> out(n);
    for (size_t i = 0; i < n; ++i) {
        const double at = i * step;
        const size_t k = std::min(static_cast<size_t>(at), samples.size() - 1);
        const double f = at - k;
        const float a = samples[k];
        const float b = k + 1 < samples.size() ? samples[k + 1] : a;
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

// The noise floor of a carefully made recording, in dB full scale.
constexpr float kStudioFloor = -60.0f;

float decibels(float rms) { return 20.0f * std::log10(std::max(rms, 3e-5f)); }

// Finds the speech in a.loudness: the frames that rise clearly above the
// recording's own noise floor (its quietest tenth), with short pauses
// between words bridged and lone clicks dropped. The floor adapts to each
// take, so a fan or a hiss is not taken for a voice. A model was recorded
// with care and may be cut right at its first and last sound: its floor is
// taken no higher than a quiet studio's.
void findSpeech(Analysis &a, Recording recording) {
    const int frames = a.frames();
    a.first = frames;
    a.last = -1;
    if (frames == 0)
        return;
    std::vector<float> level(static_cast<size_t>(frames));
    for (int f = 0; f < frames; ++f)
        level[f] = decibels(a.loudness[f]);
    a.noiseFloor = quantile(level, 0.10);
    if (recording == Recording::Model)
        a.noiseFloor = std::min(a.noiseFloor, kStudioFloor);
    a.peak = quantile(level, 0.98);
    const float rise = a.peak - a.noiseFloor;
    if (rise < kSpeechRise || a.peak < kQuietestSpeech)
        return;
    const float threshold =
        std::max(a.noiseFloor + std::max(kSpeechRise * 0.75f, rise * 0.3f), a.peak - 35.0f);
    std::vector<char> loud(static_cast<size_t>(frames));
    for (int f = 0; f < frames; ++f)
        loud[f] = level[f] >= threshold;
    // Pauses between words, up to a quarter of a second, belong to the speech.
    constexpr int kPause = kFramesPerSecond / 4;
    int lastLoud = -1;
    for (int f = 0; f < frames; ++f) {
        if (!loud[f])
            continue;
        if (lastLoud >= 0 && f - lastLoud <= kPause)
            std::fill(loud.begin() + lastLoud, loud.begin() + f, 1);
        lastLoud = f;
    }
    // What stays shorter than a syllable is a click or a knock.
    constexpr int kShortest = kFramesPerSecond / 12;
    int speechFrames = 0;
    for (int f = 0; f < frames;) {
        if (!loud[f]) {
            ++f;
            continue;
        }
        int end = f;
        while (end < frames && loud[end])
            ++end;
        if (end - f >= kShortest) {
            a.first = std::min(a.first, f);
            a.last = end - 1;
            speechFrames += end - f;
        }
        f = end;
    }
    // A voice has a pitch: noise that merely swells (a fan, traffic, a
    // breath on the microphone) has none.
    int voicedFrames = 0;
    for (int f = a.first; f <= a.last; ++f)
        voicedFrames += a.pitch[f] > 0;
    if (speechFrames < kFramesPerSecond / 6 || voicedFrames < kFramesPerSecond / 10) {
        a.first = frames;
        a.last = -1;
    }
}

struct DctDeleter {
    void operator()(aubio_dct_t *d) const { del_aubio_dct(d); }
};
struct FilterbankDeleter {
    void operator()(aubio_filterbank_t *f) const { del_aubio_filterbank(f); }
};

constexpr int kBins = kWindow / 2 + 1;

// The mel filters of aubio's MFCC (Slaney's bank), kept as the few bins each
// filter weighs: the full matrix product is most of an analysis's time.
struct MelFilters {
    struct Filter {
        int first = 0;
        std::vector<float> weights;
    };
    std::vector<Filter> filters;

    MelFilters() {
        std::unique_ptr<aubio_filterbank_t, FilterbankDeleter> bank(
            new_aubio_filterbank(kFilters, kWindow));
        if (!bank || aubio_filterbank_set_mel_coeffs_slaney(bank.get(), kAnalysisRate) != 0)
            return;
        const fmat_t *coefficients = aubio_filterbank_get_coeffs(bank.get());
        for (uint_t k = 0; k < coefficients->height; ++k) {
            const smpl_t *row = coefficients->data[k];
            int first = 0, last = static_cast<int>(coefficients->length) - 1;
            while (first < last && row[first] == 0)
                ++first;
            while (last > first && row[last] == 0)
                --last;
            filters.push_back({first, std::vector<float>(row + first, row + last + 1)});
        }
    }
};

const MelFilters &melFilters() {
    static const MelFilters filters;
    return filters;
}

// A sound's magnitude spectra, kBins values a frame.
struct Spectra {
    int frames = 0;
    std::vector<float> magnitudes;
    const float *frame(int f) const { return magnitudes.data() + static_cast<size_t>(f) * kBins; }
};

// MFCC vectors of the spectra, as aubio computes them (the log of the mel
// energies, then their DCT), with every frequency scaled by scale: a
// spectrum heard from a longer or a shorter vocal tract.
bool cepstra(const Spectra &spectra, double scale, std::vector<float> &out) {
    const MelFilters &mel = melFilters();
    std::unique_ptr<aubio_dct_t, DctDeleter> dct(new_aubio_dct(kFilters));
    std::unique_ptr<fvec_t, FvecDeleter> energies(new_fvec(kFilters));
    std::unique_ptr<fvec_t, FvecDeleter> coefficients(new_fvec(kFilters));
    if (!dct || !energies || !coefficients || mel.filters.size() != kFilters)
        return false;
    out.resize(static_cast<size_t>(spectra.frames) * Analysis::kCoefficients);
    std::vector<float> warped(kBins);
    for (int f = 0; f < spectra.frames; ++f) {
        const float *magnitudes = spectra.frame(f);
        if (scale != 1.0) {
            for (int k = 0; k < kBins; ++k) {
                const double at = std::min(k / scale, static_cast<double>(kBins - 1));
                const int low = static_cast<int>(at);
                const int high = std::min(low + 1, kBins - 1);
                const float t = static_cast<float>(at - low);
                warped[k] = magnitudes[low] + (magnitudes[high] - magnitudes[low]) * t;
            }
            magnitudes = warped.data();
        }
        for (int k = 0; k < kFilters; ++k) {
            const MelFilters::Filter &filter = mel.filters[static_cast<size_t>(k)];
            double energy = 0;
            for (size_t b = 0; b < filter.weights.size(); ++b)
                energy += static_cast<double>(filter.weights[b]) * magnitudes[filter.first + b];
            energies->data[k] = static_cast<smpl_t>(std::log10(std::max(energy, 1e-10)));
        }
        aubio_dct_do(dct.get(), energies.get(), coefficients.get());
        std::copy(coefficients->data, coefficients->data + Analysis::kCoefficients,
                  out.begin() + static_cast<std::ptrdiff_t>(f) * Analysis::kCoefficients);
    }
    return true;
}

// The analysis of samples taken at rate, and their spectra.
std::pair<Analysis, Spectra> analyse(const std::vector<float> &input, int rate,
                                     Recording recording) {
    Analysis a;
    a.rate = kAnalysisRate;
    a.hop = kHop;
    Spectra spectra;
    const std::vector<float> samples = resample(input, rate, kAnalysisRate);
    const int frames = static_cast<int>(samples.size() / kHop);
    std::unique_ptr<fvec_t, FvecDeleter> in(new_fvec(kHop));
    std::unique_ptr<cvec_t, CvecDeleter> spectrum(new_cvec(kWindow));
    std::unique_ptr<fvec_t, FvecDeleter> pitchOut(new_fvec(1));
    std::unique_ptr<aubio_pvoc_t, PvocDeleter> pvoc(new_aubio_pvoc(kWindow, kHop));
    std::unique_ptr<aubio_pitch_t, PitchDeleter> pitch(
        new_aubio_pitch("yinfast", kWindow, kHop, kAnalysisRate));
    if (!in || !spectrum || !pitchOut || !pvoc || !pitch)
        return {a, spectra};
    aubio_pitch_set_unit(pitch.get(), "Hz");
    aubio_pitch_set_silence(pitch.get(), -45);
    spectra.frames = frames;
    spectra.magnitudes.resize(static_cast<size_t>(frames) * kBins);
    a.loudness.resize(static_cast<size_t>(frames));
    a.pitch.assign(static_cast<size_t>(frames), 0.0f);
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
        std::copy(spectrum->norm, spectrum->norm + kBins,
                  spectra.magnitudes.begin() + static_cast<std::ptrdiff_t>(f) * kBins);
        a.loudness[f] = static_cast<float>(std::sqrt(energy / kHop));
        aubio_pitch_do(pitch.get(), in.get(), pitchOut.get());
        const float hz = pitchOut->data[0];
        a.pitch[f] = aubio_pitch_get_confidence(pitch.get()) > 0.7f && hz > 50 && hz < 600 ? hz : 0;
    }
    if (!cepstra(spectra, 1.0, a.mfcc)) {
        a.loudness.clear();
        a.pitch.clear();
        return {a, spectra};
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
    findSpeech(a, recording);
    return {a, spectra};
}

// A rate no recording has would resample into nothing or into gigabytes.
std::pair<Analysis, Spectra> analyseWave(const Wave &wave, Recording recording) {
    if (wave.empty() || !IsPlayableRate(wave.rate)) {
        Analysis a;
        a.rate = kAnalysisRate;
        a.hop = kHop;
        return {a, Spectra()};
    }
    return analyse(wave.samples, wave.rate, recording);
}

} // namespace

Analysis Analyse(const Wave &wave, Recording recording) {
    return analyseWave(wave, recording).first;
}

namespace {

constexpr int kFeatures = Analysis::kCoefficients - 1;

// The speech frames' MFCC vectors without the loudness coefficient (c0),
// each coefficient less its mean over the speech and divided by its spread
// (cepstral mean and variance normalisation): what stays is how the sound
// moves from syllable to syllable, not the microphone's or the voice's colour.
std::vector<float> features(const std::vector<float> &mfcc, int first, int last) {
    const int count = last - first + 1;
    std::vector<float> out(static_cast<size_t>(count) * kFeatures);
    for (int f = 0; f < count; ++f)
        for (int c = 0; c < kFeatures; ++c)
            out[static_cast<size_t>(f) * kFeatures + c] =
                mfcc[static_cast<size_t>(first + f) * Analysis::kCoefficients + c + 1];
    for (int c = 0; c < kFeatures; ++c) {
        double sum = 0, squares = 0;
        for (int f = 0; f < count; ++f) {
            const double v = out[static_cast<size_t>(f) * kFeatures + c];
            sum += v;
            squares += v * v;
        }
        const double mean = sum / count;
        const double spread = std::sqrt(std::max(squares / count - mean * mean, 1e-6));
        for (int f = 0; f < count; ++f) {
            float &v = out[static_cast<size_t>(f) * kFeatures + c];
            v = static_cast<float>((v - mean) / spread);
        }
    }
    return out;
}

struct Alignment {
    std::vector<std::pair<int, int>> path; // speech frames, from 0
    std::vector<float> cost;               // the local distance of each pair
    double distance = 0;                   // mean local distance
};

// Dynamic time warping of x (rows frames) against y (cols frames): a
// diagonal step counts twice so paths of any shape weigh alike. The path
// keeps within a band around the straight line from start to end, wide
// enough for a learner's own tempo inside the phrase but not for reading it
// in another order.
Alignment align(const std::vector<float> &x, int rows, const std::vector<float> &y, int cols) {
    const auto local = [&](int i, int j) {
        double sum = 0;
        for (int c = 0; c < kFeatures; ++c) {
            const double d =
                x[static_cast<size_t>(i) * kFeatures + c] - y[static_cast<size_t>(j) * kFeatures + c];
            sum += d * d;
        }
        return std::sqrt(sum / kFeatures);
    };
    const double infinity = std::numeric_limits<double>::infinity();
    const int band = std::max(8, std::max(rows, cols) / 4);
    std::vector<double> cost(static_cast<size_t>(rows) * cols, infinity);
    const auto at = [&](int i, int j) -> double & {
        return cost[static_cast<size_t>(i) * cols + j];
    };
    for (int i = 0; i < rows; ++i) {
        const int centre = rows > 1 ? static_cast<int>(std::lround(
                                          static_cast<double>(i) * (cols - 1) / (rows - 1)))
                                    : 0;
        for (int j = std::max(0, centre - band); j <= std::min(cols - 1, centre + band); ++j) {
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
    }
    Alignment result;
    result.distance = at(rows - 1, cols - 1) / (rows + cols);
    for (int i = rows - 1, j = cols - 1;;) {
        result.path.emplace_back(i, j);
        result.cost.push_back(static_cast<float>(local(i, j)));
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
    std::reverse(result.cost.begin(), result.cost.end());
    return result;
}

// The local distance of each model frame (the mean over the pairs it is in).
std::vector<float> costPerModelFrame(const Alignment &alignment, int rows) {
    std::vector<float> sum(static_cast<size_t>(rows), 0.0f);
    std::vector<int> pairs(static_cast<size_t>(rows), 0);
    for (size_t k = 0; k < alignment.path.size(); ++k) {
        sum[alignment.path[k].first] += alignment.cost[k];
        ++pairs[alignment.path[k].first];
    }
    for (int i = 0; i < rows; ++i)
        sum[i] /= std::max(1, pairs[i]);
    return sum;
}

// The mean of values over a window of about a syllable around each frame.
std::vector<float> overSyllables(const std::vector<float> &values) {
    constexpr int kHalf = kFramesPerSecond / 8;
    const int n = static_cast<int>(values.size());
    std::vector<float> out(values.size());
    for (int i = 0; i < n; ++i) {
        double sum = 0;
        int count = 0;
        for (int k = std::max(0, i - kHalf); k <= std::min(n - 1, i + kHalf); ++k) {
            sum += values[k];
            ++count;
        }
        out[i] = static_cast<float>(sum / count);
    }
    return out;
}

// How far the tunes of model and take lie apart where the alignment puts
// voiced frames of both together: the mean difference in semitones, each
// capped so that a pitch tracker's octave slip weighs no more than a wrong
// note.
double tuneDifference(const Analysis &model, const Analysis &mine,
                      const std::vector<std::pair<int, int>> &path) {
    const std::vector<float> x = Tune(model);
    const std::vector<float> y = Tune(mine);
    double sum = 0;
    int count = 0;
    for (const auto &[i, j] : path) {
        const float a = model.pitch[static_cast<size_t>(model.first + i)];
        const float b = mine.pitch[static_cast<size_t>(mine.first + j)];
        if (a <= 0 || b <= 0)
            continue;
        sum += std::min(4.0f, std::abs(x[static_cast<size_t>(model.first + i)] -
                                       y[static_cast<size_t>(mine.first + j)]));
        ++count;
    }
    return count > 0 ? sum / count : 0;
}

// A vocal tract's length scales every resonance by the same factor: the
// learner's take is heard with its spectrum scaled by each of these factors
// and the one that matches the model best is compared, so a child's, a
// woman's or a man's voice reads alike.
constexpr double kVoiceScales[] = {0.82, 0.87, 0.92, 0.96, 1.0, 1.04, 1.09, 1.15, 1.21};

} // namespace

Comparison Compare(const Wave &model, const Wave &mine) {
    Comparison result;
    result.model = Analyse(model, Recording::Model);
    Spectra mySpectra;
    std::tie(result.mine, mySpectra) = analyseWave(mine, Recording::Take);
    if (!result.model.hasSpeech())
        return result;
    if (!result.mine.hasSpeech()) {
        result.verdict = Verdict::NothingHeard;
        return result;
    }
    if (result.mine.peak - result.mine.noiseFloor < kClearSpeechRise) {
        result.verdict = Verdict::TooNoisy;
        return result;
    }
    result.verdict = Verdict::Figure;
    const int rows = result.model.last - result.model.first + 1;
    const int cols = result.mine.last - result.mine.first + 1;
    const std::vector<float> x =
        features(result.model.mfcc, result.model.first, result.model.last);
    Alignment best;
    best.distance = std::numeric_limits<double>::infinity();
    std::vector<float> scaled;
    for (const double scale : kVoiceScales) {
        if (scale == 1.0)
            scaled = result.mine.mfcc;
        else if (!cepstra(mySpectra, scale, scaled))
            continue;
        Alignment a =
            align(x, rows, features(scaled, result.mine.first, result.mine.last), cols);
        if (a.distance < best.distance) {
            best = std::move(a);
            result.voiceScale = scale;
        }
    }
    const std::vector<float> perFrame = overSyllables(costPerModelFrame(best, rows));
    const float worst = *std::max_element(perFrame.begin(), perFrame.end());
    result.distance = best.distance;
    result.worstStretch = worst;
    result.tuneDifference = tuneDifference(result.model, result.mine, best.path);
    const double measured = (1.0 - kWorstStretchWeight) * best.distance +
                            kWorstStretchWeight * worst +
                            kTuneWeight * result.tuneDifference;
    result.closeness = static_cast<int>(std::lround(
        100.0 * std::clamp((kNothingInCommon - measured) / (kNothingInCommon - kAlike), 0.0, 1.0)));
    for (auto &pair : best.path)
        result.path.emplace_back(result.model.first + pair.first, result.mine.first + pair.second);
    // The stretches of the model that the take follows least: where the
    // syllable-long mean distance reaches halfway from alike to nothing in
    // common.
    const float differs = static_cast<float>((kAlike + kNothingInCommon) / 2);
    for (int i = 0; i < rows;) {
        if (perFrame[i] < differs) {
            ++i;
            continue;
        }
        int end = i;
        while (end < rows && perFrame[end] >= differs)
            ++end;
        result.differing.emplace_back(result.model.first + i, result.model.first + end - 1);
        i = end;
    }
    return result;
}

} // namespace voice
