// Matching pairs: the grid, the cursor, the tries and grades, and the
// window played by arrows and Enter to its score and result rows.
#include "common/game_end.h"
#include "common/stop_question.h"
#include "matching_pairs/matching_pairs_game.h"
#include "matching_pairs/matching_pairs_window.h"
#include "study_fixture.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>

#include <gtest/gtest.h>

using activity::MatchingPairsGame;
using Turn = activity::MatchingPairsGame::Turn;
using State = activity::ScoreSaver::State;

namespace {

QVector<activity::PairTexts> pairs(int count) {
    QVector<activity::PairTexts> texts;
    for (int i = 0; i < count; ++i)
        texts << activity::PairTexts{QStringLiteral("frase %1").arg(i + 1),
                                     QStringLiteral("phrase %1").arg(i + 1)};
    return texts;
}

// Where a phrase's own card (or its translation's) lies.
int cardOf(const MatchingPairsGame &game, int phrase, bool isPhrase) {
    for (int i = 0; i < game.cardCount(); ++i)
        if (game.card(i).phrase == phrase && game.card(i).isPhrase == isPhrase)
            return i;
    return -1;
}

void showActive(QWidget &window) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

// Moves the window's cursor to card by arrow keys alone.
void arrowTo(activity::MatchingPairsWindow &window, int card) {
    const int columns = window.game().columns();
    const int rowStep = card / columns - window.game().cursor() / columns;
    for (int r = 0; r < std::abs(rowStep); ++r)
        QTest::keyClick(&window, rowStep > 0 ? Qt::Key_Down : Qt::Key_Up);
    const int columnStep = card % columns - window.game().cursor() % columns;
    for (int c = 0; c < std::abs(columnStep); ++c)
        QTest::keyClick(&window, columnStep > 0 ? Qt::Key_Right : Qt::Key_Left);
    ASSERT_EQ(window.game().cursor(), card);
    ASSERT_EQ(window.focusWidget(), window.cards[card]);
}

} // namespace

TEST(MatchingPairsGame, TheGridHoldsTwoToTwentyCardsAndTheCursorStaysOnIt) {
    for (int n = 1; n <= 10; ++n) {
        const MatchingPairsGame game(pairs(n), 3);
        SCOPED_TRACE(n);
        EXPECT_EQ(game.cardCount(), 2 * n);
        EXPECT_GE(game.columns() * game.rows(), game.cardCount());
        EXPECT_LT(game.columns() * (game.rows() - 1), game.cardCount()) << "no empty row";
        EXPECT_LE(game.columns(), 5);
        EXPECT_LE(game.rows(), 4);
    }
    EXPECT_EQ(MatchingPairsGame(pairs(2), 1).columns(), 2);
    EXPECT_EQ(MatchingPairsGame(pairs(10), 1).columns(), 5);

    // Seven pairs: rows of five, the last one of four.
    MatchingPairsGame game(pairs(7), 3);
    ASSERT_EQ(game.columns(), 5);
    game.moveCursor(-1, -1);
    EXPECT_EQ(game.cursor(), 0);
    game.moveCursor(9, 0);
    EXPECT_EQ(game.cursor(), 4);
    game.moveCursor(0, 2);
    EXPECT_EQ(game.cursor(), 13) << "the last row is short: its last card";
    game.moveCursor(-1, -1);
    EXPECT_EQ(game.cursor(), 7);
    // Each phrase and each translation once.
    QVector<int> seen(7, 0);
    for (int i = 0; i < game.cardCount(); ++i)
        seen[game.card(i).phrase] += game.card(i).isPhrase ? 1 : 10;
    EXPECT_EQ(seen, QVector<int>(7, 11));
    QVector<int> order;
    for (const quint32 seed : {1u, 2u}) {
        const MatchingPairsGame seeded(pairs(7), seed);
        order << seeded.card(0).phrase * 2 + seeded.card(0).isPhrase;
        for (int i = 1; i < 4; ++i)
            order << seeded.card(i).phrase * 2 + seeded.card(i).isPhrase;
    }
    EXPECT_NE(order.mid(0, 4), order.mid(4, 4)) << "where the cards lie depends on the seed";
}

