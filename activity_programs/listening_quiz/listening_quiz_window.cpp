#include "listening_quiz_window.h"

#include "common/game_end.h"
#include "common/score_writer.h"
#include "common/stop_question.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace activity {

namespace {

QStringList translationsOf(const StudyFile &study) {
    QStringList texts;
    for (const StudyPhrase &phrase : study.phrases)
        texts << phrase.translation;
    return texts;
}

// The right answer turns green after an answer, a wrong pick red.
const char *const kRightStyle = "QPushButton { background: #cdeed6; color: #10451f; }";
const char *const kWrongStyle = "QPushButton { background: #f6caca; color: #5c1010; }";

} // namespace

ListeningQuizWindow::ListeningQuizWindow(const StudyFile &study, const ActivityTexts &texts,
                                         quint32 seed, QWidget *parent)
    : QWidget(parent), m_study(study), m_texts(texts), m_game(translationsOf(study), seed) {
    setObjectName(QStringLiteral("ListeningQuizWindow"));
    setWindowTitle(WindowTitle(m_texts(Text::ListeningQuizName), m_study.subjectTitle));
    setAccessibleName(m_texts(Text::ListeningQuizName));
    setMinimumSize(560, 420);

    m_sound.preload(m_study.soundFiles());
    lblSoundProblem = MakeSoundProblemLine(this, m_sound, m_study, m_texts);
    lblProgress = MakeGameLabel(this, "lblProgress", m_texts(Text::ProgressName));

    auto *game = new QWidget(this);
    lblPrompt = MakeGameLabel(game, "lblPrompt", m_texts(Text::WhichTranslation));
    lblPrompt->setText(m_texts(Text::WhichTranslation));
    ScaleFont(lblPrompt, 1.3, true);
    btnListen = MakeGameButton(game, QStringLiteral("btnListen"), m_texts(Text::ListenAgain),
                               m_texts(Text::ListenAgainName));
    for (int i = 0; i < ListeningQuizGame::kMostChoices; ++i) {
        QPushButton *button =
            MakeGameButton(game, QStringLiteral("btnChoice%1").arg(i + 1), QString(), QString());
        ScaleFont(button, 1.2);
        connect(button, &QPushButton::clicked, this, [this, i] { choose(i); });
        btnChoice << button;
    }
    lblFeedback = MakeGameLabel(game, "lblFeedback", m_texts(Text::FeedbackName));
    ScaleFont(lblFeedback, 1.2, true);
    lblPhrase = MakeGameLabel(game, "lblPhrase", m_texts(Text::HeardPhraseName));
    ScaleFont(lblPhrase, 1.5);
    btnNext = MakeGameButton(game, QStringLiteral("btnNext"), m_texts(Text::Next),
                             m_texts(Text::NextName));

    // The two lone buttons get room around their texts.
    for (QPushButton *button : {btnListen, btnNext})
        button->setMinimumWidth(button->sizeHint().width() + 32);

    auto *gameLayout = new QVBoxLayout(game);
    gameLayout->addWidget(lblPrompt);
    gameLayout->addWidget(btnListen, 0, Qt::AlignHCenter);
    gameLayout->addSpacing(8);
    for (QPushButton *button : std::as_const(btnChoice))
        gameLayout->addWidget(button);
    gameLayout->addSpacing(8);
    gameLayout->addWidget(lblFeedback);
    gameLayout->addWidget(lblPhrase);
    gameLayout->addStretch(1);
    gameLayout->addWidget(btnNext, 0, Qt::AlignRight);

    const GameWindowFrame frame =
        MakeGameWindowFrame(this, game, lblProgress, lblSoundProblem, m_texts, m_study);
    pages = frame.pages;
    endPage = frame.endPage;
    stopQuestion = frame.stopQuestion;

    connect(btnListen, &QPushButton::clicked, this, &ListeningQuizWindow::playQuestion);
    connect(btnNext, &QPushButton::clicked, this, &ListeningQuizWindow::next);

    // Window-wide keys, so the quiz needs no mouse. Enter and Space go on
    // only once a question is answered; before that they are left to the
    // focused button.
    const int digits[] = {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4};
    for (int i = 0; i < ListeningQuizGame::kMostChoices; ++i)
        connect(new QShortcut(QKeySequence(digits[i]), this), &QShortcut::activated, this,
                [this, i] { choose(i); });
    connect(new QShortcut(QKeySequence(Qt::Key_R), this), &QShortcut::activated, this,
            &ListeningQuizWindow::playQuestion);
    for (const int key : {int(Qt::Key_Return), int(Qt::Key_Enter), int(Qt::Key_Space)}) {
        auto *shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, this, &ListeningQuizWindow::next);
        m_nextKeys << shortcut;
    }
    m_stopKey = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(m_stopKey, &QShortcut::activated, stopQuestion, &StopQuestion::ask);
    gameEnd = new GameEnd(this, m_study, pages, endPage, lblProgress);
    for (QShortcut *shortcut : std::as_const(m_nextKeys))
        gameEnd->addGameKey(shortcut);
    gameEnd->addGameKey(m_stopKey);

    showQuestion();
    playQuestion();
    gameEnd->results().asked(m_game.question().phrase);
    // Scores that earlier games could not save yet.
    endPage->saver->writeKeptScores();
}

