// Slowing a phrase down and measuring how closely a recording follows the
// model, on tones and on real synthetic speech.
#include "subjects/voice_compare.h"
#include "support/crafted_waves.h"
#include "support/test_env.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <numeric>

namespace {

voice::Wave tone(double hz, int milliseconds, int rate = 22050) {
    voice::Wave wave;
    wave.rate = rate;
    wave.samples.resize(static_cast<size_t>(rate) * milliseconds / 1000);
    for (size_t i = 0; i < wave.samples.size(); ++i)
        wave.samples[i] = static_cast<float>(0.5 * std::sin(2 * M_PI * hz * i / rate));
    return wave;
}

float medianPitch(const voice::Analysis &a) {
    std::vector<float> voiced;
    std::copy_if(a.pitch.begin(), a.pitch.end(), std::back_inserter(voiced),
                 [](float hz) { return hz > 0; });
    if (voiced.empty())
        return 0;
    std::nth_element(voiced.begin(), voiced.begin() + voiced.size() / 2, voiced.end());
    return voiced[voiced.size() / 2];
}

TEST(VoiceCompareTest, SlowingDownLengthensBy1Over0_7AndKeepsThePitch) {
    const QByteArray file = voice::Write_Wave(tone(220, 2000));
    const voice::Wave slow = voice::Read_Wave(voice::Change_Tempo(file, voice::kSlowTempo));
    ASSERT_EQ(slow.rate, 22050);
    EXPECT_NEAR(slow.milliseconds(), 2000 / voice::kSlowTempo, 60);
    EXPECT_NEAR(medianPitch(voice::Analyse(slow)), 220, 6);
    EXPECT_TRUE(voice::Change_Tempo(QByteArray("RIFF....not a wave"), 0.7).isEmpty());
}

TEST(VoiceCompareTest, DamagedHeadersAreNeitherSlowedDownNorComparedAndRealCodingsAreRead) {
    const voice::Wave model = tone(220, 500);
    for (const auto &[name, bytes] : fixture::DamagedWaves()) {
        EXPECT_TRUE(voice::Read_Wave(bytes).empty()) << name;
        EXPECT_TRUE(voice::Change_Tempo(bytes, voice::kSlowTempo).isEmpty()) << name;
        EXPECT_EQ(voice::Compare(model, voice::Read_Wave(bytes)).closeness, 0) << name;
    }
    // A sound made in memory with such a rate is not slowed down or analysed
    // either.
    for (const int rate : {1, 0, -1294967296, 3999, 192001}) {
        voice::Wave odd = tone(220, 500);
        odd.rate = rate;
        EXPECT_TRUE(voice::Change_Tempo(odd, voice::kSlowTempo).empty()) << rate;
        EXPECT_EQ(voice::Analyse(odd).frames(), 0) << rate;
    }

    // Every coding the check lets through is read as the same tone.
    for (const fixture::WaveHeader &h :
         std::vector<fixture::WaveHeader>{{22050, 1, 1, 8},
                                          {22050, 2, 1, 24},
                                          {22050, 8, 1, 32},
                                          {22050, 1, 3, 32},
                                          {22050, 2, 3, 32, 1600, 0, true}}) {
        const voice::Wave read = voice::Read_Wave(fixture::CraftedWave(h));
        ASSERT_EQ(read.rate, 22050) << h.bits;
        ASSERT_EQ(read.samples.size(), 1600u) << h.bits;
        EXPECT_NEAR(read.samples[10], 0.3 * std::sin(2 * M_PI * 440.0 * 10 / 22050), 0.01)
            << h.bits << " bits, " << h.channels << " channels";
    }
}

class SpeechTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("espeak-ng")).isEmpty())
            GTEST_SKIP() << "espeak-ng is not installed";
    }
    voice::Wave say(const QString &voiceName, const QString &text) {
        const QString path = env.root() + QStringLiteral("%1.wav").arg(++m_count);
        QProcess espeak;
        espeak.start(QStringLiteral("espeak-ng"),
                     {QStringLiteral("-v"), voiceName, QStringLiteral("-w"), path, text});
        EXPECT_TRUE(espeak.waitForFinished(60000));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        return voice::Read_Wave(file.readAll());
    }
    // The Italian phrases of the demo greetings.
    QStringList demoPhrases() {
        QFile file(QStringLiteral(TVX_SOURCE_DIR "/content/subjects/01_greetings.tsv"));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList header = QString::fromUtf8(file.readLine()).trimmed().split('\t');
        const qsizetype column = header.indexOf(QStringLiteral("Italian"));
        QStringList phrases;
        while (!file.atEnd() && phrases.size() < 10)
            phrases << QString::fromUtf8(file.readLine()).trimmed().split('\t').value(column);
        return phrases;
    }
    TestEnv env;

private:
    int m_count = 0;
};

// The model is the demo's own voice; the learner is another Italian voice.
TEST_F(SpeechTest, TheSamePhraseByAnotherVoiceScoresAboveAnotherPhraseSilenceNearZero) {
    const QStringList phrases = demoPhrases();
    ASSERT_EQ(phrases.size(), 10);
    std::vector<voice::Wave> models, learner;
    for (const QString &phrase : phrases) {
        models.push_back(say(QStringLiteral("it"), phrase));
        learner.push_back(say(QStringLiteral("it+f3"), phrase));
    }
    int ordered = 0;
    for (int i = 0; i < 10; ++i) {
        const voice::Comparison self = voice::Compare(models[i], models[i]);
        EXPECT_EQ(self.closeness, 100);
        const int same = voice::Compare(models[i], learner[i]).closeness;
        const int other = voice::Compare(models[i], learner[(i + 1) % 10]).closeness;
        ordered += same > other;
        std::cout << phrases[i].toStdString() << ": same phrase " << same << ", another " << other
                  << "\n";
    }
    EXPECT_GE(ordered, 8);

    voice::Wave silence = tone(0, 3000);
    for (size_t i = 0; i < silence.samples.size(); ++i)
        silence.samples[i] = static_cast<float>((static_cast<int>(i * 7919 % 200) - 100) * 1e-5);
    EXPECT_LE(voice::Compare(models[0], silence).closeness, 5);
}

TEST_F(SpeechTest, TheAlignmentPutsTheSameSyllablesTogether) {
    const voice::Wave model = say(QStringLiteral("it"), QStringLiteral("Arrivederci!"));
    const voice::Comparison c =
        voice::Compare(model, voice::Change_Tempo(model, voice::kSlowTempo));
    ASSERT_FALSE(c.path.empty());
    EXPECT_EQ(c.path.front(), std::make_pair(c.model.first, c.mine.first));
    EXPECT_EQ(c.path.back(), std::make_pair(c.model.last, c.mine.last));
    // Mine is the model slowed down: its frame for the model's middle lies
    // near the middle of mine.
    const int middle = (c.model.first + c.model.last) / 2;
    const auto at = std::find_if(c.path.begin(), c.path.end(),
                                 [&](const auto &p) { return p.first == middle; });
    ASSERT_NE(at, c.path.end());
    EXPECT_NEAR(at->second, (c.mine.first + c.mine.last) / 2.0, 6);
    EXPECT_GT(c.closeness, 60);
}

} // namespace
