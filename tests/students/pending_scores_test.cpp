// Scores kept beside the student database while it was locked are added
// later, by the shell's start-up as well, and never twice.
#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/ado.h"
#include "shell/frm_main.h"
#include "students/frm_login.h"
#include "students/pending_scores.h"
#include "support/fake_host.h"
#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

class PendingScoresTest : public ::testing::Test {
protected:
    PendingScoresTest() {
        env.installTemplate();
        QFile::copy(env.programFolder() + QStringLiteral("Tolvanex.tpl"), database);
        QFile(database).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    QVector<QVariantList> rows() const {
        ado::Connection db;
        db.Open(modMain::Get_Template_Connection_String(database));
        ado::Recordset rs;
        rs.Open(QStringLiteral("SELECT tName, tActivity, tSubject, textScore, numberScore, nDate, "
                               "nTime FROM tblscores"),
                db);
        QVector<QVariantList> result;
        for (; !ado::AtEnd(rs); rs.MoveNext()) {
            QVariantList row;
            for (int i = 0; i < rs.FieldCount(); ++i)
                row << rs.Fields(i).Value();
            result << row;
        }
        return result;
    }
    QStringList kept() const {
        return QDir(scores::Pending_Folder(database))
            .entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    }

    TestEnv env;
    const QString database = env.programFolder() + QStringLiteral("Users.dat");
    const scores::Row quiz{QStringLiteral("Ana O'Neil"),
                           QStringLiteral("Escuche y elija"),
                           QStringLiteral("La comida"),
                           QStringLiteral("7/10"),
                           7,
                           20250131,
                           32707};
    const scores::Row cards{QStringLiteral("Ana O'Neil"),
                            QStringLiteral("Tarjetas"),
                            QStringLiteral("La comida"),
                            QString(),
                            67,
                            20250131,
                            32800};
};

} // namespace

TEST_F(PendingScoresTest, KeptScoresAreAddedOnceHoweverOftenTheyAreWritten) {
    EXPECT_EQ(scores::Pending_Folder(database), database + QStringLiteral(".pending"));
    EXPECT_EQ(scores::Write_Pending_Scores(database).added, 0) << "nothing kept, nothing done";

    const QString first = scores::Keep(database, quiz);
    ASSERT_FALSE(first.isEmpty());
    ASSERT_FALSE(scores::Keep(database, cards).isEmpty());
    EXPECT_EQ(kept().size(), 2);

    // Added while another program writes: kept for the next time.
    {
        ado::Connection other;
        other.Open(modMain::Get_Template_Connection_String(database));
        other.Execute(QStringLiteral("BEGIN IMMEDIATE"));
        const scores::Pending locked = scores::Write_Pending_Scores(database, 20);
        EXPECT_EQ(locked.added, 0);
        EXPECT_EQ(locked.left, 2);
        EXPECT_EQ(kept().size(), 2);
        other.Execute(QStringLiteral("ROLLBACK"));
    }

    // An earlier program added the first one and ended before it forgot it.
    ASSERT_TRUE(scores::Add_Once(database, quiz, 1000));
    // A damaged kept file stays for a person to look at.
    writeFile(scores::Pending_Folder(database) + QStringLiteral("/0-damaged.json"), "{\"tName\":");

    const scores::Pending written = scores::Write_Pending_Scores(database);
    EXPECT_EQ(written.added, 1);
    EXPECT_EQ(written.alreadyThere, 1);
    EXPECT_EQ(written.left, 1);
    EXPECT_EQ(kept(), QStringList{QStringLiteral("0-damaged.json")});
    // Two flushes never double a score.
    EXPECT_EQ(scores::Write_Pending_Scores(database).added, 0);

    const QVector<QVariantList> all = rows();
    ASSERT_EQ(all.size(), 2);
    EXPECT_EQ(all[0][1].toString(), QStringLiteral("Escuche y elija"));
    EXPECT_EQ(all[0][3].toString(), QStringLiteral("7/10"));
    EXPECT_EQ(all[1][0].toString(), QStringLiteral("Ana O'Neil"));
    EXPECT_EQ(all[1][3].toString(), QStringLiteral(""));
    EXPECT_TRUE(all[1][3].isValid()) << "textScore is empty text, not Null";
    EXPECT_EQ(all[1][4].toInt(), 67);
    EXPECT_EQ(all[1][5].toLongLong(), 20250131);
    EXPECT_EQ(all[1][6].toLongLong(), 32800);

    // A database that is gone is never made for a kept score.
    QFile::remove(scores::Pending_Folder(database) + QStringLiteral("/0-damaged.json"));
    ASSERT_FALSE(scores::Keep(database, cards).isEmpty());
    QFile::remove(database);
    EXPECT_EQ(scores::Write_Pending_Scores(database).left, 1);
    EXPECT_FALSE(QFile::exists(database));
}

TEST_F(PendingScoresTest, TheShellsStartUpWritesAKeptScoreOnce) {
    ASSERT_FALSE(scores::Keep(database, cards).isEmpty());
    FakeHost host;
    Program program(host, env.settings());
    frmMain main(program);
    main.Form_Load();
    ASSERT_FALSE(program.ended);
    ASSERT_EQ(program.usersPath(), database);
    EXPECT_TRUE(kept().isEmpty());
    ASSERT_EQ(rows().size(), 1);
    EXPECT_EQ(rows()[0][1].toString(), QStringLiteral("Tarjetas"));

    // The login window is read again at each change of student: nothing more.
    ASSERT_FALSE(scores::Keep(database, cards).isEmpty());
    main.btnChangeUser->click();
    ASSERT_NE(main.loginWindow(), nullptr);
    EXPECT_EQ(rows().size(), 1);
    EXPECT_TRUE(kept().isEmpty());
    for (const FakeHost::Box &box : host.boxes)
        ADD_FAILURE() << "unexpected message: " << box.text.toStdString();
}
