// The Dictation window: a thin view over DictationGame. Keys: Enter checks
// the answer and then goes on, Ctrl+R plays the phrase again and
// Ctrl+Shift+R plays it slowly (Listen with Shift held does too), Alt with
// a letter writes its accented forms, Esc asks whether to stop without a
// score; on the last page Enter or Esc closes.
#pragma once

#include "accent_letters.h"
#include "common/activity_texts.h"
#include "common/end_page.h"
#include "common/phrase_sound.h"
#include "common/study_file.h"
#include "dictation_game.h"

#include <QVector>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QShortcut;
class QStackedWidget;

namespace activity {

class GameEnd;
class StopQuestion;

class DictationWindow : public QWidget {
    Q_OBJECT
public:
    DictationWindow(const StudyFile &study, const ActivityTexts &texts, QWidget *parent = nullptr);

    const DictationGame &game() const { return m_game; }
    const PhraseSound &sound() const { return m_sound; }
    const QVector<AccentLetter> &accentLetters() const { return m_letters; }

    QLabel *lblProgress;
    QLabel *lblPrompt;
    QPushButton *btnListen;
    QPushButton *btnSlow;
    QLineEdit *txtAnswer;
    QVector<QPushButton *> btnAccent; // btnAccent1 …, one per letter
    QLabel *lblAccentHint;
    QPushButton *btnCheck;
    QLabel *lblVerdict;
    QLabel *lblPhraseCaption;
    QLabel *lblMarkedPhrase; // the phrase, differences marked
    QLabel *lblAnswerCaption;
    QLabel *lblMarkedAnswer; // the learner's answer, differences marked
    QLabel *lblLegend;
    QPushButton *btnNext;
    QStackedWidget *pages;
    QLabel *lblSoundProblem; // hidden until a recording cannot be played
    EndPage *endPage;
    StopQuestion *stopQuestion;
    GameEnd *gameEnd;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void play(bool slowly);
    void advance();
    void checkAnswer();
    void next();
    void showPhrase();
    void writeAccent(const QString &letter);
    void finish();

    StudyFile m_study;
    ActivityTexts m_texts;
    DictationGame m_game;
    PhraseSound m_sound;
    QVector<AccentLetter> m_letters;
    // Where the last Alt+letter wrote, so that pressing it again turns the
    // letter into its next accent instead of adding one.
    QChar m_altKey;
    int m_altPosition = -1;
};

// The text as rich text, each character's mark shown by its colour (the
// text itself escaped, so signs of markup in a phrase stay text).
QString MarkedHtml(const QString &text, const QVector<Mark> &marks);

} // namespace activity
