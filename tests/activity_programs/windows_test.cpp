// The game windows driven by keys alone, to the score row they add.
#include "common/score_writer.h"
#include "common/stop_question.h"
#include "flash_cards/flash_cards_window.h"
#include "listening_quiz/listening_quiz_window.h"
#include "study_fixture.h"
#include "support/crafted_waves.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

#include <gtest/gtest.h>

using activity::ActivityTexts;
using activity::Text;
using fixture::StudyFolder;
using State = activity::ScoreSaver::State;

namespace {

void showActive(QWidget &window) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

// Every button and label can be told apart by a screen reader (the question
// box, a window of its own, is checked by its test).
void expectAccessibleNames(const QWidget &window) {
    for (const QWidget *w : window.findChildren<QWidget *>()) {
        if (w->window() != &window)
            continue;
        if (qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QLabel *>(w)) {
            EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
        }
    }
}

// Whether a label shows its text as written, signs and all, not as markup.
bool showsAsWritten(const QLabel &label) {
    return label.textFormat() == Qt::PlainText ||
           (label.textFormat() == Qt::AutoText && !Qt::mightBeRichText(label.text()));
}

} // namespace

// Phrases of subject files made elsewhere may hold what looks like markup;
// the cards and the quiz show them as written.
TEST(ActivityWindows, PhrasesWithSignsOfMarkupShowAsWritten) {
    StudyFolder study;
    const QVector<fixture::Phrase> phrases{
        {"<b>Ciao</b>", "<font color=red>Hola</font>", "<i>Buenas</i> &amp; algo"},
        {"<h1>Grazie</h1>", "<u>Gracias</u>", "<img src=x>"},
        {"Prego <br> bene", "<s>De nada</s>", ""}};
    const activity::StudyFile file = study.load(study.write(phrases));
    activity::FlashCardsWindow cards(file, ActivityTexts(file.learnerLanguage));
    showActive(cards);
    QTest::keyClick(&cards, Qt::Key_Space);
    for (const QLabel *label : {cards.lblPhrase, cards.lblTranslation, cards.lblTranslation2}) {
        EXPECT_FALSE(label->text().isEmpty()) << label->objectName().toStdString();
        EXPECT_TRUE(showsAsWritten(*label)) << label->objectName().toStdString();
    }
    EXPECT_EQ(cards.lblPhrase->text(), file.phrases[0].phrase);
    cards.close();

    activity::ListeningQuizWindow quiz(file, ActivityTexts(file.learnerLanguage), 7);
    showActive(quiz);
    const activity::QuizQuestion q = quiz.game().question();
    QTest::keyClick(&quiz, Qt::Key(Qt::Key_1 + (q.rightChoice + 1) % 3)); // a wrong answer
    EXPECT_EQ(quiz.lblPhrase->text(), file.phrases[q.phrase].phrase);
    EXPECT_TRUE(quiz.lblFeedback->text().contains(file.phrases[q.phrase].translation));
    for (const QLabel *label : {quiz.lblPhrase, quiz.lblFeedback})
        EXPECT_TRUE(showsAsWritten(*label)) << label->objectName().toStdString();
}

