// Plays wave sounds through SDL's audio output. A sound comes from a file or
// from memory and plays either to its end (the call returns when it has been
// heard) or in the background, where the next sound replaces it. Without a
// usable audio device every call returns at once without a sound, and data
// that is not a wave sound plays nothing.
#pragma once

#include "platform/host.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

// What a real recording can be. Header values outside these (a rate of 1 Hz
// or 4 GHz, no channels) are damage, and SDL's converter and SoundTouch
// misbehave on them.
inline constexpr int kMinWaveRate = 4000;
inline constexpr int kMaxWaveRate = 192000;
inline constexpr int kMaxWaveChannels = 8;

inline bool IsPlayableRate(int rate) {
    return rate >= kMinWaveRate && rate <= kMaxWaveRate;
}

// How a wave file that passed the check below holds its samples.
struct WaveLayout {
    bool isFloat = false; // 32-bit IEEE float; otherwise integer PCM
    int bits = 0;         // 8 (unsigned), 16, 24 or 32 (signed) per sample
    int channels = 0;
    int rate = 0;
    qsizetype dataOffset = 0; // the first sample frame's byte
    qsizetype frames = 0;     // whole frames in the data chunk, at least one

    int frameBytes() const { return channels * (bits / 8); }
};

// The one check a sound passes before it is played, slowed down or compared:
// a RIFF WAVE file of a known coding (PCM of 8, 16, 24 or 32 bits or 32-bit
// float, plain or in the extensible header), 4,000 to 192,000 Hz, 1 to 8
// channels, and a data chunk holding samples that lies wholly within the
// bytes (a header claiming more than the file holds is damage, not a sound
// to read up to its end); and one that SDL reads. Empty for anything else.
std::optional<WaveLayout> PlayableWaveLayout(const QByteArray &wave);
inline bool IsPlayableWave(const QByteArray &wave) {
    return PlayableWaveLayout(wave).has_value();
}

class SoundPlayer {
public:
    // deviceName chooses an output device by its SDL name; empty means the
    // system's default output.
    explicit SoundPlayer(const QString &deviceName = QString());
    ~SoundPlayer();
    SoundPlayer(const SoundPlayer &) = delete;
    SoundPlayer &operator=(const SoundPlayer &) = delete;

    void PlayFile(const QString &path, bool async);
    void PlayMemory(const QByteArray &wave, bool async);

    // Silences a sound still playing in the background.
    void Stop();
    // True while a background sound has not finished.
    bool IsPlaying() const;
    // How long the background sound still has to play, in milliseconds.
    int PendingMilliseconds() const;
    // False when no audio device could be opened (checked on first use).
    bool HasDevice();

private:
    bool ensureDevice();
    void play(const QByteArray &wave, bool async);
    void waitUntilPlayed();

    QString m_deviceName;
    bool m_audioInitialised = false;
    bool m_triedOpen = false;
    unsigned m_device = 0; // SDL_AudioDeviceID, 0 when none
    int m_freq = 0;
    int m_channels = 0;
    unsigned short m_format = 0;
    int m_samples = 0;
};

// A complete 16-bit mono PCM wave file of the samples.
QByteArray MonoWave16(const std::vector<qint16> &samples, int rate);

// Starts recording from the default microphone (SDL's capture device) for at
// most milliseconds, 16-bit mono: see Host::StartCapture. Null when no capture
// device can be opened.
std::unique_ptr<MicrophoneCapture> StartMicrophoneCapture(int milliseconds);
// Whether a recording could start now: the capture device opens (and is
// closed again at once). For a program that must say at its start that it
// cannot listen, before the learner has done anything.
bool HasMicrophone();
