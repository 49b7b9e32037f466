// The resampler that brings a deck's recordings to a subject's rate: a tone
// in the voice's band comes out as the same tone, in time, and what lies
// above the new Nyquist frequency does not fold back into it.
#include "subjects/deck_sound.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

std::vector<float> tone(double frequency, int rate, double seconds, double amplitude) {
    std::vector<float> samples(size_t(seconds * rate));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = float(amplitude * std::sin(2 * M_PI * frequency * double(i) / rate));
    return samples;
}

// The largest difference from the ideal tone, away from the two ends where
// the filter meets the silence around the recording.
double worstError(const std::vector<float> &out, double frequency, int rate, double amplitude) {
    double worst = 0;
    for (size_t n = size_t(rate / 20); n + size_t(rate / 20) < out.size(); ++n)
        worst = std::max(worst, std::abs(out[n] - amplitude * std::sin(2 * M_PI * frequency *
                                                                       double(n) / rate)));
    return worst;
}

// Away from the ends, as worstError.
double rms(const std::vector<float> &samples, int rate) {
    double sum = 0;
    const auto edge = size_t(rate / 20);
    for (size_t n = edge; n + edge < samples.size(); ++n)
        sum += double(samples[n]) * samples[n];
    return std::sqrt(sum / double(samples.size() - 2 * edge));
}

} // namespace

TEST(Resample, ToneKeepsItsShapeAndWhatIsTooHighDoesNotFoldBack) {
    const int out = subjects::kSubjectWaveRate;
    // Rates in a small ratio have their exact instants; 44,056 Hz (a
    // recorder's clock slightly off) takes the nearest of many.
    for (const int in : {44100, 48000, 32000, 96000, 44056, 8000, 16000}) {
        SCOPED_TRACE(in);
        const std::vector<float> voice = tone(440, in, 2.0, 0.5);
        const std::vector<float> resampled = subjects::Resample(voice, in, out);
        EXPECT_EQ(resampled.size(), size_t(std::llround(2.0 * out)));
        EXPECT_LT(worstError(resampled, 440, out, 0.5), 0.003);

        // A whistle well above the new Nyquist frequency is all but gone,
        // instead of sounding as a lower tone.
        if (in > out) {
            for (const double whistle : {14000.0, 15000.0}) {
                const std::vector<float> high = tone(whistle, in, 1.0, 0.5);
                EXPECT_LT(rms(subjects::Resample(high, in, out), out), 0.5 / std::sqrt(2.0) / 560)
                    << whistle << " Hz"; // 55 dB
            }
        }
    }
}
