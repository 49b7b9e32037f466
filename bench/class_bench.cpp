// The class server's speed, against a private PostgreSQL cluster that this
// program starts (scripts/class_server_cluster.sh) and removes at its end.
//
//   tvx-class-bench [--runs N]
//
// C1  pushing 10,000 result rows of a new computer, against a bare libpq
//     program doing the same inserts (one prepared statement per row) in one
//     transaction. Goal: at most 1.5 times the bare one.
// C2  the progress viewer's view by student on the whole class of 30
//     computers (1,000 score rows each, a student each): the class file
//     brought up to date from the server and the view built, against the
//     same view built on one local file holding the same rows. Goal: under
//     2 times. The first reading of the class (every row new) is printed
//     beside it.
#include "class_data/class_server.h"
#include "class_data/class_sync.h"
#include "frame/mod_main.h"
#include "platform/ado.h"
#include "students/score_views.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>

#include <libpq-fe.h>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

QMap<QString, QString> g_env;

int script(const QString &what, const QString &envFile) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QStringLiteral("bash"), {QStringLiteral(TVX_CLUSTER_SCRIPT), what, envFile});
    p.waitForFinished(120000);
    return p.exitCode();
}

classData::ServerSettings lab() {
    return {QStringLiteral("127.0.0.1"), g_env.value(QStringLiteral("PORT")).toInt(),
            g_env.value(QStringLiteral("DATABASE")), g_env.value(QStringLiteral("LAB")),
            g_env.value(QStringLiteral("LAB_PASSWORD"))};
}

classData::ServerSettings owner() {
    classData::ServerSettings s = lab();
    s.user = g_env.value(QStringLiteral("OWNER"));
    s.password = g_env.value(QStringLiteral("OWNER_PASSWORD"));
    return s;
}

void makeUsers(const QString &path, const QString &student, int scores, int results) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::remove(path);
    QFile::copy(QStringLiteral(TVX_PROGRAM_DIR "/Tolvanex.tpl"), path);
    QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    ado::Connection db;
    db.Open(modMain::Get_Template_Connection_String(path));
    db.Execute(QStringLiteral("BEGIN"));
    const QStringList names = student.split(QLatin1Char(' '));
    if (!student.isEmpty())
        db.Execute(
            QStringLiteral("INSERT INTO tblUsers (tFirstname, tLastname, nIcon) VALUES (?, ?, 1)"),
            {names.value(0), names.value(1)});
    for (int i = 0; i < scores; ++i)
        db.Execute(QStringLiteral("INSERT INTO tblscores (tName, tActivity, tSubject, numberScore, "
                                  "nDate, nTime) VALUES (?, ?, ?, ?, ?, ?)"),
                   {student, QStringLiteral("Activity %1").arg(i % 30),
                    QStringLiteral("Subject %1").arg(i % 50), double(i % 100), 20261201 + i % 28,
                    36000 + i});
    const QString launch = QUuid::createUuid().toString(QUuid::WithoutBraces);
    for (int r = 0; r < results; ++r)
        db.Execute(QStringLiteral("INSERT INTO tblResults (tStudyFile, tLaunch, nEntry, nGrade, "
                                  "nDate, nTime, nSeconds) VALUES (?, ?, ?, ?, ?, ?, ?)"),
                   {QStringLiteral("~tvx1.txt"), launch, r % 10 + 1, r % 4 + 1, 20261201,
                    30000 + r % 50000, 2.5});
    db.Execute(QStringLiteral("COMMIT"));
}

