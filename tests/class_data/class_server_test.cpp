// The class server against a real PostgreSQL: its tables and what the lab's
// role may do there, every kind of server away or wrong leaving the local
// work alone, pushes that give each row exactly once however often they run
// or wherever they are cut off (thirty computers at once, a server stopped
// and a pusher killed mid-push), students travelling between computers with
// the server winning a conflict, and the whole class read back.
#include "class_data/class_cluster.h"
#include "class_data/class_sync.h"
#include "frame/captions.h"
#include "frame/mod_main.h"
#include "platform/ado.h"
#include "students/score_views.h"
#include "students/student_database.h"
#include "study_data/study_results.h"
#include "support/test_env.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace classData;

namespace {

QByteArray digest(const QString &path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

std::string kindText(const std::exception &e) {
    return e.what();
}

// The failure a call throws, as the administrator reads it.
template <typename Call> ServerError failureOf(Call call) {
    try {
        call();
    } catch (const ServerError &e) {
        return e;
    }
    ADD_FAILURE() << "no ServerError";
    return ServerError(ServerError::Failed, QString());
}

qint64 localCount(const QString &path, const QString &sql) {
    ado::Connection db;
    db.Open(modMain::Get_Template_Connection_String(path));
    ado::Reader r(db, sql);
    return r.Next() ? r.Value(0).toLongLong() : -1;
}

class ClassServerTest : public ::testing::Test {
protected:
    void SetUp() override { REQUIRE_CLASS_CLUSTER(); }

    ClassCluster &cluster = ClassCluster::Get();
    TestEnv env;
    Captions captions;

    QString users(const QString &computer) const {
        return env.root() + computer + QStringLiteral("/Users.dat");
    }
    // The program's tables, made by the database's owner.
    void makeTables() { Ensure_Schema(*Connect(cluster.Owner())); }

    QProcess *startPush(const QString &usersPath, int batch = 5000) {
        auto *p = new QProcess;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("TVX_CLASS_PASSWORD"), cluster.Lab().password);
        p->setProcessEnvironment(e);
        const ServerSettings lab = cluster.Lab();
        p->start(QStringLiteral(TVX_CLASS_PUSH), {usersPath, lab.host, QString::number(lab.port),
                                                  lab.database, lab.user, QString::number(batch)});
        EXPECT_TRUE(p->waitForStarted());
        return p;
    }
    int finish(QProcess *p) {
        EXPECT_TRUE(p->waitForFinished(300000));
        const int code = p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1;
        if (code != 0)
            std::cerr << p->readAllStandardError().toStdString();
        delete p;
        return code;
    }
};

TEST_F(ClassServerTest, TheOwnerMakesTheTablesAndTheLabRoleMayOnlyReadAndAdd) {
    // Before the owner came: the lab's role may not make them, and says so.
    const ServerError none = failureOf([&] { Ensure_Schema(*Connect(cluster.Lab())); });
    EXPECT_EQ(none.kind(), ServerError::Schema);
    EXPECT_TRUE(none.description().contains(QStringLiteral("owner"))) << kindText(none);

    makeTables();
    EXPECT_EQ(cluster.Super_Query(QStringLiteral("SELECT version FROM tvx_schema"))[0][0],
              QStringLiteral("1"));
    auto lab = Connect(cluster.Lab());
    Ensure_Schema(*lab);
    EXPECT_EQ(lab->Execute(QStringLiteral("INSERT INTO tvx_scores (computer, local_key, name) "
                                          "VALUES ($1, $2, $3)"),
                           {QStringLiteral("c"), 1, QStringLiteral("O'Brien; DROP TABLE x")}),
              1);
    EXPECT_EQ(lab->Query(QStringLiteral("SELECT name FROM tvx_scores"))[0][0],
              QStringLiteral("O'Brien; DROP TABLE x"));
    for (const char *sql :
         {"CREATE TABLE made_by_hand (a int)", "DELETE FROM tvx_scores",
          "UPDATE tvx_scores SET name = 'x'", "DROP TABLE tvx_results", "TRUNCATE tvx_scores",
          "ALTER TABLE tvx_scores ADD COLUMN x int", "UPDATE tvx_students SET origin = 'x'",
          "DELETE FROM tvx_students", "UPDATE tvx_schema SET version = 0"}) {
        const ServerError refused = failureOf([&] { lab->Execute(QString::fromLatin1(sql)); });
        EXPECT_TRUE(refused.description().contains(QStringLiteral("permission denied")) ||
                    refused.description().contains(QStringLiteral("must be owner")))
            << sql << ": " << kindText(refused);
    }
    EXPECT_EQ(cluster.Count(QStringLiteral("tvx_scores")), 1);
}

TEST_F(ClassServerTest, AServerWrongOrAwayIsToldAndLeavesTheLocalWorkAlone) {
    makeTables();
    Make_Users(users(QStringLiteral("a")));
    Add_Rows(users(QStringLiteral("a")), 10, 2, 12);

    ServerSettings wrong = cluster.Lab();
    wrong.password = QStringLiteral("not-the-password-42");
    const ServerError refused = failureOf([&] { Connect(wrong); });
    EXPECT_EQ(refused.kind(), ServerError::Refused);
    EXPECT_FALSE(refused.description().contains(wrong.password));

    ServerSettings away = cluster.Lab();
    away.port = 1;
    EXPECT_EQ(failureOf([&] { Connect(away); }).kind(), ServerError::Unreachable);

    // A server of an older version: the lab's role may not upgrade it.
    cluster.Super_Query(QStringLiteral("UPDATE tvx_schema SET version = 0"));
    const QByteArray before = digest(users(QStringLiteral("a")));
    const ServerError older = failureOf([&] { Ensure_Schema(*Connect(cluster.Lab())); });
    EXPECT_EQ(older.kind(), ServerError::Schema);
    EXPECT_TRUE(older.description().contains(QStringLiteral("older version (0)")))
        << kindText(older);
    EXPECT_EQ(digest(users(QStringLiteral("a"))), before);
    EXPECT_EQ(Waiting_Rows(users(QStringLiteral("a"))), 10 + 2 + 20 + 12);
    makeTables(); // the owner upgrades it
    Ensure_Schema(*Connect(cluster.Lab()));

    // A table dropped by hand: said by name; the owner makes it again.
    cluster.Super_Query(QStringLiteral("DROP TABLE tvx_results"));
    const ServerError dropped = failureOf([&] { Ensure_Schema(*Connect(cluster.Lab())); });
    EXPECT_EQ(dropped.kind(), ServerError::Schema);
    EXPECT_TRUE(dropped.description().contains(QStringLiteral("tvx_results"))) << kindText(dropped);
    // Dropped under a computer that had checked the tables already.
    auto lab = Connect(cluster.Lab());
    EXPECT_EQ(failureOf([&] { Push(*lab, users(QStringLiteral("a"))); }).kind(),
              ServerError::Schema);
    EXPECT_EQ(localCount(users(QStringLiteral("a")), QStringLiteral("SELECT count(*) FROM "
                                                                    "tblResults")),
              12);
    makeTables();
    lab = Connect(cluster.Lab());
    Ensure_Schema(*lab);
    Push(*lab, users(QStringLiteral("a")));
    EXPECT_EQ(cluster.Count(QStringLiteral("tvx_scores")), 10);
    EXPECT_EQ(cluster.Count(QStringLiteral("tvx_results")), 12);
    EXPECT_EQ(Waiting_Rows(users(QStringLiteral("a"))), 0);
}

TEST_F(ClassServerTest, PushesGiveEachRowOnceAndPasswordsOnlyAsHashes) {
    makeTables();
    const QString a = users(QStringLiteral("a"));
    Make_Users(a);
    const StudentDatabase students(a, captions);
    students.Add({QStringLiteral("Ana"), QStringLiteral("Pérez"), QStringLiteral("Secreto"), 3});
    students.Add({QStringLiteral("Luis"), QStringLiteral("O'Brien"), std::nullopt, 5});
    Add_Rows(a, 20, 3, 15);
    auto lab = Connect(cluster.Lab());
    Ensure_Schema(*lab);

    const PushCount first = Push(*lab, a);
    EXPECT_EQ(first.students, 2);
    EXPECT_EQ(first.scores, 20);
    EXPECT_EQ(first.launches, 3);
    EXPECT_EQ(first.entries, 30);
    EXPECT_EQ(first.results, 15);
    // Nothing new: nothing pushed, and the student database (which the shell
    // watches for an activity's rows) is left as it was.
    Pull_Students(*lab, a);
    const QByteArray still = digest(a);
    EXPECT_EQ(Push(*lab, a).Rows() + Push(*lab, a).students + Pull_Students(*lab, a), 0);
    EXPECT_EQ(digest(a), still);
    EXPECT_EQ(cluster.Count(QStringLiteral("tvx_scores")), 20);
    EXPECT_EQ(cluster.Count(QStringLiteral("tvx_launch_entries")), 30);

    const auto hashes = cluster.Super_Query(
        QStringLiteral("SELECT first_name, password_hash FROM tvx_students ORDER BY first_name"));
    ASSERT_EQ(hashes.size(), 2);
    EXPECT_TRUE(hashes[0][1].toString().startsWith(QStringLiteral("$argon2id$")));
    EXPECT_TRUE(hashes[1][1].isNull()); // Luis has none
    EXPECT_EQ(cluster.Super_Query(QStringLiteral("SELECT count(*) FROM tvx_students s WHERE "
                                                 "position('ecreto' in lower(s::text)) > 0"))[0][0],
              QStringLiteral("0"));
    EXPECT_TRUE(lab->Verify_Password(hashes[0][1].toString(), QStringLiteral("SECRETO")));

    Add_Rows(a, 5, 0, 0);
    EXPECT_EQ(Push(*lab, a).scores, 5);
    EXPECT_EQ(cluster.Count(QStringLiteral("tvx_scores")), 25);
}

TEST_F(ClassServerTest, AStudentMadeAtOneComputerLogsInAtAnotherAndTheServerWinsAConflict) {
    makeTables();
    const QString a = users(QStringLiteral("a"));
    const QString b = users(QStringLiteral("b"));
    Make_Users(a);
    Make_Users(b);
    const StudentDatabase atA(a, captions);
    const StudentDatabase atB(b, captions);
    const qint64 ana =
        atA.Add({QStringLiteral("Ana"), QStringLiteral("Pérez"), QStringLiteral("Secreto"), 3});
    auto lab = Connect(cluster.Lab());
    Ensure_Schema(*lab);
    Push(*lab, a);

    EXPECT_EQ(Pull_Students(*lab, b), 1);
    QVector<Student> seen = atB.Students();
    ASSERT_EQ(seen.size(), 1);
    EXPECT_EQ(seen[0].DisplayName(), QStringLiteral("Ana Pérez"));
    EXPECT_EQ(seen[0].icon, 3);
    EXPECT_TRUE(Is_Password_Hash(seen[0].password));
    EXPECT_TRUE(students::Password_Matches(seen[0].password, QStringLiteral("secreto")));
    EXPECT_FALSE(students::Password_Matches(seen[0].password, QStringLiteral("secret")));
    EXPECT_EQ(Pull_Students(*lab, b), 0); // nothing new, nothing doubled

    // Edited at B (a new face, the hash kept): A gets it.
    atB.Update(seen[0].id, {seen[0].firstName, seen[0].lastName, seen[0].password, 7});
    EXPECT_EQ(Push(*lab, b).students, 1);
    EXPECT_EQ(Push(*lab, a).students, 0);
    EXPECT_EQ(Pull_Students(*lab, a), 1);
    QVector<Student> atAnow = atA.Students();
    ASSERT_EQ(atAnow.size(), 1);
    EXPECT_EQ(atAnow[0].icon, 7);
    EXPECT_EQ(atAnow[0].id, ana);
    EXPECT_TRUE(students::Password_Matches(atAnow[0].password, QStringLiteral("SECRETO")));

    // Both edit; A reaches the server first. B's edit gives way to A's.
    atA.Update(ana,
               {QStringLiteral("Ana"), QStringLiteral("Pérez Gil"), QStringLiteral("Nuevo"), 7});
    atB.Update(seen[0].id, {QStringLiteral("Ana"), QStringLiteral("Pérez"), seen[0].password, 9});
    EXPECT_EQ(Push(*lab, a).students, 1);
    EXPECT_EQ(Push(*lab, b).students, 0);
    EXPECT_EQ(Pull_Students(*lab, b), 1);
    seen = atB.Students();
    ASSERT_EQ(seen.size(), 1);
    EXPECT_EQ(seen[0].DisplayName(), QStringLiteral("Ana Pérez Gil"));
    EXPECT_EQ(seen[0].icon, 7);
    EXPECT_TRUE(students::Password_Matches(seen[0].password, QStringLiteral("nuevo")));
    EXPECT_EQ(Push(*lab, b).students, 0); // the server's is not pushed back
    EXPECT_EQ(cluster.Count(QStringLiteral("tvx_students")), 1);
}

TEST_F(ClassServerTest, ThirtyComputersPushingAtOnceGiveEveryRowOnce) {
    makeTables();
    // One lab day's rows, copied to thirty computers: each gets its own id
    // at its first push.
    const QString model = users(QStringLiteral("model"));
    Make_Users(model);
    Add_Rows(model, 1000, 500, 5000);
    QStringList computers;
    for (int i = 0; i < 30; ++i) {
        computers << users(QStringLiteral("pc%1").arg(i));
        QDir().mkpath(QFileInfo(computers.last()).absolutePath());
        ASSERT_TRUE(QFile::copy(model, computers.last()));
    }
    for (int round = 0; round < 2; ++round) {
        std::vector<QProcess *> pushing;
        for (const QString &c : computers)
            pushing.push_back(startPush(c));
        for (QProcess *p : pushing)
            EXPECT_EQ(finish(p), 0);
        EXPECT_EQ(cluster.Count(QStringLiteral("tvx_computers")), 30);
        EXPECT_EQ(cluster.Count(QStringLiteral("tvx_scores")), 30000);
        EXPECT_EQ(cluster.Count(QStringLiteral("tvx_results")), 150000);
        EXPECT_EQ(cluster.Count(QStringLiteral("tvx_launch_entries")), 150000);
        EXPECT_EQ(cluster.Super_Query(QStringLiteral(
                      "SELECT count(*) FROM (SELECT DISTINCT computer, local_key FROM "
                      "tvx_results) d"))[0][0],
                  QStringLiteral("150000"));
    }
}

TEST_F(ClassServerTest, AServerStoppedMidPushAndAPusherKilledMidTransactionLoseAndDoubleNothing) {
    makeTables();
    const QString a = users(QStringLiteral("a"));
    Make_Users(a);
    Add_Rows(a, 2000, 100, 60000);
    const auto resultsOnServer = [&] { return cluster.Count(QStringLiteral("tvx_results")); };
    const auto waitForRows = [&](QProcess *p) {
        // Some transactions in, the push still running.
        for (int i = 0; i < 3000 && resultsOnServer() == 0 && p->state() == QProcess::Running; ++i)
            QThread::msleep(5);
    };

    // The server stops while the pusher writes (small transactions, so that
    // some are in and one is under way).
    QProcess *pushing = startPush(a, 2000);
    waitForRows(pushing);
    ASSERT_TRUE(cluster.Control(QStringLiteral("stop")));
    const int cut = finish(pushing);
    ASSERT_TRUE(cluster.Control(QStringLiteral("resume")));
    const qint64 partial = resultsOnServer();
    EXPECT_LT(partial, 60000);
    if (cut == 0)
        std::cerr << "the push ended before the server stopped\n";
    EXPECT_EQ(finish(startPush(a, 2000)), 0);
    EXPECT_EQ(resultsOnServer(), 60000);
    EXPECT_EQ(cluster.Count(QStringLiteral("tvx_scores")), 2000);

    // A pusher killed in the middle of its transaction.
    const QString b = users(QStringLiteral("b"));
    Make_Users(b);
    Add_Rows(b, 0, 10, 60000);
    pushing = startPush(b, 60000);
    for (int i = 0; i < 3000; ++i) {
        const auto active = cluster.Super_Query(QStringLiteral(
            "SELECT count(*) FROM pg_stat_activity WHERE application_name = 'Tolvanex' AND "
            "state = 'idle in transaction' OR (application_name = 'Tolvanex' AND query LIKE "
            "'INSERT INTO tvx_results%')"));
        if (active.value(0).value(0).toInt() > 0)
            break;
        QThread::msleep(5);
    }
    pushing->kill(); // SIGKILL
    finish(pushing);
    EXPECT_EQ(finish(startPush(b)), 0);
    EXPECT_EQ(resultsOnServer(), 120000);
    EXPECT_EQ(cluster.Super_Query(QStringLiteral(
                  "SELECT count(*) FROM (SELECT DISTINCT computer, local_key FROM tvx_results) "
                  "d"))[0][0],
              QStringLiteral("120000"));
}

TEST_F(ClassServerTest, TheWholeClassFileHoldsEveryComputersRowsOnceAndItsHistories) {
    makeTables();
    const QString a = users(QStringLiteral("a"));
    const QString b = users(QStringLiteral("b"));
    Make_Users(a);
    Make_Users(b);
    StudentDatabase(a, captions)
        .Add({QStringLiteral("Ana"), QStringLiteral("Pérez"), std::nullopt, 2});
    StudentDatabase(b, captions)
        .Add({QStringLiteral("Bruno"), QStringLiteral("Díaz"), std::nullopt, 4});
    // Ana studies the same phrase at both computers, with study files of the
    // same name (each shell numbers its own).
    const auto study = [](const QString &path, const QDateTime &when, int grade) {
        studyResults::Launch l;
        l.id = studyResults::New_Launch_Id();
        l.studyFile = QStringLiteral("~tvx42.txt");
        l.student = QStringLiteral("Ana Pérez");
        l.subject = QStringLiteral("Colori");
        l.when = when;
        l.entries = {{1, QStringLiteral("Colori.ito"), 4, QStringLiteral("verde"),
                      QStringLiteral("verde"), QString()}};
        studyResults::Record_Launch(path, l, 1000);
        ASSERT_EQ(studyResults::Write_Results(
                      path, l.studyFile, when,
                      {{QStringLiteral("verde"), QStringLiteral("verde"), QString()}},
                      {{1, grade, when.addSecs(5), 3.0}}, 1000),
                  studyResults::ResultsWritten::Written);
    };
    study(a, QDateTime(QDate(2026, 12, 1), QTime(9, 0)), 3);
    study(b, QDateTime(QDate(2026, 12, 4), QTime(9, 0)), 1);
    Add_Rows(a, 3, 0, 0, QStringLiteral("Ana Pérez"));
    Add_Rows(b, 2, 0, 0, QStringLiteral("Ana Pérez"));
    Add_Rows(b, 4, 0, 0, QStringLiteral("Bruno Díaz"));
    auto lab = Connect(cluster.Lab());
    Ensure_Schema(*lab);
    Push(*lab, b);
    Push(*lab, a);
    Pull_Students(*lab, a);

    const QString classFile = env.root() + QStringLiteral("a/Class.dat");
    const QString templatePath = TestEnv::builtProgramFolder() + QStringLiteral("Tolvanex.tpl");
    for (int round = 0; round < 2; ++round) {
        Refresh_Class_File(lab.get(), a, classFile, templatePath);
        const scores::ScoreViews views(classFile, scores::DateForms{});
        const scores::ViewTree tree = views.Build_View(scores::ByStudent);
        ASSERT_EQ(tree.firstLevel.size(), 2);
        EXPECT_EQ(tree.firstLevel[0].text, QStringLiteral("Ana Pérez"));
        EXPECT_EQ(tree.firstLevel[1].text, QStringLiteral("Bruno Díaz"));
        EXPECT_EQ(views
                      .Show_Scores(scores::ByStudent, QStringLiteral("Ana Pérez"),
                                   QStringLiteral("Tarjetas"))
                      .size(),
                  5);
        EXPECT_EQ(views
                      .Show_Scores(scores::ByStudent, QStringLiteral("Bruno Díaz"),
                                   QStringLiteral("Tarjetas"))
                      .size(),
                  4);
        // The schedule reads Ana's answers at both computers, each once.
        const studyResults::Histories h =
            studyResults::Read_Histories(classFile, QStringLiteral("Ana Pérez"));
        ASSERT_EQ(h.phrases.size(), 1);
        EXPECT_EQ(h.unmatched, 0);
        ASSERT_EQ(h.phrases[0].reviews.size(), 2);
        EXPECT_EQ(h.phrases[0].reviews[0].grade, 3);
        EXPECT_EQ(h.phrases[0].reviews[1].grade, 1);
    }
    // What comes later comes once.
    Add_Rows(b, 1, 0, 0, QStringLiteral("Bruno Díaz"));
    Push(*lab, b);
    Refresh_Class_File(lab.get(), a, classFile, templatePath);
    EXPECT_EQ(localCount(classFile, QStringLiteral("SELECT count(*) FROM tblscores")), 10);
    // Away from the server, the class file keeps what it held and takes
    // this computer's new rows.
    Add_Rows(a, 2, 0, 0, QStringLiteral("Ana Pérez"));
    Refresh_Class_File(nullptr, a, classFile, templatePath);
    EXPECT_EQ(localCount(classFile, QStringLiteral("SELECT count(*) FROM tblscores")), 12);
}

} // namespace
