#include "platform/ado.h"
#include "subject_data/subject_schema.h"
#include "support/test_env.h"

#include <functional>

#include <gtest/gtest.h>

namespace {

QString failure(const std::function<void()> &f) {
    try {
        f();
    } catch (const ado::Error &e) {
        return e.description();
    }
    return {};
}

TEST(SubjectSchema, InstalledSubjectHoldsCodeAndPhrasesBehindThePassword) {
    TestEnv env;
    const QString file = env.root() + QStringLiteral("Food.ito");
    subjects::CreateSubjectFile(file, QStringLiteral("tvxito"));
    const QByteArray wave = QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16) + QByteArray(30, 'x');
    subjects::AddPhrase(file, 1, QStringLiteral("il pane"), QStringLiteral("el pan"),
                        QStringLiteral("pan"), wave);
    subjects::AddPhrase(file, 2, QStringLiteral("l'acqua"), QStringLiteral("el agua"), QString(),
                        QByteArray());

    ado::Connection cn;
    EXPECT_TRUE(failure([&] {
                    cn.Open(ado::ConnectionString(file, QStringLiteral("x")));
                }).contains(QLatin1String("password")));
    cn.Open(ado::ConnectionString(file, QStringLiteral("marpelin4729")));
    ado::Recordset rs;
    rs.Open(QStringLiteral("SELECT * FROM tblProperties"), cn);
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields("tProgramCode").Text(), QStringLiteral("tvxito"));

    rs.Open(QStringLiteral("SELECT * FROM tblPhrases ORDER BY pkPhraseNo"), cn);
    ASSERT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.Fields("pkPhraseNo").Value().toInt(), 1);
    EXPECT_EQ(rs.Fields("tPhrase").Text(), QStringLiteral("il pane"));
    EXPECT_EQ(rs.Fields("tTranslation").Text(), QStringLiteral("el pan"));
    EXPECT_EQ(rs.Fields("tTranslation2").Text(), QStringLiteral("pan"));
    EXPECT_EQ(rs.Fields("bsound").GetChunk(-1), wave);
    rs.MoveNext();
    EXPECT_EQ(rs.Fields("tPhrase").Text(), QStringLiteral("l'acqua"));
    EXPECT_TRUE(rs.Fields("tTranslation2").IsNull());
    EXPECT_TRUE(rs.Fields("bsound").IsNull());

    // Phrase numbers are the key: a second phrase 2 is refused.
    EXPECT_FALSE(failure([&] {
                     subjects::AddPhrase(cn, 2, QStringLiteral("a"), QStringLiteral("b"),
                                         QStringLiteral("c"), QByteArray());
                 }).isEmpty());
    EXPECT_FALSE(
        failure([&] { subjects::CreateSubjectFile(file, QStringLiteral("tvxspa")); }).isEmpty());
}

TEST(SubjectSchema, VirtualFolderNumbersItsRowsItself) {
    TestEnv env;
    const QString file = env.root() + QStringLiteral("custom.tpl");
    subjects::CreateVirtualFolderFile(file);
    ado::Connection cn;
    EXPECT_FALSE(failure([&] { cn.Open(ado::ConnectionString(file, QString())); }).isEmpty());
    cn.Open(ado::ConnectionString(file, subjects::SubjectPassword()));

    ado::Recordset parents;
    parents.Open(QStringLiteral("SELECT * FROM tblParents"), cn);
    EXPECT_EQ(parents.RecordCount(), 0);
    EXPECT_EQ(parents.Fields(0).Name(), QStringLiteral("nParent"));
    parents.AddNew();
    parents.Fields(1).SetValue(QStringLiteral("Mis verbos"));
    parents.Update();
    const int parent = parents.Fields(0).Value().toInt();
    EXPECT_EQ(parent, 1);

    ado::Recordset phrases;
    phrases.Open(
        QStringLiteral("SELECT * FROM tblPhrases where fkParent =") + QString::number(parent), cn);
    phrases.AddNew();
    phrases.Fields("fkParent").SetValue(parent);
    phrases.Fields("tfilename").SetValue(QStringLiteral("Food.ito"));
    phrases.Fields("nPhraseNo").SetValue(QStringLiteral("7"));
    phrases.Fields("tPhrase").SetValue(QStringLiteral("il pane"));
    phrases.Fields("tTranslation").SetValue(QStringLiteral("el pan"));
    phrases.Fields("tTranslation2").SetValue(QString());
    phrases.Update();
    EXPECT_EQ(phrases.Fields("pkPhraseNo").Value().toInt(), 1);
    // nPhraseNo is a number column: text written through it reads back as a number.
    EXPECT_EQ(phrases.Fields("nPhraseNo").Value().typeId(), QMetaType::Int);
    EXPECT_EQ(phrases.FieldCount(), 7);
}

} // namespace
