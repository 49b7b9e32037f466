// The rules of the two games, without windows.
#include "flash_cards/flash_cards_game.h"
#include "listening_quiz/listening_quiz_game.h"

#include <QSet>

#include <gtest/gtest.h>

using activity::FlashCardsGame;
using activity::ListeningQuizGame;

TEST(FlashCardsGame, MissedCardsComeBackUntilAllAreKnown) {
    FlashCardsGame game(3);
    EXPECT_EQ(game.current(), 0);
    game.answer(true); // not turned yet: no answer
    EXPECT_EQ(game.current(), 0);

    std::vector<int> shown;
    const bool knew[] = {true, false, false, true, true};
    for (const bool k : knew) {
        ASSERT_FALSE(game.finished());
        shown.push_back(game.current());
        game.reveal();
        game.answer(k);
    }
    // Card 1 missed twice comes back behind card 2, which comes back too.
    EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 1, 2}));
    EXPECT_TRUE(game.finished());
    EXPECT_EQ(game.knownAtFirstTry(), 1);
    EXPECT_EQ(game.scorePercent(), 33);

    FlashCardsGame allKnown(2);
    for (int i = 0; i < 2; ++i) {
        allKnown.reveal();
        allKnown.answer(true);
    }
    EXPECT_EQ(allKnown.scorePercent(), 100);
}

TEST(ListeningQuizGame, AsksEveryPhraseOnceAmongDistinctChoices) {
    QStringList translations;
    for (int i = 0; i < 10; ++i)
        translations << QStringLiteral("t%1").arg(i);
    translations[7] = translations[3]; // two phrases share a translation
    ListeningQuizGame game(translations, 12345);

    QSet<int> asked;
    for (const activity::QuizQuestion &q : game.questions()) {
        asked.insert(q.phrase);
        EXPECT_EQ(q.choices.size(), 4);
        EXPECT_EQ(QSet<QString>(q.choices.begin(), q.choices.end()).size(), q.choices.size());
        ASSERT_GE(q.rightChoice, 0);
        EXPECT_EQ(q.choices[q.rightChoice], translations[q.phrase]);
    }
    EXPECT_EQ(asked.size(), 10);
    const auto order = [&translations](quint32 seed) {
        QList<int> phrases;
        const ListeningQuizGame seeded(translations, seed);
        for (const activity::QuizQuestion &q : seeded.questions())
            phrases << q.phrase;
        return phrases;
    };
    EXPECT_NE(order(1), order(2)) << "the order should depend on the seed";

    // Right, wrong, and a second answer that does not count.
    const int right = game.question().rightChoice;
    EXPECT_TRUE(game.answer(right));
    EXPECT_FALSE(game.answer((right + 1) % 4));
    game.next();
    EXPECT_FALSE(game.answer((game.question().rightChoice + 1) % 4));
    while (!game.finished()) {
        game.answer(game.question().rightChoice);
        game.next();
    }
    EXPECT_EQ(game.rightAnswers(), 9);
    EXPECT_EQ(game.textScore(), "9/10");
}

TEST(ListeningQuizGame, SmallSetsOfferFewerChoices) {
    ListeningQuizGame two({QStringLiteral("uno"), QStringLiteral("dos")}, 7);
    for (const activity::QuizQuestion &q : two.questions())
        EXPECT_EQ(q.choices.size(), 2);
    // The same text twice is one choice.
    ListeningQuizGame same({QStringLiteral("sí"), QStringLiteral("sí"), QStringLiteral("no")}, 7);
    for (const activity::QuizQuestion &q : same.questions())
        EXPECT_EQ(q.choices.size(), 2);
    ListeningQuizGame one({QStringLiteral("solo")}, 7);
    EXPECT_EQ(one.question().choices, QStringList{QStringLiteral("solo")});
}
