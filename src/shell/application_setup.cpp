#include "shell/application_setup.h"

#include "platform/qt_accessibility.h"
#include "platform/qt_enter_key.h"
#include "platform/qt_program_look.h"
#include "shell/qt_resources.h"

#include <QApplication>

void SetUpApplication(QApplication &app) {
    InitProgramResources();
    QApplication::setApplicationName(QStringLiteral("Tolvanex"));
    EnterPressesFocusedButtons(app);
    UseProgramAccessibility();
    UseProgramLook(app);
}
