// The rules of Flash cards, without a window: the cards come one at a time
// in the study set's order; the learner turns a card over and says whether
// they knew it; a missed card goes to the back of the pile and comes back
// until every card has been known once. The score is the share of cards
// known at their first showing.
#pragma once

#include <QList>
#include <QVector>

namespace activity {

class FlashCardsGame {
public:
    explicit FlashCardsGame(int cardCount);

    int cardCount() const { return m_cardCount; }
    bool finished() const { return m_pile.isEmpty(); }
    // The card shown (0-based index into the study set); -1 when finished.
    int current() const { return finished() ? -1 : m_pile.front(); }
    // True while the current card has not been shown before.
    bool firstShowing() const;
    // Cards not yet known, the current one included.
    int cardsLeft() const { return int(m_pile.size()); }

    bool revealed() const { return m_revealed; }
    void reveal();
    // Only after reveal(): knew moves the card off the pile, otherwise it
    // goes to its back. Ignored before the card was turned or when finished.
    void answer(bool knew);

    int knownAtFirstTry() const { return m_knownAtFirstTry; }
    // Percentage 0..100 of the cards known at their first showing, rounded.
    int scorePercent() const;

private:
    int m_cardCount;
    QList<int> m_pile;
    QVector<bool> m_shownBefore;
    bool m_revealed = false;
    int m_knownAtFirstTry = 0;
};

} // namespace activity
