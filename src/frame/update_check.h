// The weekly update check: when it is due, whether the administrator allows
// it, and the check itself.
#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

class Program;
class QObject;

namespace updateCheck {

// A notice larger than this is not read: a real one is a single short line.
inline constexpr qint64 kNoticeLimitBytes = 64 * 1024;

// Reads DateChecked; an empty or unreadable value counts as missing.
QDateTime Read_Date_Checked(Program &program);
void Save_Date_Checked(Program &program, const QDateTime &when);

// The administrator's switch, a registry value of the build beside
// DateChecked; on unless turned off (schools without internet, or that do
// not want the program to call out).
bool Is_Update_Check_On(Program &program);
void Set_Update_Check_On(Program &program, bool on);

// The scheduling at the end of the start-up: sets DateChecked on the first
// start; when the check is switched on, 7 days or more have passed and the
// computer is online, writes DateChecked := now and returns true: the caller
// then starts the check.
bool Take_Due_Check(Program &program);

// Where the notice for the running version is asked for: the web site's
// address (caption 94) + "/updates/Ver_<major>_<minor>_<revision>.txt",
// over https unless the site is this computer itself.
QString Notice_Address(const Program &program);
// The download page: caption 94 + caption 67.
QString Download_Page(const Program &program);
// The temporary copy: the program's temporary folder + "~" + MMddyyyy +
// HHmmss + ".tmp" (the folder is made when needed; throws when it cannot be).
QString Temporary_Notice_Path(const Program &program, const QDateTime &now);

// The check itself, which returns at once: downloads the notice without
// holding up the windows, shows its message with the offer to open the
// download page, and then calls done, with true when the notice asks the
// program to end. Every failure answers false and shows nothing; the
// temporary copy never stays behind. Nothing follows when context is
// destroyed first.
void Start_Check_For_Update(Program &program, QObject *context,
                            std::function<void(bool endProgram)> done);

} // namespace updateCheck
