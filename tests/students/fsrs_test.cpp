// The scheduler against values worked out by hand from the published FSRS-6
// formulas with the default weights (a few lines of Python beside the
// formulas, not the scheduler's code), for histories that take every branch:
// each first grade, right answers on later days, a lapse, a long gap, and
// reviews on the same day.
#include "study_data/fsrs.h"

#include <gtest/gtest.h>

namespace {

// Day d of the history at 10:00 plus minutes.
QDateTime day(int d, int minutes = 0) {
    return QDateTime(QDate(2026, 3, 1).addDays(d), QTime(10, 0)).addSecs(minutes * 60);
}

struct Expected {
    double difficulty;
    double stability;
    double retrievability; // on the day asked for
    int interval;
    int dueDay; // counted from day 0
};

void expectState(const QVector<fsrs::Review> &history, int atDay, const Expected &e,
                 const fsrs::Parameters &p = {}) {
    const fsrs::MemoryState s = fsrs::Replay(history, p);
    EXPECT_NEAR(s.difficulty, e.difficulty, 5e-6);
    EXPECT_NEAR(s.stability, e.stability, 5e-6);
    EXPECT_NEAR(fsrs::Retrievability(s, day(atDay).date(), p), e.retrievability, 5e-6);
    EXPECT_EQ(fsrs::Interval_Days(s.stability, p), e.interval);
    EXPECT_EQ(fsrs::Due_Date(s, p), day(e.dueDay).date());
}

} // namespace

TEST(Fsrs, EachFirstGradeStartsFromItsInitialState) {
    // Again starts at w0 and difficulty w4; Easy's difficulty falls below 1
    // and is held there.
    expectState({{day(0), fsrs::Again}}, 0, {6.413300, 0.212000, 1.0, 1, 1});
    expectState({{day(0), fsrs::Hard}}, 0, {5.112171, 1.293100, 1.0, 1, 1});
    expectState({{day(0), fsrs::Good}}, 0, {2.118104, 2.306500, 1.0, 2, 2});
    expectState({{day(0), fsrs::Easy}}, 0, {1.0, 8.295600, 1.0, 8, 8});
    const fsrs::MemoryState never = fsrs::Replay({});
    EXPECT_EQ(never.reviews, 0);
    EXPECT_FALSE(fsrs::Due_Date(never).isValid());
    EXPECT_EQ(fsrs::Retrievability(never, day(3).date()), 0.0);
}

TEST(Fsrs, RightAnswersOnLaterDaysGrowTheStabilityAndTheCurveFalls) {
    // Given out of order: the scheduler takes them by time.
    const QVector<fsrs::Review> history{
        {day(11), fsrs::Good}, {day(0), fsrs::Good}, {day(3), fsrs::Good}};
    expectState(history, 20, {2.104331, 42.062960, 0.971064, 42, 53});
    const fsrs::MemoryState s = fsrs::Replay(history);
    EXPECT_EQ(s.reviews, 3);
    EXPECT_EQ(s.lapses, 0);
    EXPECT_EQ(s.lastGrade, fsrs::Good);
    // By construction 90 % after as many days as the stability.
    EXPECT_NEAR(fsrs::Retrievability(5.0, 5.0), 0.9, 1e-12);
    EXPECT_NEAR(fsrs::Retrievability(10.0, 5.0), 0.845885, 5e-7);
}

TEST(Fsrs, ALapseCutsTheStabilityAndRaisesTheDifficulty) {
    const QVector<fsrs::Review> history{
        {day(0), fsrs::Good}, {day(3), fsrs::Good}, {day(12), fsrs::Again}, {day(13), fsrs::Good}};
    expectState(history, 15, {7.380074, 3.671730, 0.936151, 4, 17});
    EXPECT_EQ(fsrs::Replay(history).lapses, 1);
}

TEST(Fsrs, ALongGapAnsweredHardStillGrowsTheStability) {
    expectState({{day(0), fsrs::Easy}, {day(200), fsrs::Hard}}, 200,
                {4.010609, 91.277153, 1.0, 91, 291});
}

TEST(Fsrs, ReviewsOnTheSameDayTakeTheShortTermFormula) {
    // Again, then Good five minutes later (short-term), then Good the next
    // day (long-term from the short-term stability).
    expectState({{day(0), fsrs::Again}, {day(0, 5), fsrs::Good}, {day(1), fsrs::Good}}, 1,
                {6.390941, 2.021477, 1.0, 2, 3});
    // Hard three times in one day: each short-term step lowers the stability.
    expectState({{day(0), fsrs::Hard}, {day(0, 1), fsrs::Hard}, {day(0, 2), fsrs::Hard}}, 5,
                {7.821393, 0.482257, 0.689327, 1, 1});
    // The day is the calendar day: 23:50 and 00:10 are a day apart.
    const QDateTime late(QDate(2026, 3, 1), QTime(23, 50));
    const fsrs::MemoryState apart =
        fsrs::Replay({{late, fsrs::Good}, {late.addSecs(20 * 60), fsrs::Good}});
    const fsrs::MemoryState sameDay =
        fsrs::Replay({{late.addSecs(-60), fsrs::Good}, {late, fsrs::Good}});
    EXPECT_GT(apart.stability, sameDay.stability);
    // A right answer on the same day never lowers the stability: Good's
    // short-term factor, e^(w17 (w18)) S^-w19 = 0.995, is held at 1.
    EXPECT_DOUBLE_EQ(sameDay.stability, 2.3065);
}

TEST(Fsrs, TheDesiredRetentionSetsTheInterval) {
    const QVector<fsrs::Review> history{{day(0), fsrs::Good}, {day(3), fsrs::Good}};
    fsrs::Parameters lower;
    lower.desiredRetention = 0.80;
    expectState(history, 3, {2.111214, 13.826904, 1.0, 46, 49}, lower);
    fsrs::Parameters higher;
    higher.desiredRetention = 0.97;
    expectState(history, 3, {2.111214, 13.826904, 1.0, 3, 6}, higher);
    EXPECT_TRUE(fsrs::Is_Allowed_Retention(0.70));
    EXPECT_TRUE(fsrs::Is_Allowed_Retention(0.97));
    EXPECT_FALSE(fsrs::Is_Allowed_Retention(0.69));
    EXPECT_FALSE(fsrs::Is_Allowed_Retention(0.98));
}
