#include "dictation_game.h"

#include "study_data/fsrs.h"

#include <QtMath>

namespace activity {

DictationGame::DictationGame(const QStringList &phrases) : m_phrases(phrases) {}

bool DictationGame::canCheck(const QString &text) const {
    return !finished() && !m_checked && (HasLetters(text) || !HasLetters(m_phrases[m_index]));
}

bool DictationGame::answer(const QString &text) {
    if (!canCheck(text))
        return false;
    m_check = CheckAnswer(m_phrases[m_index], text);
    m_checked = true;
    m_grades << m_check.grade;
    return true;
}

void DictationGame::next() {
    if (finished() || !m_checked)
        return;
    ++m_index;
    m_checked = false;
    m_check = AnswerCheck();
}

int DictationGame::rightCount() const {
    int right = 0;
    for (const int grade : m_grades)
        right += grade >= fsrs::Good;
    return right;
}

int DictationGame::exactCount() const {
    return int(m_grades.count(int(fsrs::Easy)));
}

int DictationGame::scorePercent() const {
    return phraseCount() == 0 ? 0 : qRound(100.0 * rightCount() / phraseCount());
}

} // namespace activity
