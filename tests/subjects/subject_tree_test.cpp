// Building the subject tree, its tags and pictures, and what a click on each
// kind of node does (on the model, without a window).
#include "subject_data/subject_file.h"
#include "subjects/subject_fixture.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

class SubjectTreeTest : public SubjectTestBase {
protected:
    // Two installed subjects and two virtual folders, one of them empty.
    void standardContent() {
        subject(QStringLiteral("family_and_FRIENDS.ito"));
        subject(QStringLiteral("Food.ito"), 8);
        fixture::makeVirtualFolder(virtualFolder(QStringLiteral("My_Words.vito")),
                                   {QStringLiteral("Verbs"), QStringLiteral("Empty")},
                                   {{1, QStringLiteral("Food.ito"), 2, QStringLiteral("p2"),
                                     QStringLiteral("t2"), QStringLiteral("u2")},
                                    {1, QStringLiteral("Food.ito"), 1, QStringLiteral("p1"),
                                     QStringLiteral("t1"), QStringLiteral("u1")}});
        fixture::makeVirtualFolder(virtualFolder(QStringLiteral("Blank.vito")), {}, {});
    }
};

TEST_F(SubjectTreeTest, StartUpBuildsFoldersSubjectsAndVirtualFolders) {
    standardContent();
    build();
    EXPECT_TRUE(host.boxes.empty()) << host.boxTexts().join(QStringLiteral(" | ")).toStdString();

    struct Expected {
        QString text, tag;
        int parent, image, selectedImage;
        bool bold;
    };
    const std::vector<Expected> nodes = {
        {caption(2), QStringLiteral("FOLDER*INSTALLED_SUBJECTS"), 0, 1, 0, true},
        {caption(117), QStringLiteral("FOLDER*RANDOM_SUBJECT"), 0, 1, 0, true},
        {caption(119), QStringLiteral("FOLDER*RANDOM_PHRASES"), 0, 1, 0, true},
        {QStringLiteral("Family And Friends"), QStringLiteral("SUBJECT*family_and_FRIENDS.ito"), 1,
         5, 6, false},
        {QStringLiteral("Food"), QStringLiteral("SUBJECT*Food.ito"), 1, 5, 6, false},
        {QStringLiteral("Blank"), QStringLiteral("FOLDER*Blank.vito"), 0, 3, 0, true},
        {caption(130), QStringLiteral("IGNORE"), 6, 0, 0, false},
        {QStringLiteral("My_Words"), QStringLiteral("FOLDER*My_Words.vito"), 0, 3, 0, true},
        {QStringLiteral("Verbs"), QStringLiteral("SUBJECT*VIRTUALSUBJECT*1"), 8, 7, 8, false},
        {QStringLiteral("Empty"), QStringLiteral("SUBJECT*VIRTUALSUBJECT*2"), 8, 7, 8, false},
    };
    ASSERT_EQ(TreeFolders.Count(), static_cast<int>(nodes.size()));
    for (int i = 1; i <= TreeFolders.Count(); ++i) {
        SCOPED_TRACE(i);
        const Expected &e = nodes[i - 1];
        EXPECT_EQ(TreeFolders.Text(i), e.text);
        EXPECT_EQ(TreeFolders.Tag(i), e.tag);
        EXPECT_EQ(TreeFolders.Parent(i), e.parent);
        EXPECT_EQ(TreeFolders.Image(i), e.image);
        EXPECT_EQ(TreeFolders.SelectedImage(i), e.selectedImage);
        EXPECT_EQ(TreeFolders.Bold(i), e.bold);
    }
    EXPECT_EQ(TreeFolders.Selected(), 1);
    // Progress lines, newest first; installed titles keep their leading blank.
    EXPECT_EQ(windows.splashText,
              QStringLiteral("C23 Empty\r\nC23 Verbs\r\nC23  Food\r\nC23  Family And Friends\r\n"));
    // Events run while loading, but not after every single node.
    EXPECT_GE(host.doEventsCalls, 1);
}

TEST_F(SubjectTreeTest, NoticeWindowFollowsTheLoadingWhenShown) {
    standardContent();
    windows.splashVisible = false;
    windows.noticeVisible = true;
    build();
    EXPECT_EQ(windows.notices,
              (QStringList{QStringLiteral(" Family And Friends"), QStringLiteral(" Food"),
                           QStringLiteral("Verbs"), QStringLiteral("Empty")}));
    EXPECT_TRUE(windows.splashText.isEmpty());
}

