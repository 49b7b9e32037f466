// tvx-bench: how fast the program's own code is against a bare reference that
// does the same work with Qt Widgets and SQLite directly. Every workload runs
// on both sides, alternately, after one warm-up run each; the summary line of
// a workload reads
//   RESULT <id> ours_ms=<median> bare_ms=<median> ratio=<ours/bare> nodes=<ours>/<bare>
//
//   tvx-bench [W1 W1s W2 W3 W4 W5 W5b W6 W6b ...] [--runs N] [--rebuild]
#include "bare.h"
#include "bench_data.h"
#include "ours.h"
#include "workload.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <tuple>
#include <utility>

namespace {

using bench::Workload;
using Factory = std::function<std::unique_ptr<Workload>()>;

struct Case {
    QString id;
    QString title;
    int runs; // timed runs, after one warm-up
    Factory ours;
    Factory bare;
};

struct Side {
    QVector<double> ms;
    QList<QStringList> shown; // texts under the clicked node, per run
    int nodes = -1;
    bool nodesVaried = false;
    QString problem;
};

struct Stats {
    double median = 0, min = 0, max = 0;
};

Stats statsOf(QVector<double> values) {
    std::sort(values.begin(), values.end());
    Stats s;
    if (values.isEmpty())
        return s;
    const qsizetype n = values.size();
    s.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
    s.min = values.front();
    s.max = values.back();
    return s;
}

void out(const QString &line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

void measure(Workload &workload, int run, Side &side) {
    workload.prepare(run);
    QElapsedTimer clock;
    clock.start();
    workload.run();
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    const int nodes = workload.nodes();
    const QString problem = workload.problem();
    side.shown << workload.shownTexts();
    workload.cleanup();
    if (run > 0)
        side.ms << ms;
    if (side.nodes >= 0 && side.nodes != nodes)
        side.nodesVaried = true;
    side.nodes = nodes;
    if (!problem.isEmpty() && side.problem.isEmpty())
        side.problem = problem;
}

QString number(double value) {
    return QString::number(value, 'f', 2);
}

// Runs one case and prints its table and RESULT line; false when the two
// sides disagree or one of them met a problem.
bool runCase(const Case &c, int runs) {
    out(QString());
    out(QStringLiteral("%1  %2").arg(c.id, c.title));
    Side ours;
    Side bare;
    {
        // Both sides are set up before either is timed, and run in turns so
        // that a slow moment of the machine hits both alike.
        const std::unique_ptr<Workload> oursWork = c.ours();
        const std::unique_ptr<Workload> bareWork = c.bare();
        for (int run = 0; run <= runs; ++run) {
            if (run % 2 == 0) {
                measure(*oursWork, run, ours);
                measure(*bareWork, run, bare);
            } else {
                measure(*bareWork, run, bare);
                measure(*oursWork, run, ours);
            }
        }
    }
    const Stats o = statsOf(ours.ms);
    const Stats b = statsOf(bare.ms);
    const double ratio = b.median > 0 ? o.median / b.median : 0.0;
    out(QStringLiteral("           %1 %2 %3   (ms, %4 runs after 1 warm-up)")
            .arg(QStringLiteral("median"), 10)
            .arg(QStringLiteral("min"), 10)
            .arg(QStringLiteral("max"), 10)
            .arg(runs));
    for (const auto &[name, s, side] : {std::tuple{"ours", o, &ours}, std::tuple{"bare", b, &bare}})
        out(QStringLiteral("    %1   %2 %3 %4   %5 nodes")
                .arg(QLatin1String(name))
                .arg(number(s.median), 10)
                .arg(number(s.min), 10)
                .arg(number(s.max), 10)
                .arg(side->nodes));
    out(QStringLiteral("    ratio  %1").arg(number(ratio), 10));

    bool agreed = true;
    if (ours.nodes != bare.nodes) {
        out(QStringLiteral("WARNING %1: the node counts differ: ours %2, bare %3")
                .arg(c.id)
                .arg(ours.nodes)
                .arg(bare.nodes));
        agreed = false;
    }
    if (ours.shown != bare.shown) {
        out(QStringLiteral("WARNING %1: the two sides show different phrases").arg(c.id));
        agreed = false;
    }
    for (const auto &[name, side] : {std::pair{"ours", &ours}, std::pair{"bare", &bare}}) {
        if (side->nodesVaried) {
            out(QStringLiteral("WARNING %1 %2: the node count changed from run to run")
                    .arg(c.id, QLatin1String(name)));
            agreed = false;
        }
        if (!side->problem.isEmpty()) {
            out(QStringLiteral("WARNING %1 %2: %3").arg(c.id, QLatin1String(name), side->problem));
            agreed = false;
        }
    }
    out(QStringLiteral("RESULT %1 ours_ms=%2 bare_ms=%3 ratio=%4 nodes=%5/%6")
            .arg(c.id, number(o.median), number(b.median), number(ratio))
            .arg(ours.nodes)
            .arg(bare.nodes));
    return agreed;
}

void usage(const QList<Case> &cases) {
    std::fprintf(stderr, "usage: tvx-bench [WORKLOAD...] [--runs N] [--rebuild]\n\n");
    for (const Case &c : cases)
        std::fprintf(stderr, "  %-4s %s (%d runs)\n", qPrintable(c.id), qPrintable(c.title),
                     c.runs);
    std::fprintf(stderr, "\n  --runs N   timed runs of every workload (after one warm-up)\n"
                         "  --rebuild  make the data set again\n");
}

} // namespace

int main(int argc, char **argv) {
    // Without a display the windows are drawn off screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    try {
        bench::ours::Init();
        const QString builtProgram = QStringLiteral(TVX_PROGRAM_DIR "/");
        const bench::BuildFacts build = bench::ours::ReadBuildFacts(builtProgram);

        // Set up lazily: a case's data is read only when it runs.
        bench::DataSet data;
        bench::TreeFacts facts;
        bench::TreeFacts largeFacts;
        bench::TreeFacts launchFacts;
        bench::TreeIcons icons;
        bench::ViewerFacts viewerFacts;
        bench::ViewerIcons viewerIcons;
        bench::MemoryDataSet memory;
        bench::MemoryFacts memoryFacts;
        const QList<Case> cases = {
            {QStringLiteral("W1"),
             QStringLiteral("start-up tree: 1,000 subjects, 20 virtual folders of 10 subjects"), 15,
             [&] { return bench::ours::StartupTree(data.programFolder, false); },
             [&] { return bench::bare::StartupTree(facts, icons, false); }},
            {QStringLiteral("W1s"),
             QStringLiteral("start-up tree behind the splash window, a progress line per subject"),
             7, [&] { return bench::ours::StartupTree(data.programFolder, true); },
             [&] { return bench::bare::StartupTree(facts, icons, true); }},
            {QStringLiteral("W2"),
             QStringLiteral("click a subject of 2,000 phrases with 50 KB sounds"), 15,
             [&] {
                 return bench::ours::OpenSubject(data.largeProgramFolder, data.largeSubjectFile);
             },
             [&] { return bench::bare::OpenSubject(largeFacts, icons, data.largeSubjectFile); }},
            {QStringLiteral("W3"), QStringLiteral("ten random phrases over the 1,000 subjects"), 15,
             [&] { return bench::ours::RandomPhrases(data.programFolder); },
             [&] { return bench::bare::RandomPhrases(facts, icons); }},
            {QStringLiteral("W4"),
             QStringLiteral("launch an activity: 10 phrases with 200 KB sounds, a program that "
                            "ends at once"),
             15,
             [&] {
                 return bench::ours::Launch(data.launchProgramFolder, data.launchSubjectFile,
                                            data.launchActivity);
             },
             [&] {
                 return bench::bare::Launch(launchFacts, data.launchSubjectFile,
                                            data.launchProgramFolder +
                                                QStringLiteral("Activities/") +
                                                data.launchActivity);
             }},
            {QStringLiteral("W5"),
             QStringLiteral("progress viewer: click a student's activity among 500,000 scores"), 15,
             [&] { return bench::ours::ShowPair(data.programFolder); },
             [&] { return bench::bare::ShowPair(viewerFacts, viewerIcons); }},
            {QStringLiteral("W5b"),
             QStringLiteral("progress viewer: the view by student, 100 students x 30 activities"),
             15, [&] { return bench::ours::BuildStudentView(data.programFolder); },
             [&] { return bench::bare::BuildStudentView(viewerFacts, viewerIcons); }},
            {QStringLiteral("W6"),
             QStringLiteral("review today: one student's 2,000 phrases among 4 million results"),
             15, [&] { return bench::ours::ReviewToday(memory.programFolder, memory.student); },
             [&] { return bench::bare::ReviewToday(memoryFacts); }},
            {QStringLiteral("W6b"),
             QStringLiteral("progress viewer: the view by phrase, 100 students x 2,000 phrases x "
                            "20 results"),
             3, [&] { return bench::ours::PhraseView(memory.programFolder); },
             [&] { return bench::bare::PhraseView(memoryFacts); }},
        };

        QList<const Case *> chosen;
        int runs = 0;
        bool rebuild = false;
        const QStringList args = QCoreApplication::arguments().mid(1);
        for (int i = 0; i < args.size(); ++i) {
            const QString &arg = args[i];
            if (arg == QLatin1String("--runs") && i + 1 < args.size()) {
                bool ok = false;
                runs = args[++i].toInt(&ok);
                if (!ok || runs < 1) {
                    usage(cases);
                    return 1;
                }
            } else if (arg == QLatin1String("--rebuild")) {
                rebuild = true;
            } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
                usage(cases);
                return 0;
            } else {
                const auto it = std::find_if(cases.begin(), cases.end(), [&](const Case &c) {
                    return c.id.compare(arg, Qt::CaseInsensitive) == 0;
                });
                if (it == cases.end()) {
                    std::fprintf(stderr, "tvx-bench: unknown workload or option '%s'\n",
                                 qPrintable(arg));
                    usage(cases);
                    return 1;
                }
                chosen << &*it;
            }
        }
        if (chosen.isEmpty())
            for (const Case &c : cases)
                chosen << &c;

