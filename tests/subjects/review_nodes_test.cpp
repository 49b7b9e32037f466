// The learner's review lists in the subject tree: "review today" and the
// difficult phrases, read from the results activities wrote, first in the
// tree, and up to date when the student database changes.
#include "frame/mod_main.h"
#include "platform/platform_language.h"
#include "study_data/study_results.h"
#include "subject_data/subject_file.h"
#include "subjects/subject_fixture.h"

#include <QFile>
#include <QLocale>

#include <gtest/gtest.h>

namespace {

using subjectData::NodeKind;

class ReviewNodesTest : public SubjectTestBase {
protected:
    ReviewNodesTest() {
        program.currentStudent = QStringLiteral("Ann \"Annie\" O'Brien");
        program.folders.dataFolder = env.programFolder();
        env.installTemplate();
        QFile::copy(env.programFolder() + QStringLiteral("Tolvanex.tpl"), program.usersPath());
        QFile(program.usersPath()).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        program.captions.Set(caption::NextReviewOn, QStringLiteral("C342 %1"));
        program.captions.Set(caption::ReviewsUnreadable, QStringLiteral("C345 %1"));
        subject(QStringLiteral("Food.ito"), 4);
        subject(QStringLiteral("Drinks.ito"), 2);
        build();
    }

    // A game on the given phrases of a subject at `when`, one grade each.
    void played(const QString &file, const QVector<int> &numbers, const QVector<int> &grades,
                const QDateTime &when) {
        const QString prefix = file.left(2);
        studyResults::Launch launch;
        launch.id = studyResults::New_Launch_Id();
        launch.studyFile = QStringLiteral("study%1.tmp").arg(++m_launches);
        launch.student = program.currentStudent;
        launch.subject = file.section(QLatin1Char('.'), 0, 0);
        launch.when = when;
        QVector<studyResults::EntryTexts> texts;
        QVector<studyResults::PhraseResult> results;
        for (int i = 0; i < numbers.size(); ++i) {
            const int n = numbers[i];
            launch.entries << studyResults::LaunchEntry{
                i + 1, file, n, prefix + QStringLiteral("p%1").arg(n),
                prefix + QStringLiteral("t%1").arg(n), prefix + QStringLiteral("u%1").arg(n)};
            texts << studyResults::EntryTexts{launch.entries.last().phrase,
                                              launch.entries.last().translation,
                                              launch.entries.last().translation2};
            results << studyResults::PhraseResult{i + 1, grades[i], when.addSecs(10 * i), 2.0};
        }
        studyResults::Record_Launch(program.usersPath(), launch, 1000);
        ASSERT_EQ(studyResults::Write_Results(program.usersPath(), launch.studyFile,
                                              when.addSecs(1), texts, results, 1000),
                  studyResults::ResultsWritten::Written);
    }

    // The first root nodes, in the tree's order.
    QStringList rootTexts() const {
        QStringList texts;
        for (int i = TreeFolders.FirstSibling(1); i != 0; i = TreeFolders.Next(i))
            texts << TreeFolders.Text(i);
        return texts;
    }
    int rootNode(int row) const {
        int i = TreeFolders.FirstSibling(1);
        for (; i != 0 && row > 0; --row)
            i = TreeFolders.Next(i);
        return i;
    }

