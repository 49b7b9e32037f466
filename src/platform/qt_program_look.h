// The program draws its own light backgrounds (tiled pictures, the ticker's
// frame, the activity buttons) and lays its windows out at fixed positions.
// A dark system palette would paint light text on those backgrounds, and a
// large system font would cut the texts of buttons and labels, so every
// window uses one light palette and a font no larger than the size its
// layouts were drawn for, whatever the desktop's settings. (Larger text comes
// with the desktop's scale factor, which enlarges the whole layout.)
#pragma once

class QApplication;
class QFont;
class QPalette;

// The light palette every window of the program uses.
QPalette ProgramPalette();
// The desktop's font, at most at the size the layouts were drawn for.
QFont ProgramFont(const QFont &desktopFont);
// Gives the whole application that palette and font (once, at start-up).
void UseProgramLook(QApplication &app);