        data = bench::PrepareDataSet(QDir::tempPath(),
                                     builtProgram + QStringLiteral("Tolvanex.tpl"), build, rebuild);
        facts = bench::ours::ReadTreeFacts(data.programFolder);
        largeFacts = bench::ours::ReadTreeFacts(data.largeProgramFolder);
        launchFacts = bench::ours::ReadTreeFacts(data.launchProgramFolder);
        icons = bench::ours::TreePictures();
        viewerFacts = bench::ours::ReadViewerFacts(data.programFolder);
        viewerIcons = bench::ours::ViewerPictures();
        // The per-phrase memory is large: made only when a workload reads it.
        if (std::any_of(chosen.begin(), chosen.end(),
                        [](const Case *c) { return c->id.startsWith(QLatin1String("W6")); })) {
            memory = bench::PrepareMemoryDataSet(
                QDir::tempPath(), builtProgram + QStringLiteral("Tolvanex.tpl"), build, rebuild);
            memoryFacts = bench::ours::ReadMemoryFacts(memory.programFolder, memory.student);
        }

        out(QStringLiteral("tvx-bench: build %1, platform %2, data set %3 (%4)")
                .arg(build.languageCode, QApplication::platformName(), data.root,
                     data.reused ? QStringLiteral("reused") : QStringLiteral("made now")));
        bool agreed = true;
        for (const Case *c : chosen)
            agreed = runCase(*c, runs > 0 ? runs : c->runs) && agreed;
        return agreed ? 0 : 2;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "tvx-bench: %s\n", e.what());
        return 1;
    }
}
