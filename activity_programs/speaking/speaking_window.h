// The Speaking window: a thin view over SpeakingGame. Each phrase shows with
// its translation and its model plays; Space (or Enter before the first
// take) records, and Space or Enter again stops early; the take is compared
// with the model off the window's thread and its figure and band appear. R
// plays the model again, I the last take; Enter goes on once the phrase has
// a take. Esc asks whether to stop without a score; on the last page Enter
// or Esc closes. Without a microphone the window says so at once and the
// game never starts: no score, no results.
#pragma once

#include "common/activity_texts.h"
#include "common/end_page.h"
#include "common/phrase_sound.h"
#include "common/study_file.h"
#include "platform/host.h"
#include "speaking_game.h"

#include <QByteArray>
#include <QFutureWatcher>
#include <QList>
#include <QVector>
#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class QShortcut;
class QStackedWidget;

namespace activity {

class GameEnd;
class StopQuestion;

// Where the takes come from: the computer's microphone through the
// program's sound layer, or what a test feeds in.
struct Microphone {
    std::function<bool()> present;
    std::function<std::unique_ptr<MicrophoneCapture>(int milliseconds)> start;

    static Microphone System();
};

class SpeakingWindow : public QWidget {
    Q_OBJECT
public:
    SpeakingWindow(const StudyFile &study, const ActivityTexts &texts,
                   Microphone microphone = Microphone::System(), QWidget *parent = nullptr);
    // Waits for a comparison under way: it works on copies and only has to end.
    ~SpeakingWindow() override;

    const SpeakingGame &game() const { return m_game; }
    const PhraseSound &sound() const { return m_sound; }
    bool recording() const { return bool(m_capture); }
    bool comparing() const { return m_analysis.isRunning(); }

    QLabel *lblProgress;
    QLabel *lblPhrase;
    QLabel *lblTranslation;
    QLabel *lblTries;
    QLabel *lblStatus; // what to do now, or what is happening
    QProgressBar *barLevel;
    QLabel *lblCloseness; // the take's figure, or why it has none
    QLabel *lblBand;      // the figure in words
    QLabel *lblBest;
    QPushButton *btnListen;
    QPushButton *btnRecord; // "Stop" while recording
    QPushButton *btnMine;
    QPushButton *btnNext;
    QStackedWidget *pages;
    QLabel *lblSoundProblem; // hidden until a recording cannot be played
    QLabel *lblCannotStart;  // the page shown instead of the game
    QPushButton *btnCannotStartClose;
    EndPage *endPage;
    StopQuestion *stopQuestion;
    GameEnd *gameEnd;

private:
    void playModel();
    void playMine();
    void recordOrStop();
    void enter();
    void record();
    void recorded(const QByteArray &take);
    void compared();
    void next();
    void showPhrase();
    void showTake(voice::Verdict verdict, int closeness);
    void showStatus();
    void cannotStart(Text why);
    void finish();
    QByteArray model() const;

    StudyFile m_study;
    ActivityTexts m_texts;
    Microphone m_microphone;
    PhraseSound m_sound;
    SpeakingGame m_game;
    std::unique_ptr<MicrophoneCapture> m_capture;
    int m_captureMs = 0;
    QByteArray m_take; // the latest take of the current phrase
    QFutureWatcher<voice::Comparison> m_analysis;
    QList<QShortcut *> m_gameKeys;
    QShortcut *m_stopKey;
    QWidget *m_cannotStartPage;
};

} // namespace activity
