#include "flash_cards_game.h"

#include <QtMath>

namespace activity {

FlashCardsGame::FlashCardsGame(int cardCount)
    : m_cardCount(qMax(0, cardCount)), m_shownBefore(m_cardCount, false) {
    for (int i = 0; i < m_cardCount; ++i)
        m_pile << i;
}

bool FlashCardsGame::firstShowing() const {
    return !finished() && !m_shownBefore[current()];
}

void FlashCardsGame::reveal() {
    if (!finished())
        m_revealed = true;
}

void FlashCardsGame::answer(bool knew) {
    if (finished() || !m_revealed)
        return;
    const int card = m_pile.takeFirst();
    if (knew && !m_shownBefore[card])
        ++m_knownAtFirstTry;
    m_shownBefore[card] = true;
    if (!knew)
        m_pile << card;
    m_revealed = false;
}

int FlashCardsGame::scorePercent() const {
    if (m_cardCount == 0)
        return 0;
    return qRound(100.0 * m_knownAtFirstTry / m_cardCount);
}

} // namespace activity
