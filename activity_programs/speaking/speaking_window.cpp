#include "speaking_window.h"

#include "common/game_end.h"
#include "common/score_writer.h"
#include "common/stop_question.h"
#include "platform/sound.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cmath>

namespace activity {

namespace {

// The learner gets the model's length and this much more to say a phrase,
// within the longest take a phrase needs.
constexpr int kExtraMs = 2000;
constexpr int kLongestTakeMs = 30000;

QColor bandColour(voice::Band band) {
    switch (band) {
    case voice::Band::VeryClose:
        return QColor(30, 120, 50);
    case voice::Band::Close:
        return QColor(40, 90, 170);
    case voice::Band::KeepPractising:
        break;
    }
    return QColor(170, 90, 20);
}

// Reads every phrase's model at the start (the shell may delete the files
// meanwhile) and tells which of them can be played and compared.
QVector<bool> preloadModels(PhraseSound &sound, const StudyFile &study) {
    sound.preload(study.soundFiles());
    QVector<bool> comparable;
    for (const StudyPhrase &p : study.phrases)
        comparable << IsPlayableWave(sound.wave(p.soundFile));
    return comparable;
}

} // namespace

Microphone Microphone::System() {
    return Microphone{[] { return HasMicrophone(); },
                      [](int milliseconds) { return StartMicrophoneCapture(milliseconds); }};
}

SpeakingWindow::SpeakingWindow(const StudyFile &study, const ActivityTexts &texts,
                               Microphone microphone, QWidget *parent)
    : QWidget(parent), m_study(study), m_texts(texts), m_microphone(std::move(microphone)),
      m_game(preloadModels(m_sound, study)) {
    setObjectName(QStringLiteral("SpeakingWindow"));
    setWindowTitle(WindowTitle(m_texts(Text::SpeakingName), m_study.subjectTitle));
    setAccessibleName(m_texts(Text::SpeakingName));
    setMinimumSize(600, 460);

    lblSoundProblem = MakeSoundProblemLine(this, m_sound, m_study, m_texts);
    lblProgress = MakeGameLabel(this, "lblProgress", m_texts(Text::ProgressName));

    auto *game = new QWidget(this);
    lblPhrase = MakeGameLabel(game, "lblPhrase", m_texts(Text::PhraseName));
    ScaleFont(lblPhrase, 2.0, true);
    lblPhrase->setStyleSheet(QStringLiteral("color: #0e5e6f;"));
    lblTranslation = MakeGameLabel(game, "lblTranslation", m_texts(Text::TranslationName));
    ScaleFont(lblTranslation, 1.3);
    lblTries = MakeGameLabel(game, "lblTries", m_texts(Text::TriesName));
    lblStatus = MakeGameLabel(game, "lblStatus", m_texts(Text::StatusName));
    ScaleFont(lblStatus, 1.1);
    barLevel = new QProgressBar(game);
    barLevel->setObjectName(QStringLiteral("barLevel"));
    barLevel->setAccessibleName(m_texts(Text::LevelName));
    barLevel->setRange(0, 100);
    barLevel->setTextVisible(false);
    barLevel->setMaximumHeight(14);
    lblCloseness = MakeGameLabel(game, "lblCloseness", m_texts(Text::ClosenessName));
    ScaleFont(lblCloseness, 1.4, true);
    lblBand = MakeGameLabel(game, "lblBand", m_texts(Text::BandName));
    ScaleFont(lblBand, 1.4, true);
    lblBest = MakeGameLabel(game, "lblBest", m_texts(Text::BestName));

    btnListen = MakeGameButton(game, "btnListen", m_texts(Text::ListenAgain),
                               m_texts(Text::ListenAgainName));
    btnRecord = MakeGameButton(game, "btnRecord", m_texts(Text::Record), m_texts(Text::RecordName));
    btnMine = MakeGameButton(game, "btnMine", m_texts(Text::HearMine), m_texts(Text::HearMineName));
    btnNext =
        MakeGameButton(game, "btnNext", m_texts(Text::NextPhrase), m_texts(Text::NextPhraseName));

    auto *gameLayout = new QVBoxLayout(game);
    gameLayout->addStretch(1);
    gameLayout->addWidget(lblPhrase);
    gameLayout->addWidget(lblTranslation);
    gameLayout->addSpacing(16);
    gameLayout->addWidget(lblTries);
    gameLayout->addWidget(lblStatus);
    gameLayout->addWidget(barLevel);
    gameLayout->addSpacing(8);
    // One above the other: a long "nothing heard" wraps without squeezing
    // the band.
    gameLayout->addWidget(lblCloseness);
    gameLayout->addWidget(lblBand);
    gameLayout->addWidget(lblBest);
    gameLayout->addStretch(1);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : {btnListen, btnRecord, btnMine, btnNext})
        buttons->addWidget(button);
    gameLayout->addLayout(buttons);

