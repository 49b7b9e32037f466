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
#include <random>

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
    voice::Wave say(const QString &voiceName, const QString &text, int wordsPerMinute = 175) {
        const QString path = env.root() + QStringLiteral("%1.wav").arg(++m_count);
        QProcess espeak;
        espeak.start(QStringLiteral("espeak-ng"),
                     {QStringLiteral("-v"), voiceName, QStringLiteral("-s"),
                      QString::number(wordsPerMinute), QStringLiteral("-w"), path, text});
        EXPECT_TRUE(espeak.waitForFinished(60000));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        return voice::Read_Wave(file.readAll());
    }
    TestEnv env;

private:
    int m_count = 0;
};

// A take as the microphone gives it: room tone before and after the speech,
// and noise that many dB below the speech's level (none: a quiet room).
voice::Wave recorded(const voice::Wave &speech, double noiseBelowSpeech = 0) {
    double level = 0;
    for (float v : speech.samples)
        level += static_cast<double>(v) * v;
    level = std::sqrt(level / speech.samples.size());
    const double noise = noiseBelowSpeech > 0 ? level * std::pow(10.0, -noiseBelowSpeech / 20)
                                              : std::pow(10.0, -60.0 / 20);
    voice::Wave take;
    take.rate = speech.rate;
    take.samples.assign(static_cast<size_t>(speech.rate) * 3 / 10, 0.0f);
    take.samples.insert(take.samples.end(), speech.samples.begin(), speech.samples.end());
    take.samples.resize(take.samples.size() + static_cast<size_t>(speech.rate) * 2, 0.0f);
    std::mt19937 random(7);
    std::normal_distribution<float> white(0.0f, static_cast<float>(noise));
    for (float &v : take.samples)
        v += white(random);
    return take;
}

// Italian phrases, each with one word swapped.
const std::pair<QString, QString> kPhrases[] = {
    {QStringLiteral("il gatto dorme sul divano"), QStringLiteral("il cane dorme sul divano")},
    {QStringLiteral("non ho capito la domanda"), QStringLiteral("non ho sentito la domanda")},
    {QStringLiteral("quanto costa questo libro"), QStringLiteral("quanto costa questo quaderno")},
};

// The model is espeak-ng's Italian voice; the learners are four other voices,
// men and women, slower and faster than the model. The figure reads the same
// for all of them, and a wrong phrase or word reads low whoever says it.
TEST_F(SpeechTest, TheFigureMeasuresWhatIsSaidNotTheVoice) {
    const std::pair<const char *, int> learners[] = {
        {"it+m3", 140}, {"it+f2", 175}, {"it+m7", 200}, {"it+f4", 228}};
    int correctHigh = 0, pairs = 0, swapLower = 0;
    for (size_t p = 0; p < std::size(kPhrases); ++p) {
        const voice::Wave model = say(QStringLiteral("it"), kPhrases[p].first);
        const voice::Comparison self = voice::Compare(model, model);
        EXPECT_EQ(self.verdict, voice::Verdict::Figure);
        EXPECT_EQ(self.closeness, 100);
        for (const auto &[name, speed] : learners) {
            const QString voiceName = QString::fromLatin1(name);
            const int correct =
                voice::Compare(model, recorded(say(voiceName, kPhrases[p].first, speed)))
                    .closeness;
            const int swapped =
                voice::Compare(model, recorded(say(voiceName, kPhrases[p].second, speed)))
                    .closeness;
            const QString other = kPhrases[(p + 1) % std::size(kPhrases)].first;
            const int different =
                voice::Compare(model, recorded(say(voiceName, other, speed))).closeness;
            std::cout << name << " " << kPhrases[p].first.toStdString() << ": " << correct
                      << ", one word swapped " << swapped << ", another phrase " << different
                      << "\n";
            ++pairs;
            correctHigh += correct >= 70;
            swapLower += correct - swapped >= 10;
            EXPECT_LE(different, 40) << name;
        }
    }
    EXPECT_GE(correctHigh, pairs - 1);
    EXPECT_GE(swapLower, pairs - 2);
}

TEST_F(SpeechTest, SilenceAndSteadyNoiseAreNothingHeardSpeechDrownedInNoiseIsTooNoisy) {
    const voice::Wave model = say(QStringLiteral("it"), kPhrases[0].first);
    voice::Wave quiet;
    quiet.rate = model.rate;
    quiet.samples.assign(static_cast<size_t>(model.rate) * 3, 0.0f);
    // A fan in the room, about -44 dB full scale, and nothing said.
    voice::Wave fan = quiet;
    std::mt19937 random(3);
    std::normal_distribution<float> white(0.0f, 1.0f);
    float brown = 0;
    for (size_t i = 0; i < fan.samples.size(); ++i) {
        brown = 0.995f * brown + 0.05f * white(random);
        fan.samples[i] = 0.012f * brown;
    }
    for (const voice::Wave &nothing : {quiet, fan, recorded(quiet)}) {
        const voice::Comparison c = voice::Compare(model, nothing);
        EXPECT_EQ(c.verdict, voice::Verdict::NothingHeard)
            << c.mine.noiseFloor << " " << c.mine.peak;
        EXPECT_EQ(c.closeness, 0);
    }
    const voice::Wave take = say(QStringLiteral("it+f2"), kPhrases[0].first);
    EXPECT_EQ(voice::Compare(model, recorded(take, 5)).verdict, voice::Verdict::TooNoisy);
    // Noise well below the speech still gives a figure, and a good one.
    const voice::Comparison noisy = voice::Compare(model, recorded(take, 25));
    EXPECT_EQ(noisy.verdict, voice::Verdict::Figure);
    EXPECT_GE(noisy.closeness, 60);
}

// The stretch of the model where the swapped word lies is the one marked.
TEST_F(SpeechTest, TheSwappedWordIsTheStretchMarked) {
    const voice::Wave model = say(QStringLiteral("it"), kPhrases[0].first);
    const voice::Comparison c =
        voice::Compare(model, recorded(say(QStringLiteral("it+f2"), kPhrases[0].second)));
    ASSERT_FALSE(c.differing.empty());
    // "gatto" is the second of five words: the marked stretch starts in the
    // first half of the phrase.
    const double start = static_cast<double>(c.differing.front().first - c.model.first) /
                         (c.model.last - c.model.first);
    EXPECT_LT(start, 0.5);
    EXPECT_NE(voice::BandOf(c.closeness), voice::Band::VeryClose);
    EXPECT_EQ(voice::BandOf(95), voice::Band::VeryClose);
    EXPECT_EQ(voice::BandOf(65), voice::Band::Close);
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
