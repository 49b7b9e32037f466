// The program draws its own light backgrounds (tiled pictures, the ticker's
// frame, the activity buttons). A dark system palette would paint light text
// on them, unreadable, so every window uses one light palette of its own,
// whatever the desktop's colour scheme.
#pragma once

class QApplication;
class QPalette;

// The light palette every window of the program uses.
QPalette ProgramPalette();
// Gives the whole application that palette (call once, at start-up).
void UseProgramPalette(QApplication &app);
