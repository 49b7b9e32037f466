#include "platform/sound.h"
#include "support/crafted_waves.h"
#include "support/test_env.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTimer>
#include <QtEndian>

#include <cmath>
#include <cstdlib>
#include <memory>

#include <gtest/gtest.h>

namespace {

// A PCM wave image of a tone: bits 8 or 16, any rate and channel count.
QByteArray toneWave(double seconds, int rate = 22050, int bits = 16, int channels = 1) {
    const int frames = static_cast<int>(seconds * rate);
    const int bytesPerSample = bits / 8;
    QByteArray data;
    for (int i = 0; i < frames; ++i) {
        const double s = std::sin(i * 2 * M_PI * 440.0 / rate) * 0.3;
        for (int c = 0; c < channels; ++c) {
            if (bits == 8) {
                data.append(static_cast<char>(128 + static_cast<int>(s * 127)));
            } else {
                const qint16 v = qToLittleEndian(static_cast<qint16>(s * 32767));
                data.append(reinterpret_cast<const char *>(&v), 2);
            }
        }
    }
    auto u32 = [](quint32 v) {
        v = qToLittleEndian(v);
        return QByteArray(reinterpret_cast<const char *>(&v), 4);
    };
    auto u16 = [](quint16 v) {
        v = qToLittleEndian(v);
        return QByteArray(reinterpret_cast<const char *>(&v), 2);
    };
    QByteArray wave = "RIFF" + u32(36 + data.size()) + "WAVE" + "fmt " + u32(16) + u16(1) +
                      u16(channels) + u32(rate) + u32(rate * channels * bytesPerSample) +
                      u16(channels * bytesPerSample) + u16(bits) + "data" + u32(data.size());
    return wave + data;
}

qint64 millisecondsOf(const std::function<void()> &action) {
    QElapsedTimer timer;
    timer.start();
    action();
    return timer.elapsed();
}

} // namespace

TEST(SoundPlayer, SynchronousPlayReturnsAfterTheSoundFromMemoryOrFile) {
    TestEnv env;
    SoundPlayer player;
    ASSERT_TRUE(player.HasDevice()) << "the test driver provides a device";

    // The test driver may take its first buffer at once, hence the margin.
    const QByteArray wave = toneWave(0.3);
    EXPECT_GE(millisecondsOf([&] { player.PlayMemory(wave, false); }), 200);
    EXPECT_FALSE(player.IsPlaying());

    // Another format (8-bit stereo at a low rate) is converted, not played
    // faster or slower.
    const QString path = env.tempFolder() + "phrase.wav";
    writeFile(path, toneWave(0.3, 11025, 8, 2));
    EXPECT_GE(millisecondsOf([&] { player.PlayFile(path, false); }), 200);
    EXPECT_FALSE(player.IsPlaying());
}

TEST(SoundPlayer, AsynchronousPlayReturnsWhileTheSoundGoesOnAndTheNextReplacesIt) {
    SoundPlayer player;
    player.PlayMemory(toneWave(3.0), true);
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_GT(player.PendingMilliseconds(), 1000);

    player.PlayMemory(toneWave(0.5), true);
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_LE(player.PendingMilliseconds(), 500) << "the first sound is gone";

    // A synchronous sound also replaces it and waits only for itself.
    player.PlayMemory(toneWave(3.0), true);
    player.PlayMemory(toneWave(0.2), false);
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(player.PendingMilliseconds(), 0);

    player.PlayMemory(toneWave(3.0), true);
    player.Stop();
    EXPECT_FALSE(player.IsPlaying());
}

TEST(SoundPlayer, DataThatIsNotAWaveIsSilentAndStopsTheCurrentSound) {
    TestEnv env;
    SoundPlayer player;
    const QString text = env.tempFolder() + "notes.wav";
    writeFile(text, "this is not a wave file at all, just text\r\n");
    QByteArray truncated = toneWave(0.3).left(30);

    for (const auto &play : std::vector<std::function<void()>>{
             [&] { player.PlayFile(text, false); },
             [&] { player.PlayFile(env.tempFolder() + "missing.wav", false); },
             [&] { player.PlayMemory(QByteArray(), false); },
             [&] { player.PlayMemory(truncated, true); },
             [&] { player.PlayMemory(QByteArray(1000, '\0'), true); },
         }) {
        player.PlayMemory(toneWave(3.0), true);
        ASSERT_TRUE(player.IsPlaying());
        play();
        EXPECT_FALSE(player.IsPlaying());
        EXPECT_EQ(player.PendingMilliseconds(), 0);
    }
}

