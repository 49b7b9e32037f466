#include "study_data/fsrs.h"

#include <algorithm>
#include <cmath>

namespace fsrs {

namespace {

constexpr double kLowestStability = 0.001;
constexpr double kLowestDifficulty = 1.0;
constexpr double kHighestDifficulty = 10.0;

double clampStability(double s) {
    return std::max(s, kLowestStability);
}

double clampDifficulty(double d) {
    return std::clamp(d, kLowestDifficulty, kHighestDifficulty);
}

// The forgetting curve's decay (w20) and the factor that puts R(S, S) at 90 %.
double decayOf(const Weights &w) {
    return w[20];
}

double factorOf(const Weights &w) {
    return std::pow(0.9, -1.0 / decayOf(w)) - 1.0;
}

double initialStability(const Weights &w, int grade) {
    return clampStability(w[grade - 1]);
}

// Unclamped: the mean reversion aims at the easy first answer's value as the
// formula gives it, below 1 with the default weights.
double initialDifficulty(const Weights &w, int grade) {
    return w[4] - std::exp(w[5] * (grade - 1)) + 1.0;
}

double nextDifficulty(const Weights &w, double d, int grade) {
    const double delta = -w[6] * (grade - 3);
    // Linear damping: the nearer to 10, the smaller the step up.
    const double damped = d + delta * (10.0 - d) / 9.0;
    return clampDifficulty(w[7] * initialDifficulty(w, Easy) + (1.0 - w[7]) * damped);
}

double recallStability(const Weights &w, double d, double s, double r, int grade) {
    const double hardPenalty = grade == Hard ? w[15] : 1.0;
    const double easyBonus = grade == Easy ? w[16] : 1.0;
    return clampStability(s * (1.0 + std::exp(w[8]) * (11.0 - d) * std::pow(s, -w[9]) *
                                         (std::exp(w[10] * (1.0 - r)) - 1.0) * hardPenalty *
                                         easyBonus));
}

double forgetStability(const Weights &w, double d, double s, double r) {
    const double longTerm = w[11] * std::pow(d, -w[12]) * (std::pow(s + 1.0, w[13]) - 1.0) *
                            std::exp(w[14] * (1.0 - r));
    // Never above what a same-day "again" would leave.
    const double shortTerm = s / std::exp(w[17] * w[18]);
    return clampStability(std::min(longTerm, shortTerm));
}

double shortTermStability(const Weights &w, double s, int grade) {
    double increase = std::exp(w[17] * (grade - 3 + w[18])) * std::pow(s, -w[19]);
    // A right answer never lowers the stability.
    if (grade >= Good)
        increase = std::max(increase, 1.0);
    return clampStability(s * increase);
}

} // namespace

bool Is_Allowed_Retention(double retention) {
    // A little room for the rounding of a value typed in percent.
    constexpr double kSlack = 1e-9;
    return retention >= kLowestRetention - kSlack && retention <= kHighestRetention + kSlack;
}

MemoryState Replay(QVector<Review> history, const Parameters &parameters) {
    const Weights &w = parameters.w;
    std::stable_sort(history.begin(), history.end(),
                     [](const Review &a, const Review &b) { return a.when < b.when; });
    MemoryState state;
    for (const Review &review : std::as_const(history)) {
        const int grade = review.grade;
        const QDate day = review.when.date();
        if (state.reviews == 0) {
            state.stability = initialStability(w, grade);
            state.difficulty = clampDifficulty(initialDifficulty(w, grade));
        } else {
            const qint64 elapsed = std::max<qint64>(0, state.lastReview.daysTo(day));
            if (elapsed == 0) {
                state.stability = shortTermStability(w, state.stability, grade);
            } else {
                const double r = Retrievability(double(elapsed), state.stability, parameters);
                state.stability =
                    grade == Again
                        ? forgetStability(w, state.difficulty, state.stability, r)
                        : recallStability(w, state.difficulty, state.stability, r, grade);
            }
            state.difficulty = nextDifficulty(w, state.difficulty, grade);
            if (grade == Again)
                ++state.lapses;
        }
        ++state.reviews;
        state.lastGrade = grade;
        state.lastReview = day;
    }
    return state;
}

double Retrievability(double elapsedDays, double stability, const Parameters &parameters) {
    const Weights &w = parameters.w;
    return std::pow(1.0 + factorOf(w) * std::max(0.0, elapsedDays) / stability, -decayOf(w));
}

double Retrievability(const MemoryState &state, const QDate &at, const Parameters &parameters) {
    if (state.reviews == 0)
        return 0.0;
    return Retrievability(double(state.lastReview.daysTo(at)), state.stability, parameters);
}

int Interval_Days(double stability, const Parameters &parameters) {
    const Weights &w = parameters.w;
    const double days =
        stability / factorOf(w) * (std::pow(parameters.desiredRetention, -1.0 / decayOf(w)) - 1.0);
    return int(std::clamp<double>(std::round(days), 1.0, kLongestInterval));
}

QDate Due_Date(const MemoryState &state, const Parameters &parameters) {
    if (state.reviews == 0)
        return {};
    return state.lastReview.addDays(Interval_Days(state.stability, parameters));
}

} // namespace fsrs
