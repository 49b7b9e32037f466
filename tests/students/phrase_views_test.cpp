// What the class remembers of each phrase: the figures of the view by
// phrase and its order, the worst phrases of a subject or of the class, a
// student's difficult phrases, and the stored desired retention.
#include "frame/program.h"
#include "students/phrase_views.h"
#include "study_data/learner_reviews.h"
#include "support/fake_host.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

using namespace phraseViews;
using studyResults::PhraseHistory;
using studyResults::SourcePhrase;

namespace {

const QDate kDay0(2026, 3, 2);

PhraseHistory history(const QString &student, const QString &file, int phraseNo,
                      const QVector<std::pair<int, int>> &dayAndGrade) {
    PhraseHistory h;
    h.student = student;
    h.source = SourcePhrase{file, phraseNo};
    h.phrase = QStringLiteral("%1 %2").arg(file).arg(phraseNo);
    h.translation = QStringLiteral("t");
    for (const auto &[day, grade] : dayAndGrade)
        h.reviews << fsrs::Review{QDateTime(kDay0.addDays(day), QTime(9, 0)), grade};
    return h;
}

} // namespace

TEST(PhraseViews, EachPhraseCountsItsStudentsTheirFirstAnswersAndTodaysRecallWorstFirst) {
    using fsrs::Again;
    using fsrs::Easy;
    using fsrs::Good;
    const QVector<PhraseHistory> histories{
        // Bread: right at first for Ana and Bo, wrong for Cy.
        history("Ana", "Food.ito", 1, {{0, Good}}),
        history("Bo", "Food.ito", 1, {{0, Easy}}),
        history("Cy", "Food.ito", 1, {{0, Again}, {0, Good}}),
        // Milk: Ana forgot it after knowing it.
        history("Ana", "Food.ito", 2, {{0, Good}, {3, Again}}),
        // Water: known well.
        history("Bo", "Drinks.ito", 7, {{0, Easy}, {5, Easy}}),
    };
    const QDate at = kDay0.addDays(10);
    const auto schedule = studyResults::Schedule(histories, at);
    const QVector<PhraseRow> rows = By_Phrase(schedule);
    ASSERT_EQ(rows.size(), 3);

    const auto find = [&](const SourcePhrase &source) {
        return *std::find_if(rows.begin(), rows.end(),
                             [&](const PhraseRow &r) { return r.source == source; });
    };
    const PhraseRow bread = find({"Food.ito", 1});
    EXPECT_EQ(bread.Students(), 3);
    EXPECT_EQ(bread.rightFirst, 2);
    EXPECT_DOUBLE_EQ(bread.rightFirstShare, 2.0 / 3.0);
    EXPECT_DOUBLE_EQ(bread.meanRetrievability, (schedule[0].retrievability +
                                                schedule[1].retrievability +
                                                schedule[2].retrievability) /
                                                   3.0);
    EXPECT_EQ(bread.lapses, 0) << "a first answer 'again' is no lapse";
    EXPECT_EQ(bread.students[2].history.student, QStringLiteral("Cy"));
    const PhraseRow milk = find({"Food.ito", 2});
    EXPECT_EQ(milk.lapses, 1);
    EXPECT_DOUBLE_EQ(milk.rightFirstShare, 1.0);

    // Worst first: every row recalled no better than the next.
    for (int i = 1; i < rows.size(); ++i)
        EXPECT_LE(rows[i - 1].meanRetrievability, rows[i].meanRetrievability);
    EXPECT_EQ(rows.last().source, (SourcePhrase{"Drinks.ito", 7}));

    // The worst of the class, and of one subject.
    EXPECT_EQ(Worst_Phrases(rows, 1).size(), 1);
    EXPECT_EQ(Worst_Phrases(rows, 1)[0].source, rows[0].source);
    const QVector<PhraseRow> drinks = Worst_Phrases(rows, 10, QStringLiteral("drinks.ito"));
    ASSERT_EQ(drinks.size(), 1);
    EXPECT_EQ(drinks[0].source, (SourcePhrase{"Drinks.ito", 7}));
    EXPECT_TRUE(Worst_Phrases(rows, 10, QStringLiteral("Travel.ito")).isEmpty());

    // Difficult: what a student did not know at least once. Ana's milk
    // (forgotten), Cy's bread (not known when new), not Ana's bread.
    QVector<studyResults::PhraseSchedule> anas;
    for (const auto &s : schedule)
        if (s.history.student == QLatin1String("Ana"))
            anas << s;
    const auto difficult = learnerReviews::Difficult_Phrases(anas, 10);
    ASSERT_EQ(difficult.size(), 1);
    EXPECT_EQ(difficult[0].history.source, (SourcePhrase{"Food.ito", 2}));
    const auto classes = learnerReviews::Difficult_Phrases(schedule, 10);
    ASSERT_EQ(classes.size(), 2);
    EXPECT_TRUE(classes[0].history.student == QLatin1String("Cy") ||
                classes[1].history.student == QLatin1String("Cy"));
    EXPECT_EQ(learnerReviews::Difficult_Phrases(schedule, 1).size(), 1);
    // Hard answers day after day make a phrase difficult without an "again".
    const auto hard = studyResults::Schedule(
        {history("Ana", "Food.ito", 3, {{0, fsrs::Hard}, {1, fsrs::Hard}, {2, fsrs::Hard},
                                         {3, fsrs::Hard}, {4, fsrs::Hard}})},
        kDay0.addDays(5));
    EXPECT_GE(hard[0].state.difficulty, learnerReviews::kDifficultFrom);
    EXPECT_EQ(learnerReviews::Difficult_Phrases(hard, 10).size(), 1);

    // A lower retention moves the next reviews later, nothing else.
    PhraseView view{rows, 0};
    fsrs::Parameters lower;
    lower.desiredRetention = 0.70;
    Move_Next_Reviews(view, lower);
    EXPECT_GT(view.phrases[0].students[0].due, rows[0].students[0].due);
    EXPECT_EQ(view.phrases[0].meanRetrievability, rows[0].meanRetrievability);
}

TEST(PhraseViews, TheDesiredRetentionIsStoredWithTheSettingsWithinItsRange) {
    TestEnv env;
    FakeHost host;
    Program program(host, env.settings());
    EXPECT_EQ(learnerReviews::Desired_Retention_Percent(program), 90);
    learnerReviews::Save_Desired_Retention_Percent(program, 80);
    EXPECT_EQ(learnerReviews::Desired_Retention_Percent(program), 80);
    EXPECT_DOUBLE_EQ(learnerReviews::Schedule_Parameters(program).desiredRetention, 0.80);
    learnerReviews::Save_Desired_Retention_Percent(program, 99);
    EXPECT_EQ(learnerReviews::Desired_Retention_Percent(program), 97);
    learnerReviews::Save_Desired_Retention_Percent(program, 10);
    EXPECT_EQ(learnerReviews::Desired_Retention_Percent(program), 70);
}