    // Told instead of the game when it cannot be played at all.
    m_cannotStartPage = new QWidget(this);
    lblCannotStart =
        MakeGameLabel(m_cannotStartPage, "lblCannotStart", m_texts(Text::NoMicrophoneName));
    ScaleFont(lblCannotStart, 1.3, true);
    btnCannotStartClose = MakeGameButton(m_cannotStartPage, "btnCannotStartClose",
                                         m_texts(Text::Close), m_texts(Text::CloseName));
    auto *cannotLayout = new QVBoxLayout(m_cannotStartPage);
    cannotLayout->addStretch(1);
    cannotLayout->addWidget(lblCannotStart);
    cannotLayout->addStretch(1);
    cannotLayout->addWidget(btnCannotStartClose, 0, Qt::AlignHCenter);
    connect(btnCannotStartClose, &QPushButton::clicked, this, &QWidget::close);

    const GameWindowFrame frame =
        MakeGameWindowFrame(this, game, lblProgress, lblSoundProblem, m_texts, m_study);
    pages = frame.pages;
    endPage = frame.endPage;
    stopQuestion = frame.stopQuestion;
    pages->addWidget(m_cannotStartPage);

    connect(btnListen, &QPushButton::clicked, this, &SpeakingWindow::playModel);
    connect(btnRecord, &QPushButton::clicked, this, &SpeakingWindow::recordOrStop);
    connect(btnMine, &QPushButton::clicked, this, &SpeakingWindow::playMine);
    connect(btnNext, &QPushButton::clicked, this, &SpeakingWindow::next);
    connect(&m_analysis, &QFutureWatcher<voice::Comparison>::finished, this,
            &SpeakingWindow::compared);

    // Window-wide keys, so the game needs no mouse and no focus on a button.
    const auto key = [this](int code, auto slot) {
        auto *shortcut = new QShortcut(QKeySequence(code), this);
        connect(shortcut, &QShortcut::activated, this, slot);
        m_gameKeys << shortcut;
        return shortcut;
    };
    key(Qt::Key_Space, &SpeakingWindow::recordOrStop);
    key(Qt::Key_Return, &SpeakingWindow::enter);
    key(Qt::Key_Enter, &SpeakingWindow::enter);
    key(Qt::Key_R, &SpeakingWindow::playModel);
    key(Qt::Key_I, &SpeakingWindow::playMine);
    m_stopKey = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(m_stopKey, &QShortcut::activated, stopQuestion, &StopQuestion::ask);
    m_gameKeys << m_stopKey;
    gameEnd = new GameEnd(this, m_study, pages, endPage, lblProgress);
    for (QShortcut *shortcut : std::as_const(m_gameKeys))
        gameEnd->addGameKey(shortcut);

    // Said at once: a learner should not say a phrase to a game that cannot
    // hear it.
    if (!m_microphone.present || !m_microphone.present()) {
        cannotStart(Text::NoMicrophone);
        return;
    }
    if (!m_game.anyComparable()) {
        cannotStart(Text::NoModels);
        return;
    }
    showPhrase();
    playModel();
    gameEnd->results().asked(m_game.current());
    // Scores that earlier games could not save yet.
    endPage->saver->writeKeptScores();
}

