// How a written phrase is checked against the one heard, without a window.
// Letter case and spaces never count. A different or missing punctuation
// sign, or an accent slip (é for e, n for ñ: the same letter once its marks
// are taken off after Unicode decomposition), is told apart from a wrong
// letter, and costs less. Every character of both texts gets a mark, so the
// window can show the phrase and the answer with each difference marked.
#pragma once

#include <QString>
#include <QVector>

namespace activity {

enum class Mark {
    Same,        // as it should be (letter case and spaces aside)
    Accent,      // the right letter with another accent, or without one
    Punctuation, // a punctuation sign missing, extra or another one
    Wrong,       // a wrong letter; in the phrase: one missing from the answer;
                 // in the answer: one that does not belong there
};

struct AnswerCheck {
    // 4 exact, 3 accents or punctuation only, 2 one word off, 1 more (the
    // grades of fsrs::Grade).
    int grade = 1;
    int wordsOff = 0;
    QVector<Mark> phraseMarks; // one per QChar of the phrase as checked
    QVector<Mark> answerMarks; // one per QChar of the answer as checked
    QString phrase;            // both texts in composed form (NFC), which
    QString answer;            // the marks refer to
};

// Checks answer against phrase. A phrase that has letters gets at most
// grade 1 for an answer without any.
AnswerCheck CheckAnswer(const QString &phrase, const QString &answer);

// Whether a text holds anything that can be checked: a letter or a digit.
bool HasLetters(const QString &text);

} // namespace activity
