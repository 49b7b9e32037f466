#include "activities/launch_record.h"

#include "frame/program.h"
#include "platform/host.h"
#include "study_data/study_results.h"

namespace activities {

QString Record_Launch(Program &program, const QString &subjectTitle,
                      const QVector<StudyEntry> &entries) {
    studyResults::Launch launch;
    launch.id = studyResults::New_Launch_Id();
    launch.studyFile = Study_File_Name(program);
    launch.student = program.currentStudent;
    launch.subject = subjectTitle;
    launch.when = program.host().Now();
    for (int i = 0; i < entries.size(); ++i) {
        const StudyEntry &e = entries[i];
        launch.entries << studyResults::LaunchEntry{i + 1,    e.sourceFile,  e.phraseNo,
                                                    e.phrase, e.translation, e.translation2};
    }
    try {
        studyResults::Record_Launch(program.usersPath(), launch, kLaunchRecordWaitMs);
    } catch (const std::exception &) {
        return QString();
    }
    return launch.id;
}

} // namespace activities
