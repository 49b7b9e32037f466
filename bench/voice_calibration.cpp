// How the closeness figure reads on a known set of recordings
// (build/bench/tvx-voice-calibration): espeak-ng speaks the phrases of
// bench/voice/phrases.tsv as the model (the language's default voice) and as
// takes by four other voices, male and female, at 0.8–1.3 times the model's
// speed; takes get room tone before and after, as the microphone gives it.
// Printed per condition: the figure's 10th percentile, median and 90th
// percentile, and the shares the figure is meant to reach.
//
//   tvx-voice-calibration [--set FOLDER] [--phrases FILE] [--per-language N]
//
// The recordings are kept in FOLDER (default: <temp>/tvx-voice-set) and
// made only when missing, so a second run only compares.

#include "subjects/voice_compare.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTextStream>
#include <QThreadPool>
#include <QtConcurrent>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>

#include <time.h>

namespace {

struct Phrase {
    QString language;
    QString text;
    QString swapped;
};

struct Voice {
    QString variant; // espeak-ng's "+name", empty for the model's voice
    int wordsPerMinute;
};

constexpr int kModelSpeed = 175;
const Voice kTakeVoices[] = {{QStringLiteral("+m3"), 140},
                             {QStringLiteral("+f2"), 175},
                             {QStringLiteral("+m7"), 201},
                             {QStringLiteral("+f4"), 228}};

QString waveName(const QString &folder, const QString &language, const QString &text,
                 const Voice &voice) {
    const QByteArray key = (language + voice.variant + QString::number(voice.wordsPerMinute) +
                            QLatin1Char('\n') + text)
                               .toUtf8();
    return folder + QLatin1Char('/') +
           QString::fromLatin1(
               QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16)) +
           QStringLiteral(".wav");
}

bool speak(const QString &file, const QString &language, const QString &text, const Voice &voice) {
    if (QFile::exists(file))
        return true;
    QProcess espeak;
    espeak.start(QStringLiteral("espeak-ng"),
                 {QStringLiteral("-v"), language + voice.variant, QStringLiteral("-s"),
                  QString::number(voice.wordsPerMinute), QStringLiteral("-w"), file + ".part",
                  text});
    if (!espeak.waitForFinished(60000) || espeak.exitCode() != 0)
        return false;
    return QFile::rename(file + ".part", file);
}

voice::Wave readWave(const QString &file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return voice::Read_Wave(f.readAll());
}

double rms(const std::vector<float> &samples) {
    double sum = 0;
    for (float v : samples)
        sum += static_cast<double>(v) * v;
    return samples.empty() ? 0 : std::sqrt(sum / samples.size());
}

// Pink noise (Paul Kellet's filter on white noise), scaled to an RMS level.
std::vector<float> pinkNoise(size_t count, double level, std::mt19937 &random) {
    std::normal_distribution<float> white(0.0f, 1.0f);
    std::vector<float> out(count);
    float b0 = 0, b1 = 0, b2 = 0, b3 = 0, b4 = 0, b5 = 0, b6 = 0;
    for (size_t i = 0; i < count; ++i) {
        const float w = white(random);
        b0 = 0.99886f * b0 + w * 0.0555179f;
        b1 = 0.99332f * b1 + w * 0.0750759f;
        b2 = 0.96900f * b2 + w * 0.1538520f;
        b3 = 0.86650f * b3 + w * 0.3104856f;
        b4 = 0.55000f * b4 + w * 0.5329522f;
        b5 = -0.7616f * b5 - w * 0.0168980f;
        out[i] = b0 + b1 + b2 + b3 + b4 + b5 + b6 + w * 0.5362f;
        b6 = w * 0.115926f;
    }
    const double r = rms(out);
    for (float &v : out)
        v = static_cast<float>(v * level / r);
    return out;
}

// A fan: brown noise with a steady hum (or without), at an RMS level.
std::vector<float> fanNoise(size_t count, int rate, double level, std::mt19937 &random,
                            bool hum = true) {
    std::normal_distribution<float> white(0.0f, 1.0f);
    std::vector<float> out(count);
    float brown = 0;
    for (size_t i = 0; i < count; ++i) {
        brown = 0.995f * brown + 0.05f * white(random);
        out[i] = brown + (hum ? 0.3f * static_cast<float>(std::sin(2 * M_PI * 120.0 * i / rate)) : 0);
    }
    const double r = rms(out);
    for (float &v : out)
        v = static_cast<float>(v * level / r);
    return out;
}

