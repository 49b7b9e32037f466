// A deck's own recordings (MP3, Ogg Vorbis, Opus, FLAC, WAV of any rate and
// channels) turned into the form every subject recording has: a mono 16-bit
// WAV at espeak-ng's rate, as loud as espeak-ng speaks, so that a subject
// mixing both plays at one level.
#pragma once

#include "subjects/word_list.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <vector>

namespace subjects {

// espeak-ng's own rate: a subject's recorded and spoken phrases alike.
inline constexpr int kSubjectWaveRate = 22050;
// The level phrases are brought to, as espeak-ng speaks: the mean power of
// the parts louder than kSpeechGateDb, in dB of full scale.
inline constexpr double kPhraseLoudnessDb = -20.0;
inline constexpr double kSpeechGateDb = -45.0;

// Samples at inRate brought to outRate, as many as the same time takes.
std::vector<float> Resample(const std::vector<float> &samples, int inRate, int outRate);

// The recording as a subject's WAV; empty, with error set, when libsndfile
// cannot read it or it holds no sound.
QByteArray SubjectWaveFromRecording(const QByteArray &bytes, QString *error);

// The recordings a word list brings for its rows (list.media), as subject
// WAVs in row order; an empty one where espeak-ng is to speak the phrase.
// failures receives, in the learner's language, each recording that could not
// be read (its phrase is spoken instead). Throws WordListCancelled when
// cancelled says so.
QVector<QByteArray> ReadDeckRecordings(const WordList &list, QStringList *failures,
                                       const CancelCheck &cancelled = {});

// How a subject's WAV sounds, for the checks of tvx-subject.
struct WaveMeasure {
    bool readable = false;
    double seconds = 0;
    double loudnessDb = -200; // of the parts louder than kSpeechGateDb
    double speechSeconds = 0; // time spent louder than kSpeechGateDb
};
WaveMeasure MeasureWave(const QByteArray &wave);

} // namespace subjects
