// The phrase lists of virtual subjects and of the random draw, and the check
// before a virtual subject is studied.
#include "subjects/subject_fixture.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

using fixture::VirtualPhrase;

VirtualPhrase vp(int parent, const QVariant &file, const QVariant &number,
                 const QString &translation) {
    return {parent,      file,
            number,      QStringLiteral("p-") + translation,
            translation, QStringLiteral("u-") + translation};
}

class PhraseListTest : public SubjectTestBase {
protected:
    // Clicks the random-phrases folder and returns the random-phrases node (0 when none).
    int drawRandomPhrases() {
        click(3);
        return TreeFolders.Child(3);
    }
    // Values for Rnd that pick subject `file` of `count` listed files.
    static double pick(int file, int count) { return (file + 0.5) / count; }
};

TEST_F(PhraseListTest, VirtualSubjectsListTheirCopiedPhrases) {
    subject(QStringLiteral("Food.ito"), 4);
    fixture::makeVirtualFolder(
        virtualFolder(QStringLiteral("Mine.vito")),
        {QStringLiteral("Verbs"), QStringLiteral("Nothing"), QStringLiteral("Odd")},
        {vp(1, QStringLiteral("Food.ito"), 3, QStringLiteral("three")),
         vp(1, QStringLiteral("Food.ito"), 1, QStringLiteral("one")),
         vp(3, QVariant(), 2, QStringLiteral("nofile")),
         vp(3, QStringLiteral("Food.ito"), QVariant(), QStringLiteral("nonumber")),
         // A name that would reach outside the installed-subjects folder.
         vp(3, QStringLiteral("../Subjects/Food.ito"), 1, QStringLiteral("outside")),
         vp(3, QStringLiteral("Food.ito"), 4, QStringLiteral("four"))});
    build();
    const int verbs = find(QStringLiteral("Verbs"));
    click(verbs);
    EXPECT_EQ(childTags(verbs), (QStringList{QStringLiteral("Food.ito*3*p-three*three*u-three"),
                                             QStringLiteral("Food.ito*1*p-one*one*u-one")}));
    EXPECT_EQ(TreeFolders.Image(TreeFolders.Child(verbs)), 10);
    // The main window is never disabled for a virtual folder.
    EXPECT_TRUE(windows.mainEnabled.isEmpty());
    click(verbs);
    EXPECT_EQ(TreeFolders.Children(verbs), 2);

    // A phrase of a virtual subject validates its source file.
    click(TreeFolders.Child(verbs));
    EXPECT_EQ(TreeFolders.Selected(), TreeFolders.Child(verbs));
    EXPECT_TRUE(host.boxes.empty());

    const int nothing = find(QStringLiteral("Nothing"));
    click(nothing);
    ASSERT_EQ(TreeFolders.Children(nothing), 1);
    const int placeholder = TreeFolders.Child(nothing);
    EXPECT_EQ(TreeFolders.Text(placeholder), caption(127));
    EXPECT_EQ(TreeFolders.Tag(placeholder), QStringLiteral("IGNORE"));
    EXPECT_EQ(TreeFolders.Image(placeholder), 0);
    click(placeholder);
    EXPECT_EQ(TreeFolders.Selected(), nothing);

    // Rows that do not name a subject file of the installed-subjects folder
    // are left out and reported.
    const int odd = find(QStringLiteral("Odd"));
    click(odd);
    EXPECT_EQ(childTexts(odd), QStringList{QStringLiteral("four")});
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(host.lastBox().text.startsWith(caption(caption::PhrasesWithoutSource)));
    EXPECT_TRUE(host.lastBox().text.contains(QStringLiteral("Mine.vito")));
}

TEST_F(PhraseListTest, VirtualFolderGoneSinceStartIsReported) {
    subject(QStringLiteral("Food.ito"));
    fixture::makeVirtualFolder(virtualFolder(QStringLiteral("Gone.vito")),
                               {QStringLiteral("Verbs")},
                               {vp(1, QStringLiteral("Food.ito"), 1, QStringLiteral("one"))});
    build();
    QFile::remove(virtualFolder(QStringLiteral("Gone.vito")));
    const int verbs = find(QStringLiteral("Verbs"));
    click(verbs);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(host.lastBox().text.startsWith(QStringLiteral("GONE.VITOC6\r\n\r\n")));
    EXPECT_EQ(host.lastBox().title, caption(103));
    EXPECT_EQ(TreeFolders.Image(verbs), 11);
    EXPECT_EQ(TreeFolders.Selected(), find(QStringLiteral("Gone")));
    EXPECT_TRUE(mainEnabledAtEnd());
}

