// Starting an activity on the subject selected in the tree: the subject is
// checked, its study set collected and written, and the activity program
// started without waiting for it.
#pragma once

#include "activities/study_set.h"

#include <QSet>
#include <QString>
#include <QVector>

class Program;
class TreeView;
namespace subjectData {
class VirtualSubjectCheck;
}

class ActivityLaunch {
public:
    // virtualSubjects: the check of a virtual subject before it is studied
    // (the subject tree's).
    ActivityLaunch(Program &program, subjectData::VirtualSubjectCheck &virtualSubjects,
                   TreeView &TreeFolders);

    // The button of the activity program programFileName (a file of the
    // Activities folder) was pressed. The main window is disabled while
    // the launch runs and enabled again on every path.
    void btnAct_Click(const QString &programFileName);

    // The phrases of the last launch, as the study file gave them.
    const QVector<StudyEntry> &StudySet() const { return m_studySet; }

private:
    void launch(const QString &programFileName);

    Program &m_program;
    subjectData::VirtualSubjectCheck &m_virtualSubjects;
    TreeView &m_tree;
    QVector<StudyEntry> m_studySet;
    // Subjects whose learner has been told that only their first phrases are
    // studied: once is enough.
    QSet<QString> m_toldFirstPhrasesOnly;
};
