#include "platform/sound.h"

#include <QtEndian>

#include <QFile>

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// SDL's own limits are wider than any real recording, and absurd header
// values (a rate of 1 Hz or 4 GHz) make its converter misbehave.
constexpr int kMinRate = 4000;
constexpr int kMaxRate = 192000;
constexpr int kMaxChannels = 8;

bool plausible(const SDL_AudioSpec &spec, Uint32 length) {
    return spec.freq >= kMinRate && spec.freq <= kMaxRate && spec.channels >= 1 &&
           spec.channels <= kMaxChannels && length > 0;
}

// SDL's audio brings up its event layer, which by default catches SIGINT
// and SIGTERM and turns them into a quit event that this program never
// reads: the program would then ignore a logout or kill. The program ends
// on those signals through its own handling (ExitSignals).
int initAudio() {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    return SDL_InitSubSystem(SDL_INIT_AUDIO);
}

// Decodes a wave image and converts it to the device's format; empty when
// the bytes are not a wave sound SDL understands.
std::vector<Uint8> decodeWave(const QByteArray &wave, const SDL_AudioSpec &device) {
    std::vector<Uint8> pcm;
    if (wave.isEmpty())
        return pcm;
    SDL_RWops *rw = SDL_RWFromConstMem(wave.constData(), static_cast<int>(wave.size()));
    if (!rw)
        return pcm;
    SDL_AudioSpec source{};
    Uint8 *buffer = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV_RW(rw, 1, &source, &buffer, &length))
        return pcm;
    if (!plausible(source, length)) {
        SDL_FreeWAV(buffer);
        return pcm;
    }

    SDL_AudioStream *stream = SDL_NewAudioStream(source.format, source.channels, source.freq,
                                                 device.format, device.channels, device.freq);
    if (stream) {
        if (SDL_AudioStreamPut(stream, buffer, static_cast<int>(length)) == 0 &&
            SDL_AudioStreamFlush(stream) == 0) {
            pcm.resize(static_cast<size_t>(SDL_AudioStreamAvailable(stream)));
            const int got = SDL_AudioStreamGet(stream, pcm.data(), static_cast<int>(pcm.size()));
            pcm.resize(got > 0 ? static_cast<size_t>(got) : 0);
        }
        SDL_FreeAudioStream(stream);
    }
    SDL_FreeWAV(buffer);
    return pcm;
}

} // namespace

bool IsPlayableWave(const QByteArray &wave) {
    if (wave.isEmpty())
        return false;
    SDL_RWops *rw = SDL_RWFromConstMem(wave.constData(), static_cast<int>(wave.size()));
    if (!rw)
        return false;
    SDL_AudioSpec spec{};
    Uint8 *buffer = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV_RW(rw, 1, &spec, &buffer, &length))
        return false;
    SDL_FreeWAV(buffer);
    return plausible(spec, length);
}

SoundPlayer::SoundPlayer(const QString &deviceName) : m_deviceName(deviceName) {}

SoundPlayer::~SoundPlayer() {
    if (m_device != 0)
        SDL_CloseAudioDevice(m_device);
    if (m_audioInitialised)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SoundPlayer::ensureDevice() {
    if (m_triedOpen)
        return m_device != 0;
    m_triedOpen = true;
    // The audio subsystem is reference counted, so several players (and
    // other SDL users) may live side by side.
    if (initAudio() != 0)
        return false;
    m_audioInitialised = true;

    SDL_AudioSpec wanted{};
    wanted.freq = 44100;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = 1024;
    SDL_AudioSpec obtained{};
    const QByteArray name = m_deviceName.toUtf8();
    m_device = SDL_OpenAudioDevice(m_deviceName.isEmpty() ? nullptr : name.constData(), 0, &wanted,
                                   &obtained, SDL_AUDIO_ALLOW_ANY_CHANGE);
    if (m_device == 0)
        return false;
    m_freq = obtained.freq;
    m_channels = obtained.channels;
    m_format = obtained.format;
    m_samples = obtained.samples;
    return true;
}

bool SoundPlayer::HasDevice() {
    return ensureDevice();
}

void SoundPlayer::PlayFile(const QString &path, bool async) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Stop();
        return;
    }
    play(file.readAll(), async);
}

void SoundPlayer::PlayMemory(const QByteArray &wave, bool async) {
    play(wave, async);
}

void SoundPlayer::Stop() {
    if (m_device == 0)
        return;
    SDL_PauseAudioDevice(m_device, 1);
    SDL_ClearQueuedAudio(m_device);
}

bool SoundPlayer::IsPlaying() const {
    return m_device != 0 && SDL_GetQueuedAudioSize(m_device) > 0 &&
           SDL_GetAudioDeviceStatus(m_device) == SDL_AUDIO_PLAYING;
}

