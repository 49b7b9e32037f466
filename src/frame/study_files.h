// The temporary files of a launch: the study file handed to an activity and
// the sounds of its phrases, named after the program's handle tag so that
// each launch reuses the names. Shared procedures: the launch writes them,
// and the end of the run and the clearing of the student database delete
// them.
#pragma once

#include <QString>

class Program;

namespace modMain {

// "~tvx" + handle tag + ".txt", and its full path in the program's
// temporary folder (Program::Temporary_Folder, which makes it and throws
// when it cannot).
QString Study_File_Name(const Program &program);
QString Study_File_Path(const Program &program);
// "~tvx" + handle tag + entry number + ".wav", and its full path there.
QString Sound_File_Name(const Program &program, int entry);
QString Sound_File_Path(const Program &program, int entry);

// Deletes the sounds of the last study set (Program::studyCount of them) and
// the study file; missing files are skipped.
void Delete_Study_Files(Program &program);

} // namespace modMain
