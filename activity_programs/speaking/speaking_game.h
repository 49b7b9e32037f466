// The rules of Speaking, without a window: the phrases come one at a time in
// the study set's order. For each the learner hears the model and says the
// phrase into the microphone; the comparison gives each take a figure
// (0..100) or none (nothing heard, too noisy). Up to kMostTries takes per
// phrase, the best one kept. A phrase whose model cannot be played cannot be
// compared: the learner says it and goes on, and it gets no grade.
//
// Grades from the best figure's band: very close (80 up) easy, close (60 up)
// good, from kHardFrom hard, anything lower or no figure at all again. The
// score is the mean best figure of the phrases compared, a take without a
// figure counting 0.
#pragma once

#include "study_data/fsrs.h"
#include "subjects/voice_compare.h"

#include <QVector>

namespace activity {

class SpeakingGame {
public:
    static constexpr int kMostTries = 3;
    // Below "close" the figure still tells a right phrase said roughly from
    // a wrong one: half-way up to "close" is hard rather than again.
    static constexpr int kHardFrom = 40;

    // comparable: for each phrase of the study set, whether its model plays.
    explicit SpeakingGame(const QVector<bool> &comparable);

    int phraseCount() const { return int(m_phrases.size()); }
    bool finished() const { return m_index >= phraseCount(); }
    // Whether any phrase can be compared at all.
    bool anyComparable() const;
    // The phrase asked (0-based index into the study set); -1 when finished.
    int current() const { return finished() ? -1 : m_index; }

    // The current phrase's model plays, so takes of it can be compared.
    bool comparable() const { return !finished() && m_phrases[m_index].comparable; }
    int triesUsed() const { return finished() ? 0 : m_phrases[m_index].tries; }
    int triesLeft() const { return comparable() ? kMostTries - triesUsed() : 0; }
    bool canTry() const { return triesLeft() > 0; }
    // A take of the current phrase: its verdict and, for a figure, the
    // closeness. Ignored when no try is left.
    void took(voice::Verdict verdict, int closeness);
    // The best figure of the current phrase so far; -1 before one.
    int best() const { return finished() ? -1 : m_phrases[m_index].best; }
    // On to the next phrase: after a take, or at once for a phrase that
    // cannot be compared.
    bool canGoOn() const { return !finished() && (!comparable() || triesUsed() > 0); }
    void next();

    // Per phrase, once the game has gone past it.
    bool compared(int phrase) const;
    int bestOf(int phrase) const { return m_phrases.value(phrase).best; }
    int triesOf(int phrase) const { return m_phrases.value(phrase).tries; }
    // The grade of a compared phrase, from its best figure (-1: none).
    static fsrs::Grade GradeOf(int best);

    int comparedCount() const;
    // How many compared phrases ended in each band (no figure: keep practising).
    int countIn(voice::Band band) const;
    // The mean best figure of the phrases compared, rounded; 0 for none.
    int averageCloseness() const;

private:
    struct Phrase {
        bool comparable = false;
        int tries = 0;
        int best = -1;
    };
    QVector<Phrase> m_phrases;
    int m_index = 0;
};

} // namespace activity