// The bare reference of C1: the same rows, read from the same file, one
// prepared insert per row, in one transaction.
double barePush(const QString &usersPath, const QString &computer) {
    QElapsedTimer t;
    t.start();
    const classData::ServerSettings s = lab();
    const QByteArray conninfo = QStringLiteral("host=%1 port=%2 dbname=%3 user=%4 password=%5")
                                    .arg(s.host)
                                    .arg(s.port)
                                    .arg(s.database, s.user, s.password)
                                    .toUtf8();
    PGconn *conn = PQconnectdb(conninfo.constData());
    PQclear(PQexec(conn, "BEGIN"));
    PQclear(PQprepare(conn, "row",
                      "INSERT INTO tvx_results (computer, local_key, study_file, launch_id, "
                      "entry, grade, n_date, n_time, seconds) VALUES ($1, $2, $3, $4, $5, $6, $7, "
                      "$8, $9) ON CONFLICT DO NOTHING",
                      9, nullptr));
    ado::Connection db;
    db.Open(modMain::Get_Template_Connection_String(usersPath));
    ado::Reader r(db, QStringLiteral("SELECT pkResultID, tStudyFile, tLaunch, nEntry, nGrade, "
                                     "nDate, nTime, nSeconds FROM tblResults ORDER BY "
                                     "pkResultID"));
    const QByteArray who = computer.toUtf8();
    while (r.Next()) {
        QByteArray v[9];
        v[0] = who;
        for (int c = 0; c < 8; ++c)
            v[c + 1] = r.Value(c).toString().toUtf8();
        const char *values[9];
        for (int c = 0; c < 9; ++c)
            values[c] = v[c].constData();
        PQclear(PQexecPrepared(conn, "row", 9, values, nullptr, nullptr, 0));
    }
    PQclear(PQexec(conn, "COMMIT"));
    PQfinish(conn);
    return t.nsecsElapsed() / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void result(const char *id, const std::vector<double> &ours, const std::vector<double> &bare,
            const QString &extra = QString()) {
    const double o = median(ours), b = median(bare);
    std::printf("RESULT %s ours_ms=%.2f bare_ms=%.2f ratio=%.2f%s\n", id, o, b, o / b,
                extra.toUtf8().constData());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    int runs = 5;
    const QStringList args = app.arguments();
    if (const qsizetype at = args.indexOf(QStringLiteral("--runs")); at > 0 && at + 1 < args.size())
        runs = std::max(1, args[at + 1].toInt());
    qputenv("TVX_CLASS_SERVER_LIBRARY", TVX_CLASS_SERVER_MODULE);

    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/classserver-bench-XXXXXX"));
    const QString envFile = dir.path() + QStringLiteral("/cluster.env");
    if (const int code = script(QStringLiteral("start"), envFile); code != 0) {
        std::fprintf(stderr, code == 77 ? "PostgreSQL is not installed.\n"
                                        : "The private cluster did not start.\n");
        return 1;
    }
    QFile file(envFile);
    file.open(QIODevice::ReadOnly);
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')))
        if (const qsizetype eq = line.indexOf(QLatin1Char('=')); eq > 0)
            g_env.insert(line.left(eq), line.mid(eq + 1));
    int status = 0;
    try {
        auto ownerServer = classData::New_Class_Server();
        ownerServer->Connect(owner());
        classData::Ensure_Schema(*ownerServer);
        auto server = classData::New_Class_Server();
        server->Connect(lab());
        classData::Ensure_Schema(*server);

        // C1: each run a computer the server has not seen.
        const QString model = dir.path() + QStringLiteral("/model/Users.dat");
        makeUsers(model, QString(), 0, 10000);
        std::vector<double> ours, bare;
        for (int run = 0; run <= runs; ++run) {
            const QString mine = dir.path() + QStringLiteral("/c1-%1/Users.dat").arg(run);
            QDir().mkpath(QFileInfo(mine).absolutePath());
            QFile::copy(model, mine);
            classData::Computer_Id(mine); // made before the clock starts
            QElapsedTimer t;
            t.start();
            const classData::PushCount pushed = classData::Push(*server, mine);
            const double ms = t.nsecsElapsed() / 1e6;
            const double b = barePush(model, QUuid::createUuid().toString(QUuid::WithoutBraces));
            if (pushed.results != 10000) {
                std::fprintf(stderr, "WARNING C1: %d rows pushed\n", pushed.results);
                status = 2;
            }
            if (run == 0)
                continue; // warming up
            ours.push_back(ms);
            bare.push_back(b);
        }
        result("C1", ours, bare, QStringLiteral(" rows=10000"));

        // C2: thirty computers' rows on the server.
        QStringList computers;
        for (int i = 0; i < 30; ++i) {
            computers << dir.path() + QStringLiteral("/pc%1/Users.dat").arg(i);
            makeUsers(computers.last(),
                      QStringLiteral("Student %1").arg(i, 2, 10, QLatin1Char('0')), 1000, 0);
            classData::Push(*server, computers.last());
        }
        // The viewer's computer knows the class's students.
        classData::Pull_Students(*server, computers[0]);
        const QString classFile = dir.path() + QStringLiteral("/pc0/Class.dat");
        const QString templatePath = QStringLiteral(TVX_PROGRAM_DIR "/Tolvanex.tpl");
        QElapsedTimer cold;
        cold.start();
        classData::Refresh_Class_File(server.get(), computers[0], classFile, templatePath);
        const double coldMs = cold.nsecsElapsed() / 1e6;
        // The same rows in one local file.
        const QString local = dir.path() + QStringLiteral("/local/Users.dat");
        QDir().mkpath(QFileInfo(local).absolutePath());
        QFile::copy(classFile, local);
        ours.clear();
        bare.clear();
        int oursNodes = 0, bareNodes = 0;
        for (int run = 0; run <= runs; ++run) {
            QElapsedTimer t;
            t.start();
            classData::Refresh_Class_File(server.get(), computers[0], classFile, templatePath);
            const scores::ViewTree tree =
                scores::ScoreViews(classFile, scores::DateForms{}).Build_View(scores::ByStudent);
            const double ms = t.nsecsElapsed() / 1e6;
            t.restart();
            const scores::ViewTree same =
                scores::ScoreViews(local, scores::DateForms{}).Build_View(scores::ByStudent);
            const double b = t.nsecsElapsed() / 1e6;
            oursNodes = int(tree.firstLevel.size() * (1 + tree.secondLevel.size()));
            bareNodes = int(same.firstLevel.size() * (1 + same.secondLevel.size()));
            if (run == 0)
                continue;
            ours.push_back(ms);
            bare.push_back(b);
        }
        if (oursNodes != bareNodes || oursNodes != 30 * 31) {
            std::fprintf(stderr, "WARNING C2: nodes ours %d, bare %d\n", oursNodes, bareNodes);
            status = 2;
        }
        result("C2", ours, bare,
               QStringLiteral(" nodes=%1/%2 first_read_ms=%3")
                   .arg(oursNodes)
                   .arg(bareNodes)
                   .arg(coldMs, 0, 'f', 1));
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        status = 1;
    }
    script(QStringLiteral("remove"), envFile);
    return status;
}