int SoundPlayer::PendingMilliseconds() const {
    if (m_device == 0 || m_freq <= 0)
        return 0;
    const int frameBytes = SDL_AUDIO_BITSIZE(m_format) / 8 * m_channels;
    const Uint32 queued = SDL_GetQueuedAudioSize(m_device);
    return static_cast<int>(static_cast<qint64>(queued) * 1000 / (frameBytes * m_freq));
}

void SoundPlayer::play(const QByteArray &wave, bool async) {
    if (!ensureDevice())
        return;
    // A new sound always replaces the one still playing, even when the new
    // one turns out to be unplayable.
    Stop();
    SDL_AudioSpec device{};
    device.freq = m_freq;
    device.format = m_format;
    device.channels = static_cast<Uint8>(m_channels);
    const std::vector<Uint8> pcm = decodeWave(wave, device);
    if (pcm.empty())
        return;
    if (SDL_QueueAudio(m_device, pcm.data(), static_cast<Uint32>(pcm.size())) != 0)
        return;
    SDL_PauseAudioDevice(m_device, 0);
    if (!async)
        waitUntilPlayed();
}

void SoundPlayer::waitUntilPlayed() {
    while (SDL_GetQueuedAudioSize(m_device) > 0 &&
           SDL_GetAudioDeviceStatus(m_device) == SDL_AUDIO_PLAYING)
        SDL_Delay(5);
    // The queue is empty once the last buffer went to the device; that
    // buffer still has to be heard.
    if (m_freq > 0)
        SDL_Delay(static_cast<Uint32>(m_samples * 1000 / m_freq) + 1);
}

QByteArray MonoWave16(const std::vector<qint16> &samples, int rate) {
    const quint32 dataBytes = static_cast<quint32>(samples.size() * sizeof(qint16));
    QByteArray out(44 + static_cast<qsizetype>(dataBytes), Qt::Uninitialized);
    char *p = out.data();
    const auto put32 = [&](int at, quint32 v) { qToLittleEndian<quint32>(v, p + at); };
    const auto put16 = [&](int at, quint16 v) { qToLittleEndian<quint16>(v, p + at); };
    std::memcpy(p, "RIFF", 4);
    put32(4, 36 + dataBytes);
    std::memcpy(p + 8, "WAVEfmt ", 8);
    put32(16, 16);                             // the format chunk's size
    put16(20, 1);                              // PCM
    put16(22, 1);                              // mono
    put32(24, static_cast<quint32>(rate));     // samples per second
    put32(28, static_cast<quint32>(rate) * 2); // bytes per second
    put16(32, 2);                              // bytes per sample
    put16(34, 16);                             // bits per sample
    std::memcpy(p + 36, "data", 4);
    put32(40, dataBytes);
    for (size_t i = 0; i < samples.size(); ++i)
        qToLittleEndian<qint16>(samples[i], p + 44 + 2 * i);
    return out;
}

bool RecordFromMicrophone(int milliseconds, QByteArray &wave,
                          const std::function<bool(int elapsedMs, float level)> &progress) {
    wave.clear();
    if (initAudio() != 0)
        return false;
    SDL_AudioSpec wanted{};
    wanted.freq = 22050;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = 512;
    SDL_AudioSpec obtained{};
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 1, &wanted, &obtained, 0);
    if (device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    SDL_PauseAudioDevice(device, 0);
    const qint64 wantedSamples = static_cast<qint64>(obtained.freq) * milliseconds / 1000;
    std::vector<qint16> samples;
    samples.reserve(static_cast<size_t>(wantedSamples));
    std::vector<qint16> chunk(2048);
    Uint32 idleSince = SDL_GetTicks();
    bool going = true;
    while (going && static_cast<qint64>(samples.size()) < wantedSamples) {
        const Uint32 got = SDL_DequeueAudio(device, chunk.data(),
                                            static_cast<Uint32>(chunk.size() * sizeof(qint16)));
        const size_t count = std::min<size_t>(got / sizeof(qint16),
                                              static_cast<size_t>(wantedSamples) - samples.size());
        double energy = 0;
        for (size_t i = 0; i < count; ++i)
            energy += static_cast<double>(chunk[i]) * chunk[i];
        samples.insert(samples.end(), chunk.begin(), chunk.begin() + static_cast<qint64>(count));
        if (count > 0)
            idleSince = SDL_GetTicks();
        // A device that stops delivering (unplugged) ends the recording.
        if (SDL_GetTicks() - idleSince > 2000)
            break;
        const float level =
            count > 0 ? static_cast<float>(std::sqrt(energy / count) / 32768.0) : 0.0f;
        going = progress(static_cast<int>(samples.size() * 1000 / obtained.freq),
                         std::min(1.0f, level * 4));
        if (count == 0)
            SDL_Delay(15);
    }
    SDL_CloseAudioDevice(device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);

    wave = MonoWave16(samples, obtained.freq);
    return true;
}
