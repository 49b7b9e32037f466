// The weekly update check: when it is due, and the check itself.
#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

class Program;

namespace updateCheck {

// Reads DateChecked; an empty or unreadable value counts as missing.
QDateTime Read_Date_Checked(Program &program);
void Save_Date_Checked(Program &program, const QDateTime &when);

// Runs the scheduling at the end of the start-up: sets DateChecked on the
// first start; when 7 days or more have passed and the computer is online,
// writes DateChecked := now and runs the check. Returns the check's flag:
// true means the program must end.
bool Run_Scheduled_Check(Program &program, const std::function<bool()> &checkForUpdate);

// The check itself; returns true when the notice asks the program to end.
// This build publishes no update notices yet, so the check finds none.
bool Check_For_Update(Program &program);

} // namespace updateCheck
