// The student database without a window: creation from the template, the
// rows written and read back, and the two comparisons of the login.
#include "frame/mod_main.h"
#include "frame/program.h"
#include "frame/template_texts.h"
#include "platform/ado.h"
#include "students/student_database.h"
#include "support/fake_host.h"
#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class StudentDatabaseTest : public ::testing::Test {
protected:
    StudentDatabaseTest() : program(host, env.settings()) {
        env.installTemplate();
        program.identity = Identity::ForCode(QStringLiteral("tvxito"));
        program.folders.programFolder = env.programFolder();
        templateTexts::Get_Captions(program);
    }
    const Captions &texts() const { return program.captions; }

    QString templatePath() const { return env.programFolder() + QStringLiteral("Tolvanex.tpl"); }
    QString usersPath() const { return env.appDataFolder() + QStringLiteral("/Users.dat"); }

    TestEnv env;
    FakeHost host;
    Program program;
};

TEST_F(StudentDatabaseTest, MissingFileIsCopiedFromTheTemplateWritableAndNeverOverwritten) {
    // An installed template is often read-only; the copy must still take rows.
    QFile::setPermissions(templatePath(), QFileDevice::ReadOwner);
    const StudentDatabase db(usersPath(), texts());
    ASSERT_TRUE(db.Create_From_Template(templatePath()));
    EXPECT_TRUE(QFileInfo(usersPath()).permissions() & QFileDevice::WriteOwner);
    EXPECT_TRUE(db.Students().isEmpty());

    db.Add({QStringLiteral("Ada"), QStringLiteral("King"), std::nullopt, 3});
    EXPECT_FALSE(db.Create_From_Template(templatePath()));
    EXPECT_EQ(db.Students().size(), 1);
}

TEST_F(StudentDatabaseTest, MissingTemplateOrFolderInTheWayFailsWithoutLeavingAFile) {
    const StudentDatabase db(usersPath(), texts());
    QFile::remove(templatePath());
    try {
        db.Create_From_Template(templatePath());
        ADD_FAILURE() << "no error";
    } catch (const std::exception &e) {
        // Told in the learner's language (this build's learners speak Spanish).
        EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith(QStringLiteral("La base de datos")));
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QStringLiteral("Tolvanex.tpl")));
    }
    EXPECT_FALSE(QFileInfo::exists(usersPath()));

    env.installTemplate();
    QDir().mkpath(usersPath());
    EXPECT_THROW(db.Create_From_Template(templatePath()), std::exception);
}

TEST_F(StudentDatabaseTest, RowsComeBackInTableOrderWithTrimmedNamesAndKeys) {
    const StudentDatabase db(usersPath(), texts());
    db.Create_From_Template(templatePath());
    const qint64 zoe =
        db.Add({QStringLiteral("  Zoe "), QStringLiteral(" Quinn  "), QStringLiteral(" Pw1 "), 40});
    const qint64 obrien =
        db.Add({QStringLiteral("Se\u00e1n"), QStringLiteral("O'Brien"), std::nullopt, 1});
    const qint64 odd =
        db.Add({QStringLiteral("Star*"), QStringLiteral("\"Quote\" '; drop"), QString(), 7});
    EXPECT_LT(zoe, obrien);
    EXPECT_LT(obrien, odd);

    const QVector<Student> rows = db.Students();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0].id, zoe);
    EXPECT_EQ(rows[0].DisplayName(), QStringLiteral("Zoe Quinn"));
    EXPECT_EQ(rows[0].password, QStringLiteral("Pw1"));
    EXPECT_EQ(rows[0].icon, 40);
    EXPECT_EQ(rows[1].DisplayName(), QStringLiteral("Se\u00e1n O'Brien"));
    EXPECT_EQ(rows[1].password, QString());
    EXPECT_EQ(rows[2].DisplayName(), QStringLiteral("Star* \"Quote\" '; drop"));

    // A new student without a password leaves the field at its default (Null).
    ado::Connection cn;
    cn.Open(modMain::Get_Template_Connection_String(usersPath()));
    ado::Recordset rs;
    rs.Open(QStringLiteral("Select * from tblUsers where pkStudentID = ") + QString::number(obrien),
            cn);
    EXPECT_TRUE(rs[QStringLiteral("tPassword")].IsNull());
}

TEST_F(StudentDatabaseTest, UpdateChangesOneRowAndFailsForAStudentThatIsGone) {
    const StudentDatabase db(usersPath(), texts());
    db.Create_From_Template(templatePath());
    const qint64 a = db.Add({QStringLiteral("Ann"), QStringLiteral("Lee"), QStringLiteral("x"), 2});
    const qint64 b = db.Add({QStringLiteral("Bob"), QStringLiteral("Ray"), QStringLiteral("y"), 3});
    db.Update(b, {QStringLiteral(" Rob "), QStringLiteral("O'Ray"), QString(), 9});

    const QVector<Student> rows = db.Students();
    EXPECT_EQ(rows[0].DisplayName(), QStringLiteral("Ann Lee"));
    EXPECT_EQ(rows[0].password, QStringLiteral("x"));
    EXPECT_EQ(rows[1].DisplayName(), QStringLiteral("Rob O'Ray"));
    EXPECT_EQ(rows[1].password, QString());
    EXPECT_EQ(rows[1].icon, 9);

    EXPECT_THROW(db.Update(b + a + 100, {QStringLiteral("X"), QStringLiteral("Y"), QString(), 1}),
                 std::exception);
}

TEST_F(StudentDatabaseTest, ForeignFileIsReportedAndLeftAsItWas) {
    writeFile(usersPath(), "not a database at all");
    const StudentDatabase db(usersPath(), texts());
    EXPECT_FALSE(db.Create_From_Template(templatePath()));
    EXPECT_THROW(db.Students(), std::exception);
    QFile file(usersPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("not a database at all"));
}

TEST(StudentRules, PasswordsMatchInAnyCaseAndNamesCollideInAnyCase) {
    EXPECT_TRUE(students::Password_Matches(QStringLiteral("Secret"), QStringLiteral("sECRET")));
    EXPECT_TRUE(students::Password_Matches(QString(), QString()));
    EXPECT_FALSE(students::Password_Matches(QStringLiteral("Secret"), QStringLiteral("Secret ")));
    EXPECT_FALSE(students::Password_Matches(QStringLiteral("Secret"), QString()));

    QVector<Student> names(2);
    names[0].firstName = QStringLiteral("Zoe");
    names[0].lastName = QStringLiteral("Quinn");
    names[1].firstName = QStringLiteral("Ann");
    names[1].lastName = QStringLiteral("O'Brien");
    EXPECT_TRUE(students::Is_Duplicate_Name(names, QStringLiteral("ZOE quinn")));
    EXPECT_TRUE(students::Is_Duplicate_Name(names, QStringLiteral("ann o'brien")));
    EXPECT_FALSE(students::Is_Duplicate_Name(names, QStringLiteral("Zoe Quin")));
}

} // namespace