TEST(FlashCardsWindow, KeysPlayTheCardsToOneScoreRow) {
    StudyFolder study;
    const activity::StudyFile file = study.load(study.write(fixture::numbered(3)));
    activity::FlashCardsWindow window(file, ActivityTexts(file.learnerLanguage));
    showActive(window);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Tarjetas — La comida"));
    expectAccessibleNames(window);
    EXPECT_EQ(window.sound().lastPlayed(), file.phrases[0].soundFile);
    EXPECT_EQ(window.lblPhrase->text(), "frase 1");
    EXPECT_EQ(window.lblTranslation->text(), "");

    // Card 1 known; card 2 missed, comes back after card 3 and is known.
    QTest::keyClick(&window, Qt::Key_1); // face down: no answer yet
    EXPECT_EQ(window.lblPhrase->text(), "frase 1");
    QTest::keyClick(&window, Qt::Key_Space);
    EXPECT_EQ(window.lblTranslation->text(), "phrase 1");
    EXPECT_EQ(window.lblTranslation2->text(), "second 1");
    QTest::keyClick(&window, Qt::Key_1);
    EXPECT_EQ(window.sound().lastPlayed(), file.phrases[1].soundFile);
    QTest::keyClick(&window, Qt::Key_Space);
    QTest::keyClick(&window, Qt::Key_2);
    QTest::keyClick(&window, Qt::Key_Space);
    QTest::keyClick(&window, Qt::Key_1);
    EXPECT_EQ(window.lblPhrase->text(), "frase 2");
    EXPECT_TRUE(study.scores().isEmpty()) << "no row before the game ends";
    QTest::keyClick(&window, Qt::Key_Space);
    QTest::keyClick(&window, Qt::Key_1);

    ASSERT_EQ(window.pages->currentWidget(), window.endPage);
    EXPECT_TRUE(window.endPage->lblResult->text().contains(QStringLiteral("67 %")));
    EXPECT_EQ(fixture::settle(*window.endPage->saver), State::Saved);
    EXPECT_EQ(window.endPage->lblSaved->text(), QStringLiteral("Su puntuación se ha guardado."));
    EXPECT_TRUE(window.endPage->btnRetry->isHidden());
    const QVector<QVariantList> rows = study.scores();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0][0].toString(), QStringLiteral("Ana Pérez"));
    EXPECT_EQ(rows[0][1].toString(), "Tarjetas");
    EXPECT_EQ(rows[0][2].toString(), "La comida");
    EXPECT_EQ(rows[0][3].toString(), "");
    EXPECT_TRUE(rows[0][3].isValid()) << "textScore is empty text, not Null";
    EXPECT_EQ(rows[0][4].toInt(), 67);
    EXPECT_EQ(rows[0][5].toLongLong(), activity::DateNumber(QDate::currentDate()));
    EXPECT_NEAR(rows[0][6].toDouble(), activity::TimeNumber(QTime::currentTime()), 5);

    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(study.scores().size(), 1);
}

TEST(ListeningQuizWindow, KeysAnswerEveryQuestionToOneScoreRow) {
    StudyFolder study;
    const activity::StudyFile file =
        study.load(study.write(fixture::numbered(3), QStringLiteral("English")));
    activity::ListeningQuizWindow window(file, ActivityTexts(file.learnerLanguage), 99);
    showActive(window);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Listening quiz — La comida"));
    expectAccessibleNames(window);
    EXPECT_FALSE(window.btnChoice[3]->isVisible()) << "three phrases, three choices";

    // The first answer wrong, the others right.
    for (int question = 0; question < 3; ++question) {
        const activity::QuizQuestion q = window.game().question();
        EXPECT_EQ(window.sound().lastPlayed(), file.phrases[q.phrase].soundFile);
        EXPECT_EQ(window.lblProgress->text(), QStringLiteral("Question %1 of 3").arg(question + 1));
        const int pick = question == 0 ? (q.rightChoice + 1) % 3 : q.rightChoice;
        QTest::keyClick(&window, Qt::Key(Qt::Key_1 + pick));
        QTest::keyClick(&window, Qt::Key(Qt::Key_1 + q.rightChoice)); // too late: no change
        EXPECT_EQ(window.lblFeedback->text(),
                  question == 0 ? QStringLiteral("Not quite. The right answer is: %1")
                                      .arg(file.phrases[q.phrase].translation)
                                : QStringLiteral("Correct!"));
        EXPECT_EQ(window.lblPhrase->text(), file.phrases[q.phrase].phrase);
        QTest::keyClick(&window, question == 1 ? Qt::Key_Space : Qt::Key_Return);
    }

    ASSERT_EQ(window.pages->currentWidget(), window.endPage);
    EXPECT_EQ(window.endPage->lblResult->text(), "2 of 3 answers correct.");
    EXPECT_EQ(fixture::settle(*window.endPage->saver), State::Saved);
    EXPECT_EQ(window.endPage->lblSaved->text(), "Your score has been saved.");
    const QVector<QVariantList> rows = study.scores();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0][1].toString(), "Listening quiz");
    EXPECT_EQ(rows[0][3].toString(), "2/3");
    EXPECT_EQ(rows[0][4].toInt(), 2);
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
}

