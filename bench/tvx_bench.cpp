// tvx-bench: how fast the program's own code is against a bare reference that
// does the same work with Qt Widgets and SQLite directly. Every workload runs
// on both sides, alternately, after one warm-up run each; the summary line of
// a workload reads
//   RESULT <id> ours_ms=<median> bare_ms=<median> ratio=<ours/bare> nodes=<ours>/<bare>
//
// S1 times whole processes instead: the program started until its login
// window has painted on the 1,000-subject folder, against tvx-bench-start,
// with each side's peak memory.
//
//   tvx-bench [S1 W1 W1s W2 W3 W4 W5 W5b W6 W6b ...] [--runs N] [--rebuild]
//             [--program <executable>]
#include "bare.h"
#include "bench_data.h"
#include "ours.h"
#include "workload.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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

// --- S1: whole starts ---

struct StartRun {
    double ms = -1;      // exec to the marker line
    double waitedMs = 0; // what the program says it spent waiting
    double peakMiB = -1; // the process's peak resident memory
    QString problem;
};

// Starts command in environment and times it until it prints
// "tvx-first-paint"; then waits for its end and reads its peak memory.
StartRun timeStart(const QStringList &command, const QStringList &environment) {
    StartRun result;
    std::vector<QByteArray> words;
    for (const QString &word : command)
        words.push_back(QFile::encodeName(word));
    std::vector<QByteArray> variables;
    for (const QString &variable : environment)
        variables.push_back(variable.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    std::vector<char *> envp;
    for (QByteArray &v : variables)
        envp.push_back(v.data());
    envp.push_back(nullptr);

    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        result.problem = QStringLiteral("no pipe");
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    pid_t pid = 0;
    QElapsedTimer clock;
    clock.start();
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (rc != 0) {
        ::close(out[0]);
        result.problem = QStringLiteral("cannot start ") + command.first();
        return result;
    }
    QByteArray seen;
    while (result.ms < 0) {
        pollfd p{out[0], POLLIN, 0};
        if (::poll(&p, 1, 60000) <= 0)
            break;
        char buffer[512];
        const ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        seen.append(buffer, n);
        // "tvx-first-paint" and, from the program, the milliseconds it waited.
        const qsizetype at = seen.indexOf("tvx-first-paint");
        const qsizetype end = at < 0 ? -1 : seen.indexOf('\n', at);
        if (end >= 0) {
            result.ms = double(clock.nsecsElapsed()) / 1e6;
            result.waitedMs = seen.mid(at + 15, end - at - 15).trimmed().toDouble();
        }
    }
    ::close(out[0]);
    if (result.ms < 0) {
        ::kill(pid, SIGTERM);
        result.problem = command.first() + QStringLiteral(" never painted its window");
    }
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    result.peakMiB = double(usage.ru_maxrss) / 1024.0;
    if (result.problem.isEmpty() && !(WIFEXITED(status) && WEXITSTATUS(status) == 0))
        result.problem = command.first() + QStringLiteral(" ended with status %1").arg(status);
    return result;
}

// Copies file to target unless an equal copy is there.
void refreshCopy(const QString &file, const QString &target) {
    const QFileInfo from(file);
    const QFileInfo to(target);
    if (to.exists() && to.size() == from.size() && to.lastModified() >= from.lastModified())
        return;
    QFile::remove(target);
    if (!QFile::copy(file, target))
        throw std::runtime_error(("cannot copy " + file + " to " + target).toStdString());
}

bool runStartCase(const bench::DataSet &data, const bench::TreeFacts &facts,
                  const QString &programFile, int runs) {
    out(QString());
    out(QStringLiteral("S1  whole start: exec to the login window painted, 1,000 subjects, "
                       "100 students"));
    // The program reads its folder from where it lies: a copy runs from the
    // data set's program folder, with its voice module beside it.
    const QString program = data.programFolder + QStringLiteral("tolvanex");
    refreshCopy(programFile, program);
    const QString module =
        QFileInfo(programFile).absolutePath() + QStringLiteral("/libtvx-voice.so");
    if (QFileInfo::exists(module))
        refreshCopy(module, data.programFolder + QStringLiteral("libtvx-voice.so"));
    // A user of its own, who has started the program before (the warm-up).
    const QString home = data.root + QStringLiteral("start-home/");
    for (const char *dir : {"", "config", "data", "cache", "tmp"})
        QDir().mkpath(home + QLatin1String(dir));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("data"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("cache"));
    env.insert(QStringLiteral("TMPDIR"), home + QStringLiteral("tmp"));
    QDir().mkpath(home + QStringLiteral("runtime"));
    QFile::setPermissions(home + QStringLiteral("runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("runtime"));
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    env.insert(QStringLiteral("TVX_REPORT_FIRST_PAINT"), QStringLiteral("1"));
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QApplication::platformName());
    const QStringList environment = env.toStringList();
    const QStringList oursCommand{program};
    const QStringList bareCommand{QStringLiteral(TVX_BENCH_START),
                                  data.programFolder,
                                  facts.installedFolder,
                                  facts.virtualFolder,
                                  facts.shortCode,
                                  facts.subjectPassword,
                                  facts.languageCode,
                                  facts.learnerLanguage};

    QVector<double> oursMs, oursBeyond, bareMs, oursPeak, barePeak;
    QString problem;
    // The start-up's one-second wait lasts from half a second to one and a
    // half, by the clock's second: each run's own wait is taken off.
    QVector<double> unused;
    const auto one = [&](const QStringList &command, QVector<double> &ms, QVector<double> &beyond,
                         QVector<double> &peak, int run) {
        const StartRun r = timeStart(command, environment);
        if (!r.problem.isEmpty() && problem.isEmpty())
            problem = r.problem;
        if (run > 0 && r.ms >= 0) {
            ms << r.ms;
            beyond << r.ms - r.waitedMs;
            peak << r.peakMiB;
        }
    };
    for (int run = 0; run <= runs; ++run) {
        if (run % 2 == 0) {
            one(oursCommand, oursMs, oursBeyond, oursPeak, run);
            one(bareCommand, bareMs, unused, barePeak, run);
        } else {
            one(bareCommand, bareMs, unused, barePeak, run);
            one(oursCommand, oursMs, oursBeyond, oursPeak, run);
        }
    }
    const Stats o = statsOf(oursMs);
    const Stats b = statsOf(bareMs);
    const double beyond = statsOf(oursBeyond).median;
    const double ratio = b.median > 0 ? beyond / b.median : 0.0;
    const double oPeak = statsOf(oursPeak).median;
    const double bPeak = statsOf(barePeak).median;
    out(QStringLiteral("           %1 %2 %3   (ms, %4 runs after 1 warm-up)")
            .arg(QStringLiteral("median"), 10)
            .arg(QStringLiteral("min"), 10)
            .arg(QStringLiteral("max"), 10)
            .arg(runs));
    for (const auto &[name, s, peak] : {std::tuple{"ours", o, oPeak}, std::tuple{"bare", b, bPeak}})
        out(QStringLiteral("    %1   %2 %3 %4   %5 MiB peak")
                .arg(QLatin1String(name))
                .arg(number(s.median), 10)
                .arg(number(s.min), 10)
                .arg(number(s.max), 10)
                .arg(number(peak)));
    out(QStringLiteral("    ours beyond its one-second wait %1 ms (median); ratio to bare %2; "
                       "peak memory %3 MiB above bare")
            .arg(number(beyond), number(ratio), number(oPeak - bPeak)));
    if (!problem.isEmpty())
        out(QStringLiteral("WARNING S1: %1").arg(problem));
    out(QStringLiteral("RESULT S1 ours_ms=%1 beyond_wait_ms=%2 bare_ms=%3 ratio=%4 "
                       "peak_mib=%5/%6")
            .arg(number(o.median), number(beyond), number(b.median), number(ratio), number(oPeak),
                 number(bPeak)));
    return problem.isEmpty();
}

void usage(const QList<Case> &cases) {
    std::fprintf(stderr, "usage: tvx-bench [WORKLOAD...] [--runs N] [--rebuild] "
                         "[--program <executable>]\n\n");
    std::fprintf(stderr, "  S1   whole start: exec to the login window painted (11 runs)\n");
    for (const Case &c : cases)
        std::fprintf(stderr, "  %-4s %s (%d runs)\n", qPrintable(c.id), qPrintable(c.title),
                     c.runs);
    std::fprintf(stderr, "\n  --runs N   timed runs of every workload (after one warm-up)\n"
                         "  --rebuild  make the data set again\n"
                         "  --program  the executable S1 starts (the one built by default)\n");
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
        bool wholeStart = false;
        QString programFile = QStringLiteral(TVX_PROGRAM_FILE);
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
            } else if (arg == QLatin1String("--program") && i + 1 < args.size()) {
                programFile = args[++i];
            } else if (arg.compare(QLatin1String("S1"), Qt::CaseInsensitive) == 0) {
                wholeStart = true;
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
        if (chosen.isEmpty() && !wholeStart) {
            wholeStart = true;
            for (const Case &c : cases)
                chosen << &c;
        }

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
        if (wholeStart)
            agreed = runStartCase(data, facts, programFile, runs > 0 ? runs : 11);
        for (const Case *c : chosen)
            agreed = runCase(*c, runs > 0 ? runs : c->runs) && agreed;
        return agreed ? 0 : 2;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "tvx-bench: %s\n", e.what());
        return 1;
    }
}
