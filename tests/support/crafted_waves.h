// Wave files with the header fields a damaged or foreign file may carry: an
// absurd sample rate, no channels or too many, a coding the program does not
// know, a data chunk claiming more than the file holds. Every sound check
// must refuse them without reading past the bytes.
#pragma once

#include <QByteArray>
#include <QtEndian>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace fixture {

struct WaveHeader {
    quint32 rate = 16000;
    quint16 channels = 1;
    quint16 formatTag = 1; // PCM
    quint16 bits = 16;
    quint32 frames = 1600;     // written after the header
    quint32 claimedFrames = 0; // what the data chunk says; 0: the frames written
    bool extensible = false;   // the format tag goes in the sub-format GUID
};

// A 440 Hz tone in the given header.
inline QByteArray CraftedWave(const WaveHeader &h) {
    const int sampleBytes = h.bits / 8;
    const int storedChannels = h.channels > 0 ? h.channels : 1;
    QByteArray data;
    for (quint32 f = 0; f < h.frames; ++f) {
        const double v = 0.3 * std::sin(2 * M_PI * 440.0 * f / (h.rate > 0 ? h.rate : 16000));
        for (int c = 0; c < storedChannels; ++c) {
            if (h.formatTag == 3 && h.bits == 32) {
                const float x = static_cast<float>(v);
                data.append(reinterpret_cast<const char *>(&x), 4);
                continue;
            }
            if (h.bits > 32) {
                data.append(QByteArray(sampleBytes, '\0'));
                continue;
            }
            const qint64 full = h.bits == 8 ? 127 : (qint64(1) << (h.bits - 1)) - 1;
            qint64 sample = static_cast<qint64>(v * full);
            if (h.bits == 8)
                sample += 128;
            for (int b = 0; b < sampleBytes; ++b)
                data.append(static_cast<char>((sample >> (8 * b)) & 0xFF));
        }
    }
    QByteArray wave;
    const auto u32 = [&wave](quint32 v) {
        v = qToLittleEndian(v);
        wave.append(reinterpret_cast<const char *>(&v), 4);
    };
    const auto u16 = [&wave](quint16 v) {
        v = qToLittleEndian(v);
        wave.append(reinterpret_cast<const char *>(&v), 2);
    };
    const quint32 formatBytes = h.extensible ? 40 : 16;
    const quint32 blockAlign = quint32(h.channels) * sampleBytes;
    const quint32 claimed =
        (h.claimedFrames ? h.claimedFrames : h.frames) * storedChannels * sampleBytes;
    wave.append("RIFF");
    u32(4 + 8 + formatBytes + 8 + quint32(data.size()));
    wave.append("WAVEfmt ");
    u32(formatBytes);
    u16(h.extensible ? 0xFFFE : h.formatTag);
    u16(h.channels);
    u32(h.rate);
    u32(h.rate * blockAlign);
    u16(quint16(blockAlign));
    u16(h.bits);
    if (h.extensible) {
        u16(22);     // the extension's size
        u16(h.bits); // valid bits
        u32(0);      // no speaker positions
        u32(h.formatTag);
        wave.append("\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 12);
    }
    wave.append("data");
    u32(claimed);
    return wave + data;
}

// The damaged files, each with a name for a failure message.
inline std::vector<std::pair<std::string, QByteArray>> DamagedWaves() {
    const auto with = [](auto change) {
        WaveHeader h;
        change(h);
        return CraftedWave(h);
    };
    return {
        {"rate 1 Hz", with([](WaveHeader &h) { h.rate = 1; })},
        {"rate 0", with([](WaveHeader &h) { h.rate = 0; })},
        {"rate 4,000,000,000 Hz", with([](WaveHeader &h) { h.rate = 4000000000u; })},
        {"rate 3,999 Hz", with([](WaveHeader &h) { h.rate = 3999; })},
        {"rate 192,001 Hz", with([](WaveHeader &h) { h.rate = 192001; })},
        {"no channels", with([](WaveHeader &h) { h.channels = 0; })},
        {"9 channels", with([](WaveHeader &h) { h.channels = 9; })},
        {"unknown format tag", with([](WaveHeader &h) { h.formatTag = 0x1234; })},
        // mu-law: a coding SDL would read, but not one a recording of ours has.
        {"mu-law", with([](WaveHeader &h) {
             h.formatTag = 7;
             h.bits = 8;
         })},
        {"64-bit float", with([](WaveHeader &h) {
             h.formatTag = 3;
             h.bits = 64;
         })},
        {"data chunk longer than the file", with([](WaveHeader &h) { h.claimedFrames = 160000; })},
        {"data chunk of no frames", with([](WaveHeader &h) { h.frames = 0; })},
    };
}

} // namespace fixture