TEST(FlashCardsWindow, SpaceOnlyTurnsTheCardAndEnterAnswersNothing) {
    StudyFolder study;
    const activity::StudyFile file = study.load(study.write(fixture::numbered(3)));
    activity::FlashCardsWindow window(file, ActivityTexts(file.learnerLanguage));
    showActive(window);
    for (QPushButton *button : window.findChildren<QPushButton *>()) {
        if (button->window() != &window)
            continue; // the question box's No is meant to be its default
        EXPECT_FALSE(button->autoDefault()) << button->objectName().toStdString();
        EXPECT_FALSE(button->isDefault()) << button->objectName().toStdString();
    }

    // Two Spaces a card, three cards: the learner only ever looked.
    for (int press = 0; press < 6; ++press) {
        QTest::keyClick(&window, Qt::Key_Space);
        EXPECT_NE(window.focusWidget(), window.btnKnew) << "after Space " << press + 1;
        EXPECT_NE(window.focusWidget(), window.btnMissed) << "after Space " << press + 1;
    }
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space})
        QTest::keyClick(window.focusWidget() ? window.focusWidget() : &window, key);
    // Even with the focus put on an answer by hand, Space and Enter do not answer.
    window.btnKnew->setFocus();
    for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter})
        QTest::keyClick(window.btnKnew, key);
    EXPECT_EQ(window.lblPhrase->text(), "frase 1");
    EXPECT_EQ(window.lblTranslation->text(), "phrase 1");
    EXPECT_EQ(window.game().cardsLeft(), 3);
    EXPECT_NE(window.pages->currentWidget(), window.endPage);
    EXPECT_TRUE(study.scores().isEmpty());

    // Knowing takes its own key, or a click.
    QTest::keyClick(&window, Qt::Key_1);
    EXPECT_EQ(window.lblPhrase->text(), "frase 2");
    QTest::keyClick(&window, Qt::Key_Space);
    QTest::mouseClick(window.btnKnew, Qt::LeftButton);
    EXPECT_EQ(window.lblPhrase->text(), "frase 3");
    EXPECT_EQ(window.game().knownAtFirstTry(), 2);
}

namespace {

// Esc during the game asks; No goes on where the game was, Yes closes the
// window without a score.
template <typename Window>
void escAsksBeforeStopping(Window &window, const StudyFolder &study, const ActivityTexts &texts) {
    EXPECT_EQ(window.template findChildren<QMessageBox *>().size(), 1);
    QMessageBox *box = window.stopQuestion->box;
    EXPECT_FALSE(box->isVisible());
    QTest::keyClick(&window, Qt::Key_Escape);
    ASSERT_TRUE(box->isVisible());
    EXPECT_EQ(box->text(), texts(Text::StopQuestion));
    EXPECT_EQ(box->windowTitle(), window.windowTitle());
    EXPECT_EQ(window.stopQuestion->btnYes->text(), texts(Text::Yes));
    EXPECT_EQ(window.stopQuestion->btnNo->text(), texts(Text::No));
    EXPECT_FALSE(window.stopQuestion->btnYes->accessibleName().isEmpty());
    EXPECT_FALSE(window.stopQuestion->btnNo->accessibleName().isEmpty());
    // Another Esc while it asks is its No.
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_FALSE(box->isVisible());
    EXPECT_TRUE(window.isVisible());

    QTest::keyClick(&window, Qt::Key_Escape);
    ASSERT_TRUE(box->isVisible());
    QTest::mouseClick(window.stopQuestion->btnNo, Qt::LeftButton);
    EXPECT_FALSE(box->isVisible());
    EXPECT_TRUE(window.isVisible());
    EXPECT_NE(window.pages->currentWidget(), window.endPage);

    QTest::keyClick(&window, Qt::Key_Escape);
    ASSERT_TRUE(box->isVisible());
    QTest::mouseClick(window.stopQuestion->btnYes, Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.endPage->saver->state(), State::Idle);
    EXPECT_TRUE(study.scores().isEmpty());
}

} // namespace

TEST(ActivityWindows, EscAsksWhetherToStopWithoutAScore) {
    {
        StudyFolder study;
        const activity::StudyFile file = study.load(study.write(fixture::numbered(2)));
        const ActivityTexts texts(file.learnerLanguage);
        activity::FlashCardsWindow window(file, texts);
        EXPECT_EQ(texts(Text::StopQuestion),
                  QStringLiteral("¿Desea terminar ahora esta partida, sin puntuación?"));
        EXPECT_EQ(texts(Text::Yes), QStringLiteral("&Sí"));
        showActive(window);
        QTest::keyClick(&window, Qt::Key_Space); // in the middle of a card
        escAsksBeforeStopping(window, study, texts);
    }
    {
        StudyFolder study;
        const activity::StudyFile file =
            study.load(study.write(fixture::numbered(2), QStringLiteral("English")));
        const ActivityTexts texts(file.learnerLanguage);
        activity::ListeningQuizWindow window(file, texts, 7);
        EXPECT_EQ(texts(Text::StopQuestion),
                  QStringLiteral("Stop this game now, without a score?"));
        showActive(window);
        QTest::keyClick(&window, Qt::Key_1); // an answer given, the quiz half-way
        escAsksBeforeStopping(window, study, texts);
    }
}

