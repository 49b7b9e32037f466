// The Matching pairs window: a thin view over MatchingPairsGame. Keys: the
// arrows move between the cards, Enter or Space turns the chosen card, R
// plays the last phrase turned again, Esc asks whether to stop without a
// score; on the last page Enter or Esc closes. A click turns a card too.
#pragma once

#include "common/activity_texts.h"
#include "common/end_page.h"
#include "common/phrase_sound.h"
#include "common/study_file.h"
#include "matching_pairs_game.h"

#include <QAbstractButton>
#include <QVector>
#include <QWidget>

class QLabel;
class QPushButton;
class QShortcut;
class QStackedWidget;

namespace activity {

class GameEnd;
class StopQuestion;

// One card of the grid: its back while face down, else its text wrapped
// and made as large as the card allows (long texts get smaller letters).
class PairCard : public QAbstractButton {
    Q_OBJECT
public:
    enum class Look { Back, Phrase, Translation, Found, Missed };

    explicit PairCard(QWidget *parent = nullptr);
    void setFace(Look look, const QString &text);
    Look look() const { return m_look; }
    // The text the card shows; empty while face down.
    const QString &shownText() const { return m_text; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void focused();

protected:
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    Look m_look = Look::Back;
    QString m_text;
};

class MatchingPairsWindow : public QWidget {
    Q_OBJECT
public:
    // seed fixes where the cards lie (a new one each run).
    MatchingPairsWindow(const StudyFile &study, const ActivityTexts &texts, quint32 seed,
                        QWidget *parent = nullptr);

    const MatchingPairsGame &game() const { return m_game; }
    const PhraseSound &sound() const { return m_sound; }

    QLabel *lblProgress;
    QLabel *lblHint;
    QWidget *grid;             // holds the cards
    QVector<PairCard *> cards; // card1 …, in the grid's reading order
    QLabel *lblFeedback;
    QPushButton *btnListen;
    QStackedWidget *pages;
    QLabel *lblSoundProblem; // hidden until a recording cannot be played
    EndPage *endPage;
    StopQuestion *stopQuestion;
    GameEnd *gameEnd;

private:
    void move(int dx, int dy);
    void turn(int index);
    void showCards();
    void playLastPhrase();
    void finish();

    StudyFile m_study;
    ActivityTexts m_texts;
    MatchingPairsGame m_game;
    PhraseSound m_sound;
    int m_lastPhrase = -1; // the phrase card turned last
};

} // namespace activity
