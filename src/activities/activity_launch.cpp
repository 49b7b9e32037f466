#include "activities/activity_launch.h"

#include "activities/launch_record.h"
#include "frame/program.h"
#include "platform/host.h"
#include "platform/tree_view.h"
#include "subjects/subject_file.h"
#include "subjects/subject_tree.h"

#include <QDir>

namespace {
const QString kCrLf = QStringLiteral("\r\n");
const QLatin1String kFolder("FOLDER");
const QLatin1String kSubject("SUBJECT");
const QLatin1String kVirtualSubject("VIRTUALSUBJECT");

// Enables the main window again when the launch ends, however it ends.
class MainDisabled {
public:
    explicit MainDisabled(ShellWindows &windows) : m_windows(windows) {
        m_windows.SetMainEnabled(false);
    }
    ~MainDisabled() { m_windows.SetMainEnabled(true); }
    MainDisabled(const MainDisabled &) = delete;
    MainDisabled &operator=(const MainDisabled &) = delete;

private:
    ShellWindows &m_windows;
};
} // namespace

ActivityLaunch::ActivityLaunch(Program &program, SubjectTree &subjects, TreeView &TreeFolders)
    : m_program(program), m_subjects(subjects), m_tree(TreeFolders) {}

void ActivityLaunch::btnAct_Click(const QString &programFileName) {
    Host &host = m_program.host();
    const int selected = m_tree.Selected();
    const QString kind = selected > 0 ? m_subjects.Tag_Item(0, selected) : QString(kFolder);
    if (kind == kFolder) {
        host.MsgBox(m_program.captions[22], vb::vbExclamation, m_program.captions[103]);
        return;
    }
    if (kind != kSubject) {
        // A phrase: its whole subject is studied.
        m_tree.Select(m_tree.Parent(selected));
    }
    MainDisabled disabled(m_program.windows());
    launch(programFileName);
}

void ActivityLaunch::launch(const QString &programFileName) {
    Host &host = m_program.host();
    const int subject = m_tree.Selected();
    if (m_subjects.Tag_Item(1, subject) == kVirtualSubject) {
        int lastExamined = 0;
        if (!m_subjects.Check_Virtual_Subject(lastExamined))
            return;
    } else {
        const QString fileName = m_subjects.Tag_Item(1, subject);
        const QString result = Validate_Subject(m_program, fileName);
        if (result != QLatin1String(subjectFile::kValid)) {
            Show_Subject_Error(m_program, fileName, result);
            m_tree.SetImage(subject, SubjectTree::BrokenSubject);
            m_tree.SetSelectedImage(subject, SubjectTree::BrokenSubject);
            return;
        }
    }

    // Without a place for the study file and the sounds nothing can start;
    // the learner is told why, once.
    try {
        m_program.Temporary_Folder();
    } catch (const std::exception &e) {
        host.MsgBox(QString::fromUtf8(e.what()), vb::vbExclamation, m_program.captions[103]);
        return;
    }

    int phrasesInSubject = 0;
    m_studySet = activities::Get_Phraes_to_Study(m_program, m_subjects, m_tree, subject,
                                                 &phrasesInSubject);
    if (m_studySet.isEmpty()) {
        host.MsgBox(m_program.captions[caption::NoPhrasesToStudy], vb::vbOKOnly);
        return;
    }
    const QString source = m_subjects.Tag_Item(1, subject);
    if (phrasesInSubject > m_studySet.size() && !m_toldFirstPhrasesOnly.contains(source)) {
        m_toldFirstPhrasesOnly.insert(source);
        host.MsgBox(m_program.captions[caption::FirstTenOfPhrases].arg(phrasesInSubject),
                    vb::vbInformation, m_program.identity.productTitle);
    }
    QString studyFile;
    try {
        studyFile = activities::Study_File_Path(m_program);
        activities::Write_Study_File(m_program, m_tree.Text(subject), m_studySet);
    } catch (const std::exception &e) {
        host.MsgBox(m_program.captions[caption::StudyFileNotWritten] + kCrLf +
                        QDir::toNativeSeparators(studyFile) + kCrLf + kCrLf +
                        QString::fromUtf8(e.what()),
                    vb::vbCritical, m_program.captions[103]);
        return;
    }
    activities::Record_Launch(m_program, m_tree.Text(subject), m_studySet);
    // The study file's name alone, as activities expect it: they run in the
    // program's temporary folder, where the name finds the file.
    const QString programPath = m_program.folders.activitiesFolder + programFileName;
    const QString workingFolder = studyFile.left(studyFile.lastIndexOf(QLatin1Char('/')) + 1);
    if (!host.StartDetached(programPath, {activities::Study_File_Name(m_program)}, workingFolder))
        host.MsgBox(m_program.captions[caption::ActivityNotStarted] + kCrLf +
                        QDir::toNativeSeparators(programPath),
                    vb::vbCritical, m_program.captions[103]);
}
