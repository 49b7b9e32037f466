#include "matching_pairs_window.h"

#include "common/game_end.h"
#include "common/score_writer.h"
#include "common/stop_question.h"
#include "study_data/fsrs.h"

#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace activity {

namespace {

QVector<PairTexts> pairsOf(const StudyFile &study) {
    QVector<PairTexts> pairs;
    for (const StudyPhrase &p : study.phrases)
        pairs << PairTexts{p.phrase, p.translation};
    return pairs;
}

const QColor kTeal("#0e5e6f");
const QColor kOrange("#f29e4c");

} // namespace

PairCard::PairCard(QWidget *parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void PairCard::setFace(Look look, const QString &text) {
    m_look = look;
    m_text = look == Look::Back ? QString() : text;
    // The whole text for a reader whose card shows it small.
    setToolTip(m_text);
    update();
}

QSize PairCard::sizeHint() const {
    return {170, 104};
}

QSize PairCard::minimumSizeHint() const {
    return {110, 70};
}

void PairCard::focusInEvent(QFocusEvent *event) {
    QAbstractButton::focusInEvent(event);
    emit focused();
}

void PairCard::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body = QRectF(rect()).adjusted(4, 4, -4, -4);
    QColor paper("#fffdf8");
    QColor ink("#2a2320");
    QColor edge("#c8bfae");
    switch (m_look) {
    case Look::Back:
        paper = kTeal;
        edge = kTeal.darker(130);
        break;
    case Look::Phrase:
        ink = kTeal;
        break;
    case Look::Translation:
        paper = QColor("#f4efe3");
        break;
    case Look::Found:
        paper = QColor("#dcf1e1");
        ink = QColor("#10451f");
        edge = QColor("#7fbf8f");
        break;
    case Look::Missed:
        paper = QColor("#fbe4e1");
        ink = QColor("#5c1010");
        edge = QColor("#d98b84");
        break;
    }
    // The cursor: a wide orange frame, seen from across the room.
    const bool cursor = hasFocus();
    p.setPen(QPen(cursor ? kOrange : edge, cursor ? 5 : 1.5));
    p.setBrush(paper);
    p.drawRoundedRect(body, 12, 12);
    if (m_look == Look::Back) {
        // A lattice on the back, as on a deck of cards.
        p.setPen(QPen(QColor(255, 255, 255, 40), 2));
        p.setClipRect(body.adjusted(10, 10, -10, -10));
        for (double x = body.left() - body.height(); x < body.right(); x += 16) {
            p.drawLine(QPointF(x, body.bottom()), QPointF(x + body.height(), body.top()));
            p.drawLine(QPointF(x, body.top()), QPointF(x + body.height(), body.bottom()));
        }
        p.setClipping(false);
        return;
    }
    // The largest letters at which the whole text fits, down to a size
    // still readable; below that the card's tooltip has it all.
    const QRect area = body.adjusted(10, 8, -10, -8).toRect();
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    QFont f = font();
    f.setBold(m_look == Look::Phrase || m_look == Look::Found);
    int pixels = 24;
    for (; pixels > 10; --pixels) {
        f.setPixelSize(pixels);
        const QRect needed = QFontMetrics(f).boundingRect(area, flags, m_text);
        if (needed.height() <= area.height() && needed.width() <= area.width())
            break;
    }
    f.setPixelSize(pixels);
    p.setFont(f);
    p.setPen(ink);
    p.setClipRect(area);
    p.drawText(area, flags, m_text);
}

