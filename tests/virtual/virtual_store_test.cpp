// The virtual folder files: what the store writes, what it refuses, and that
// it never loses or overwrites a student's file.
#include "subjects/subject_fixture.h"
#include "virtual/virtual_store.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

using virtualStore::VirtualStore;

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class VirtualStoreTest : public SubjectTestBase {
protected:
    VirtualStoreTest() : store(program) {
        for (int n = caption::FolderFileExists; n <= caption::SourceSubjectGone; ++n)
            program.captions.Set(n, QStringLiteral("C%1 %2 %3 %4").arg(n));
        subjects::CreateVirtualFolderFile(env.programFolder() + QStringLiteral("custom.tpl"));
    }

    // Rows of a folder's tblPhrases as "fkParent|tfilename|nPhraseNo|texts".
    QStringList phraseRows(const QString &folder) {
        ado::Connection cn;
        cn.Open(ado::ConnectionString(store.Folder_Path(folder), subjects::SubjectPassword()));
        ado::Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM tblPhrases"), cn);
        QStringList rows;
        for (; !rs.EOF_(); rs.MoveNext())
            rows << QStringList{rs.Fields(QStringLiteral("fkParent")).Text(),
                                rs.Fields(QStringLiteral("tfilename")).Text(),
                                rs.Fields(QStringLiteral("nPhraseNo")).Text(),
                                rs.Fields(QStringLiteral("tPhrase")).Text(),
                                rs.Fields(QStringLiteral("tTranslation")).Text(),
                                rs.Fields(QStringLiteral("tTranslation2")).Text()}
                        .join(QLatin1Char('|'));
        return rows;
    }

    VirtualStore store;
};

TEST_F(VirtualStoreTest, CopyingASubjectTwiceGivesTwoSubjectsWithTheirOwnPhraseRows) {
    fixture::makeSubject(installed(QStringLiteral("Food.ito")), QStringLiteral("tvxito"),
                         {{1, "p1", "t1", QVariant()}, {2, "p2", "t2", "u2"}});
    store.Create_Folder(QStringLiteral("Mine"));
    EXPECT_EQ(store.List_Folders(), QStringList{QStringLiteral("Mine.vito")});
    program.bSubjectsChanged = false;

    const auto first = store.Copy_Subject(QStringLiteral("Mine"), QStringLiteral("Food.ito"),
                                          QStringLiteral("Food"));
    const auto second = store.Copy_Subject(QStringLiteral("Mine"), QStringLiteral("Food.ito"),
                                           QStringLiteral("Food"));
    EXPECT_TRUE(program.bSubjectsChanged);
    EXPECT_NE(first.key, second.key);
    ASSERT_EQ(first.phrases.size(), 2);
    EXPECT_EQ(
        subjectData::SubjectNode::Of(first.phrases[1], subjectData::NodeKind::FolderPhrase)->Tag(),
        "Food.ito*2*p2*t2*u2*" + QString::number(first.phrases[1].folderKey));
    const QString a = QString::number(first.key), b = QString::number(second.key);
    // A Null second translation is stored as an empty text.
    EXPECT_EQ(phraseRows(QStringLiteral("Mine")),
              (QStringList{a + "|Food.ito|1|p1|t1|", a + "|Food.ito|2|p2|t2|u2",
                           b + "|Food.ito|1|p1|t1|", b + "|Food.ito|2|p2|t2|u2"}));

    // Deleting one subject leaves the other's phrases alone.
    store.Delete_Subject(QStringLiteral("Mine"), first.key);
    EXPECT_EQ(store.List_Subjects(QStringLiteral("Mine")).size(), 1);
    EXPECT_EQ(store.List_Phrases(QStringLiteral("Mine"), second.key).size(), 2);
    EXPECT_EQ(phraseRows(QStringLiteral("Mine")).size(), 2);
}

TEST_F(VirtualStoreTest, ACopiedSubjectPastKey32767IsRefusedAndWritesNothing) {
    subject(QStringLiteral("Food.ito"), 2);
    fixture::makeVirtualFolder(virtualFolder(QStringLiteral("Full.vito")), {}, {});
    {
        ado::Connection cn;
        cn.Open(ado::ConnectionString(virtualFolder(QStringLiteral("Full.vito")),
                                      subjects::SubjectPassword()));
        cn.Execute(QStringLiteral("INSERT INTO tblParents(nParent, tName) VALUES (32767, 'Last')"));
    }
    try {
        store.Copy_Subject(QStringLiteral("Full"), QStringLiteral("Food.ito"),
                           QStringLiteral("Food"));
        FAIL() << "copied under key 32768";
    } catch (const std::exception &e) {
        EXPECT_EQ(QString::fromUtf8(e.what()), caption(caption::CopiedKeyLimit).arg("Full"));
    }
    EXPECT_EQ(store.List_Subjects(QStringLiteral("Full")).size(), 1);
    EXPECT_TRUE(phraseRows(QStringLiteral("Full")).isEmpty());
}