SpeakingWindow::~SpeakingWindow() {
    m_analysis.waitForFinished();
}

QByteArray SpeakingWindow::model() const {
    return m_game.finished() ? QByteArray()
                             : m_sound.wave(m_study.phrases[m_game.current()].soundFile);
}

void SpeakingWindow::cannotStart(Text why) {
    for (QShortcut *shortcut : std::as_const(m_gameKeys))
        shortcut->setEnabled(false);
    lblProgress->clear();
    lblCannotStart->setText(m_texts(why));
    pages->setCurrentWidget(m_cannotStartPage);
    for (const int code : {int(Qt::Key_Return), int(Qt::Key_Enter), int(Qt::Key_Escape)})
        connect(new QShortcut(QKeySequence(code), this), &QShortcut::activated, this,
                &QWidget::close);
    btnCannotStartClose->setFocus();
}

void SpeakingWindow::playModel() {
    if (m_game.finished() || recording())
        return;
    m_sound.play(m_study.phrases[m_game.current()].soundFile);
}

void SpeakingWindow::playMine() {
    if (m_game.finished() || recording() || m_take.isEmpty())
        return;
    m_sound.playWave(m_take);
}

void SpeakingWindow::recordOrStop() {
    if (recording())
        m_capture->Stop();
    else
        record();
}

void SpeakingWindow::enter() {
    if (recording())
        m_capture->Stop();
    else if (m_game.canGoOn())
        next();
    else
        record();
}

void SpeakingWindow::record() {
    if (m_game.finished() || !m_game.canTry() || recording() || comparing())
        return;
    // The microphone hears the learner, not the model still playing.
    m_sound.stop();
    const int modelMs = voice::Read_Wave(model()).milliseconds();
    m_captureMs = std::min(kLongestTakeMs, modelMs + kExtraMs);
    m_capture = m_microphone.start(m_captureMs);
    if (!m_capture) {
        // Unplugged since the start: the game cannot go on, and a game left
        // unfinished saves nothing.
        cannotStart(Text::NoMicrophone);
        return;
    }
    connect(m_capture.get(), &MicrophoneCapture::Progress, this,
            [this](int elapsedMs, float level) {
                const int left = std::max(0, (m_captureMs - elapsedMs + 999) / 1000);
                lblStatus->setText(m_texts(Text::SpeakNow).arg(left));
                barLevel->setValue(int(std::lround(std::clamp(level, 0.0f, 1.0f) * 100)));
            });
    connect(m_capture.get(), &MicrophoneCapture::Finished, this, &SpeakingWindow::recorded);
    showStatus();
}

void SpeakingWindow::recorded(const QByteArray &take) {
    // The capture is still inside its own signal.
    m_capture.release()->deleteLater();
    m_take = take;
    m_analysis.setFuture(QtConcurrent::run([model = model(), take] {
        return voice::Compare(voice::Read_Wave(model), voice::Read_Wave(take));
    }));
    showStatus();
}

void SpeakingWindow::compared() {
    if (m_game.finished())
        return;
    voice::Comparison comparison;
    try {
        comparison = m_analysis.result();
    } catch (...) {
        // Out of memory, say: the take is not held against the learner.
        showStatus();
        return;
    }
    m_game.took(comparison.verdict, comparison.closeness);
    showTake(comparison.verdict, comparison.closeness);
    showStatus();
}

void SpeakingWindow::next() {
    if (!m_game.canGoOn() || recording() || comparing())
        return;
    const int phrase = m_game.current();
    if (m_game.comparable())
        gameEnd->results().graded(phrase, SpeakingGame::GradeOf(m_game.best()));
    m_game.next();
    m_take.clear();
    m_sound.stop();
    if (m_game.finished()) {
        finish();
        return;
    }
    showPhrase();
    playModel();
    gameEnd->results().asked(m_game.current());
}