namespace {

// Phrase 2's recording replaced by a damaged one.
void damageSecondSound(const activity::StudyFile &file, const QByteArray &damaged) {
    writeFile(file.phrases[1].soundFile, damaged);
}

// The one line that says a recording cannot be played.
const QLabel *soundProblemLine(const QWidget &window) {
    const QList<QLabel *> lines = window.findChildren<QLabel *>(QStringLiteral("lblSoundProblem"));
    return lines.size() == 1 ? lines[0] : nullptr;
}

bool anyBoxShown() {
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<QMessageBox *>(w) && w->isVisible())
            return true;
    return false;
}

} // namespace

TEST(ActivityWindows, ADamagedRecordingIsSaidInOneLineAndItsPhraseIsStillStudied) {
    const auto damaged = fixture::DamagedWaves();
    {
        StudyFolder study;
        const activity::StudyFile file = study.load(study.write(fixture::numbered(3)));
        damageSecondSound(file, damaged[0].second); // a rate of 1 Hz
        activity::FlashCardsWindow window(file, ActivityTexts(file.learnerLanguage));
        showActive(window);
        const QLabel *problem = soundProblemLine(window);
        ASSERT_TRUE(problem);
        EXPECT_FALSE(problem->isVisible()) << "card 1 sounds";
        EXPECT_FALSE(problem->accessibleName().isEmpty());
        QTest::keyClick(&window, Qt::Key_Space);
        QTest::keyClick(&window, Qt::Key_1);

        const QString line = QStringLiteral(
            "La grabación de \"frase 2\" está dañada: esta frase se estudia sin sonido.");
        EXPECT_EQ(window.lblPhrase->text(), "frase 2");
        EXPECT_EQ(window.sound().lastPlayed(), file.phrases[1].soundFile);
        EXPECT_TRUE(problem->isVisible());
        EXPECT_EQ(problem->text(), line);
        // Heard again, and missed so that it comes back: still the one line.
        QTest::keyClick(&window, Qt::Key_R);
        QTest::keyClick(&window, Qt::Key_Space);
        QTest::keyClick(&window, Qt::Key_2);
        QTest::keyClick(&window, Qt::Key_Space);
        QTest::keyClick(&window, Qt::Key_1);
        EXPECT_EQ(window.lblPhrase->text(), "frase 2");
        EXPECT_EQ(problem->text(), line);
        EXPECT_FALSE(anyBoxShown());
        QTest::keyClick(&window, Qt::Key_Space);
        QTest::keyClick(&window, Qt::Key_1);

        ASSERT_EQ(window.pages->currentWidget(), window.endPage);
        EXPECT_EQ(fixture::settle(*window.endPage->saver), State::Saved);
        const QVector<QVariantList> rows = study.scores();
        ASSERT_EQ(rows.size(), 1);
        EXPECT_EQ(rows[0][1].toString(), "Tarjetas");
        EXPECT_EQ(rows[0][4].toInt(), 67);
    }
    {
        StudyFolder study;
        const activity::StudyFile file =
            study.load(study.write(fixture::numbered(3), QStringLiteral("English")));
        for (const auto &[name, wave] : damaged)
            if (name == "data chunk longer than the file")
                damageSecondSound(file, wave);
        activity::ListeningQuizWindow window(file, ActivityTexts(file.learnerLanguage), 5);
        showActive(window);
        const QLabel *problem = soundProblemLine(window);
        ASSERT_TRUE(problem);
        bool asked = false;
        for (int question = 0; question < 3; ++question) {
            const activity::QuizQuestion q = window.game().question();
            if (q.phrase == 1) {
                asked = true;
                EXPECT_TRUE(problem->isVisible());
                EXPECT_EQ(problem->text(),
                          QStringLiteral("The recording of \"frase 2\" is damaged: this phrase is "
                                         "studied without sound."));
                QTest::keyClick(&window, Qt::Key_R);
                EXPECT_TRUE(window.btnChoice[q.rightChoice]->isEnabled());
            }
            QTest::keyClick(&window, Qt::Key(Qt::Key_1 + q.rightChoice));
            EXPECT_EQ(window.lblFeedback->text(), QStringLiteral("Correct!"));
            QTest::keyClick(&window, Qt::Key_Return);
        }
        EXPECT_TRUE(asked);
        EXPECT_FALSE(anyBoxShown());
        ASSERT_EQ(window.pages->currentWidget(), window.endPage);
        EXPECT_EQ(fixture::settle(*window.endPage->saver), State::Saved);
        const QVector<QVariantList> rows = study.scores();
        ASSERT_EQ(rows.size(), 1);
        EXPECT_EQ(rows[0][3].toString(), "3/3");
    }
}