double decibels(double db) { return std::pow(10.0, db / 20.0); }

// The take as the microphone records it: room tone for 0.3 s, the speech,
// and 2 s more of room tone (the recording runs on past the model's
// length); noiseBelowSpeech > 0 adds noise that many dB below the speech.
voice::Wave asRecorded(const voice::Wave &speech, double noiseBelowSpeech, std::mt19937 &random) {
    voice::Wave take;
    take.rate = speech.rate;
    const size_t lead = static_cast<size_t>(speech.rate * 3 / 10);
    const size_t trail = static_cast<size_t>(speech.rate * 2);
    take.samples.assign(lead, 0.0f);
    take.samples.insert(take.samples.end(), speech.samples.begin(), speech.samples.end());
    take.samples.resize(take.samples.size() + trail, 0.0f);
    const double speechLevel = rms(speech.samples);
    const double noiseLevel =
        noiseBelowSpeech > 0 ? speechLevel * decibels(-noiseBelowSpeech) : decibels(-60);
    const std::vector<float> noise = pinkNoise(take.samples.size(), noiseLevel, random);
    for (size_t i = 0; i < take.samples.size(); ++i)
        take.samples[i] = std::clamp(take.samples[i] + noise[i], -1.0f, 1.0f);
    return take;
}

struct Outcome {
    int figure = -1; // -1: "nothing heard", -2: "too noisy"
    double distance = 0;
    double worstStretch = 0;
    double tune = 0;
};

Outcome compare(const voice::Wave &model, const voice::Wave &take) {
    const voice::Comparison c = voice::Compare(model, take);
    switch (c.verdict) {
    case voice::Verdict::NothingHeard:
        return {-1, 0, 0, 0};
    case voice::Verdict::TooNoisy:
        return {-2, 0, 0, 0};
    case voice::Verdict::Figure:
        break;
    }
    return {c.closeness, c.distance, c.worstStretch, c.tuneDifference};
}

struct Row {
    QString condition;
    std::vector<Outcome> outcomes;
};

int percentile(std::vector<int> values, double p) {
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const size_t at = static_cast<size_t>(std::lround(p * (values.size() - 1)));
    return values[at];
}

