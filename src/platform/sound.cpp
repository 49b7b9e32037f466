#include "platform/sound.h"

#include <QtEndian>

#include <QFile>
#include <QTimer>

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr quint16 kFormatPcm = 1;
constexpr quint16 kFormatFloat = 3;
constexpr quint16 kFormatExtensible = 0xFFFE;
// What follows the coding in the sub-format GUID of an extensible header
// ({0000000x-0000-0010-8000-00aa00389b71}, in file order).
constexpr char kSubFormatTail[] = "\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71";

quint16 u16(const char *p) {
    return qFromLittleEndian<quint16>(p);
}
quint32 u32(const char *p) {
    return qFromLittleEndian<quint32>(p);
}

// The format chunk's body, of length bytes (all of them within the file).
std::optional<WaveLayout> readFormat(const char *body, qsizetype length) {
    if (length < 16)
        return std::nullopt;
    quint32 tag = u16(body);
    const quint32 channels = u16(body + 2);
    const quint32 rate = u32(body + 4);
    const quint32 blockAlign = u16(body + 12);
    const quint32 bits = u16(body + 14);
    if (tag == kFormatExtensible) {
        if (length < 40 || u16(body + 16) < 22 ||
            std::memcmp(body + 28, kSubFormatTail, sizeof kSubFormatTail - 1) != 0)
            return std::nullopt;
        tag = u32(body + 24);
    }
    const bool pcm = tag == kFormatPcm && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
    const bool isFloat = tag == kFormatFloat && bits == 32;
    if (!pcm && !isFloat)
        return std::nullopt;
    if (channels < 1 || channels > kMaxWaveChannels || rate < kMinWaveRate || rate > kMaxWaveRate)
        return std::nullopt;
    if (blockAlign != channels * (bits / 8))
        return std::nullopt;
    WaveLayout layout;
    layout.isFloat = isFloat;
    layout.bits = static_cast<int>(bits);
    layout.channels = static_cast<int>(channels);
    layout.rate = static_cast<int>(rate);
    return layout;
}

// The header alone, before SDL sees any of it.
std::optional<WaveLayout> headerLayout(const QByteArray &wave) {
    const qsizetype size = wave.size();
    const char *p = wave.constData();
    if (size < 12 || std::memcmp(p, "RIFF", 4) != 0 || std::memcmp(p + 8, "WAVE", 4) != 0)
        return std::nullopt;
    std::optional<WaveLayout> layout;
    for (qsizetype at = 12; at + 8 <= size;) {
        const qsizetype length = u32(p + at + 4);
        const qsizetype body = at + 8;
        const bool within = length <= size - body;
        if (std::memcmp(p + at, "fmt ", 4) == 0) {
            if (!within)
                return std::nullopt;
            layout = readFormat(p + body, length);
            if (!layout)
                return std::nullopt;
        } else if (std::memcmp(p + at, "data", 4) == 0) {
            // The samples come after their format, and all of them are here.
            if (!layout || !within)
                return std::nullopt;
            layout->dataOffset = body;
            layout->frames = length / layout->frameBytes();
            if (layout->frames < 1)
                return std::nullopt;
            return layout;
        }
        at = body + length + (length & 1);
    }
    return std::nullopt;
}

// A wave as SDL reads it, freed with the object.
struct SdlWave {
    SDL_AudioSpec audio{};
    Uint8 *buffer = nullptr;
    Uint32 length = 0;

    SdlWave() = default;
    SdlWave(const SdlWave &) = delete;
    SdlWave &operator=(const SdlWave &) = delete;
    ~SdlWave() {
        if (buffer)
            SDL_FreeWAV(buffer);
    }
};

// Checks the header and only then lets SDL read the bytes; SDL must agree
// with the header about the rate and the channels.
std::optional<WaveLayout> validate(const QByteArray &wave, SdlWave &loaded) {
    std::optional<WaveLayout> layout = headerLayout(wave);
    if (!layout || wave.size() > std::numeric_limits<int>::max())
        return std::nullopt;
    SDL_RWops *rw = SDL_RWFromConstMem(wave.constData(), static_cast<int>(wave.size()));
    if (!rw)
        return std::nullopt;
    if (!SDL_LoadWAV_RW(rw, 1, &loaded.audio, &loaded.buffer, &loaded.length))
        return std::nullopt;
    if (loaded.length == 0 || loaded.audio.freq != layout->rate ||
        loaded.audio.channels != layout->channels)
        return std::nullopt;
    return layout;
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
// the bytes are not a sound that passes the check.
std::vector<Uint8> decodeWave(const QByteArray &wave, const SDL_AudioSpec &device) {
    std::vector<Uint8> pcm;
    SdlWave source;
    if (!validate(wave, source))
        return pcm;
    SDL_AudioStream *stream =
        SDL_NewAudioStream(source.audio.format, source.audio.channels, source.audio.freq,
                           device.format, device.channels, device.freq);
    if (stream) {
        if (SDL_AudioStreamPut(stream, source.buffer, static_cast<int>(source.length)) == 0 &&
            SDL_AudioStreamFlush(stream) == 0) {
            pcm.resize(static_cast<size_t>(SDL_AudioStreamAvailable(stream)));
            const int got = SDL_AudioStreamGet(stream, pcm.data(), static_cast<int>(pcm.size()));
            pcm.resize(got > 0 ? static_cast<size_t>(got) : 0);
        }
        SDL_FreeAudioStream(stream);
    }
    return pcm;
}

} // namespace