TEST_F(VirtualStoreTest, FolderFilesAreNeverOverwrittenAndUnusableNamesAreRefused) {
    store.Create_Folder(QStringLiteral("Verbs"));
    const int key = store.Create_Subject(QStringLiteral("Verbs"), QStringLiteral("Mine"));
    const QByteArray before = readAll(virtualFolder(QStringLiteral("Verbs.vito")));
    // Letter case does not make a name free.
    for (const QString &name : {QStringLiteral("Verbs"), QStringLiteral("VERBS")})
        EXPECT_THROW(store.Create_Folder(name), std::runtime_error);
    EXPECT_EQ(readAll(virtualFolder(QStringLiteral("Verbs.vito"))), before);
    EXPECT_EQ(store.List_Subjects(QStringLiteral("Verbs"))[0].key, key);

    for (const QString &name : {QStringLiteral("a/b"), QStringLiteral("a\\b"),
                                QStringLiteral("a*b"), QStringLiteral("a\tb"), QStringLiteral(".."),
                                QStringLiteral("  "), QString(300, QLatin1Char('x'))}) {
        EXPECT_EQ(store.Folder_Name_Problem(name), caption(caption::UnusableFolderName))
            << name.toStdString();
        EXPECT_THROW(store.Create_Folder(name), std::runtime_error);
        EXPECT_THROW(store.Rename_Folder(QStringLiteral("Verbs"), name), std::runtime_error);
    }
    EXPECT_EQ(store.List_Folders(), QStringList{QStringLiteral("Verbs.vito")});
}

TEST_F(VirtualStoreTest, RenamingKeepsTheFileAndRefusesANameInUse) {
    store.Create_Folder(QStringLiteral("A"));
    store.Create_Folder(QStringLiteral("B"));
    store.Create_Subject(QStringLiteral("A"), QStringLiteral("Kept"));
    const QByteArray a = readAll(virtualFolder(QStringLiteral("A.vito")));
    const QByteArray b = readAll(virtualFolder(QStringLiteral("B.vito")));
    using R = VirtualStore::RenameResult;
    EXPECT_EQ(store.Rename_Folder(QStringLiteral("A"), QStringLiteral("B")), R::Exists);
    EXPECT_EQ(store.Rename_Folder(QStringLiteral("A"), QStringLiteral("A")), R::Exists);
    EXPECT_EQ(readAll(virtualFolder(QStringLiteral("A.vito"))), a);
    EXPECT_EQ(readAll(virtualFolder(QStringLiteral("B.vito"))), b);

    EXPECT_EQ(store.Rename_Folder(QStringLiteral("A"), QStringLiteral("C")), R::Done);
    EXPECT_FALSE(QFile::exists(virtualFolder(QStringLiteral("A.vito"))));
    EXPECT_EQ(readAll(virtualFolder(QStringLiteral("C.vito"))), a);
    EXPECT_EQ(store.List_Subjects(QStringLiteral("C"))[0].name, QStringLiteral("Kept"));
}

TEST_F(VirtualStoreTest, ADeletedFolderGoesToTheTrashAndAPhraseOfAMissingSubjectIsRefused) {
    store.Create_Folder(QStringLiteral("Old"));
    const int key = store.Create_Subject(QStringLiteral("Old"), QStringLiteral("S"));
    try {
        store.Copy_Phrase(QStringLiteral("Old"), key,
                          subjectData::Phrase{QStringLiteral("Gone.ito"), 1, "p", "t", "u"});
        FAIL() << "copied a phrase of a missing subject";
    } catch (const std::exception &e) {
        EXPECT_EQ(QString::fromUtf8(e.what()), caption(caption::SourceSubjectGone).arg("Gone.ito"));
    }
    EXPECT_TRUE(phraseRows(QStringLiteral("Old")).isEmpty());

    const QByteArray bytes = readAll(virtualFolder(QStringLiteral("Old.vito")));
    store.Delete_Folder(QStringLiteral("Old"));
    EXPECT_FALSE(QFile::exists(virtualFolder(QStringLiteral("Old.vito"))));
    EXPECT_EQ(readAll(TestEnv::trashFilesFolder() + QStringLiteral("Old.vito")), bytes);
}

} // namespace