    const QDateTime kDay0 = QDateTime(QDate(2026, 11, 2), QTime(9, 0));
    int m_launches = 0;
};

TEST_F(ReviewNodesTest, TheListsComeFirstWithTheirCountsAndListTheirPhrases) {
    // Nothing studied yet: both lists are there, empty, and say why.
    host.clock = kDay0;
    tree.Show_Review_Nodes();
    ASSERT_EQ(rootTexts().mid(0, 3),
              QStringList({caption(340) + " (0)", caption(341) + " (0)", caption(2)}));
    click(rootNode(0));
    EXPECT_EQ(childTexts(rootNode(0)), QStringList{caption(343)});
    EXPECT_EQ(TreeFolders.Selected(), rootNode(0));

    // Food 1 and 2 right, Food 3 forgotten, Drinks 1 right.
    played(QStringLiteral("Food.ito"), {1, 2, 3}, {3, 3, 1}, kDay0);
    played(QStringLiteral("Drinks.ito"), {1}, {4}, kDay0.addSecs(60));

    // The same day nothing is due: the list says when the next review is;
    // the phrase not known is difficult.
    host.clock = kDay0.addSecs(3600);
    tree.Show_Review_Nodes();
    EXPECT_EQ(TreeFolders.Text(rootNode(0)), caption(340) + " (0)");
    EXPECT_EQ(TreeFolders.Text(rootNode(1)), caption(341) + " (1)");
    EXPECT_EQ(TreeFolders.Children(rootNode(0)), 0) << "a list whose phrases changed is emptied";
    click(rootNode(0));
    const QVector<studyResults::PhraseSchedule> schedule = studyResults::Schedule(
        studyResults::Read_Histories(program.usersPath(), program.currentStudent).phrases,
        host.clock.date());
    QDate next;
    for (const auto &s : schedule)
        if (!next.isValid() || s.due < next)
            next = s.due;
    EXPECT_EQ(childTexts(rootNode(0)),
              QStringList{QStringLiteral("C342 ") +
                          platformLanguage::Learner_Locale(program.identity.learnerLanguage)
                              .toString(next, QLocale::LongFormat)});

    // The next day the phrase not known is due, and listed as difficult
    // with its subject's title.
    host.clock = kDay0.addDays(1);
    tree.Show_Review_Nodes();
    EXPECT_EQ(TreeFolders.Text(rootNode(0)), caption(340) + " (1)");
    EXPECT_EQ(TreeFolders.Text(rootNode(1)), caption(341) + " (1)");
    click(rootNode(1));
    EXPECT_EQ(childTexts(rootNode(1)), QStringList{"Fot3  (Food)"});
    EXPECT_TRUE(TreeFolders.Expanded(rootNode(1)));

    // A month later all four are due, the most overdue first; each is the
    // phrase of its source subject, heard and studied from there.
    host.clock = kDay0.addDays(30);
    tree.Show_Review_Nodes();
    EXPECT_EQ(TreeFolders.Text(rootNode(0)), caption(340) + " (4)");
    click(rootNode(0));
    const QStringList due = childTexts(rootNode(0));
    ASSERT_EQ(due.size(), 4);
    EXPECT_EQ(due[0], "Fot3  (Food)") << "forgotten, so due first";
    EXPECT_TRUE(due.contains("Drt1  (Drinks)"));
    const int first = TreeFolders.Child(rootNode(0));
    EXPECT_EQ(phraseAt(first).sourceFile, "Food.ito");
    EXPECT_EQ(phraseAt(first).number, 3);
    EXPECT_EQ(phraseAt(first).phrase, "Fop3");
    EXPECT_EQ(TreeFolders.Tag(rootNode(0)), "SUBJECT*VIRTUALSUBJECT*REVIEW_TODAY");
    int examined = 0;
    TreeFolders.Select(rootNode(0));
    EXPECT_TRUE(tree.Check_Virtual_Subject(examined));
    EXPECT_TRUE(host.boxes.empty()) << host.boxTexts().join(" | ").toStdString();
}

TEST_F(ReviewNodesTest, CountsFollowNewResultsAndLeaveOutWhatCannotBeStudied) {
    played(QStringLiteral("Food.ito"), {1, 2}, {1, 1}, kDay0);
    played(QStringLiteral("Drinks.ito"), {1, 2}, {1, 3}, kDay0);
    host.clock = kDay0.addDays(20);
    tree.Show_Review_Nodes();
    EXPECT_EQ(TreeFolders.Text(rootNode(0)), caption(340) + " (4)");
    EXPECT_EQ(TreeFolders.Text(rootNode(1)), caption(341) + " (3)") << "each 'again'";

    // An activity writes new results: the next time the window comes back,
    // the counts follow without a restart.
    played(QStringLiteral("Food.ito"), {1, 2}, {4, 4}, host.clock.addSecs(-60));
    tree.Show_Review_Nodes();
    EXPECT_EQ(TreeFolders.Text(rootNode(0)), caption(340) + " (2)");
    EXPECT_EQ(TreeFolders.Text(rootNode(1)), caption(341) + " (3)") << "still not known once";

    // A subject taken away: its phrases are neither counted nor listed.
    ASSERT_TRUE(QFile::remove(installed(QStringLiteral("Drinks.ito"))));
    program.bSubjectsChanged = true;
    tree.Refresh_Subjects();
    EXPECT_EQ(rootTexts().mid(0, 2), QStringList({caption(340) + " (0)",
                                                  caption(341) + " (2)"}));

    // Nobody logged in: no lists.
    program.currentStudent.clear();
    tree.Show_Review_Nodes();
    EXPECT_EQ(rootTexts().first(), caption(2));
}

TEST_F(ReviewNodesTest, AnEmptyListIsToldNotTakenForABrokenSubject) {
    host.clock = kDay0;
    tree.Show_Review_Nodes();
    TreeFolders.Select(rootNode(1));
    int examined = 0;
    EXPECT_FALSE(tree.Check_Virtual_Subject(examined));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].text, caption(344));
    EXPECT_EQ(TreeFolders.Image(rootNode(1)), subjectData::SubjectPicture);

    // A damaged student database: the lists have no count, and a click says why.
    {
        QFile users(program.usersPath());
        ASSERT_TRUE(users.open(QIODevice::WriteOnly | QIODevice::Truncate));
        users.write(QByteArray(4096, 'x'));
    }
    host.boxes.clear();
    tree.Show_Review_Nodes();
    EXPECT_EQ(TreeFolders.Text(rootNode(0)), caption(340));
    click(rootNode(0));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(host.boxes[0].text.startsWith(QStringLiteral("C345 ")))
        << host.boxes[0].text.toStdString();
}

} // namespace