TEST(SoundPlayer, WithoutADeviceEveryCallIsSilent) {
    SoundPlayer player("no such output device");
    EXPECT_FALSE(player.HasDevice());
    player.PlayMemory(toneWave(3.0), false);
    player.PlayMemory(toneWave(3.0), true);
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(player.PendingMilliseconds(), 0);
    player.Stop();

    // A working player beside it is not disturbed.
    SoundPlayer working;
    working.PlayMemory(toneWave(1.0), true);
    EXPECT_TRUE(working.IsPlaying());
}

TEST(SoundPlayerDeathTest, WithoutAnAudioDriverEveryCallIsSilent) {
    // SDL reads the driver when its audio starts, so this runs in a fresh
    // process of its own.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            qputenv("SDL_AUDIODRIVER", "nonexistent-driver");
            SoundPlayer player;
            player.PlayMemory(toneWave(30.0), false);
            player.PlayMemory(toneWave(30.0), true);
            std::exit(!player.HasDevice() && !player.IsPlaying() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(SoundCheck, RealCodingsPassAndDamagedHeadersAreRefusedWithoutASound) {
    using fixture::CraftedWave;
    using fixture::WaveHeader;
    // What recordings really are: every coding the program knows, at the
    // edges of the rates and channel counts.
    const std::vector<std::pair<std::string, WaveHeader>> good = {
        {"16-bit mono", {}},
        {"8-bit at 4,000 Hz", {4000, 1, 1, 8}},
        {"24-bit stereo at 192,000 Hz", {192000, 2, 1, 24}},
        {"32-bit, 8 channels", {44100, 8, 1, 32}},
        {"32-bit float", {48000, 2, 3, 32}},
        {"extensible 16-bit", {22050, 2, 1, 16, 1600, 0, true}},
        {"extensible float", {22050, 1, 3, 32, 1600, 0, true}},
    };
    for (const auto &[name, header] : good) {
        const QByteArray wave = CraftedWave(header);
        const std::optional<WaveLayout> layout = PlayableWaveLayout(wave);
        ASSERT_TRUE(layout) << name;
        EXPECT_EQ(layout->rate, int(header.rate)) << name;
        EXPECT_EQ(layout->channels, header.channels) << name;
        EXPECT_EQ(layout->frames, 1600) << name;
        EXPECT_EQ(layout->dataOffset + layout->frames * layout->frameBytes(), wave.size()) << name;
    }

    SoundPlayer player;
    for (const auto &[name, wave] : fixture::DamagedWaves()) {
        EXPECT_FALSE(IsPlayableWave(wave)) << name;
        // Handed to the player anyway, it plays nothing and stops what played.
        player.PlayMemory(toneWave(3.0), true);
        player.PlayMemory(wave, true);
        EXPECT_FALSE(player.IsPlaying()) << name;
        player.PlayMemory(wave, false);
    }
    // A header cut off inside the format chunk, and a data chunk before it.
    const QByteArray good16 = CraftedWave({});
    EXPECT_FALSE(IsPlayableWave(good16.left(30)));
    QByteArray dataFirst =
        good16.left(12) + good16.mid(36, 8) + good16.mid(12, 24) + good16.mid(44);
    EXPECT_FALSE(IsPlayableWave(dataFirst));
}

// The microphone (SDL's dummy capture here) is read by a timer: the thread's
// other timers go on ticking while it listens, and the end comes as a signal.
TEST(MicrophoneCapture, ListensWhileTheEventLoopRunsAndEndsWithTheRecording) {
    std::unique_ptr<MicrophoneCapture> capture = StartMicrophoneCapture(400);
    if (!capture)
        GTEST_SKIP() << "this SDL has no capture device";
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(5);
    int lastElapsed = -1;
    bool growing = true;
    QObject::connect(capture.get(), &MicrophoneCapture::Progress, [&](int elapsedMs, float) {
        growing = growing && elapsedMs >= lastElapsed;
        lastElapsed = elapsedMs;
    });
    QSignalSpy finished(capture.get(), &MicrophoneCapture::Finished);
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_GE(ticks, 10);
    EXPECT_TRUE(growing);
    const std::optional<WaveLayout> layout = PlayableWaveLayout(finished.at(0).at(0).toByteArray());
    ASSERT_TRUE(layout.has_value());
    EXPECT_EQ(layout->channels, 1);
    EXPECT_NEAR(double(layout->frames) * 1000 / layout->rate, 400, 50);
    // Stopping after the end changes nothing.
    capture->Stop();
    EXPECT_EQ(finished.size(), 1);
}
