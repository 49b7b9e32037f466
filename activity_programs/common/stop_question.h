// Esc during a game asks whether to stop without a score, in the learner's
// language: Yes closes the window and saves nothing, No goes on with the
// game. The question is modal to the game's window only and never blocks
// its event loop.
#pragma once

#include "activity_texts.h"

#include <QObject>

class QMessageBox;
class QPushButton;
class QWidget;

namespace activity {

class StopQuestion : public QObject {
    Q_OBJECT
public:
    StopQuestion(QWidget *window, const ActivityTexts &texts);

    // Shows the question, unless it is showing already.
    void ask();

    QMessageBox *box;
    QPushButton *btnYes;
    QPushButton *btnNo;

private:
    QWidget *m_window;
};

} // namespace activity
