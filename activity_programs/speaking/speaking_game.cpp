#include "speaking_game.h"

#include <QtMath>

#include <algorithm>

namespace activity {

SpeakingGame::SpeakingGame(const QVector<bool> &comparable) {
    for (const bool c : comparable)
        m_phrases.append(Phrase{c, 0, -1});
}

bool SpeakingGame::anyComparable() const {
    return std::any_of(m_phrases.begin(), m_phrases.end(),
                       [](const Phrase &p) { return p.comparable; });
}

void SpeakingGame::took(voice::Verdict verdict, int closeness) {
    if (!canTry())
        return;
    Phrase &p = m_phrases[m_index];
    ++p.tries;
    if (verdict == voice::Verdict::Figure)
        p.best = qMax(p.best, qBound(0, closeness, 100));
}

void SpeakingGame::next() {
    if (canGoOn())
        ++m_index;
}

bool SpeakingGame::compared(int phrase) const {
    return phrase >= 0 && phrase < m_index && phrase < phraseCount() &&
           m_phrases[phrase].comparable && m_phrases[phrase].tries > 0;
}

fsrs::Grade SpeakingGame::GradeOf(int best) {
    if (best < 0)
        return fsrs::Again;
    switch (voice::BandOf(best)) {
    case voice::Band::VeryClose:
        return fsrs::Easy;
    case voice::Band::Close:
        return fsrs::Good;
    case voice::Band::KeepPractising:
        break;
    }
    return best >= kHardFrom ? fsrs::Hard : fsrs::Again;
}

int SpeakingGame::comparedCount() const {
    int count = 0;
    for (int i = 0; i < phraseCount(); ++i)
        count += compared(i) ? 1 : 0;
    return count;
}

int SpeakingGame::countIn(voice::Band band) const {
    int count = 0;
    for (int i = 0; i < phraseCount(); ++i)
        if (compared(i) && (m_phrases[i].best < 0 ? voice::Band::KeepPractising
                                                  : voice::BandOf(m_phrases[i].best)) == band)
            ++count;
    return count;
}

int SpeakingGame::averageCloseness() const {
    int sum = 0;
    int count = 0;
    for (int i = 0; i < phraseCount(); ++i)
        if (compared(i)) {
            sum += qMax(0, m_phrases[i].best);
            ++count;
        }
    return count == 0 ? 0 : qRound(double(sum) / count);
}

} // namespace activity