TEST_F(SubjectTreeTest, ProperTitleSplitsWordsAndCutsTheExtension) {
    EXPECT_EQ(tree.Proper_Title(QStringLiteral("family_and_FRIENDS.ito")),
              QStringLiteral(" Family And Friends"));
    EXPECT_EQ(tree.Proper_Title(QStringLiteral("a.ito")), QStringLiteral(" A"));
    EXPECT_EQ(tree.Proper_Title(QStringLiteral("at_the__DOCTOR's.ito")),
              QStringLiteral(" At The  Doctor's"));
    EXPECT_TRUE(host.boxes.empty());

    EXPECT_EQ(tree.Proper_Title(QStringLiteral("x")), QString());
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(host.lastBox().text.startsWith(QStringLiteral("C149\r\n\r\nProper_Title: ")));
    EXPECT_EQ(host.lastBox().title, QStringLiteral("ERROR"));
}

TEST_F(SubjectTreeTest, DemoSubjectTitlesReadWellInBothLearnerLanguages) {
    // The shipped file names are chosen so that the title case of the tree
    // keeps them as written: no capitalised "and"/"y", accents kept.
    QFile topics(QStringLiteral(TVX_SOURCE_DIR "/content/subjects/topics.tsv"));
    ASSERT_TRUE(topics.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(topics.readAll()).split(QLatin1Char('\n'));
    int checked = 0;
    for (const QString &line : lines.mid(1)) {
        const QStringList names = line.split(QLatin1Char('\t')).mid(1);
        for (const QString &name : names) {
            const QString shown =
                QLatin1Char(' ') + QString(name).replace(QLatin1Char('_'), QLatin1Char(' '));
            // Small words read wrongly in capitals after the first word.
            for (const QString &word : name.split(QLatin1Char('_')).mid(1))
                EXPECT_FALSE(QStringList({"And", "Or", "Of", "The", "Y", "O", "E", "De", "Del",
                                          "El", "La", "Los", "Las", "En"})
                                 .contains(word))
                    << name.toStdString();
            EXPECT_EQ(tree.Proper_Title(name + QStringLiteral(".ito")), shown);
            ++checked;
        }
    }
    EXPECT_GE(checked, 20);
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(SubjectTreeTest, TagItemReadsFieldsAndReportsMissingOnes) {
    const int odd = TreeFolders.Add(0, QStringLiteral("odd"), QStringLiteral("F.ito*7*a*b*tr*x"));
    const int bare = TreeFolders.Add(0, QStringLiteral("bare"), QString());
    const int three =
        TreeFolders.Add(0, QStringLiteral("three"), QStringLiteral("SUBJECT*VIRTUALSUBJECT"));

    // A node that carries only a tag text is read by its fields as they stand.
    EXPECT_EQ(tree.Tag_Item(3, odd), QStringLiteral("b"));
    EXPECT_EQ(tree.Tag_Item(5, odd), QStringLiteral("x"));
    EXPECT_EQ(tree.Tag_Item(0, bare), QString());
    EXPECT_TRUE(host.boxes.empty());

    for (auto [n, index] : {std::pair{6, odd}, std::pair{1, bare}, std::pair{2, three},
                            std::pair{-1, odd}, std::pair{0, 99}, std::pair{0, 0}}) {
        SCOPED_TRACE(n);
        const size_t before = host.boxes.size();
        EXPECT_EQ(tree.Tag_Item(n, index), QString());
        ASSERT_EQ(host.boxes.size(), before + 1);
        EXPECT_TRUE(host.lastBox().text.startsWith(QStringLiteral("C149\r\n\r\nTag_Item: ")));
        EXPECT_EQ(host.lastBox().style, vb::vbCritical);
    }
}

TEST_F(SubjectTreeTest, FolderPicturesFollowExpandAndCollapse) {
    standardContent();
    build();
    const int blank = find(QStringLiteral("Blank"));
    const int food = find(QStringLiteral("Food"));
    tree.Expand(1);
    tree.Expand(blank);
    tree.Expand(food);
    EXPECT_EQ(TreeFolders.Image(1), 2);
    EXPECT_EQ(TreeFolders.Image(blank), 4);
    EXPECT_EQ(TreeFolders.Image(food), 5);
    tree.Collapse(1);
    tree.Collapse(blank);
    tree.Collapse(food);
    EXPECT_EQ(TreeFolders.Image(1), 1);
    EXPECT_EQ(TreeFolders.Image(blank), 3);
    EXPECT_EQ(TreeFolders.Image(food), 5);
}

TEST_F(SubjectTreeTest, FolderClicksToggleAndPlaceholdersSelectTheirFolder) {
    standardContent();
    build();
    click(1);
    EXPECT_TRUE(TreeFolders.Expanded(1));
    click(1);
    EXPECT_FALSE(TreeFolders.Expanded(1));
    const int blank = find(QStringLiteral("Blank"));
    click(blank);
    EXPECT_TRUE(TreeFolders.Expanded(blank));
    click(TreeFolders.Child(blank));
    EXPECT_EQ(TreeFolders.Selected(), blank);
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(SubjectTreeTest, WithoutInstalledSubjectsEveryClickPointsToTheFolder) {
    fixture::makeVirtualFolder(virtualFolder(QStringLiteral("Mine.vito")), {QStringLiteral("S")},
                               {});
    build();
    EXPECT_EQ(childTexts(1), QStringList{caption(130)});
    const int count = TreeFolders.Count();
    const QString expected = QStringLiteral("C131 \r\n\r\n") +
                             program.folders.installedSubjectsFolder +
                             QStringLiteral("\r\n\r\nC132\r\n");
    for (int index : {1, 2, 3, 4, find(QStringLiteral("Mine")), find(QStringLiteral("S"))}) {
        SCOPED_TRACE(index);
        click(index);
        EXPECT_EQ(host.lastBox().text, expected);
        EXPECT_EQ(host.lastBox().style, vb::vbOKOnly);
        EXPECT_TRUE(host.lastBox().title.isEmpty());
    }
    EXPECT_EQ(host.boxes.size(), 6u);
    EXPECT_EQ(TreeFolders.Count(), count);
    EXPECT_EQ(TreeFolders.Children(2), 0);
}

TEST_F(SubjectTreeTest, InstalledSubjectListsItsPhrasesOnce) {
    standardContent();
    build();
    const int food = find(QStringLiteral("Food"));
    click(food);
    QStringList texts, tags;
    for (int i = 1; i <= 8; ++i) {
        texts << QStringLiteral("Fot%1").arg(i);
        tags << QStringLiteral("Food.ito*%1*Fop%1*Fot%1*Fou%1").arg(i);
    }
    EXPECT_EQ(childTexts(food), texts);
    EXPECT_EQ(childTags(food), tags);
    for (int i = TreeFolders.Child(food); i != 0; i = TreeFolders.Next(i)) {
        EXPECT_EQ(TreeFolders.Image(i), 9);
        EXPECT_EQ(TreeFolders.SelectedImage(i), 0);
    }
    EXPECT_EQ(windows.mainEnabled, (QList<bool>{false, true}));

    click(food);
    EXPECT_EQ(TreeFolders.Children(food), 8);
    EXPECT_EQ(windows.mainEnabled.size(), 2);
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(SubjectTreeTest, NullTextsBecomeEmptyAndAnAsteriskStaysInItsText) {
    fixture::makeSubject(installed(QStringLiteral("Odd.ito")), QStringLiteral("tvxito"),
                         {{1, QVariant(), QStringLiteral("only translation"), QVariant()},
                          {2, QStringLiteral("a*b"), QStringLiteral("tr"), QStringLiteral("z")}});
    build();
    const int odd = find(QStringLiteral("Odd"));
    click(odd);
    EXPECT_EQ(childTags(odd), (QStringList{QStringLiteral("Odd.ito*1**only translation*"),
                                           QStringLiteral("Odd.ito*2*a*b*tr*z")}));
    // The tag text splits at the "*"; the phrase and its fields do not.
    const int starred = TreeFolders.ChildAt(odd, 1);
    EXPECT_EQ(TreeFolders.Text(starred), QStringLiteral("tr"));
    EXPECT_EQ(tree.Tag_Item(2, starred), QStringLiteral("a*b"));
    EXPECT_EQ(tree.Tag_Item(3, starred), QStringLiteral("tr"));
    EXPECT_EQ(tree.Tag_Item(4, starred), QStringLiteral("z"));
    EXPECT_EQ(phraseAt(starred),
              (subjectData::Phrase{QStringLiteral("Odd.ito"), 2, QStringLiteral("a*b"),
                                   QStringLiteral("tr"), QStringLiteral("z")}));
    // A phrase of a valid subject stays selected.
    click(starred);
    EXPECT_EQ(TreeFolders.Selected(), starred);
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(SubjectTreeTest, UnreadableSubjectTurnsBrokenAndSelectsItsFolder) {
    writeFile(installed(QStringLiteral("Broken.ito")),
              "not a database, only some text that is long enough");
    fixture::makeSubject(installed(QStringLiteral("NoPhrases.ito")), QStringLiteral("tvxito"), {});
    build();
    const int broken = find(QStringLiteral("Broken"));
    click(broken);
    EXPECT_EQ(TreeFolders.Image(broken), 11);
    EXPECT_EQ(TreeFolders.SelectedImage(broken), 11);
    EXPECT_EQ(TreeFolders.Selected(), 1);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(host.lastBox().text.startsWith(QStringLiteral("BROKEN.ITOC6\r\n\r\n")));
    EXPECT_GT(host.lastBox().text.length(), QStringLiteral("BROKEN.ITOC6\r\n\r\n").length());
    EXPECT_EQ(host.lastBox().style, vb::vbExclamation);
    EXPECT_EQ(host.lastBox().title, caption(103));
    EXPECT_EQ(windows.mainEnabled, (QList<bool>{false, true}));

    // A subject without phrases simply lists nothing.
    const int empty = find(QStringLiteral("Nophrases"));
    click(empty);
    EXPECT_EQ(TreeFolders.Children(empty), 0);
    EXPECT_EQ(TreeFolders.Image(empty), 5);
    EXPECT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(mainEnabledAtEnd());
}

TEST_F(SubjectTreeTest, PhraseOfWrongLanguageSubjectIsReportedAndLeft) {
    program.identity.productTitle = QStringLiteral("Tolvanex Italiano");
    subject(QStringLiteral("Comida.ito"), 2, QStringLiteral("tvxspa"));
    build();
    const int comida = find(QStringLiteral("Comida"));
    click(comida);
    ASSERT_EQ(TreeFolders.Children(comida), 2);
    const int phrase = TreeFolders.Child(comida);
    click(phrase);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.lastBox().text, QStringLiteral("Comida.itoC5 Tolvanex Italiano"));
    EXPECT_EQ(TreeFolders.Selected(), comida);

    // A phrase whose source subject is gone offers the subjects page.
    QFile::remove(installed(QStringLiteral("Comida.ito")));
    subject(QStringLiteral("Other.ito"));
    host.answerNext(vb::vbNo);
    click(phrase);
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_TRUE(host.lastBox().text.endsWith(QStringLiteral("Comida.itoC6\r\n\r\nC135")));
    EXPECT_EQ(TreeFolders.Selected(), comida);
}

TEST_F(SubjectTreeTest, RandomSubjectFolderAlternatesBetweenDrawingAndEmptying) {
    subject(QStringLiteral("a_b.ito"));
    subject(QStringLiteral("c_d.ito"));
    subject(QStringLiteral("e_f.ito"));
    build();
    host.rndValues = {0.5};
    click(2);
    ASSERT_EQ(TreeFolders.Children(2), 1);
    const int drawn = TreeFolders.Child(2);
    EXPECT_EQ(TreeFolders.Text(drawn), QStringLiteral(" C D"));
    EXPECT_EQ(TreeFolders.Tag(drawn), QStringLiteral("SUBJECT*c_d.ito"));
    EXPECT_EQ(TreeFolders.Image(drawn), 5);
    EXPECT_EQ(TreeFolders.SelectedImage(drawn), 6);
    EXPECT_EQ(TreeFolders.Selected(), drawn);
    EXPECT_EQ(TreeFolders.Image(2), 2);
    EXPECT_TRUE(TreeFolders.Expanded(2));
    EXPECT_EQ(TreeFolders.Children(drawn), 0);

    // Its phrases come with its own click.
    click(drawn);
    EXPECT_EQ(childTexts(drawn), (QStringList{"c_t1", "c_t2", "c_t3"}));

    click(2);
    EXPECT_EQ(TreeFolders.Children(2), 0);
    EXPECT_EQ(TreeFolders.Image(2), 1);

    host.rndValues = {0.99};
    click(2);
    EXPECT_EQ(TreeFolders.Tag(TreeFolders.Child(2)), QStringLiteral("SUBJECT*e_f.ito"));
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(SubjectTreeTest, RefreshRebuildsOnlyAfterAChange) {
    standardContent();
    build();
    const int food = find(QStringLiteral("Food"));
    click(food);
    const int phrase = TreeFolders.Child(food);
    click(phrase);
    const int count = TreeFolders.Count();

    subject(QStringLiteral("Zoo.ito"));
    tree.Refresh_Subjects();
    EXPECT_EQ(TreeFolders.Count(), count);
    EXPECT_EQ(TreeFolders.Selected(), phrase);
    EXPECT_EQ(find(QStringLiteral("Zoo")), 0);

    program.bSubjectsChanged = true;
    tree.Refresh_Subjects();
    EXPECT_FALSE(program.bSubjectsChanged);
    EXPECT_EQ(TreeFolders.Count(), 11);
    EXPECT_EQ(TreeFolders.Tag(1), QStringLiteral("FOLDER*INSTALLED_SUBJECTS"));
    EXPECT_EQ(TreeFolders.Parent(find(QStringLiteral("Zoo"))), 1);
    EXPECT_EQ(TreeFolders.Children(find(QStringLiteral("Food"))), 0);
    EXPECT_EQ(TreeFolders.Selected(), 1);
}

TEST_F(SubjectTreeTest, DamagedVirtualFolderDoesNotHideTheOthers) {
    subject(QStringLiteral("Food.ito"));
    writeFile(virtualFolder(QStringLiteral("A_Bad.vito")),
              "garbage, not a database file in any way at all");
    fixture::makeVirtualFolder(virtualFolder(QStringLiteral("B_Null.vito")),
                               {QStringLiteral("First"), QVariant(), QStringLiteral("Third")}, {});
    fixture::makeVirtualFolder(virtualFolder(QStringLiteral("C_Good.vito")),
                               {QStringLiteral("Kept")}, {});
    build();

    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_TRUE(
        host.boxes[0].text.startsWith(QStringLiteral("C149\r\n\r\nGet_vSubjects: A_Bad.vito: ")));
    EXPECT_TRUE(
        host.boxes[1].text.startsWith(QStringLiteral("C149\r\n\r\nGet_vSubjects: B_Null.vito: ")));
    EXPECT_EQ(childTexts(find(QStringLiteral("A_Bad"))), QStringList{caption(130)});
    // A nameless subject ends the reading of its folder.
    EXPECT_EQ(childTexts(find(QStringLiteral("B_Null"))), QStringList{QStringLiteral("First")});
    EXPECT_EQ(childTexts(find(QStringLiteral("C_Good"))), QStringList{QStringLiteral("Kept")});
}

TEST_F(SubjectTreeTest, AsteriskInFileNamesIsReportedAndKeptOutOfTags) {
    subject(QStringLiteral("Good.ito"));
    subject(QStringLiteral("Star*name.ito"));
    fixture::makeVirtualFolder(virtualFolder(QStringLiteral("My*folder.vito")),
                               {QStringLiteral("S")}, {});
    build();
    EXPECT_EQ(childTexts(1), QStringList{QStringLiteral("Good")});
    EXPECT_EQ(find(QStringLiteral("My*folder")), 0);
    ASSERT_EQ(host.boxes.size(), 2u);
    EXPECT_TRUE(host.boxes[0].text.contains(QStringLiteral("Star*name.ito")));
    EXPECT_TRUE(host.boxes[1].text.contains(QStringLiteral("My*folder.vito")));
    EXPECT_EQ(host.boxes[0].title, caption(103));

    // Never drawn as the random subject either.
    host.rndValues = {0.99};
    click(2);
    EXPECT_EQ(TreeFolders.Tag(TreeFolders.Child(2)), QStringLiteral("SUBJECT*Good.ito"));
}

} // namespace
