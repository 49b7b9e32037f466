// A game that ends while another program holds the student database locked:
// the window goes on answering, says that it waits, lets the learner retry
// or leave, and the score is kept until it can be written, once.
#include "common/score_saver.h"
#include "flash_cards/flash_cards_window.h"
#include "frame/mod_main.h"
#include "listening_quiz/listening_quiz_window.h"
#include "platform/ado.h"
#include "students/pending_scores.h"
#include "study_fixture.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>

#include <gtest/gtest.h>

using activity::ActivityTexts;
using activity::ScoreSaver;
using activity::Text;
using fixture::StudyFolder;
using State = ScoreSaver::State;

namespace {

// Another program in the middle of writing the student database.
class Writer {
public:
    explicit Writer(const QString &database) {
        m_db.Open(modMain::Get_Template_Connection_String(database));
        m_db.Execute(QStringLiteral("BEGIN IMMEDIATE"));
    }
    void finish() { m_db.Execute(QStringLiteral("COMMIT")); }

private:
    ado::Connection m_db;
};

QStringList keptScores(const QString &database) {
    return QDir(scores::Pending_Folder(database))
        .entryList({QStringLiteral("*.json")}, QDir::Files);
}

void showActive(QWidget &window) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

// Short waits, so that a test reaches the kept score soon.
constexpr ScoreSaver::Patience kImpatient{2, 50, 10};

// Every card known at the first try.
void playAllKnown(activity::FlashCardsWindow &window, int cards) {
    for (int card = 0; card < cards; ++card) {
        QTest::keyClick(&window, Qt::Key_Space);
        QTest::keyClick(&window, Qt::Key_1);
    }
}

// What the start of a window did with the kept scores: a spy made before
// the event loop ran since the window was made.
int keptAdded(QSignalSpy &written) {
    if (written.isEmpty() && !written.wait(30000))
        return -1;
    return written.first().first().toInt();
}

} // namespace

TEST(ScoreSaving, ALockedDatabaseLeavesTheWindowAnsweringAndTheLearnerCanRetry) {
    StudyFolder study;
    const activity::StudyFile file = study.load(study.write(fixture::numbered(2)));
    const ActivityTexts texts(file.learnerLanguage);
    activity::FlashCardsWindow window(file, texts);
    activity::EndPage &end = *window.endPage;
    QSignalSpy started(end.saver, &ScoreSaver::keptScoresWritten);
    end.saver->setPatience(kImpatient);
    showActive(window);
    ASSERT_EQ(keptAdded(started), 0);

    Writer other(file.databasePath);
    playAllKnown(window, 2);
    // The last key came back at once: nothing waits on the window's thread.
    ASSERT_EQ(window.pages->currentWidget(), window.endPage);
    EXPECT_TRUE(end.lblResult->text().contains(QStringLiteral("100 %")));
    EXPECT_EQ(end.lblSaved->text(), texts(Text::ScoreSaving));

    EXPECT_EQ(fixture::settle(*end.saver, {State::Waiting}), State::Waiting);
    EXPECT_EQ(end.lblSaved->text(), texts(Text::ScoreWaiting));
    EXPECT_FALSE(end.btnRetry->isHidden());
    // The window takes keys while it waits.
    QWidget *before = window.focusWidget();
    QTest::keyClick(&window, Qt::Key_Tab);
    EXPECT_NE(window.focusWidget(), before);
    // The next try, by itself, still says that it waits.
    EXPECT_EQ(fixture::settle(*end.saver, {State::Saving}), State::Saving);
    EXPECT_EQ(end.lblSaved->text(), texts(Text::ScoreWaiting));

    EXPECT_EQ(fixture::settle(*end.saver), State::Kept);
    EXPECT_EQ(end.lblSaved->text(), texts(Text::ScoreKeptBusy));
    EXPECT_EQ(keptScores(file.databasePath).size(), 1);
    EXPECT_TRUE(study.scores().isEmpty());

    // Retry while the other program still writes: still kept, and once.
    QTest::mouseClick(end.btnRetry, Qt::LeftButton);
    EXPECT_EQ(end.saver->state(), State::Saving);
    EXPECT_EQ(fixture::settle(*end.saver), State::Kept);
    EXPECT_EQ(keptScores(file.databasePath).size(), 1);

    other.finish();
    end.btnRetry->setFocus();
    QTest::keyClick(end.btnRetry, Qt::Key_Space);
    EXPECT_EQ(fixture::settle(*end.saver), State::Saved);
    EXPECT_EQ(end.lblSaved->text(), QStringLiteral("Su puntuación se ha guardado."));
    EXPECT_TRUE(end.btnRetry->isHidden());
    EXPECT_EQ(window.focusWidget(), end.btnClose);
    EXPECT_TRUE(keptScores(file.databasePath).isEmpty());
    const QVector<QVariantList> rows = study.scores();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0][1].toString(), "Tarjetas");
    EXPECT_EQ(rows[0][4].toInt(), 100);
}

TEST(ScoreSaving, AScoreKeptWhenTheLearnerLeavesIsWrittenOnceAtTheNextStart) {
    StudyFolder study;
    const activity::StudyFile file = study.load(study.write(fixture::numbered(2)));
    const ActivityTexts texts(file.learnerLanguage);
    {
        Writer other(file.databasePath);
        activity::ListeningQuizWindow quiz(file, texts, 5);
        quiz.endPage->saver->setPatience(kImpatient);
        showActive(quiz);
        for (int question = 0; question < 2; ++question) {
            QTest::keyClick(&quiz, Qt::Key(Qt::Key_1 + quiz.game().question().rightChoice));
            QTest::keyClick(&quiz, Qt::Key_Return);
        }
        ASSERT_EQ(quiz.pages->currentWidget(), quiz.endPage);
        EXPECT_EQ(fixture::settle(*quiz.endPage->saver, {State::Waiting}), State::Waiting);
        // The learner leaves while it waits.
        QTest::keyClick(&quiz, Qt::Key_Escape);
        EXPECT_FALSE(quiz.isVisible());
        EXPECT_TRUE(study.scores().isEmpty());
    }
    ASSERT_EQ(keptScores(file.databasePath).size(), 1);

    // The next start of an activity writes it, and the one after adds nothing.
    {
        activity::FlashCardsWindow next(file, texts);
        QSignalSpy started(next.endPage->saver, &ScoreSaver::keptScoresWritten);
        EXPECT_EQ(keptAdded(started), 1);
    }
    {
        activity::ListeningQuizWindow again(file, texts, 6);
        QSignalSpy started(again.endPage->saver, &ScoreSaver::keptScoresWritten);
        EXPECT_EQ(keptAdded(started), 0);
    }
    EXPECT_TRUE(keptScores(file.databasePath).isEmpty());
    const QVector<QVariantList> rows = study.scores();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0][0].toString(), QStringLiteral("Ana Pérez"));
    // Stored under the name earlier scores of the quiz have.
    EXPECT_EQ(rows[0][1].toString(), QStringLiteral("Escucha y elige"));
    EXPECT_EQ(rows[0][3].toString(), "2/2");
    EXPECT_EQ(rows[0][4].toInt(), 2);
}
