// Where the program's own windows appear: centred on the screen (or on the
// window that opened them), as users expect of a desktop program, and never
// with their title bar out of reach.
#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

// Moves a top-level window to the centre of its owner or, without one, of
// the part of its screen windows may take (see PlaceWindowIn); either way its
// frame stays on that part of the screen.
void CenterWindow(QWidget &window, const QWidget *owner = nullptr);

// Moves a top-level window so that its frame, title bar included, is centred
// in the area, or where it does not fit starts at the area's left or top
// edge (FitFrame). The window keeps its size.
void PlaceWindowIn(QWidget &window, const QRect &area);

// The frame the window manager puts around a top-level window: its title bar
// and borders. The window's own once it shows; before that, the frame of
// another shown window of the program stands in for it (the same window
// manager draws them alike), or failing one a title bar of the style's
// height.
QMargins WindowFrameMargins(const QWidget &window);

// The window's outer size, frame included.
QSize WindowFrameSize(const QWidget &window);
