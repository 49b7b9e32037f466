#include "matching_pairs_game.h"

#include <QRandomGenerator>
#include <QtMath>

namespace activity {

namespace {

int columnsFor(int cards) {
    // Two rows while five cards fit in one; then rows of four or five.
    if (cards <= 4)
        return 2;
    if (cards <= 10)
        return (cards + 1) / 2;
    return cards % 4 == 0 && cards <= 16 ? 4 : 5;
}

} // namespace

MatchingPairsGame::MatchingPairsGame(const QVector<PairTexts> &pairs, quint32 seed)
    : m_pairs(pairs), m_pairTries(int(pairs.size()), 0) {
    for (int p = 0; p < pairs.size(); ++p) {
        m_cards << Card{p, true};
        m_cards << Card{p, false};
    }
    QRandomGenerator random(seed);
    for (qsizetype i = m_cards.size() - 1; i > 0; --i)
        m_cards.swapItemsAt(i, random.bounded(int(i + 1)));
    m_columns = columnsFor(cardCount());
}

const QString &MatchingPairsGame::text(int index) const {
    const Card &c = m_cards[index];
    return c.isPhrase ? m_pairs[c.phrase].phrase : m_pairs[c.phrase].translation;
}

void MatchingPairsGame::setCursor(int index) {
    if (index >= 0 && index < cardCount())
        m_cursor = index;
}

void MatchingPairsGame::moveCursor(int dx, int dy) {
    if (cardCount() == 0)
        return;
    const int column = qBound(0, m_cursor % m_columns + dx, m_columns - 1);
    const int row = qBound(0, m_cursor / m_columns + dy, rows() - 1);
    m_cursor = qMin(row * m_columns + column, cardCount() - 1);
}

// A phrase card and a translation card make a pair when they belong to one
// phrase, or when they look as if they did: two phrases of the set with the
// same translation (or the same text) cannot be told apart by the learner.
bool MatchingPairsGame::makesPair(int a, int b) const {
    const Card &ca = m_cards[a];
    const Card &cb = m_cards[b];
    if (a == b || ca.isPhrase == cb.isPhrase)
        return false;
    return ca.phrase == cb.phrase ||
           m_pairs[ca.phrase].translation == m_pairs[cb.phrase].translation ||
           m_pairs[ca.phrase].phrase == m_pairs[cb.phrase].phrase;
}

void MatchingPairsGame::closeMiss() {
    if (m_missFirst < 0)
        return;
    m_cards[m_missFirst].face = Face::Down;
    m_cards[m_missSecond].face = Face::Down;
    m_missFirst = m_missSecond = -1;
}

MatchingPairsGame::Turn MatchingPairsGame::turn(int index) {
    if (index < 0 || index >= cardCount())
        return Turn::Ignored;
    closeMiss();
    Card &card = m_cards[index];
    if (card.face != Face::Down)
        return Turn::Ignored;
    card.face = Face::Up;
    if (m_first < 0) {
        m_first = index;
        card.seen = true;
        return Turn::First;
    }
    const int first = m_first;
    m_first = -1;
    ++m_tries;
    if (makesPair(first, index)) {
        m_cards[first].face = Face::Found;
        card.face = Face::Found;
        const int phrase = m_cards[first].isPhrase ? m_cards[first].phrase : card.phrase;
        ++m_pairTries[phrase];
        ++m_found;
        m_lastPair = phrase;
        m_foundOrder << phrase;
        card.seen = true;
        return Turn::Pair;
    }
    // A miss counts against the first card's phrase when its partner had
    // been seen: the learner could have known where it lay.
    for (int other = 0; other < cardCount(); ++other)
        if (m_cards[other].face != Face::Found && m_cards[other].seen && makesPair(first, other)) {
            ++m_pairTries[m_cards[first].phrase];
            break;
        }
    card.seen = true;
    m_missFirst = first;
    m_missSecond = index;
    return Turn::Miss;
}

int MatchingPairsGame::gradeOf(int phrase) const {
    const int tries = m_pairTries.value(phrase);
    return tries <= 1 ? 4 : tries == 2 ? 3 : tries == 3 ? 2 : 1;
}

int MatchingPairsGame::scorePercent() const {
    return m_tries == 0 ? 0 : qRound(100.0 * m_found / m_tries);
}

} // namespace activity
