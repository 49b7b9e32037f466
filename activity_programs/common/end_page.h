// The last page of a game: the result, what became of the score, and the
// buttons that retry saving it and close the activity.
#pragma once

#include "activity_texts.h"
#include "phrase_sound.h"
#include "score_saver.h"
#include "study_file.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QStackedWidget;

namespace activity {

class StopQuestion;

class EndPage : public QWidget {
    Q_OBJECT
public:
    // databasePath: the student database the score goes to.
    EndPage(const ActivityTexts &texts, const QString &databasePath, QWidget *parent = nullptr);
    // Shows the result and starts saving the score.
    void showResult(const QString &result, const ScoreRow &row);

    QLabel *lblResult;
    QLabel *lblSaved;
    QPushButton *btnRetry; // shown while the score is not saved
    QPushButton *btnClose;
    ScoreSaver *saver;

signals:
    void closeRequested();

private:
    void showSaving();
};

// "<activity> — <subject>": every activity window's title.
QString WindowTitle(const QString &activityName, const QString &subject);

// A line of a game window, centred and wrapped, that the learner reads but
// never selects. Phrases come from subject files made anywhere: "<b>" in one
// is text, so a label is plain text unless a caller escapes its own markup.
QLabel *MakeGameLabel(QWidget *parent, const QString &name, const QString &accessibleName,
                      Qt::TextFormat format = Qt::PlainText);

// A button of a game window that Enter and Space never press by themselves:
// those keys are the game's own, whichever button has the focus.
QPushButton *MakeGameButton(QWidget *parent, const QString &name, const QString &text,
                            const QString &accessibleName, int minimumHeight = 36);

// Scales a widget's font, for the large phrase and result texts.
void ScaleFont(QWidget *widget, double factor, bool bold = false);

// The line of a game window that says which phrase's recording cannot be
// played, hidden until sound refuses one of the study's sounds. It is said
// once for each recording, in the window rather than in a box that would
// stop the game at every play; the game goes on, silent for that phrase.
QLabel *MakeSoundProblemLine(QWidget *parent, PhraseSound &sound, const StudyFile &study,
                             const ActivityTexts &texts);

// How every game window is laid out: the progress line, the pages (the
// game's own page, then the end page), the sound problem line; and the
// question Esc asks before the game stops without a score.
struct GameWindowFrame {
    QStackedWidget *pages;
    EndPage *endPage;
    StopQuestion *stopQuestion;
};
GameWindowFrame MakeGameWindowFrame(QWidget *window, QWidget *game, QLabel *progress,
                                    QLabel *soundProblem, const ActivityTexts &texts,
                                    const StudyFile &study);

} // namespace activity
