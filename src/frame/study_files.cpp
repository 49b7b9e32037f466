#include "frame/study_files.h"

#include "frame/program.h"

namespace modMain {

QString Study_File_Name(const Program &program) {
    return QStringLiteral("~tvx") + program.handleTag + QStringLiteral(".txt");
}

QString Study_File_Path(const Program &program) {
    return program.Temporary_Folder() + Study_File_Name(program);
}

QString Sound_File_Name(const Program &program, int entry) {
    return QStringLiteral("~tvx") + program.handleTag + QString::number(entry) +
           QStringLiteral(".wav");
}

QString Sound_File_Path(const Program &program, int entry) {
    return program.Temporary_Folder() + Sound_File_Name(program, entry);
}

void Delete_Study_Files(Program &program) {
    for (int i = 1; i <= program.studyCount; ++i)
        program.Remove_Temporary_File(Sound_File_Name(program, i));
    program.Remove_Temporary_File(Study_File_Name(program));
    program.studyCount = 0;
}

} // namespace modMain
