#include "flash_cards_window.h"

#include "common/game_end.h"
#include "common/score_writer.h"
#include "common/stop_question.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace activity {

namespace {} // namespace

FlashCardsWindow::FlashCardsWindow(const StudyFile &study, const ActivityTexts &texts,
                                   QWidget *parent)
    : QWidget(parent), m_study(study), m_texts(texts), m_game(int(study.phrases.size())) {
    setObjectName(QStringLiteral("FlashCardsWindow"));
    setWindowTitle(WindowTitle(m_texts(Text::FlashCardsName), m_study.subjectTitle));
    setAccessibleName(m_texts(Text::FlashCardsName));
    setMinimumSize(560, 380);

    m_sound.preload(m_study.soundFiles());
    lblSoundProblem = MakeSoundProblemLine(this, m_sound, m_study, m_texts);
    lblProgress = MakeGameLabel(this, "lblProgress", m_texts(Text::ProgressName));

    auto *game = new QWidget(this);
    // The card itself: a white face holding the phrase and, once turned,
    // its translations.
    auto *card = new QFrame(game);
    card->setObjectName(QStringLiteral("card"));
    card->setStyleSheet(QStringLiteral("#card { background: #fffdf8; border: 1px solid #c8bfae; "
                                       "border-radius: 14px; }"));
    card->setMinimumHeight(220);
    lblPhrase = MakeGameLabel(card, "lblPhrase", m_texts(Text::PhraseName));
    ScaleFont(lblPhrase, 2.0, true);
    lblPhrase->setStyleSheet(QStringLiteral("color: #0e5e6f;"));
    lblTranslation = MakeGameLabel(card, "lblTranslation", m_texts(Text::TranslationName));
    ScaleFont(lblTranslation, 1.5);
    lblTranslation2 = MakeGameLabel(card, "lblTranslation2", m_texts(Text::Translation2Name));
    ScaleFont(lblTranslation2, 1.2);
    lblTranslation2->setStyleSheet(QStringLiteral("color: #5a534c;"));
    auto *cardLayout = new QVBoxLayout(card);
    cardLayout->setContentsMargins(24, 16, 24, 16);
    cardLayout->addStretch(1);
    cardLayout->addWidget(lblPhrase);
    cardLayout->addSpacing(18);
    cardLayout->addWidget(lblTranslation);
    cardLayout->addWidget(lblTranslation2);
    cardLayout->addStretch(1);
    btnListen = MakeGameButton(game, "btnListen", m_texts(Text::ListenAgain),
                               m_texts(Text::ListenAgainName));
    btnReveal = MakeGameButton(game, "btnReveal", m_texts(Text::ShowTranslation),
                               m_texts(Text::ShowTranslationName));
    btnKnew = MakeGameButton(game, "btnKnew", m_texts(Text::KnewIt), m_texts(Text::KnewItName));
    btnMissed =
        MakeGameButton(game, "btnMissed", m_texts(Text::DidNotKnow), m_texts(Text::DidNotKnowName));

    auto *gameLayout = new QVBoxLayout(game);
    gameLayout->addWidget(card, 1);
    gameLayout->addSpacing(8);
    auto *turnRow = new QHBoxLayout;
    turnRow->addWidget(btnListen);
    turnRow->addWidget(btnReveal);
    gameLayout->addLayout(turnRow);
    auto *answerRow = new QHBoxLayout;
    answerRow->addWidget(btnKnew);
    answerRow->addWidget(btnMissed);
    gameLayout->addLayout(answerRow);

    const GameWindowFrame frame =
        MakeGameWindowFrame(this, game, lblProgress, lblSoundProblem, m_texts, m_study);
    pages = frame.pages;
    endPage = frame.endPage;
    stopQuestion = frame.stopQuestion;

    connect(btnListen, &QPushButton::clicked, this, &FlashCardsWindow::playCard);
    connect(btnReveal, &QPushButton::clicked, this, &FlashCardsWindow::reveal);
    connect(btnKnew, &QPushButton::clicked, this, [this] { answer(true); });
    connect(btnMissed, &QPushButton::clicked, this, [this] { answer(false); });

    // Window-wide keys, so the game needs no mouse and no focus on a button.
    // Space does nothing but turn the card, through the whole game: a Space
    // that pressed the focused button after the turn would answer "I knew
    // it" for a learner who only meant to look.
    m_revealKey = new QShortcut(QKeySequence(Qt::Key_Space), this);
    connect(m_revealKey, &QShortcut::activated, this, &FlashCardsWindow::reveal);
    m_stopKey = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(m_stopKey, &QShortcut::activated, stopQuestion, &StopQuestion::ask);
    connect(new QShortcut(QKeySequence(Qt::Key_1), this), &QShortcut::activated, this,
            [this] { answer(true); });
    connect(new QShortcut(QKeySequence(Qt::Key_2), this), &QShortcut::activated, this,
            [this] { answer(false); });
    connect(new QShortcut(QKeySequence(Qt::Key_R), this), &QShortcut::activated, btnListen,
            &QPushButton::click);
    gameEnd = new GameEnd(this, m_study, pages, endPage, lblProgress);
    gameEnd->addGameKey(m_revealKey);
    gameEnd->addGameKey(m_stopKey);

    showCard();
    playCard();
    gameEnd->results().asked(m_game.current());
    // Scores that earlier games could not save yet.
    endPage->saver->writeKeptScores();
}

void FlashCardsWindow::playCard() {
    if (!m_game.finished())
        m_sound.play(m_study.phrases[m_game.current()].soundFile);
}

void FlashCardsWindow::reveal() {
    if (m_game.finished() || m_game.revealed())
        return;
    m_game.reveal();
    showCard();
    // Not on an answer: the learner answers with 1, 2 or a click.
    btnListen->setFocus();
}

void FlashCardsWindow::answer(bool knew) {
    if (m_game.finished() || !m_game.revealed())
        return;
    // A card is graded by its first showing; a missed card that comes back
    // is practice.
    gameEnd->results().answered(m_game.current(), knew);
    m_game.answer(knew);
    if (m_game.finished()) {
        finish();
        return;
    }
    showCard();
    playCard();
    gameEnd->results().asked(m_game.current());
    btnReveal->setFocus();
}

// Shows the current card face down, or face up after reveal().
void FlashCardsWindow::showCard() {
    const StudyPhrase &card = m_study.phrases[m_game.current()];
    const bool up = m_game.revealed();
    lblProgress->setText(
        m_texts(Text::CardOfCards)
            .arg(QString::number(m_game.current() + 1), QString::number(m_game.cardCount())) +
        QStringLiteral("    ") + m_texts(Text::CardsStillToLearn).arg(m_game.cardsLeft()));
    lblPhrase->setText(card.phrase);
    lblTranslation->setText(up ? card.translation : QString());
    lblTranslation2->setText(up ? card.translation2 : QString());
    lblTranslation2->setVisible(up && !card.translation2.isEmpty());
    btnReveal->setEnabled(!up);
    btnKnew->setEnabled(up);
    btnMissed->setEnabled(up);
}

void FlashCardsWindow::finish() {
    const int percent = m_game.scorePercent();
    const ScoreRow row = MakeScoreRow(m_study, m_texts(Text::FlashCardsName), percent, QString(),
                                      QDateTime::currentDateTime());
    gameEnd->finish(m_texts(Text::FlashCardsResult)
                        .arg(QString::number(m_game.knownAtFirstTry()),
                             QString::number(m_game.cardCount()), QString::number(percent)),
                    row);
}

} // namespace activity