void SpeakingWindow::showPhrase() {
    const StudyPhrase &p = m_study.phrases[m_game.current()];
    lblProgress->setText(
        m_texts(Text::PhraseOfPhrases)
            .arg(QString::number(m_game.current() + 1), QString::number(m_game.phraseCount())));
    lblPhrase->setText(p.phrase);
    lblTranslation->setText(p.translation);
    lblCloseness->clear();
    lblBand->clear();
    lblBest->clear();
    showStatus();
    btnRecord->setFocus();
}

void SpeakingWindow::showTake(voice::Verdict verdict, int closeness) {
    switch (verdict) {
    case voice::Verdict::NothingHeard:
        lblCloseness->setText(m_texts(Text::NothingHeard));
        lblBand->clear();
        break;
    case voice::Verdict::TooNoisy:
        lblCloseness->setText(m_texts(Text::TooNoisy));
        lblBand->clear();
        break;
    case voice::Verdict::Figure: {
        lblCloseness->setText(m_texts(Text::ClosenessFigure).arg(closeness));
        const voice::Band band = voice::BandOf(closeness);
        lblBand->setText(m_texts(band == voice::Band::VeryClose ? Text::VeryClose
                                 : band == voice::Band::Close   ? Text::CloseBand
                                                                : Text::KeepPractising));
        QPalette palette = lblBand->palette();
        palette.setColor(QPalette::WindowText, bandColour(band));
        lblBand->setPalette(palette);
        break;
    }
    }
    // The best take is the one kept; worth saying once there are two.
    lblBest->setText(m_game.best() >= 0 && m_game.triesUsed() > 1
                         ? m_texts(Text::BestFigure).arg(m_game.best())
                         : QString());
}

// The line that says what to do now, the tries and which buttons answer.
void SpeakingWindow::showStatus() {
    const bool busy = recording() || comparing();
    const bool comparable = m_game.comparable();
    const int used = m_game.triesUsed();
    lblTries->setText(comparable && used > 0 ? m_texts(Text::TryOfTries)
                                                   .arg(QString::number(used),
                                                        QString::number(SpeakingGame::kMostTries))
                                             : QString());
    if (recording()) {
        lblStatus->setText(m_texts(Text::SpeakNow).arg((m_captureMs + 999) / 1000));
    } else if (comparing()) {
        lblStatus->setText(m_texts(Text::Comparing));
    } else if (!comparable) {
        lblStatus->setText(m_texts(Text::NotComparable));
    } else if (used == 0) {
        lblStatus->setText(m_texts(Text::SpeakingPrompt));
    } else if (m_game.canTry()) {
        lblStatus->setText(m_texts(Text::TryAgainOrGoOn).arg(m_game.triesLeft()));
    } else {
        lblStatus->setText(m_texts(Text::GoOn));
    }
    barLevel->setVisible(recording());
    if (!recording())
        barLevel->setValue(0);
    btnRecord->setText(m_texts(recording() ? Text::StopRecording : Text::Record));
    btnRecord->setAccessibleName(m_texts(recording() ? Text::StopRecordingName : Text::RecordName));
    btnRecord->setEnabled(recording() || (!comparing() && m_game.canTry()));
    btnListen->setEnabled(!busy);
    btnMine->setEnabled(!busy && !m_take.isEmpty());
    btnNext->setEnabled(!busy && m_game.canGoOn());
    // The focus never stays on a button that has just been turned off.
    if (!btnRecord->isEnabled() && btnRecord->hasFocus())
        btnNext->setFocus();
    if (!busy && !m_game.canTry() && m_game.canGoOn())
        btnNext->setFocus();
}

void SpeakingWindow::finish() {
    const int mean = m_game.averageCloseness();
    const ScoreRow row = MakeScoreRow(m_study, m_texts(Text::SpeakingName), mean, QString());
    gameEnd->finish(m_texts(Text::SpeakingResult)
                        .arg(QString::number(mean),
                             QString::number(m_game.countIn(voice::Band::VeryClose)),
                             QString::number(m_game.countIn(voice::Band::Close)),
                             QString::number(m_game.countIn(voice::Band::KeepPractising))),
                    row);
}

} // namespace activity
