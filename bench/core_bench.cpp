// How fast the start-up loaders and a phrase list are. A phrase list must not
// read the recorded sounds: listing a subject stays as fast as a subject
// without sounds, whatever the size of its recordings.
#include "frame/program.h"
#include "frame/template_texts.h"
#include "platform/ado.h"
#include "platform/host.h"
#include "platform/tree_view.h"
#include "subjects/subject_schema.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// A host that answers nothing: the loaders only need events and a clock here.
class QuietHost : public Host {
public:
    vb::MsgBoxResult MsgBox(const QString &, int, const QString &) override { return vb::vbOK; }
    void ShowModal(QWidget &) override {}
    QString GetSaveFileName(const QString &, const QString &, const QString &) override {
        return {};
    }
    QString GetOpenFileName(const QString &, const QString &, const QString &) override {
        return {};
    }
    void OpenUrl(const QString &) override {}
    void OpenFolder(const QString &) override {}
    bool StartDetached(const QString &, const QStringList &, const QString &) override {
        return true;
    }
    void PlaySoundFile(const QString &, bool) override {}
    void PlaySoundMemory(const QByteArray &, bool) override {}
    bool IsConnected() override { return false; }
    bool DownloadFile(const QString &, const QString &, qint64) override { return false; }
    QSize ScreenSize() override { return {1280, 1024}; }
    QDateTime Now() override { return QDateTime::currentDateTime(); }
    void Randomize(quint32) override {}
    double Rnd() override { return 0.5; }
    void DoEvents() override {}
    void WaitForEvents(int) override {}
};

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

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