TEST_F(PhraseListTest, RandomPhrasesDrawTenFromValidSubjects) {
    subject(QStringLiteral("A.ito"), 5);
    subject(QStringLiteral("B.ito"), 5);
    build();
    // First phrase: subject B, phrase 5 (k = int(0.99 * 5) + 1).
    host.rndValues = {pick(1, 2), 0.99, pick(0, 2), 0.0};
    const int node = drawRandomPhrases();
    ASSERT_NE(node, 0);
    EXPECT_EQ(TreeFolders.Text(node), caption(118));
    EXPECT_EQ(TreeFolders.Tag(node), QStringLiteral("SUBJECT*VIRTUALSUBJECT"));
    EXPECT_EQ(TreeFolders.Image(3), 2);
    ASSERT_EQ(TreeFolders.Children(node), 10);
    const QStringList tags = childTags(node);
    EXPECT_EQ(tags[0], QStringLiteral("B.ito*5*Bp5*Bt5*Bu5"));
    EXPECT_EQ(tags[1], QStringLiteral("A.ito*1*Ap1*At1*Au1"));
    for (int i = TreeFolders.Child(node); i != 0; i = TreeFolders.Next(i)) {
        const QStringList fields = TreeFolders.Tag(i).split(QLatin1Char('*'));
        ASSERT_EQ(fields.size(), 5);
        EXPECT_EQ(TreeFolders.Text(i), fields[3]);
        EXPECT_EQ(TreeFolders.Image(i), 9);
    }
    EXPECT_EQ(windows.mainEnabled, (QList<bool>{false, true}));

    // A second click on the node adds nothing; on the folder it empties it.
    click(node);
    EXPECT_EQ(TreeFolders.Children(node), 10);
    click(3);
    EXPECT_EQ(TreeFolders.Children(3), 0);
    EXPECT_EQ(TreeFolders.Image(3), 1);
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(PhraseListTest, ManyFailingSubjectsShowTheSkippedOnes) {
    // Twelve subjects; only s05 belongs to this build.
    for (int i = 1; i <= 12; ++i)
        subject(QStringLiteral("s%1.ito").arg(i, 2, 10, QLatin1Char('0')), 2,
                i == 5 ? QStringLiteral("tvxito") : QStringLiteral("tvxspa"));
    build();
    // Meet all eleven failing subjects first, then the valid one.
    for (int i = 0; i < 12; ++i)
        if (i != 4)
            host.rndValues.push_back(pick(i, 12));
    const int node = drawRandomPhrases();
    ASSERT_NE(node, 0);
    ASSERT_EQ(TreeFolders.Children(node), 10);
    for (const QString &tag : childTags(node))
        EXPECT_TRUE(tag.startsWith(QStringLiteral("s05.ito*"))) << tag.toStdString();

    EXPECT_EQ(windows.noticeCaptions, QStringList{caption(119)});
    EXPECT_EQ(windows.notices, (QStringList{caption(148), QStringLiteral("C148\r\n\r\ns12.ito")}));
    EXPECT_FALSE(windows.noticeVisible);
    EXPECT_EQ(windows.mainEnabled, (QList<bool>{false, true}));
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(PhraseListTest, TenFailuresStayQuiet) {
    for (int i = 1; i <= 11; ++i)
        subject(QStringLiteral("s%1.ito").arg(i, 2, 10, QLatin1Char('0')), 2,
                i == 11 ? QStringLiteral("tvxito") : QStringLiteral("tvxspa"));
    build();
    for (int i = 0; i < 10; ++i)
        host.rndValues.push_back(pick(i, 11));
    EXPECT_EQ(TreeFolders.Children(drawRandomPhrases()), 10);
    EXPECT_TRUE(windows.notices.isEmpty());
}

TEST_F(PhraseListTest, NoUsableSubjectLeavesTheFolderEmpty) {
    subject(QStringLiteral("Other.ito"), 3, QStringLiteral("tvxspa"));
    fixture::makeSubject(installed(QStringLiteral("Silent.ito")), QStringLiteral("tvxito"), {});
    writeFile(installed(QStringLiteral("Text.ito")),
              "plain text that only looks like a subject by its name");
    build();
    const int node = drawRandomPhrases();
    EXPECT_EQ(node, 0);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.lastBox().text, caption(140));
    EXPECT_EQ(host.lastBox().style, vb::vbOKOnly);
    EXPECT_TRUE(host.lastBox().title.isEmpty());
    EXPECT_EQ(TreeFolders.Children(3), 0);
    EXPECT_TRUE(mainEnabledAtEnd());
    EXPECT_FALSE(windows.noticeVisible);

    // The next click draws again.
    subject(QStringLiteral("Good.ito"));
    EXPECT_EQ(TreeFolders.Children(drawRandomPhrases()), 10);
}

TEST_F(PhraseListTest, SubjectsRemovedSinceStartAreNotDrawn) {
    subject(QStringLiteral("A.ito"));
    build();
    QFile::remove(installed(QStringLiteral("A.ito")));
    EXPECT_EQ(drawRandomPhrases(), 0);
    EXPECT_EQ(host.boxTexts(), QStringList{caption(140)});
    EXPECT_TRUE(mainEnabledAtEnd());
}

TEST_F(PhraseListTest, GapInPhraseNumbersStillGivesAPhrase) {
    fixture::makeSubject(installed(QStringLiteral("Gap.ito")), QStringLiteral("tvxito"),
                         {{1, QStringLiteral("a"), QStringLiteral("one"), QStringLiteral("x")},
                          {2, QStringLiteral("b"), QStringLiteral("two"), QStringLiteral("y")},
                          {7, QStringLiteral("c"), QStringLiteral("seven"), QStringLiteral("z")}});
    build();
    // Number 3 has no row: the third row is taken.
    host.rndValues = {0.0, 0.9, 0.0, 0.4};
    const int node = drawRandomPhrases();
    ASSERT_EQ(TreeFolders.Children(node), 10);
    EXPECT_EQ(childTags(node).mid(0, 2), (QStringList{QStringLiteral("Gap.ito*7*c*seven*z"),
                                                      QStringLiteral("Gap.ito*2*b*two*y")}));
    EXPECT_TRUE(host.boxes.empty());
}

class CheckVirtualSubjectTest : public PhraseListTest {
protected:
    void SetUp() override {
        program.identity.productTitle = QStringLiteral("Tolvanex Italiano");
        subject(QStringLiteral("Food.ito"), 3);
        subject(QStringLiteral("Comida.ito"), 3, QStringLiteral("tvxspa"));
        fixture::makeVirtualFolder(virtualFolder(QStringLiteral("Mine.vito")),
                                   {QStringLiteral("Mixed"), QStringLiteral("AllGone"),
                                    QStringLiteral("Nothing"), QStringLiteral("Foreign")},
                                   {vp(1, QStringLiteral("Food.ito"), 1, QStringLiteral("f1")),
                                    vp(1, QStringLiteral("Gone.ito"), 1, QStringLiteral("g1")),
                                    vp(1, QStringLiteral("Gone.ito"), 2, QStringLiteral("g2")),
                                    vp(1, QStringLiteral("Gone.ito"), 2, QStringLiteral("g2")),
                                    vp(1, QStringLiteral("Lost.ito"), 1, QStringLiteral("l1")),
                                    vp(2, QStringLiteral("Gone.ito"), 3, QStringLiteral("g3")),
                                    vp(4, QStringLiteral("Comida.ito"), 1, QStringLiteral("c1"))});
        build();
    }
    // Clicks the virtual subject (listing its phrases) and checks it.
    bool check(const QString &name, int &index) {
        const int node = find(name);
        click(node);
        TreeFolders.SetExpanded(node, true);
        return tree.Check_Virtual_Subject(index);
    }
};

TEST_F(CheckVirtualSubjectTest, MissingSourcesAreListedOnce) {
    int index = 0;
    host.answerNext(vb::vbNo);
    const int mixed = find(QStringLiteral("Mixed"));
    EXPECT_TRUE(check(QStringLiteral("Mixed"), index));
    EXPECT_EQ(index, TreeFolders.LastSibling(TreeFolders.Child(mixed)));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.lastBox().title, caption(144));
    EXPECT_EQ(vb::ButtonsOf(host.lastBox().style), vb::vbYesNo);
    EXPECT_EQ(host.lastBox().text, QStringLiteral("C133\r\n\r\ng1\r\ng2\r\nl1\r\n\r\nC134\r\n\r\n"
                                                  "GONE.ITO\r\nLOST.ITO\r\n\r\nC135"));
    EXPECT_FALSE(TreeFolders.Expanded(mixed));
    EXPECT_EQ(TreeFolders.Image(mixed), 7);
    EXPECT_TRUE(host.openedUrls.isEmpty());
}

