#include "listening_quiz_game.h"

#include <QRandomGenerator>

#include <algorithm>
#include <numeric>

namespace activity {

namespace {

template <typename List> void shuffle(List &list, QRandomGenerator &random) {
    for (qsizetype i = list.size() - 1; i > 0; --i)
        list.swapItemsAt(i, random.bounded(int(i + 1)));
}

} // namespace

ListeningQuizGame::ListeningQuizGame(const QStringList &translations, quint32 seed) {
    QRandomGenerator random(seed);
    QList<int> order(translations.size());
    std::iota(order.begin(), order.end(), 0);
    shuffle(order, random);

    for (int phrase : order) {
        const QString &right = translations[phrase];
        // Two phrases may share a translation; a choice is offered once, and
        // a text equal to the right one would be right as well.
        QStringList others;
        for (const QString &text : translations)
            if (text != right && !others.contains(text))
                others << text;
        shuffle(others, random);
        QuizQuestion q;
        q.phrase = phrase;
        q.choices = others.mid(0, kMostChoices - 1);
        q.choices << right;
        shuffle(q.choices, random);
        q.rightChoice = int(q.choices.indexOf(right));
        m_questions << q;
    }
}

bool ListeningQuizGame::answer(int choice) {
    if (finished() || answered() || choice < 0 || choice >= question().choices.size())
        return false;
    m_chosen = choice;
    const bool right = choice == question().rightChoice;
    if (right)
        ++m_right;
    return right;
}

void ListeningQuizGame::next() {
    if (finished() || !answered())
        return;
    ++m_index;
    m_chosen = -1;
}

QString ListeningQuizGame::textScore() const {
    return QStringLiteral("%1/%2").arg(m_right).arg(questionCount());
}

} // namespace activity
