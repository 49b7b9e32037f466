#include "class_data/class_cluster.h"

#include "frame/mod_main.h"
#include "platform/ado.h"
#include "support/test_env.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUuid>

#include <algorithm>

#include <signal.h>

namespace {

// Started before the first test and ended after the last.
class ClusterEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ClassCluster::Get().Start(); }
    void TearDown() override { ClassCluster::Get().Stop(); }
};

const bool registered = [] {
    // The server library the program would load from its own folder.
    qputenv("TVX_CLASS_SERVER_LIBRARY", TVX_CLASS_SERVER_MODULE);
    ::testing::AddGlobalTestEnvironment(new ClusterEnvironment);
    return true;
}();

int runScript(const QStringList &args, QString *output = nullptr) {
    QProcess script;
    script.setProcessChannelMode(QProcess::MergedChannels);
    script.start(QStringLiteral("bash"), QStringList{QStringLiteral(TVX_CLUSTER_SCRIPT)} + args);
    if (!script.waitForFinished(120000))
        return -1;
    if (output)
        *output = QString::fromUtf8(script.readAll());
    return script.exitStatus() == QProcess::NormalExit ? script.exitCode() : -1;
}

} // namespace

ClassCluster &ClassCluster::Get() {
    static ClassCluster cluster;
    (void)registered;
    return cluster;
}

// True when the cluster of a settings file is up: its server's process lives.
static bool clusterAlive(const QString &envFile) {
    QFile file(envFile);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QString dir;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("DIR=")))
            dir = line.mid(4);
    QFile pidFile(dir + QStringLiteral("/data/postmaster.pid"));
    if (dir.isEmpty() || !pidFile.open(QIODevice::ReadOnly))
        return false;
    const qint64 pid = QString::fromLatin1(pidFile.readLine()).trimmed().toLongLong();
    return pid > 0 && ::kill(pid_t(pid), 0) == 0;
}

void ClassCluster::Start() {
    m_envFile =
        qEnvironmentVariable("TVX_CLASS_SERVER_ENV", QStringLiteral(TVX_CLASS_SERVER_ENV_FILE));
    if (!clusterAlive(m_envFile)) {
        // Run by hand: a cluster of this process's own.
        m_envFile =
            QDir::tempPath() +
            QStringLiteral("/classserver-tests-%1.env").arg(QCoreApplication::applicationPid());
        QString output;
        const int code = runScript({QStringLiteral("start"), m_envFile}, &output);
        if (code != 0) {
            m_whyNot = code == 77 ? QStringLiteral("PostgreSQL is not installed: ") + output
                                  : QStringLiteral("The test cluster did not start: ") + output;
            return;
        }
        m_own = true;
    }
    QFile file(m_envFile);
    if (!file.open(QIODevice::ReadOnly)) {
        m_whyNot = QStringLiteral("The test cluster's settings cannot be read.");
        return;
    }
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0)
            m_env.insert(line.left(eq), line.mid(eq + 1));
    }
    m_available = true;
    m_running = true;
}

void ClassCluster::Stop() {
    if (m_own)
        runScript({QStringLiteral("remove"), m_envFile});
}

classData::ServerSettings ClassCluster::Owner() const {
    return {QStringLiteral("127.0.0.1"), m_env.value(QStringLiteral("PORT")).toInt(),
            m_env.value(QStringLiteral("DATABASE")), m_env.value(QStringLiteral("OWNER")),
            m_env.value(QStringLiteral("OWNER_PASSWORD"))};
}

classData::ServerSettings ClassCluster::Lab() const {
    return {QStringLiteral("127.0.0.1"), m_env.value(QStringLiteral("PORT")).toInt(),
            m_env.value(QStringLiteral("DATABASE")), m_env.value(QStringLiteral("LAB")),
            m_env.value(QStringLiteral("LAB_PASSWORD"))};
}

classData::ServerSettings ClassCluster::Super() const {
    return {m_env.value(QStringLiteral("SOCKET")), m_env.value(QStringLiteral("PORT")).toInt(),
            m_env.value(QStringLiteral("DATABASE")), m_env.value(QStringLiteral("SUPERUSER")),
            QString()};
}

