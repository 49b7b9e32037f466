#include "study_data/learner_reviews.h"

#include "frame/program.h"

#include <algorithm>
#include <cmath>

namespace learnerReviews {

namespace {

const QString kRetentionValue = QStringLiteral("DesiredRetention");

int percentOf(double share) {
    return int(std::lround(share * 100.0));
}

} // namespace

namespace {

// The answers "again" in a phrase's history, the first one included: a
// phrase the learner did not know when it was new is as much trouble as one
// forgotten later.
int againsOf(const PhraseSchedule &s) {
    return int(std::count_if(s.history.reviews.begin(), s.history.reviews.end(),
                             [](const fsrs::Review &r) { return r.grade == fsrs::Again; }));
}

} // namespace

QVector<PhraseSchedule> Difficult_Phrases(const QVector<PhraseSchedule> &schedule, int most) {
    struct Ranked {
        int agains;
        const PhraseSchedule *schedule;
    };
    QVector<Ranked> difficult;
    for (const PhraseSchedule &s : schedule)
        if (s.state.reviews > 0)
            if (const int agains = againsOf(s); agains > 0 || s.state.difficulty >= kDifficultFrom)
                difficult << Ranked{agains, &s};
    std::stable_sort(difficult.begin(), difficult.end(), [](const Ranked &a, const Ranked &b) {
        if (a.agains != b.agains)
            return a.agains > b.agains;
        return a.schedule->retrievability < b.schedule->retrievability;
    });
    QVector<PhraseSchedule> out;
    for (qsizetype i = 0; i < difficult.size() && i < most; ++i)
        out << *difficult[i].schedule;
    return out;
}

Reviews Read_Reviews(const QString &usersPath, const QString &student, const QDate &at,
                     const fsrs::Parameters &parameters, const UsablePhrase &usable) {
    Reviews reviews;
    studyResults::Histories histories = studyResults::Read_Histories(usersPath, student);
    if (usable)
        histories.phrases.removeIf(
            [&](const studyResults::PhraseHistory &h) { return !usable(h.source); });
    const QVector<PhraseSchedule> schedule =
        studyResults::Schedule(histories.phrases, at, parameters);
    for (const PhraseSchedule &s : schedule) {
        if (s.state.reviews == 0 || !s.due.isValid())
            continue;
        reviews.hasHistory = true;
        if (s.due <= at)
            ++reviews.dueCount;
        else if (!reviews.nextDue.isValid() || s.due < reviews.nextDue)
            reviews.nextDue = s.due;
    }
    reviews.due = studyResults::Due_Phrases(schedule, at, kMostPhrases);
    const QVector<PhraseSchedule> difficult = Difficult_Phrases(schedule, int(schedule.size()));
    reviews.difficultCount = int(difficult.size());
    reviews.difficult = difficult.mid(0, kMostPhrases);
    return reviews;
}

int Desired_Retention_Percent(Program &program) {
    const QString stored = program.Setting(kRetentionValue);
    bool ok = false;
    const int percent = stored.trimmed().toInt(&ok);
    if (!ok || !fsrs::Is_Allowed_Retention(percent / 100.0))
        return percentOf(fsrs::kDefaultRetention);
    return percent;
}

void Save_Desired_Retention_Percent(Program &program, int percent) {
    percent =
        std::clamp(percent, percentOf(fsrs::kLowestRetention), percentOf(fsrs::kHighestRetention));
    program.Save_Setting(kRetentionValue, QString::number(percent));
}

fsrs::Parameters Schedule_Parameters(Program &program) {
    fsrs::Parameters parameters;
    parameters.desiredRetention = Desired_Retention_Percent(program) / 100.0;
    return parameters;
}

} // namespace learnerReviews
