// The rules of the Listening quiz, without a window: every phrase of the
// study set is asked once, in random order. For each the learner hears the
// phrase and picks its translation among up to four different translations
// of the set; the score is the number of right answers.
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace activity {

struct QuizQuestion {
    int phrase = -1;     // 0-based index into the study set
    QStringList choices; // distinct texts, the right one among them
    int rightChoice = -1;
};

class ListeningQuizGame {
public:
    static constexpr int kMostChoices = 4;

    // translations: the study set's translations in its order. seed fixes
    // the order of the questions and of their choices.
    ListeningQuizGame(const QStringList &translations, quint32 seed);

    int questionCount() const { return int(m_questions.size()); }
    bool finished() const { return m_index >= questionCount(); }
    // 0-based number of the current question.
    int questionIndex() const { return m_index; }
    const QuizQuestion &question() const { return m_questions[m_index]; }
    const QVector<QuizQuestion> &questions() const { return m_questions; }

    bool answered() const { return m_chosen >= 0; }
    int chosen() const { return m_chosen; }
    // Takes the first answer to the current question and says whether it is
    // right; a second answer, or one out of range, is ignored (false).
    bool answer(int choice);
    // After an answer: on to the next question.
    void next();

    int rightAnswers() const { return m_right; }
    // "right/questions", e.g. "7/10".
    QString textScore() const;

private:
    QVector<QuizQuestion> m_questions;
    int m_index = 0;
    int m_chosen = -1;
    int m_right = 0;
};

} // namespace activity
