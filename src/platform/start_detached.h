// Starting another program without waiting for it, in a working folder of
// its choosing, in a session of its own (a Ctrl+C in the terminal that
// started us does not reach it).
#pragma once

#include <QString>
#include <QStringList>

namespace startDetached {

// Starts program (a path, or a name looked up in PATH) with arguments in
// workingFolder (empty: ours). False when it could not be started: no such
// file, not a program, a working folder that cannot be entered.
bool Start(const QString &program, const QStringList &arguments,
           const QString &workingFolder = QString());

} // namespace startDetached
