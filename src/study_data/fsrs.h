// The review scheduler: FSRS-6 of the open-spaced-repetition project with its
// default weights, no fuzz. A pure function of a phrase's review history (the
// grades a student gave it, with their times): the memory state it leaves
// (difficulty, stability), the retrievability on a given day and the day the
// phrase is due again, so that a 90 % chance of recall is kept.
//
// Days are counted as the learner lives them, in whole local calendar days:
// a review on the same day as the one before it (elapsed days 0) takes the
// short-term stability formula, any later one the long-term formulas with the
// retrievability reached at that day.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QVector>

#include <array>

namespace fsrs {

inline constexpr int kWeightCount = 21;
using Weights = std::array<double, kWeightCount>;

// w0..w20 as the project publishes them for FSRS-6.
inline constexpr Weights kDefaultWeights{0.212,  1.2931, 2.3065, 8.2956, 6.4133, 0.8334, 3.0194,
                                         0.001,  1.8722, 0.1666, 0.796,  1.4835, 0.0614, 0.2629,
                                         1.6483, 0.6014, 1.8729, 0.5425, 0.0912, 0.0658, 0.1542};

// The share of phrases a learner should still recall when they come due.
inline constexpr double kDefaultRetention = 0.90;
inline constexpr double kLowestRetention = 0.70;
inline constexpr double kHighestRetention = 0.97;
// No phrase waits longer than a hundred years.
inline constexpr int kLongestInterval = 36500;

// The four answers: again (not recalled), hard, good, easy. An activity with
// right and wrong only gives Good and Again.
enum Grade : int { Again = 1, Hard = 2, Good = 3, Easy = 4 };
inline constexpr bool Is_Grade(int grade) {
    return grade >= Again && grade <= Easy;
}

struct Parameters {
    Weights w = kDefaultWeights;
    double desiredRetention = kDefaultRetention;
};

// A retention the administrator may choose: 0.70 to 0.97.
bool Is_Allowed_Retention(double retention);

struct Review {
    // The learner's wall-clock time of the answer; only its day and its
    // order count (histories read back from the database hold it as UTC).
    QDateTime when;
    int grade = Good;
};

struct MemoryState {
    int reviews = 0;       // 0: never reviewed, and nothing else below holds
    int lapses = 0;        // answers "again" after the first one
    int lastGrade = 0;     // the grade of the last review
    QDate lastReview;      // the local day of the last review
    double difficulty = 0; // 1 (easy) to 10 (hard)
    double stability = 0;  // days until the chance of recall falls to 90 %
};

// Replays the history in the order of its times (equal times keep their
// order). Every review must carry a valid time and a grade 1..4; the
// readers of the results leave the others out before.
MemoryState Replay(QVector<Review> history, const Parameters &parameters = {});

// The chance of recall after elapsedDays (>= 0) with this stability.
double Retrievability(double elapsedDays, double stability, const Parameters &parameters = {});
// The chance of recall on the local day at (1 on the day of the last review
// and before it); 0 for a phrase never reviewed.
double Retrievability(const MemoryState &state, const QDate &at, const Parameters &parameters = {});

// Whole days until the chance of recall falls to the desired retention:
// rounded, 1 to kLongestInterval.
int Interval_Days(double stability, const Parameters &parameters = {});
// The day of the last review plus the interval; a null date for a phrase
// never reviewed.
QDate Due_Date(const MemoryState &state, const Parameters &parameters = {});

} // namespace fsrs
