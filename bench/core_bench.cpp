// How fast the start-up loaders and a phrase list are. A phrase list must not
// read the recorded sounds: listing a subject stays as fast as a subject
// without sounds, whatever the size of its recordings.
#include "frame/program.h"
#include "frame/template_texts.h"
#include "platform/ado.h"
#include "platform/quiet_host.h"
#include "platform/tree_view.h"
#include "subject_data/subject_schema.h"
#include "subjects/voice_compare.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

QString makeSubject(const QTemporaryDir &dir, int soundBytes) {
    const QString path = dir.filePath(QStringLiteral("Bench%1.ito").arg(soundBytes));
    subjects::CreateSubjectFile(path, QStringLiteral("tvxito"));
    const QByteArray wave = QByteArray("RIFF") + QByteArray(soundBytes, '\x11');
    for (int n = 1; n <= 10; ++n)
        subjects::AddPhrase(path, n, QStringLiteral("Frase %1").arg(n),
                            QStringLiteral("Phrase %1").arg(n), QStringLiteral("Second %1").arg(n),
                            wave);
    return path;
}

void BM_ListPhrases(benchmark::State &state) {
    QTemporaryDir dir;
    const QString path = makeSubject(dir, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        ado::Connection connection;
        connection.Open(
            ado::ConnectionString(path, QString::fromLatin1(subjects::kSubjectPassword)));
        ado::Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM tblPhrases"), connection);
        QString tags;
        while (!rs.EOF_()) {
            tags += rs.Fields(QStringLiteral("pkPhraseNo")).Text() +
                    rs.Fields(QStringLiteral("tPhrase")).Text() +
                    rs.Fields(QStringLiteral("tTranslation")).Text() +
                    rs.Fields(QStringLiteral("tTranslation2")).Text();
            rs.MoveNext();
        }
        benchmark::DoNotOptimize(tags);
    }
}
BENCHMARK(BM_ListPhrases)->Arg(1000)->Arg(100000)->Arg(1000000);

void BM_LoadTemplateTexts(benchmark::State &state) {
    QuietHost host;
    ProgramSettings settings;
    Program program(host, settings);
    program.identity = Identity::ForCode(QStringLiteral("tvxito"));
    program.folders.programFolder = QStringLiteral(TVX_PROGRAM_DIR "/");
    for (auto _ : state) {
        templateTexts::Get_Captions(program);
        templateTexts::Get_System_Messages(program);
        templateTexts::Get_Tips(program);
        benchmark::DoNotOptimize(program.captions.Count());
    }
}
BENCHMARK(BM_LoadTemplateTexts);

// Removing a node shifts the later indexes: the cost of emptying a folder
// with many phrases one node at a time.
void BM_TreeRemoveFirstChild(benchmark::State &state) {
    for (auto _ : state) {
        TreeView tree;
        const int folder = tree.Add(0, QStringLiteral("folder"));
        for (int i = 0; i < state.range(0); ++i)
            tree.Add(folder, QStringLiteral("node"), QStringLiteral("tag"));
        while (tree.Children(folder) > 0)
            tree.Remove(tree.Child(folder));
    }
}
BENCHMARK(BM_TreeRemoveFirstChild)->Arg(100)->Arg(1000);

} // namespace

namespace {

// Five seconds of speech-like sound: syllables of voiced tone whose pitch
// glides and whose colour changes, with short pauses between them.
voice::Wave syllables(int seed) {
    voice::Wave wave;
    wave.rate = 22050;
    wave.samples.resize(5 * 22050);
    for (size_t i = 0; i < wave.samples.size(); ++i) {
        const double t = static_cast<double>(i) / wave.rate;
        const int syllable = static_cast<int>(t / 0.25);
        if (std::fmod(t, 0.25) > 0.2)
            continue;
        const double f0 = 110 + 40 * std::sin(t * 3 + seed) + 10 * syllable % 30;
        double v = 0;
        for (int h = 1; h <= 8; ++h)
            v += std::sin(2 * M_PI * f0 * h * t) / (1 + std::abs(h - 1 - (syllable + seed) % 5));
        wave.samples[i] = static_cast<float>(0.2 * v);
    }
    return wave;
}

// Analysing a learner's five-second recording against a five-second model:
// both analyses, the alignment and the figure.
void BM_CompareFiveSecondPhrases(benchmark::State &state) {
    const voice::Wave model = syllables(0);
    const voice::Wave mine = syllables(1);
    for (auto _ : state)
        benchmark::DoNotOptimize(voice::Compare(model, mine).closeness);
}
BENCHMARK(BM_CompareFiveSecondPhrases)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
