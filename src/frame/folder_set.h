// Where the program keeps its files: the program folder (read-only in a
// protected installation), the writable data folder, the subject folders and
// the Activities folder. All paths end in "/".
#pragma once

#include <QString>

class Program;

namespace folders {

// The executable's folder with exactly one trailing "/".
QString Get_App_Path(const Program &program);

// True on FAILURE: false when a file could be created, written and deleted.
bool Test_Write_Access(const QString &folder);
// The same probe, telling why it failed: 0 when a file could be created,
// written and deleted, else the system's error number (EACCES or EROFS for
// a folder that may only be read, ENOSPC or EDQUOT for a full disk).
int Probe_Write_Access(const QString &folder);
// Whether the error of the write probe means that the disk is full, not that
// the folder may only be read.
bool Is_Disk_Full(int probeError);

// The user's local application-data folder without a trailing "/", created
// when missing; empty text when there is none.
QString Get_Application_Data_Folder(Program &program);

// Copies a folder tree; reports failures through the error box.
void Copy_Folder(Program &program, const QString &source, const QString &destination);

// Computes the folder set (needs the captions). A read-only program folder
// moves the data folder to the application-data folder and copies the shipped
// virtual subjects there once. A program folder on a full disk stays the data
// folder, so its students and scores are still read, and the learner is told
// that nothing new can be saved until there is room again.
void Set_Paths(Program &program);

// Writes ProgramDir, InstalledSubjectsDir and VirtualSubjectsDir to the
// registry when they differ from the stored ones (ignoring letter case).
void Save_Folder_Values(Program &program);

} // namespace folders
