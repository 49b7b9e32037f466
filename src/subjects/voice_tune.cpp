// The tune of a phrase and the figure's band in words: plain arithmetic on
// an analysis, shared by the program's windows and the voice analysis.
#include "subjects/voice_compare.h"
#include "subjects/voice_quantile.h"

#include <cmath>

namespace voice {

// Pitch in semitones against the median pitch of the speech: the tune of
// the phrase, whatever the height of the voice. 0 where nothing is voiced.
std::vector<float> Tune(const Analysis &a) {
    std::vector<float> voiced;
    for (int f = a.first; f <= a.last; ++f)
        if (a.pitch[f] > 0)
            voiced.push_back(a.pitch[f]);
    std::vector<float> out(a.pitch.size(), 0.0f);
    if (voiced.empty())
        return out;
    const float median = quantile(voiced, 0.5);
    for (size_t f = 0; f < a.pitch.size(); ++f)
        if (a.pitch[f] > 0)
            out[f] = 12.0f * std::log2(a.pitch[f] / median);
    return out;
}

Band BandOf(int closeness) {
    if (closeness >= 80)
        return Band::VeryClose;
    if (closeness >= 60)
        return Band::Close;
    return Band::KeepPractising;
}

} // namespace voice
