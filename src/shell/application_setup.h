// What the program does to its QApplication before the first window: the
// compiled-in pictures, the keyboard's conventions and the palette. The
// program and the tests that drive its windows share it.
#pragma once

class QApplication;

void SetUpApplication(QApplication &app);