void report(const QString &condition, const std::vector<Outcome> &outcomes, int atLeast,
            int atMost) {
    std::vector<int> figures;
    int nothing = 0, noisy = 0, reached = 0;
    for (const Outcome &o : outcomes) {
        if (o.figure == -1)
            ++nothing;
        else if (o.figure == -2)
            ++noisy;
        else
            figures.push_back(o.figure);
        const int asFigure = std::max(0, o.figure);
        if ((atLeast >= 0 && asFigure >= atLeast) || (atMost >= 0 && asFigure <= atMost))
            ++reached;
    }
    QString goal;
    if (atLeast >= 0)
        goal = QStringLiteral(">=%1: %2%").arg(atLeast).arg(100.0 * reached / outcomes.size(), 0,
                                                            'f', 1);
    if (atMost >= 0)
        goal = QStringLiteral("<=%1: %2%").arg(atMost).arg(100.0 * reached / outcomes.size(), 0,
                                                           'f', 1);
    std::printf("%-22s n=%4zu  p10 %3d  median %3d  p90 %3d  nothing heard %3d  too noisy %3d  %s\n",
                qPrintable(condition), outcomes.size(), percentile(figures, 0.1),
                percentile(figures, 0.5), percentile(figures, 0.9), nothing, noisy,
                qPrintable(goal));
    if (qEnvironmentVariableIsSet("TVX_VOICE_RAW")) {
        // The measures behind the figure, for setting its scale.
        std::vector<int> mean, worst, tune;
        for (const Outcome &o : outcomes)
            if (o.figure >= 0) {
                mean.push_back(static_cast<int>(o.distance * 1000));
                worst.push_back(static_cast<int>(o.worstStretch * 1000));
                tune.push_back(static_cast<int>(o.tune * 100));
            }
        std::printf("    mean distance x1000 p10 %d median %d p90 %d; worst stretch p10 %d "
                    "median %d p90 %d; tune x100 p10 %d median %d p90 %d\n",
                    percentile(mean, 0.1), percentile(mean, 0.5), percentile(mean, 0.9),
                    percentile(worst, 0.1), percentile(worst, 0.5), percentile(worst, 0.9),
                    percentile(tune, 0.1), percentile(tune, 0.5), percentile(tune, 0.9));
    }
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QString folder = QDir::tempPath() + QStringLiteral("/tvx-voice-set");
    QString phrasesFile =
        QStringLiteral(TVX_SOURCE_DIR) + QStringLiteral("/bench/voice/phrases.tsv");
    int perLanguage = 1000;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--set"))
            folder = args[i + 1];
        else if (args[i] == QLatin1String("--phrases"))
            phrasesFile = args[i + 1];
        else if (args[i] == QLatin1String("--per-language"))
            perLanguage = args[i + 1].toInt();
    }
    QDir().mkpath(folder);

    QFile file(phrasesFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(phrasesFile));
        return 1;
    }
    std::vector<Phrase> phrases;
    std::map<QString, int> counted;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith(QLatin1Char('#')) || line.trimmed().isEmpty())
            continue;
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() == 3 && counted[f[0]]++ < perLanguage)
            phrases.push_back({f[0], f[1], f[2]});
    }

    // Every recording the conditions need, made in parallel.
    struct Job {
        QString file, language, text;
        Voice voice;
    };
    std::vector<Job> jobs;
    const Voice model{QString(), kModelSpeed};
    for (const Phrase &p : phrases) {
        jobs.push_back({waveName(folder, p.language, p.text, model), p.language, p.text, model});
        for (const Voice &v : kTakeVoices) {
            jobs.push_back({waveName(folder, p.language, p.text, v), p.language, p.text, v});
            jobs.push_back(
                {waveName(folder, p.language, p.swapped, v), p.language, p.swapped, v});
        }
    }
    std::fprintf(stderr, "%zu recordings in %s\n", jobs.size(), qPrintable(folder));
    QtConcurrent::blockingMap(jobs, [](const Job &j) {
        if (!speak(j.file, j.language, j.text, j.voice))
            std::fprintf(stderr, "espeak-ng failed: %s\n", qPrintable(j.text));
    });

    // The pairs of every condition, compared in parallel.
    struct Pair {
        QString condition;
        int phrase;
        int voice;
        voice::Wave model, take;
        Outcome outcome;
    };
    std::vector<Pair> pairs;
    std::mt19937 random(20261209);
    const int count = static_cast<int>(phrases.size());
    for (int i = 0; i < count; ++i) {
        const Phrase &p = phrases[static_cast<size_t>(i)];
        const voice::Wave modelWave = readWave(waveName(folder, p.language, p.text, model));
        // Another phrase of the same language, some way down the list.
        int other = i;
        for (int step = 7; step < count; ++step) {
            const int j = (i + step) % count;
            if (phrases[static_cast<size_t>(j)].language == p.language) {
                other = j;
                break;
            }
        }
        for (int v = 0; v < 4; ++v) {
            const Voice &voice = kTakeVoices[v];
            const voice::Wave correct = readWave(waveName(folder, p.language, p.text, voice));
            const voice::Wave swapped = readWave(waveName(folder, p.language, p.swapped, voice));
            const Phrase &o = phrases[static_cast<size_t>(other)];
            const voice::Wave different = readWave(waveName(folder, o.language, o.text, voice));
            pairs.push_back({QStringLiteral("correct"), i, v, modelWave,
                             asRecorded(correct, 0, random), {}});
            pairs.push_back({QStringLiteral("correct, noise -20 dB"), i, v, modelWave,
                             asRecorded(correct, 20, random), {}});
            pairs.push_back({QStringLiteral("correct, noise -5 dB"), i, v, modelWave,
                             asRecorded(correct, 5, random), {}});
            pairs.push_back({QStringLiteral("one word swapped"), i, v, modelWave,
                             asRecorded(swapped, 0, random), {}});
            pairs.push_back({QStringLiteral("different phrase"), i, v, modelWave,
                             asRecorded(different, 0, random), {}});
        }
        voice::Wave quiet;
        quiet.rate = modelWave.rate;
        quiet.samples.assign(static_cast<size_t>(modelWave.rate * 3), 0.0f);
        pairs.push_back({QStringLiteral("silence"), i, 0, modelWave, quiet, {}});
        voice::Wave fan = quiet;
        fan.samples = fanNoise(fan.samples.size(), fan.rate, decibels(-44), random);
        pairs.push_back({QStringLiteral("fan noise -44 dBFS"), i, 0, modelWave, fan, {}});
        voice::Wave brown = quiet;
        brown.samples = fanNoise(brown.samples.size(), brown.rate, decibels(-44), random, false);
        pairs.push_back({QStringLiteral("brown noise -44 dBFS"), i, 0, modelWave, brown, {}});
        voice::Wave pink = quiet;
        pink.samples = pinkNoise(pink.samples.size(), decibels(-44), random);
        pairs.push_back({QStringLiteral("pink noise -44 dBFS"), i, 0, modelWave, pink, {}});
    }
    QtConcurrent::blockingMap(pairs, [](Pair &p) { p.outcome = compare(p.model, p.take); });

    std::map<QString, std::vector<Outcome>> byCondition;
    std::map<std::pair<int, int>, int> correctFigure;
    for (const Pair &p : pairs) {
        byCondition[p.condition].push_back(p.outcome);
        if (p.condition == QLatin1String("correct"))
            correctFigure[{p.phrase, p.voice}] = std::max(0, p.outcome.figure);
    }
    report(QStringLiteral("correct"), byCondition[QStringLiteral("correct")], 70, -1);
    report(QStringLiteral("correct, noise -20 dB"),
           byCondition[QStringLiteral("correct, noise -20 dB")], 70, -1);
    report(QStringLiteral("correct, noise -5 dB"),
           byCondition[QStringLiteral("correct, noise -5 dB")], -1, -1);
    report(QStringLiteral("one word swapped"), byCondition[QStringLiteral("one word swapped")],
           -1, -1);
    report(QStringLiteral("different phrase"), byCondition[QStringLiteral("different phrase")],
           -1, 40);
    for (const char *quiet :
         {"silence", "fan noise -44 dBFS", "brown noise -44 dBFS", "pink noise -44 dBFS"})
        report(QString::fromLatin1(quiet), byCondition[QString::fromLatin1(quiet)], -1, 0);
    int lower = 0, swappedPairs = 0;
    std::vector<int> drops;
    for (const Pair &p : pairs) {
        if (p.condition != QLatin1String("one word swapped"))
            continue;
        const int drop = correctFigure[{p.phrase, p.voice}] - std::max(0, p.outcome.figure);
        drops.push_back(drop);
        ++swappedPairs;
        if (drop >= 10)
            ++lower;
    }
    std::printf("one word swapped: the figure drops by p10 %d, median %d, p90 %d; by 10 or more "
                "in %.1f%% of %d pairs\n",
                percentile(drops, 0.1), percentile(drops, 0.5), percentile(drops, 0.9),
                100.0 * lower / std::max(1, swappedPairs), swappedPairs);
    // Per voice, to see whether one voice is favoured.
    for (int v = 0; v < 4; ++v) {
        std::vector<Outcome> mine;
        for (const Pair &p : pairs)
            if (p.condition == QLatin1String("correct") && p.voice == v)
                mine.push_back(p.outcome);
        report(QStringLiteral("correct, voice ") + kTakeVoices[v].variant, mine, 70, -1);
    }

    // The time one comparison of a 5-second pair takes (the phrases of one
    // language one after another, by the model's voice and by a take's).
    voice::Wave longModel, longTake;
    for (const Phrase &p : phrases) {
        const voice::Wave m = readWave(waveName(folder, p.language, p.text, model));
        const voice::Wave t = readWave(waveName(folder, p.language, p.text, kTakeVoices[1]));
        longModel.rate = m.rate;
        longTake.rate = t.rate;
        longModel.samples.insert(longModel.samples.end(), m.samples.begin(), m.samples.end());
        longTake.samples.insert(longTake.samples.end(), t.samples.begin(), t.samples.end());
        if (longModel.milliseconds() >= 5000)
            break;
    }
    longModel.samples.resize(static_cast<size_t>(longModel.rate) * 5);
    longTake.samples.resize(static_cast<size_t>(longTake.rate) * 5);
    std::vector<qint64> times;
    for (int run = 0; run < 15; ++run) {
        // The thread's own processor time: a busy machine does not count.
        timespec start{}, end{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
        const voice::Comparison c = voice::Compare(longModel, longTake);
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
        times.push_back((end.tv_sec - start.tv_sec) * 1000000LL +
                        (end.tv_nsec - start.tv_nsec) / 1000);
        if (c.verdict != voice::Verdict::Figure)
            std::fprintf(stderr, "the 5-second pair got no figure\n");
    }
    std::sort(times.begin(), times.end());
    std::printf("comparing a 5-second pair: median %.1f ms (goal: under 50 ms)\n",
                times[times.size() / 2] / 1000.0);
    return 0;
}