void ListeningQuizWindow::playQuestion() {
    if (!m_game.finished())
        m_sound.play(m_study.phrases[m_game.question().phrase].soundFile);
}

void ListeningQuizWindow::choose(int choice) {
    if (m_game.finished() || m_game.answered() || choice >= m_game.question().choices.size())
        return;
    const bool right = m_game.answer(choice);
    gameEnd->results().answered(m_game.question().phrase, right);
    showQuestion();
    lblFeedback->setText(
        right ? m_texts(Text::Correct)
              : m_texts(Text::Wrong)
                    .arg(m_game.question().choices.value(m_game.question().rightChoice)));
    btnNext->setFocus();
}

void ListeningQuizWindow::next() {
    if (m_game.finished() || !m_game.answered())
        return;
    m_game.next();
    if (m_game.finished()) {
        finish();
        return;
    }
    showQuestion();
    playQuestion();
    gameEnd->results().asked(m_game.question().phrase);
    btnListen->setFocus();
}

// Shows the current question, before or after its answer.
void ListeningQuizWindow::showQuestion() {
    const QuizQuestion &q = m_game.question();
    const bool answered = m_game.answered();
    lblProgress->setText(m_texts(Text::QuestionOfQuestions)
                             .arg(QString::number(m_game.questionIndex() + 1),
                                  QString::number(m_game.questionCount())));
    for (int i = 0; i < btnChoice.size(); ++i) {
        QPushButton *button = btnChoice[i];
        const bool used = i < q.choices.size();
        button->setVisible(used);
        const QString text = q.choices.value(i);
        button->setText(QStringLiteral("%1  %2").arg(QString::number(i + 1), text));
        button->setAccessibleName(m_texts(Text::ChoiceName).arg(QString::number(i + 1), text));
        button->setEnabled(used && !answered);
        button->setStyleSheet(!answered              ? QString()
                              : i == q.rightChoice   ? QLatin1String(kRightStyle)
                              : i == m_game.chosen() ? QLatin1String(kWrongStyle)
                                                     : QString());
    }
    if (!answered)
        lblFeedback->clear();
    // The phrase's text is shown once it has been answered: the learner
    // sees what they heard.
    lblPhrase->setText(answered ? m_study.phrases[q.phrase].phrase : QString());
    btnNext->setEnabled(answered);
    for (QShortcut *shortcut : std::as_const(m_nextKeys))
        shortcut->setEnabled(answered);
}

void ListeningQuizWindow::finish() {
    const ScoreRow row = MakeScoreRow(m_study, m_texts(Text::ListeningQuizScoreName),
                                      m_game.rightAnswers(), m_game.textScore());
    gameEnd->finish(
        m_texts(Text::QuizResult)
            .arg(QString::number(m_game.rightAnswers()), QString::number(m_game.questionCount())),
        row);
}

} // namespace activity
