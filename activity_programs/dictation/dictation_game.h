// The rules of Dictation, without a window: the phrases come one at a time
// in the study set's order; the learner hears each, writes it and has it
// checked once; the check grades it (4 exact, 3 accents or punctuation only,
// 2 one word off, 1 more) and shows the differences. The score is the share
// of phrases written right, accent and punctuation slips forgiven.
#pragma once

#include "dictation_check.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace activity {

class DictationGame {
public:
    explicit DictationGame(const QStringList &phrases);

    int phraseCount() const { return int(m_phrases.size()); }
    bool finished() const { return m_index >= phraseCount(); }
    // The phrase being written (0-based index into the study set).
    int current() const { return m_index; }

    // Whether text can be checked now: it has a letter or a digit, or the
    // phrase has none either (a phrase of signs alone is never stuck).
    bool canCheck(const QString &text) const;
    // The learner's answer to the current phrase, checked once; one that
    // cannot be checked, a second one, or one after the end is ignored
    // (false).
    bool answer(const QString &text);
    bool checked() const { return m_checked; }
    // The current phrase's check, once checked.
    const AnswerCheck &check() const { return m_check; }
    // After the check: on to the next phrase.
    void next();

    // The grade of every phrase checked, in the set's order.
    const QVector<int> &grades() const { return m_grades; }
    // Phrases graded 3 or 4, and 4 alone.
    int rightCount() const;
    int exactCount() const;
    // 0..100, rounded: the share of phrases written right.
    int scorePercent() const;

private:
    QStringList m_phrases;
    int m_index = 0;
    bool m_checked = false;
    AnswerCheck m_check;
    QVector<int> m_grades;
};

} // namespace activity