std::optional<WaveLayout> PlayableWaveLayout(const QByteArray &wave) {
    SdlWave loaded;
    return validate(wave, loaded);
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

namespace {

// SDL collects what the microphone hears in its own thread; a timer of the
// window's thread takes it from the queue, so nothing waits for the sound.
class SdlCapture : public MicrophoneCapture {
public:
    SdlCapture(SDL_AudioDeviceID device, int rate, int milliseconds)
        : m_device(device), m_rate(rate),
          m_wanted(static_cast<qint64>(rate) * milliseconds / 1000) {
        m_samples.reserve(static_cast<size_t>(m_wanted));
        m_idleSince = SDL_GetTicks();
        SDL_PauseAudioDevice(m_device, 0);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { take(); });
        m_timer.start(kTakeEveryMs);
    }
    ~SdlCapture() override { close(); }

    void Stop() override {
        take();
        if (m_device != 0)
            finish();
    }

private:
    static constexpr int kTakeEveryMs = 20;

    void take() {
        if (m_device == 0)
            return;
        std::vector<qint16> chunk(4096);
        double energy = 0;
        size_t count = 0;
        for (;;) {
            const Uint32 got = SDL_DequeueAudio(m_device, chunk.data(),
                                                static_cast<Uint32>(chunk.size() * sizeof(qint16)));
            const size_t n = std::min<size_t>(got / sizeof(qint16),
                                              static_cast<size_t>(m_wanted) - m_samples.size());
            for (size_t i = 0; i < n; ++i)
                energy += static_cast<double>(chunk[i]) * chunk[i];
            m_samples.insert(m_samples.end(), chunk.begin(),
                             chunk.begin() + static_cast<qint64>(n));
            count += n;
            if (n == 0 || static_cast<qint64>(m_samples.size()) >= m_wanted)
                break;
        }
        if (count > 0)
            m_idleSince = SDL_GetTicks();
        const float level =
            count > 0 ? static_cast<float>(std::sqrt(energy / count) / 32768.0) : 0.0f;
        emit Progress(static_cast<int>(static_cast<qint64>(m_samples.size()) * 1000 / m_rate),
                      std::min(1.0f, level * 4));
        // A device that stops delivering (unplugged) ends the recording.
        if (m_device != 0 && (static_cast<qint64>(m_samples.size()) >= m_wanted ||
                              SDL_GetTicks() - m_idleSince > 2000))
            finish();
    }
    void finish() {
        close();
        emit Finished(MonoWave16(m_samples, m_rate));
    }
    void close() {
        m_timer.stop();
        if (m_device == 0)
            return;
        SDL_CloseAudioDevice(m_device);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_device = 0;
    }

    SDL_AudioDeviceID m_device;
    int m_rate;
    qint64 m_wanted;
    std::vector<qint16> m_samples;
    Uint32 m_idleSince = 0;
    QTimer m_timer;
};

} // namespace

namespace {

// The default capture device, 16-bit mono, paused; 0 when none opens (the
// audio subsystem is then left as it was).
SDL_AudioDeviceID openCaptureDevice(SDL_AudioSpec &obtained) {
    if (initAudio() != 0)
        return 0;
    SDL_AudioSpec wanted{};
    wanted.freq = 22050;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = 512;
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 1, &wanted, &obtained, 0);
    if (device == 0)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return device;
}

} // namespace

std::unique_ptr<MicrophoneCapture> StartMicrophoneCapture(int milliseconds) {
    SDL_AudioSpec obtained{};
    const SDL_AudioDeviceID device = openCaptureDevice(obtained);
    if (device == 0)
        return nullptr;
    return std::make_unique<SdlCapture>(device, obtained.freq, std::max(0, milliseconds));
}

bool HasMicrophone() {
    SDL_AudioSpec obtained{};
    const SDL_AudioDeviceID device = openCaptureDevice(obtained);
    if (device == 0)
        return false;
    SDL_CloseAudioDevice(device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return true;
}
