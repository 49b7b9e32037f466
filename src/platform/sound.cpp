#include "platform/sound.h"

#include <QFile>

#include <SDL.h>

#include <vector>

namespace {

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
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
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
