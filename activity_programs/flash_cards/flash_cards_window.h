// The Flash cards window: a thin view over FlashCardsGame. Keys: Space turns
// the card (and does nothing else), 1 = I knew it, 2 = I did not, R plays the
// phrase again, Esc asks whether to stop without a score; on the last page
// Enter or Esc closes. Every key has its button as well.
#pragma once

#include "common/activity_texts.h"
#include "common/end_page.h"
#include "common/phrase_sound.h"
#include "common/study_file.h"
#include "flash_cards_game.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QShortcut;
class QStackedWidget;

namespace activity {

class GameEnd;
class StopQuestion;

class FlashCardsWindow : public QWidget {
    Q_OBJECT
public:
    FlashCardsWindow(const StudyFile &study, const ActivityTexts &texts, QWidget *parent = nullptr);

    const FlashCardsGame &game() const { return m_game; }
    const PhraseSound &sound() const { return m_sound; }

    QLabel *lblProgress;
    QLabel *lblPhrase;
    QLabel *lblTranslation;
    QLabel *lblTranslation2;
    QPushButton *btnListen;
    QPushButton *btnReveal;
    QPushButton *btnKnew;
    QPushButton *btnMissed;
    QStackedWidget *pages;
    QLabel *lblSoundProblem; // hidden until a recording cannot be played
    EndPage *endPage;
    StopQuestion *stopQuestion;
    GameEnd *gameEnd; // the result page, the score and the cards' grades

private:
    void reveal();
    void answer(bool knew);
    void showCard();
    void playCard();
    void finish();

    StudyFile m_study;
    ActivityTexts m_texts;
    FlashCardsGame m_game;
    PhraseSound m_sound;
    QShortcut *m_revealKey;
    QShortcut *m_stopKey;
};

} // namespace activity