TEST_F(CheckVirtualSubjectTest, NothingToStudyMarksTheSubjectBroken) {
    int index = 0;
    host.answerNext(vb::vbYes);
    host.connected = true;
    EXPECT_FALSE(check(QStringLiteral("AllGone"), index));
    EXPECT_EQ(TreeFolders.Image(find(QStringLiteral("AllGone"))), 11);
    EXPECT_EQ(TreeFolders.SelectedImage(find(QStringLiteral("AllGone"))), 11);
    EXPECT_EQ(host.openedUrls, QStringList{caption(94) + QStringLiteral("subjects.htm")});

    // An empty subject and a subject of another build have nothing to study either.
    EXPECT_FALSE(check(QStringLiteral("Nothing"), index));
    EXPECT_EQ(TreeFolders.Image(find(QStringLiteral("Nothing"))), 11);
    EXPECT_FALSE(check(QStringLiteral("Foreign"), index));
    EXPECT_EQ(host.boxes.size(), 1u);
}

TEST_F(CheckVirtualSubjectTest, SubjectWithoutChildrenIsReported) {
    int index = 0;
    TreeFolders.Select(find(QStringLiteral("Mixed")));
    EXPECT_FALSE(tree.Check_Virtual_Subject(index));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(host.lastBox().text.startsWith(QStringLiteral("VIRTUALSUBJECT C6\r\n\r\n")));
    EXPECT_EQ(host.lastBox().style, vb::vbExclamation);
    EXPECT_TRUE(host.lastBox().title.isEmpty());
}