TEST(MatchingPairsGame, TriesCountTheMatchAndTheMissesTheLearnerCouldHaveAvoided) {
    MatchingPairsGame game(pairs(3), 11);
    const auto P = [&game](int k) { return cardOf(game, k, true); };
    const auto T = [&game](int k) { return cardOf(game, k, false); };

    EXPECT_EQ(game.turn(P(0)), Turn::First);
    EXPECT_EQ(game.turn(P(0)), Turn::Ignored) << "open already";
    EXPECT_EQ(game.turn(T(1)), Turn::Miss); // blind: phrase 1's partner never seen
    EXPECT_EQ(game.missFirst(), P(0));
    EXPECT_EQ(game.card(T(1)).face, MatchingPairsGame::Face::Up);
    // Phrase 1's translation was seen: picking another costs phrase 1 a try.
    EXPECT_EQ(game.turn(P(1)), Turn::First);
    EXPECT_EQ(game.card(T(1)).face, MatchingPairsGame::Face::Down) << "the miss went face down";
    EXPECT_EQ(game.turn(T(0)), Turn::Miss);
    EXPECT_EQ(game.turn(P(0)), Turn::First);
    EXPECT_EQ(game.turn(T(0)), Turn::Pair);
    EXPECT_EQ(game.card(P(0)).face, MatchingPairsGame::Face::Found);
    EXPECT_EQ(game.turn(T(0)), Turn::Ignored) << "found pairs stay open";
    EXPECT_EQ(game.turn(T(1)), Turn::First);
    EXPECT_EQ(game.turn(P(1)), Turn::Pair);
    EXPECT_EQ(game.turn(T(2)), Turn::First);
    EXPECT_FALSE(game.finished());
    EXPECT_EQ(game.turn(P(2)), Turn::Pair);

    EXPECT_TRUE(game.finished());
    EXPECT_EQ(game.tries(), 5);
    EXPECT_EQ(game.scorePercent(), 60);
    EXPECT_EQ(game.foundOrder(), (QVector<int>{0, 1, 2}));
    EXPECT_EQ(game.triesOf(0), 1);
    EXPECT_EQ(game.triesOf(1), 2);
    EXPECT_EQ(game.gradeOf(0), 4);
    EXPECT_EQ(game.gradeOf(1), 3);
    EXPECT_EQ(game.gradeOf(2), 4);

    // Two phrases with one translation: either translation card is theirs.
    MatchingPairsGame same({{"sì", "sí"}, {"certo", "sí"}, {"no", "no"}}, 5);
    EXPECT_EQ(same.turn(cardOf(same, 0, true)), Turn::First);
    EXPECT_EQ(same.turn(cardOf(same, 1, false)), Turn::Pair);
    EXPECT_EQ(same.turn(cardOf(same, 0, false)), Turn::First);
    EXPECT_EQ(same.turn(cardOf(same, 1, true)), Turn::Pair);
    // Three misses on a pair whose cards were all seen: again.
    MatchingPairsGame slow(pairs(2), 5);
    const int p0 = cardOf(slow, 0, true), t0 = cardOf(slow, 0, false);
    const int p1 = cardOf(slow, 1, true), t1 = cardOf(slow, 1, false);
    slow.turn(t0);
    slow.turn(t1); // blind
    for (int i = 0; i < 3; ++i) {
        slow.turn(p0);
        EXPECT_EQ(slow.turn(t1), Turn::Miss);
    }
    slow.turn(p0);
    EXPECT_EQ(slow.turn(t0), Turn::Pair);
    EXPECT_EQ(slow.triesOf(0), 4);
    EXPECT_EQ(slow.gradeOf(0), 1);
    slow.turn(p1);
    slow.turn(t1);
    EXPECT_EQ(slow.gradeOf(1), 4);
}

