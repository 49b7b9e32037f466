// A folder of this user's alone inside a folder every user of the computer
// may write (the temporary folder), and files made there without ever going
// through a link. In a shared folder any name the program could choose may
// already be taken by another user, for example by a link to a file of the
// learner's that the program would then overwrite; a folder with a name
// nobody can guess, open to its owner only, leaves no such name to take.
#pragma once

#include <QString>

class QFile;

namespace privateFolder {

// Makes a new folder in parent (a path ending in "/") named prefix and six
// random letters, readable, writable and searchable by this user only.
// Returns its path ending in "/", or empty text with the system's reason in
// *reason when it cannot be made.
QString Make(const QString &parent, const QString &prefix, QString *reason);

// Whether path (ending in "/" or not) still is such a folder: a folder, not
// a link to one, owned by this user and closed to everyone else.
bool IsPrivate(const QString &path);

// Removes a folder made by Make with everything in it. Links inside are
// removed as links: what they point to is never touched.
void Remove(const QString &path);

// Opens file for writing as a new file that only this user may read: a file
// or link of its name is removed first, and the new file is created only
// when the name is free at that moment, so no link is ever followed.
bool OpenNew(QFile &file);

} // namespace privateFolder