bool ClassCluster::Control(const QString &what) {
    const bool ok = runScript({what, m_envFile}) == 0;
    if (ok)
        m_running = what == QLatin1String("resume");
    return ok;
}

void ClassCluster::Reset() {
    if (!m_running)
        Control(QStringLiteral("resume"));
    Super_Query(
        QStringLiteral("DROP TABLE IF EXISTS tvx_schema, tvx_computers, tvx_students, tvx_scores, "
                       "tvx_launches, tvx_launch_entries, tvx_results, made_by_hand CASCADE"));
}

QVector<classData::ServerRow> ClassCluster::Super_Query(const QString &sql,
                                                        const QVariantList &params) {
    return Connect(Super())->Query(sql, params);
}

qint64 ClassCluster::Count(const QString &table) {
    // Names of our own tables only, written by the tests.
    return Super_Query(QStringLiteral("SELECT count(*) FROM ") + table)
        .value(0)
        .value(0)
        .toLongLong();
}

std::unique_ptr<classData::ClassServer> Connect(const classData::ServerSettings &settings) {
    auto server = classData::New_Class_Server();
    server->Connect(settings);
    return server;
}

void Make_Users(const QString &path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::remove(path);
    ASSERT_TRUE(QFile::copy(TestEnv::builtProgramFolder() + QStringLiteral("Tolvanex.tpl"), path));
    QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void Add_Rows(const QString &path, int scores, int launches, int results, const QString &student) {
    ado::Connection db;
    db.Open(modMain::Get_Template_Connection_String(path));
    db.Execute(QStringLiteral("BEGIN"));
    for (int i = 0; i < scores; ++i)
        db.Execute(QStringLiteral("INSERT INTO tblscores (tName, tActivity, tSubject, textScore, "
                                  "numberScore, nDate, nTime) VALUES (?, ?, ?, ?, ?, ?, ?)"),
                   {student, QStringLiteral("Tarjetas"), QStringLiteral("Colori"),
                    i % 7 == 0 ? QVariant(QStringLiteral("bien")) : QVariant(),
                    double(i % 100) + 0.5, 20261201 + i % 28, 36000 + i});
    const QString base = QUuid::createUuid().toString(QUuid::WithoutBraces);
    for (int l = 0; l < launches; ++l) {
        const QString id = base + QStringLiteral("-%1").arg(l);
        db.Execute(QStringLiteral("INSERT INTO tblLaunches (tLaunch, tStudyFile, tName, tSubject, "
                                  "nDate, nTime) VALUES (?, ?, ?, ?, ?, ?)"),
                   {id, QStringLiteral("~tvx77.txt"), student, QStringLiteral("Colori"),
                    20261201 + l % 28, 30000 + l});
        for (int e = 1; e <= 10; ++e)
            db.Execute(QStringLiteral("INSERT INTO tblLaunchEntries (fkLaunch, nEntry, "
                                      "tSourceFile, nPhraseNo, tPhrase, tTranslation, "
                                      "tTranslation2) VALUES ((SELECT pkLaunchID FROM tblLaunches "
                                      "WHERE tLaunch = ?), ?, ?, ?, ?, ?, ?)"),
                       {id, e, QStringLiteral("Colori.ito"), e, QStringLiteral("rosso %1").arg(e),
                        QStringLiteral("rojo"), QString()});
    }
    for (int r = 0; r < results; ++r) {
        const int l = launches ? r % launches : 0;
        db.Execute(QStringLiteral("INSERT INTO tblResults (tStudyFile, tLaunch, nEntry, nGrade, "
                                  "nDate, nTime, nSeconds) VALUES (?, ?, ?, ?, ?, ?, ?)"),
                   {QStringLiteral("~tvx77.txt"), base + QStringLiteral("-%1").arg(l),
                    r / std::max(1, launches) % 10 + 1, r % 4 + 1, 20261201 + l % 28, 30001 + l,
                    2.5});
    }
    db.Execute(QStringLiteral("COMMIT"));
}
