// The learner's voice beside the model's: wave sounds read into samples and
// written back, a phrase slowed down with its pitch kept, and the measure of
// how closely a recording follows the model (the speech found in each,
// normalised MFCC frames aligned by dynamic time warping across voice scales,
// and the tune of the phrase). Free of windows, so the shell, the tools, the
// tests and the benchmarks share it.
#pragma once

#include <QByteArray>

#include <vector>

namespace voice {

// A mono sound: samples in [-1, 1] at rate samples a second.
struct Wave {
    int rate = 0;
    std::vector<float> samples;

    bool empty() const { return samples.empty() || rate <= 0; }
    int milliseconds() const;
};

// Reads a RIFF wave file (PCM 8, 16, 24 or 32 bits, or 32-bit float; up to
// eight channels, mixed down to one). Bytes that fail the sound layer's check
// (IsPlayableWave) give an empty Wave.
Wave Read_Wave(const QByteArray &bytes);
// A 16-bit mono RIFF wave of the sound.
QByteArray Write_Wave(const Wave &wave);

// The sound played at tempo (0.7 = 70 % of its speed) with its pitch kept;
// empty for a rate no recording has.
Wave Change_Tempo(const Wave &wave, double tempo);
// The same on wave files; bytes that are no wave come back empty.
QByteArray Change_Tempo(const QByteArray &waveFile, double tempo);

// The speed "hear slowly" plays a phrase at.
inline constexpr double kSlowTempo = 0.7;

// What the analysis sees of a sound, frame by frame (one frame every hop
// samples at rate): its MFCC vector (coefficients values per frame), its
// loudness and its pitch in Hz (0 where nothing is voiced).
struct Analysis {
    static constexpr int kCoefficients = 13;
    int rate = 0;
    int hop = 0;
    std::vector<float> mfcc; // frames() * kCoefficients
    std::vector<float> loudness;
    std::vector<float> pitch;
    // The frames from the first to the last of the speech found above the
    // recording's noise floor; first > last when it holds none.
    int first = 0;
    int last = -1;
    // Loudness in dB (full scale) of the recording's quietest tenth and of
    // its loudest moments.
    float noiseFloor = 0;
    float peak = 0;

    int frames() const { return static_cast<int>(loudness.size()); }
    bool hasSpeech() const { return first <= last; }
};

// Whether a sound is a phrase's model recording, made with care, or a
// learner's take with whatever the room adds.
enum class Recording { Model, Take };

// Analyses a sound (any rate; it is resampled for the analysis).
Analysis Analyse(const Wave &wave, Recording recording = Recording::Take);

// Speech rises at least this many dB above the recording's noise floor, and
// clearly spoken speech this many; its loudest moments are no quieter than
// kQuietestSpeech dB full scale.
inline constexpr float kSpeechRise = 12.0f;
inline constexpr float kClearSpeechRise = 18.0f;
inline constexpr float kQuietestSpeech = -55.0f;

// The figure falls evenly with the measured distance between the aligned
// recordings (normalised MFCC frames): 100 at kAlike and below, 0 at
// kNothingInCommon and beyond. The measure mixes the mean distance over the
// phrase with the worst syllable-long stretch, so one wrong word counts.
inline constexpr double kAlike = 0.6;
inline constexpr double kNothingInCommon = 1.3;
inline constexpr double kWorstStretchWeight = 0.4;
// What a semitone of difference in the phrase's tune adds to the measure.
inline constexpr double kTuneWeight = 0.03;

// What a comparison found: a figure, or why there is none.
enum class Verdict { Figure, NothingHeard, TooNoisy };

// A learner's recording held against the model.
struct Comparison {
    Verdict verdict = Verdict::NothingHeard;
    Analysis model;
    Analysis mine;
    // Pairs of frames (model, mine) that the alignment puts together, in
    // order, covering the speech of both; empty when either holds none.
    std::vector<std::pair<int, int>> path;
    // Mean distance between aligned frames, and that of the syllable-long
    // stretch where they differ most.
    double distance = 0;
    double worstStretch = 0;
    // Mean difference in semitones between the tunes (pitch against each
    // speaker's own median) of aligned voiced frames.
    double tuneDifference = 0;
    // The factor the take's resonances were scaled by to match the model's
    // voice.
    double voiceScale = 1.0;
    // Stretches of the model's frames (first, last) that the take follows
    // least well, in order.
    std::vector<std::pair<int, int>> differing;
    // 0..100: how closely the sound of the syllables follows the model's,
    // in the model's order, whatever the speed and the voice; the same
    // recording gives 100. 0 when there is no figure (see verdict).
    int closeness = 0;
};

Comparison Compare(const Wave &model, const Wave &mine);

// Each frame's pitch in semitones against the median pitch of the speech:
// the tune of the phrase, whatever the height of the voice; 0 where nothing
// is voiced.
std::vector<float> Tune(const Analysis &analysis);

// The figure in words: from 80 "very close", from 60 "close", below that
// "keep practising". Takes of the right phrase mostly read from 75 up, a
// wrong word or phrase below 60.
enum class Band { VeryClose, Close, KeepPractising };
Band BandOf(int closeness);

} // namespace voice