MatchingPairsWindow::MatchingPairsWindow(const StudyFile &study, const ActivityTexts &texts,
                                         quint32 seed, QWidget *parent)
    : QWidget(parent), m_study(study), m_texts(texts), m_game(pairsOf(study), seed) {
    setObjectName(QStringLiteral("MatchingPairsWindow"));
    setWindowTitle(WindowTitle(m_texts(Text::MatchingPairsName), m_study.subjectTitle));
    setAccessibleName(m_texts(Text::MatchingPairsName));
    setMinimumSize(640, 480);

    m_sound.preload(m_study.soundFiles());
    lblSoundProblem = MakeSoundProblemLine(this, m_sound, m_study, m_texts);
    lblProgress = MakeGameLabel(this, "lblProgress", m_texts(Text::ProgressName));

    auto *game = new QWidget(this);
    lblHint = MakeGameLabel(game, "lblHint", m_texts(Text::PairsHint));
    lblHint->setText(m_texts(Text::PairsHint));
    lblHint->setStyleSheet(QStringLiteral("color: #5a534c;"));
    grid = new QWidget(game);
    grid->setObjectName(QStringLiteral("grid"));
    grid->setAccessibleName(m_texts(Text::CardsName));
    auto *gridLayout = new QGridLayout(grid);
    gridLayout->setSpacing(8);
    for (int i = 0; i < m_game.cardCount(); ++i) {
        auto *card = new PairCard(grid);
        card->setObjectName(QStringLiteral("card%1").arg(i + 1));
        gridLayout->addWidget(card, i / m_game.columns(), i % m_game.columns());
        connect(card, &QAbstractButton::clicked, this, [this, i] { turn(i); });
        connect(card, &PairCard::focused, this, [this, i] { m_game.setCursor(i); });
        cards << card;
    }
    // Tab walks the cards in the grid's reading order, as the arrows do.
    for (int i = 1; i < cards.size(); ++i)
        QWidget::setTabOrder(cards[i - 1], cards[i]);
    lblFeedback = MakeGameLabel(game, "lblFeedback", m_texts(Text::FeedbackName));
    ScaleFont(lblFeedback, 1.25, true);
    lblFeedback->setMinimumHeight(lblFeedback->fontMetrics().height() * 2 + 4);
    btnListen = new QPushButton(m_texts(Text::ListenAgain), game);
    btnListen->setObjectName(QStringLiteral("btnListen"));
    btnListen->setAccessibleName(m_texts(Text::ListenAgainName));
    btnListen->setAutoDefault(false);
    // R is its key: the focus stays on the cards.
    btnListen->setFocusPolicy(Qt::NoFocus);
    btnListen->setMinimumWidth(btnListen->sizeHint().width() + 28);

    auto *gameLayout = new QVBoxLayout(game);
    gameLayout->addWidget(lblHint);
    gameLayout->addWidget(grid, 1);
    gameLayout->addWidget(lblFeedback);
    gameLayout->addWidget(btnListen, 0, Qt::AlignHCenter);

    const GameWindowFrame frame =
        MakeGameWindowFrame(this, game, lblProgress, lblSoundProblem, m_texts, m_study);
    pages = frame.pages;
    endPage = frame.endPage;
    stopQuestion = frame.stopQuestion;

    connect(btnListen, &QPushButton::clicked, this, &MatchingPairsWindow::playLastPhrase);
    gameEnd = new GameEnd(this, m_study, pages, endPage, lblProgress);
    const auto gameKey = [this](const QKeySequence &keys, auto action) {
        auto *shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, action);
        gameEnd->addGameKey(shortcut);
    };
    gameKey(QKeySequence(Qt::Key_Left), [this] { move(-1, 0); });
    gameKey(QKeySequence(Qt::Key_Right), [this] { move(1, 0); });
    gameKey(QKeySequence(Qt::Key_Up), [this] { move(0, -1); });
    gameKey(QKeySequence(Qt::Key_Down), [this] { move(0, 1); });
    for (const int key : {int(Qt::Key_Return), int(Qt::Key_Enter), int(Qt::Key_Space)})
        gameKey(QKeySequence(key), [this] { turn(m_game.cursor()); });
    gameKey(QKeySequence(Qt::Key_R), [this] { playLastPhrase(); });
    gameKey(QKeySequence(Qt::Key_Escape), [this] { stopQuestion->ask(); });

    // Every phrase is asked from the start: its time runs till its pair.
    for (int p = 0; p < m_game.pairCount(); ++p)
        gameEnd->results().asked(p);
    showCards();
    if (!cards.isEmpty())
        cards[0]->setFocus();
    // Scores that earlier games could not save yet.
    endPage->saver->writeKeptScores();
}

void MatchingPairsWindow::move(int dx, int dy) {
    m_game.moveCursor(dx, dy);
    cards[m_game.cursor()]->setFocus();
}

void MatchingPairsWindow::turn(int index) {
    if (m_game.finished())
        return;
    m_game.setCursor(index);
    const MatchingPairsGame::Turn turned = m_game.turn(index);
    if (turned != MatchingPairsGame::Turn::Ignored && m_game.card(index).isPhrase) {
        m_lastPhrase = m_game.card(index).phrase;
        playLastPhrase();
    }
    if (turned == MatchingPairsGame::Turn::Pair) {
        const int phrase = m_game.lastPairPhrase();
        gameEnd->results().graded(phrase, m_game.gradeOf(phrase));
        lblFeedback->setText(
            m_texts(Text::PairFound)
                .arg(m_study.phrases[phrase].phrase, m_study.phrases[phrase].translation));
    } else if (turned == MatchingPairsGame::Turn::Miss) {
        lblFeedback->setText(m_texts(Text::NotAPair));
    } else if (turned == MatchingPairsGame::Turn::First) {
        lblFeedback->clear();
    }
    showCards();
    cards[index]->setFocus();
    if (m_game.finished())
        finish();
}

void MatchingPairsWindow::showCards() {
    using Face = MatchingPairsGame::Face;
    using Look = PairCard::Look;
    lblProgress->setText(m_texts(Text::PairsProgress)
                             .arg(QString::number(m_game.pairsFound()),
                                  QString::number(m_game.pairCount()),
                                  QString::number(m_game.tries())));
    for (int i = 0; i < cards.size(); ++i) {
        const MatchingPairsGame::Card &c = m_game.card(i);
        const QString &text = m_game.text(i);
        const QString number = QString::number(i + 1);
        Look look = Look::Back;
        QString name = m_texts(Text::CardFaceDown).arg(number);
        if (c.face == Face::Found) {
            look = Look::Found;
            name = m_texts(Text::CardFound).arg(number, text);
        } else if (c.face == Face::Up) {
            const bool missed = i == m_game.missFirst() || i == m_game.missSecond();
            look = missed ? Look::Missed : c.isPhrase ? Look::Phrase : Look::Translation;
            name = m_texts(c.isPhrase ? Text::CardPhrase : Text::CardTranslation).arg(number, text);
        }
        cards[i]->setFace(look, text);
        cards[i]->setAccessibleName(name);
    }
}

void MatchingPairsWindow::playLastPhrase() {
    if (m_lastPhrase >= 0 && !m_game.finished())
        m_sound.play(m_study.phrases[m_lastPhrase].soundFile);
}

void MatchingPairsWindow::finish() {
    const int percent = m_game.scorePercent();
    const ScoreRow row =
        MakeScoreRow(m_study, m_texts(Text::MatchingPairsName), percent, QString());
    gameEnd->finish(m_texts(Text::PairsResult)
                        .arg(QString::number(m_game.pairCount()), QString::number(m_game.tries()),
                             QString::number(percent)),
                    row);
}

} // namespace activity
