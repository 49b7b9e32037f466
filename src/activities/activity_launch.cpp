#include "activities/activity_launch.h"

#include "activities/launch_record.h"
#include "frame/program.h"
#include "platform/ado.h"
#include "platform/host.h"
#include "platform/tree_view.h"
#include "subject_data/subject_file.h"
#include "subject_data/subject_node.h"
#include "subject_data/virtual_subject_check.h"

#include <QDir>

namespace {
const QString kCrLf = QStringLiteral("\r\n");

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

ActivityLaunch::ActivityLaunch(Program &program, subjectData::VirtualSubjectCheck &virtualSubjects,
                               TreeView &TreeFolders)
    : m_program(program), m_virtualSubjects(virtualSubjects), m_tree(TreeFolders) {}

void ActivityLaunch::btnAct_Click(const QString &programFileName) {
    Host &host = m_program.host();
    const int selected = m_tree.Selected();
    // A phrase (or the placeholder of an empty subject) stands for its whole
    // subject; a folder, or nothing, for no subject.
    int subject = selected;
    if (const auto *node = subjectData::Node_At(m_tree, selected);
        node && !subjectData::Is_Subject(node->kind) && !subjectData::Is_Folder(node->kind))
        subject = m_tree.Parent(selected);
    const subjectData::SubjectNode *node = subjectData::Node_At(m_tree, subject);
    if (!node || !subjectData::Is_Subject(node->kind)) {
        host.MsgBox(m_program.captions[22], vb::vbExclamation, m_program.captions[103]);
        return;
    }
    m_tree.Select(subject);
    MainDisabled disabled(m_program.windows());
    launch(programFileName);
}

void ActivityLaunch::launch(const QString &programFileName) {
    Host &host = m_program.host();
    int subject = m_tree.Selected();
    const subjectData::SubjectNode *node = subjectData::Node_At(m_tree, subject);
    const bool isVirtual = subjectData::Is_Studied_Virtually(node->kind);
    const QString source = isVirtual ? QStringLiteral("VIRTUALSUBJECT") : node->fileName;
    ado::Connection connection;
    if (isVirtual) {
        int lastExamined = 0;
        if (!m_virtualSubjects.Check_Virtual_Subject(lastExamined))
            return;
        // The check may list a review list's phrases first, which moves the
        // indexes of later nodes; the selection stays on the subject.
        subject = m_tree.Selected();
        node = subjectData::Node_At(m_tree, subject);
        if (!node)
            return;
    } else {
        // One connection serves the check and the reading of the phrases.
        const QString result = Validate_Subject(m_program, source, connection);
        if (result != QLatin1String(subjectFile::kValid)) {
            Show_Subject_Error(m_program, source, result);
            m_tree.SetImage(subject, subjectData::BrokenSubject);
            m_tree.SetSelectedImage(subject, subjectData::BrokenSubject);
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
    m_studySet = activities::Get_Phraes_to_Study(m_program, m_tree, subject, &phrasesInSubject,
                                                 &connection);
    if (m_studySet.isEmpty()) {
        host.MsgBox(m_program.captions[caption::NoPhrasesToStudy], vb::vbOKOnly);
        return;
    }
    if (phrasesInSubject > m_studySet.size() && !m_toldFirstPhrasesOnly.contains(source)) {
        m_toldFirstPhrasesOnly.insert(source);
        host.MsgBox(m_program.captions[caption::FirstTenOfPhrases].arg(phrasesInSubject),
                    vb::vbInformation, m_program.identity.productTitle);
    }
    // A review list's node also shows its count; the subject is the list.
    const int listCaption = subjectData::Review_List_Caption(node->kind);
    const QString subjectTitle =
        listCaption > 0 ? m_program.captions[listCaption] : m_tree.Text(subject);
    QString studyFile;
    try {
        studyFile = activities::Study_File_Path(m_program);
        activities::Write_Study_File(m_program, subjectTitle, m_studySet);
    } catch (const std::exception &e) {
        host.MsgBox(m_program.captions[caption::StudyFileNotWritten] + kCrLf +
                        QDir::toNativeSeparators(studyFile) + kCrLf + kCrLf +
                        QString::fromUtf8(e.what()),
                    vb::vbCritical, m_program.captions[103]);
        return;
    }
    activities::Record_Launch(m_program, subjectTitle, m_studySet);
    // The study file's name alone, as activities expect it: they run in the
    // program's temporary folder, where the name finds the file.
    const QString programPath = m_program.folders.activitiesFolder + programFileName;
    const QString workingFolder = studyFile.left(studyFile.lastIndexOf(QLatin1Char('/')) + 1);
    if (!host.StartDetached(programPath, {activities::Study_File_Name(m_program)}, workingFolder))
        host.MsgBox(m_program.captions[caption::ActivityNotStarted] + kCrLf +
                        QDir::toNativeSeparators(programPath),
                    vb::vbCritical, m_program.captions[103]);
}
