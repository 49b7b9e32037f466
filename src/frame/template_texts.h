// Loaders of the texts in the template database: captions, system messages,
// tips and menu links. Each opens its own connection and reports a failure in
// the error box, keeping what it loaded before the failure.
#pragma once

#include <QString>

#include <functional>

class Program;

namespace templateTexts {

// "bL" + row set: the flag column of the rows this build reads.
QString Row_Set_Column(const Program &program);

// Why the template database cannot be opened and read, or empty text when it can.
QString Template_Problem(Program &program);

void Get_Captions(Program &program);
void Get_System_Messages(Program &program);
void Get_Tips(Program &program);

// Places menu link k (0-based) with its text and page name; the main window
// creates the controls.
using PlaceMenuLink = std::function<void(int k, const QString &text, const QString &link)>;
// Returns the highest menu index (count - 1; -1 when nothing was placed).
int Get_Menu_Links(Program &program, const PlaceMenuLink &place);

} // namespace templateTexts
