// Plays wave sounds through SDL's audio output. A sound comes from a file or
// from memory and plays either to its end (the call returns when it has been
// heard) or in the background, where the next sound replaces it. Without a
// usable audio device every call returns at once without a sound, and data
// that is not a wave sound plays nothing.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

// Whether the bytes are a wave sound the player can play: one SDL reads,
// with a sample rate of 4,000 to 192,000 Hz, 1 to 8 channels and samples.
bool IsPlayableWave(const QByteArray &wave);

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

// Records from the default microphone (SDL's capture device) for at most
// milliseconds, 16-bit mono; see Host::RecordWave for progress. False when
// no capture device can be opened.
// A complete 16-bit mono PCM wave file of the samples.
QByteArray MonoWave16(const std::vector<qint16> &samples, int rate);

bool RecordFromMicrophone(int milliseconds, QByteArray &wave,
                          const std::function<bool(int elapsedMs, float level)> &progress);
