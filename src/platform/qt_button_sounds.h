// The main buttons of the program's windows click when pressed and released.
#pragma once

#include <functional>

class QAbstractButton;

// Calls play (which plays the click sound asynchronously) on the button's
// mouse down and up. A sound that fails must not stop the button working, so
// play's exceptions are swallowed here.
void AddClickSound(QAbstractButton &button, std::function<void()> play);
