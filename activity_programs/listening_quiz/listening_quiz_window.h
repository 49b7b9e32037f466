// The Listening quiz window: a thin view over ListeningQuizGame. Keys: 1 to
// 4 pick an answer, R plays the phrase again, Enter or Space goes on after
// an answer, Esc asks whether to stop without a score; on the last page
// Enter or Esc closes. Every key has its button.
#pragma once

#include "common/activity_texts.h"
#include "common/end_page.h"
#include "common/phrase_sound.h"
#include "common/study_file.h"
#include "listening_quiz_game.h"

#include <QVector>
#include <QWidget>

class QLabel;
class QPushButton;
class QShortcut;
class QStackedWidget;

namespace activity {

class GameEnd;
class StopQuestion;

class ListeningQuizWindow : public QWidget {
    Q_OBJECT
public:
    // seed fixes the order of questions and answers (a new one each run).
    ListeningQuizWindow(const StudyFile &study, const ActivityTexts &texts, quint32 seed,
                        QWidget *parent = nullptr);

    const ListeningQuizGame &game() const { return m_game; }
    const PhraseSound &sound() const { return m_sound; }

    QLabel *lblProgress;
    QLabel *lblPrompt;
    QPushButton *btnListen;
    QVector<QPushButton *> btnChoice; // btnChoice1 .. btnChoice4
    QLabel *lblFeedback;
    QLabel *lblPhrase;
    QPushButton *btnNext;
    QStackedWidget *pages;
    QLabel *lblSoundProblem; // hidden until a recording cannot be played
    EndPage *endPage;
    StopQuestion *stopQuestion;
    GameEnd *gameEnd; // the result page, the score and the answers' grades

private:
    void choose(int choice);
    void next();
    void showQuestion();
    void playQuestion();
    void finish();

    StudyFile m_study;
    ActivityTexts m_texts;
    ListeningQuizGame m_game;
    PhraseSound m_sound;
    QList<QShortcut *> m_nextKeys;
    QShortcut *m_stopKey;
};

} // namespace activity
