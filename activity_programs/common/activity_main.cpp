#include "activity_main.h"

#include "platform/exit_signals.h"
#include "platform/platform_language.h"
#include "platform/qt_enter_key.h"
#include "platform/qt_program_look.h"
#include "platform/qt_window_placement.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>

namespace activity {

int RunActivity(QApplication &app, Text activityName, const WindowMaker &makeWindow) {
    // A logout, kill or Ctrl+C ends the game as closing its window does:
    // without a score for a game not finished, and without asking.
    ExitSignals exitSignals;
    QObject::connect(&exitSignals, &ExitSignals::Received, &app, [] { QCoreApplication::exit(0); });
    // The same keyboard and colours as the program's own windows.
    EnterPressesFocusedButtons(app);
    UseProgramLook(app);
    const QStringList args = app.arguments();
    // The shell passes the study file's name alone and starts us in the
    // folder that holds it.
    const StudyLoad load =
        LoadStudyFile(args.size() > 1 ? args[1] : QString(), QDir::currentPath());
    // The database layer's own error sentences follow the learner too.
    platformLanguage::Use_Learner_Language(load.texts.isSpanish() ? QStringLiteral("Spanish")
                                                                  : QStringLiteral("English"));
    if (!load.ok()) {
        QMessageBox::critical(nullptr, load.texts(activityName), load.error);
        return 1;
    }
    const std::unique_ptr<QWidget> window = makeWindow(load.file, load.texts);
    // Where the window manager would put it, it may hang off the screen.
    window->adjustSize();
    CenterWindow(*window);
    window->show();
    window->raise();
    window->activateWindow();
    exitSignals.Unblock();
    return app.exec() == 0 ? 0 : 1;
}

} // namespace activity
