// The study set handed to an activity: up to 10 phrases of the selected
// subject with their sounds extracted to the program's temporary folder, and
// the study file that describes the student, the build and the phrases. The
// files are named after the program's handle tag, so each launch reuses the
// names.
#pragma once

#include "frame/study_files.h"

#include <QString>
#include <QVector>

class Program;
class TreeView;

struct StudyEntry {
    QString phrase;
    QString translation;
    QString translation2;
    QString soundFile; // full path of the extracted sound
    // Where the phrase came from: an installed subject file's name and the
    // phrase's pkPhraseNo there (for a virtual subject, the installed
    // subject it was copied from).
    QString sourceFile;
    int phraseNo = 0;
};

namespace ado {
class Connection;
}

namespace activities {

// Room in a study set: activities may rely on at most this many phrases.
inline constexpr int kMaxStudyEntries = 10;
// Line 15 of the study file: the version of its format, so that an activity
// can tell a later form from this one.
inline constexpr int kStudyFileVersion = 1;

// The names of the launch's files and their removal are shared procedures.
using modMain::Delete_Study_Files;
using modMain::Sound_File_Name;
using modMain::Sound_File_Path;
using modMain::Study_File_Name;
using modMain::Study_File_Path;

// Collects the phrases of the subject node (deleting the files of the last
// launch first) and extracts their sounds: a virtual subject's phrases from
// their source subjects, skipping those whose source is gone or unusable; an
// installed subject's first 10 phrases. A failure is reported in the error
// box; the entries completed before it stay for a virtual subject, none for
// an installed one.
// phrasesInSubject, when given, receives how many phrases the subject has.
// subjectConnection, when given, is an open connection to the installed
// subject's file (the one its check used), read instead of opening another.
QVector<StudyEntry> Get_Phraes_to_Study(Program &program, const TreeView &tree, int subjectNode,
                                        int *phrasesInSubject = nullptr,
                                        ado::Connection *subjectConnection = nullptr);

// Writes the study file: 15 header lines, then four quoted lines per entry,
// in the system's 8-bit encoding (UTF-8 here, the ANSI code page on Windows),
// lines ended by CR LF. A line break inside a value becomes a blank, so the
// lines keep their places. Throws std::runtime_error naming the file when
// it cannot be written.
void Write_Study_File(Program &program, const QString &subjectTitle,
                      const QVector<StudyEntry> &entries);

} // namespace activities
