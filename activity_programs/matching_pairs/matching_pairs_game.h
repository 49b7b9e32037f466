// The rules of Matching pairs, without a window: every phrase of the study
// set and every translation lies face down as a card of a grid. The learner
// turns two cards at a time; a phrase and its translation make a pair and
// stay open, any other two go face down again when the next card is
// turned. A cursor, moved by arrows, says which card the next turn is on.
//
// A phrase's grade comes from the tries its pair took: the one that found
// it, and every miss on one of its cards made when its partner had been
// seen already, so the learner could have known it; a blind first guess
// costs nothing. One try is easy (4), two good (3), three hard (2), more
// again (1). The score is the share of tries that found a pair.
#pragma once

#include <QString>
#include <QVector>

namespace activity {

struct PairTexts {
    QString phrase;
    QString translation;
};

class MatchingPairsGame {
public:
    enum class Face { Down, Up, Found };
    enum class Turn {
        Ignored, // no card there, or it is open already
        First,   // the first card of a try is open
        Pair,    // the second card made a pair
        Miss,    // the second card made no pair; both stay open till the next turn
    };
    struct Card {
        int phrase = 0;        // 0-based index into the study set
        bool isPhrase = false; // the phrase's own card, or its translation's
        Face face = Face::Down;
        bool seen = false; // turned up at least once
    };

    // seed fixes where the cards lie.
    MatchingPairsGame(const QVector<PairTexts> &pairs, quint32 seed);

    int pairCount() const { return int(m_pairs.size()); }
    int cardCount() const { return int(m_cards.size()); }
    const Card &card(int index) const { return m_cards[index]; }
    const QString &text(int index) const;
    // The grid: columns chosen so that 2 to 20 cards lie in a near square
    // of rows no longer than five cards (4 cards 2 × 2, 20 cards 5 × 4).
    int columns() const { return m_columns; }
    int rows() const { return (cardCount() + m_columns - 1) / m_columns; }

    int cursor() const { return m_cursor; }
    void setCursor(int index);
    // Moves the cursor by columns and rows, stopping at the grid's edges.
    void moveCursor(int dx, int dy);

    // Turns the card at index (the cursor's by default). A miss still open
    // goes face down first.
    Turn turn(int index);
    Turn turnAtCursor() { return turn(m_cursor); }
    // The cards of a miss, while it is still open; -1 otherwise.
    int missFirst() const { return m_missFirst; }
    int missSecond() const { return m_missSecond; }
    // The first card of a try under way, or -1.
    int firstCard() const { return m_first; }
    // The phrase of the last pair found, or -1.
    int lastPairPhrase() const { return m_lastPair; }

    bool finished() const { return m_found == pairCount(); }
    int pairsFound() const { return m_found; }
    int tries() const { return m_tries; }
    // A phrase's tries and grade (1 to 4), once its pair is found.
    int triesOf(int phrase) const { return m_pairTries[phrase]; }
    int gradeOf(int phrase) const;
    // The phrases in the order their pairs were found.
    const QVector<int> &foundOrder() const { return m_foundOrder; }
    // 0..100, rounded: pairs found per try.
    int scorePercent() const;

private:
    bool makesPair(int a, int b) const;
    void closeMiss();

    QVector<PairTexts> m_pairs;
    QVector<Card> m_cards;
    int m_columns = 1;
    int m_cursor = 0;
    int m_first = -1;
    int m_missFirst = -1;
    int m_missSecond = -1;
    int m_lastPair = -1;
    int m_found = 0;
    int m_tries = 0;
    QVector<int> m_pairTries;
    QVector<int> m_foundOrder;
};

} // namespace activity
