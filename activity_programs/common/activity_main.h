// What every activity program's main() does: read the study file named on
// the command line and show the game's window, or tell the learner plainly
// why the activity cannot start.
#pragma once

#include "activity_texts.h"
#include "study_file.h"

#include <QWidget>

#include <functional>
#include <memory>

class QApplication;

namespace activity {

using WindowMaker =
    std::function<std::unique_ptr<QWidget>(const StudyFile &, const ActivityTexts &)>;

// Returns the program's exit status: 0 after a game window was shown and
// closed, 1 when the study file could not be used (after a message box in
// the learner's language, titled with the activity's name).
int RunActivity(QApplication &app, Text activityName, const WindowMaker &makeWindow);

} // namespace activity
