// The main buttons of the program's windows click when pressed and released.
#pragma once

class QAbstractButton;
class Program;

// Plays the click sound (asynchronously) on the button's mouse down and up.
void AddClickSound(Program &program, QAbstractButton &button);