TEST_F(CheckVirtualSubjectTest, RandomPhrasesPassTheCheck) {
    int index = 0;
    const int node = drawRandomPhrases();
    ASSERT_EQ(TreeFolders.Children(node), 10);
    EXPECT_TRUE(tree.Check_Virtual_Subject(index));
    EXPECT_EQ(index, TreeFolders.LastSibling(TreeFolders.Child(node)));
    EXPECT_TRUE(host.boxes.empty());
}

} // namespace

namespace {

TEST_F(CheckVirtualSubjectTest, ATagTextAloneIsNoPhraseAndAStarStaysInItsText) {
    // Nodes that carry only a tag text (the program never makes them) are
    // read by nobody: a "*" in a text no longer moves a file name into place.
    const int subject = find(QStringLiteral("Nothing"));
    TreeFolders.Add(subject, QStringLiteral("short"), QStringLiteral("Gone.ito"));
    TreeFolders.Add(subject, QStringLiteral("long"), QStringLiteral("Food.ito*1*a*b*c*extra"));
    TreeFolders.Select(subject);
    int index = 0;
    EXPECT_FALSE(tree.Check_Virtual_Subject(index));
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(host.boxes.empty()) << host.boxTexts().join('|').toStdString();

    // A phrase whose texts hold "*" and quotes keeps them; its source is found.
    const subjectData::Phrase starred{
        QStringLiteral("Gone.ito"), 2,
        QStringLiteral("a*b"),      QStringLiteral("say \"hi*\""),
        QStringLiteral("*"),        subjectData::PhraseOrigin::Virtual};
    const int phrase =
        TreeFolders.Add(subject, starred.translation, subjectData::SubjectNode::Of(starred), 10);
    TreeFolders.Select(subject);
    host.answerNext(vb::vbNo);
    EXPECT_FALSE(tree.Check_Virtual_Subject(index));
    EXPECT_EQ(index, phrase);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(host.boxes[0].text.contains(QStringLiteral("\r\n\r\nsay \"hi*\"\r\n")));
    EXPECT_TRUE(host.boxes[0].text.contains(QStringLiteral("C134\r\n\r\nGONE.ITO\r\n")));
    EXPECT_EQ(tree.Tag_Item(3, phrase), QStringLiteral("say \"hi*\""));
    EXPECT_EQ(TreeFolders.Tag(phrase), QStringLiteral("Gone.ito*2*a*b*say \"hi*\"**"));
}

} // namespace
