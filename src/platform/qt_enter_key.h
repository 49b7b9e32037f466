// Enter presses the focused push button in every window of the program, as
// users of desktop programs expect; Qt does it only in dialogs, and only for
// buttons that are "auto default".
#pragma once

class QCoreApplication;

// Installs the behaviour for the whole application (once is enough).
void EnterPressesFocusedButtons(QCoreApplication &app);
