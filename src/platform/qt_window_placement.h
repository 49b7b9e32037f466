// Where the program's own windows appear: centred on the screen (or on the
// window that opened them), as users expect of a desktop program.
#pragma once

class QWidget;

// Moves a top-level window to the centre of its owner or, without one, of
// the screen it is on.
void CenterWindow(QWidget &window, const QWidget *owner = nullptr);