// Two pairs on a 2 × 2 grid, played by arrows and Enter (and Space): a
// blind miss, then both pairs; the phrase cards speak; the rows land.
TEST(MatchingPairsWindow, ArrowsAndEnterPlayTheGridToItsRows) {
    fixture::StudyFolder study;
    const QVector<fixture::Phrase> phrases{{"Buongiorno", "Buenos días", ""},
                                           {"Grazie \"mille\"", "Muchas gracias", ""}};
    const QString name = study.write(phrases);
    study.recordLaunch(name, phrases);
    const activity::StudyFile file = study.load(name);
    activity::MatchingPairsWindow window(file, activity::ActivityTexts(file.learnerLanguage), 21);
    showActive(window);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Parejas — La comida"));
    ASSERT_EQ(window.cards.size(), 4);
    EXPECT_EQ(window.game().columns(), 2);
    EXPECT_EQ(window.focusWidget(), window.cards[0]);
    EXPECT_EQ(window.cards[0]->accessibleName(), "Tarjeta 1, boca abajo");
    EXPECT_EQ(window.sound().playCount(), 0) << "nothing turned, nothing heard";
    EXPECT_EQ(window.lblProgress->text(), "Parejas encontradas: 0 de 2    Intentos: 0");
    const activity::MatchingPairsGame &game = window.game();
    const int p0 = cardOf(game, 0, true), t0 = cardOf(game, 0, false);
    const int p1 = cardOf(game, 1, true), t1 = cardOf(game, 1, false);

    // Phrase 1 and the wrong translation: both shown, then face down again.
    arrowTo(window, p0);
    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_EQ(window.sound().lastPlayed(), file.phrases[0].soundFile);
    EXPECT_EQ(window.cards[p0]->shownText(), "Buongiorno");
    EXPECT_EQ(window.cards[p0]->accessibleName(),
              QStringLiteral("Tarjeta %1, frase: Buongiorno").arg(p0 + 1));
    arrowTo(window, t1);
    QTest::keyClick(&window, Qt::Key_Space);
    EXPECT_EQ(window.cards[t1]->look(), activity::PairCard::Look::Missed);
    EXPECT_EQ(window.lblFeedback->text(),
              "No son pareja. Al volver otra tarjeta, estas vuelven boca abajo.");
    EXPECT_EQ(window.sound().playCount(), 1) << "a translation card is silent";

    // Phrase 2 with its translation, then phrase 1 with its own.
    arrowTo(window, p1);
    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_EQ(window.cards[p0]->look(), activity::PairCard::Look::Back);
    EXPECT_EQ(window.sound().lastPlayed(), file.phrases[1].soundFile);
    arrowTo(window, t1);
    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_EQ(window.lblFeedback->text(), "¡Pareja! Grazie \"mille\" = Muchas gracias");
    EXPECT_EQ(window.cards[t1]->look(), activity::PairCard::Look::Found);
    QTest::keyClick(&window, Qt::Key_R);
    EXPECT_EQ(window.sound().lastPlayed(), file.phrases[1].soundFile);
    EXPECT_EQ(window.sound().playCount(), 3);
    arrowTo(window, t0);
    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_TRUE(study.scores().isEmpty()) << "no row before the game ends";
    arrowTo(window, p0);
    QTest::keyClick(&window, Qt::Key_Return);

    ASSERT_EQ(window.pages->currentWidget(), window.endPage);
    EXPECT_EQ(window.endPage->lblResult->text(),
              "Parejas encontradas: 2. Intentos: 3.\nPuntuación: 67 %");
    EXPECT_EQ(fixture::settle(*window.endPage->saver), State::Saved);
    QSignalSpy done(window.gameEnd->resultSaver, &activity::ResultSaver::done);
    if (window.gameEnd->resultSaver->state() == activity::ResultSaver::State::Saving) {
        ASSERT_TRUE(done.wait(30000));
    }
    const QVector<QVariantList> rows = study.scores();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0][1].toString(), "Parejas");
    EXPECT_EQ(rows[0][4].toInt(), 67);
    // Found second, first: both at their first informed try.
    const QVector<QVariantList> results = study.results();
    ASSERT_EQ(results.size(), 2);
    EXPECT_EQ(results[0], (QVariantList{2, 4}));
    EXPECT_EQ(results[1], (QVariantList{1, 4}));
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
}

// One phrase, long, right-to-left and without a recording: said once, the
// pair found by mouse; Esc asks first in another game.
TEST(MatchingPairsWindow, LongRightToLeftSilentPhrasesAndTheStopQuestion) {
    {
        fixture::StudyFolder study;
        const QString longText = QStringLiteral("שלום, מה שלומך היום? ") +
                                 QString(QStringLiteral("ארוך מאוד ")).repeated(20);
        const QVector<fixture::Phrase> phrases{
            {longText, QStringLiteral("Hello, how are you?"), ""}};
        const activity::StudyFile file =
            study.load(study.write(study.lines(phrases, QStringLiteral("English"))));
        writeFile(file.phrases[0].soundFile, QByteArray());
        activity::MatchingPairsWindow window(file, activity::ActivityTexts(file.learnerLanguage),
                                             3);
        showActive(window);
        ASSERT_EQ(window.cards.size(), 2);
        const int p = cardOf(window.game(), 0, true);
        QTest::mouseClick(window.cards[p], Qt::LeftButton);
        EXPECT_EQ(window.cards[p]->shownText(), longText);
        EXPECT_EQ(window.cards[p]->toolTip(), longText);
        EXPECT_TRUE(window.lblSoundProblem->isVisible());
        EXPECT_TRUE(window.lblSoundProblem->text().startsWith("The recording of \"שלום"));
        QTest::mouseClick(window.cards[1 - p], Qt::LeftButton);
        ASSERT_EQ(window.pages->currentWidget(), window.endPage);
        EXPECT_EQ(window.endPage->lblResult->text(), "Pairs found: 1. Tries: 1.\nScore: 100%");
        EXPECT_EQ(fixture::settle(*window.endPage->saver), State::Saved);
        ASSERT_EQ(study.scores().size(), 1);
        EXPECT_EQ(study.scores()[0][1].toString(), "Matching pairs");
    }
    {
        fixture::StudyFolder study;
        const activity::StudyFile file = study.load(study.write(fixture::numbered(10)));
        activity::MatchingPairsWindow window(file, activity::ActivityTexts(file.learnerLanguage),
                                             9);
        showActive(window);
        EXPECT_EQ(window.cards.size(), 20);
        QTest::keyClick(&window, Qt::Key_Return);
        QMessageBox *box = window.stopQuestion->box;
        QTest::keyClick(&window, Qt::Key_Escape);
        ASSERT_TRUE(box->isVisible());
        QTest::keyClick(box, Qt::Key_Escape);
        EXPECT_TRUE(window.isVisible());
        QTest::keyClick(&window, Qt::Key_Escape);
        ASSERT_TRUE(box->isVisible());
        QTest::mouseClick(window.stopQuestion->btnYes, Qt::LeftButton);
        EXPECT_FALSE(window.isVisible());
        EXPECT_TRUE(study.scores().isEmpty());
    }
}
