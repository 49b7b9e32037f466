// The virtual subject editor's logic on its two trees, without a window:
// what its nodes stand for comes from their values, and a phrase travels
// from an installed subject into a virtual one whole, whatever signs its
// texts hold.
#include "platform/ado.h"
#include "subjects/subject_fixture.h"
#include "virtual/virtual_editor.h"

#include <gtest/gtest.h>

namespace {

using Kind = VirtualEditor::Kind;

int findNode(const TreeView &tree, const QString &text) {
    for (int i = 1; i <= tree.Count(); ++i)
        if (tree.Text(i) == text)
            return i;
    return 0;
}

class VirtualEditorTest : public SubjectTestBase {
protected:
    VirtualEditorTest() : editor(program, left, right, File1, File2) {}
    void SetUp() override {
        fixture::makeSubject(
            installed(QStringLiteral("Signs.ito")), QStringLiteral("tvxito"),
            {{1, QStringLiteral("a*b"), QStringLiteral("say \"hi\""), QStringLiteral("x*y*z")},
             {2, QStringLiteral("plain"), QStringLiteral("plain"), QString()}});
        fixture::makeVirtualFolder(virtualFolder(QStringLiteral("Mine.vito")),
                                   {QStringLiteral("Verbs")}, {});
        editor.Create_Root();
        editor.Get_Installed_Subjects();
        editor.Get_Virtual_Folders();
    }
    // The folder rows of a subject, as the file holds them.
    QStringList folderRows() {
        ado::Connection cn;
        cn.Open(ado::ConnectionString(virtualFolder(QStringLiteral("Mine.vito")),
                                      subjects::SubjectPassword()));
        ado::Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM tblPhrases"), cn);
        QStringList rows;
        for (; !rs.EOF_(); rs.MoveNext())
            rows << QStringList{rs.Fields(QStringLiteral("tfilename")).Text(),
                                rs.Fields(QStringLiteral("nPhraseNo")).Text(),
                                rs.Fields(QStringLiteral("tPhrase")).Text(),
                                rs.Fields(QStringLiteral("tTranslation")).Text(),
                                rs.Fields(QStringLiteral("tTranslation2")).Text()}
                        .join(QLatin1Char('|'));
        return rows;
    }

    TreeView left;
    TreeView right;
    VirtualEditor editor;
};

TEST_F(VirtualEditorTest, APhraseWithStarsAndQuotesIsCopiedWholeAndDeletedByItsOwnKey) {
    const int signs = findNode(left, QStringLiteral("Signs"));
    ASSERT_NE(signs, 0);
    EXPECT_EQ(left.Tag(signs), QStringLiteral("0")) << "its place in the installed file list";
    ASSERT_TRUE(editor.TreeSubjects_NodeClick(signs));
    editor.Get_Installed_Phrases(signs);
    const int starred = left.Child(signs);
    EXPECT_EQ(left.Text(starred), QStringLiteral("say \"hi\""));
    EXPECT_EQ(left.Tag(starred), QStringLiteral("Signs.ito*1*a*b*say \"hi\"*x*y*z"));

    const int verbs = findNode(right, QStringLiteral("Verbs"));
    left.Select(starred);
    const int copied = editor.Drop(starred, verbs);
    ASSERT_NE(copied, 0);
    EXPECT_EQ(right.Selected(), copied);
    EXPECT_EQ(right.Text(copied), QStringLiteral("say \"hi\""));
    const auto phrase = VirtualEditor::Selected_Phrase(right);
    ASSERT_TRUE(phrase);
    EXPECT_EQ(phrase->sourceFile, QStringLiteral("Signs.ito"));
    EXPECT_EQ(phrase->number, 1);
    EXPECT_EQ(phrase->phrase, QStringLiteral("a*b"));
    EXPECT_EQ(phrase->translation2, QStringLiteral("x*y*z"));
    EXPECT_EQ(folderRows(), QStringList{QStringLiteral("Signs.ito|1|a*b|say \"hi\"|x*y*z")});
    EXPECT_EQ(right.Tag(copied),
              "Signs.ito*1*a*b*say \"hi\"*x*y*z*" + QString::number(phrase->folderKey));
    EXPECT_TRUE(program.bSubjectsChanged);

    // Dropped onto the phrase, the second lands in its subject.
    editor.Drop(left.ChildAt(signs, 1), copied);
    EXPECT_EQ(right.Children(verbs), 2);
    EXPECT_EQ(folderRows().size(), 2);
    // Deleting the first removes its own row, not one a shifted field names.
    right.Select(copied);
    EXPECT_EQ(editor.Delete_Selected(), Kind::Phrase);
    EXPECT_EQ(folderRows(), QStringList{QStringLiteral("Signs.ito|2|plain|plain|")});
    EXPECT_TRUE(host.boxes.empty()) << host.boxTexts().join('|').toStdString();
}

TEST_F(VirtualEditorTest, KindsAndCommandsComeFromWhatNodesStandForNotFromTheirLook) {
    const int folder = findNode(right, QStringLiteral("Mine"));
    const int verbs = findNode(right, QStringLiteral("Verbs"));
    // However a folder is drawn, it stays a folder.
    right.SetBold(folder, false);
    right.SetBold(verbs, true);
    EXPECT_EQ(editor.Kind_Of(folder), Kind::Folder);
    EXPECT_EQ(editor.Kind_Of(verbs), Kind::Subject);
    EXPECT_EQ(editor.Kind_Of(0), Kind::None);
    const auto onFolder = editor.Commands_For(folder);
    ASSERT_TRUE(onFolder);
    EXPECT_TRUE(onFolder->newSubject && onFolder->rename && onFolder->remove);
    const auto onSubject = editor.Commands_For(verbs);
    ASSERT_TRUE(onSubject);
    EXPECT_FALSE(onSubject->newSubject);
    EXPECT_TRUE(onSubject->rename && onSubject->remove);
    EXPECT_FALSE(editor.Commands_For(0));

    // A rename is bound to what the node stood for when it began.
    VirtualEditor::Rename rename = editor.Begin_Rename(verbs);
    EXPECT_EQ(rename.folder, QStringLiteral("Mine"));
    rename.newText = QStringLiteral("  ");
    EXPECT_EQ(editor.Apply_Rename(rename), caption(124));
    rename.newText = QStringLiteral("Verbs*Two");
    EXPECT_EQ(editor.Apply_Rename(rename), QString());
    rename = editor.Begin_Rename(folder);
    rename.newText = QStringLiteral("Mine");
    EXPECT_EQ(editor.Apply_Rename(rename), QString()) << "the name as it stands is kept";

    // A whole subject goes only into a folder.
    const int signs = findNode(left, QStringLiteral("Signs"));
    EXPECT_EQ(editor.Drop(signs, verbs), 0);
    EXPECT_EQ(host.lastBox().text, caption(137));
    EXPECT_EQ(editor.Drop(signs, folder), folder);
    EXPECT_EQ(editor.Kind_Of(right.LastSibling(verbs)), Kind::Subject);
    EXPECT_EQ(right.Children(right.LastSibling(verbs)), 2);
}

} // namespace
