// The program's side of each comparison: the workloads run through the
// program's own classes (Program, SubjectTree, TreeView shown by
// TreeViewWidget, frmSplash). This is the only benchmark file that drives
// the program's windows and tree.
#pragma once

#include "bench_data.h"
#include "workload.h"

#include <memory>

namespace bench::ours {

// Makes the program's pictures and texts available; call once after the
// QApplication exists.
void Init();

// This build's codes and the subject folder names of the template in a
// program folder.
BuildFacts ReadBuildFacts(const QString &programFolder);
// What the bare reference needs to know about a program folder.
TreeFacts ReadTreeFacts(const QString &programFolder);
// The eleven pictures of the program's subject tree.
TreeIcons TreePictures();
// What the bare reference needs to know about the student database of a
// program folder, and the progress viewer's pictures.
ViewerFacts ReadViewerFacts(const QString &programFolder);
ViewerIcons ViewerPictures();

// W1 and W1s: the start-up loaders fill the tree (behind the splash window
// when withSplash), then the tree is shown and painted.
std::unique_ptr<Workload> StartupTree(const QString &programFolder, bool withSplash);
// W2: a click on the installed subject subjectFile lists its phrases.
std::unique_ptr<Workload> OpenSubject(const QString &programFolder, const QString &subjectFile);
// W3: a click on the random-phrases folder draws ten phrases.
std::unique_ptr<Workload> RandomPhrases(const QString &programFolder);
// W4: an activity button pressed on the selected subject: study set
// collected, sounds and study file written, the program started.
std::unique_ptr<Workload> Launch(const QString &programFolder, const QString &subjectFile,
                                 const QString &activity);

// W5: in the progress viewer's view by student, a click on the first
// student's first activity lists its rows and draws its chart.
std::unique_ptr<Workload> ShowPair(const QString &programFolder);
// W5b: the progress viewer builds its view by student (every activity under
// every student).
std::unique_ptr<Workload> BuildStudentView(const QString &programFolder);

// What the bare reference needs to know about the per-phrase memory's
// database in programFolder.
MemoryFacts ReadMemoryFacts(const QString &programFolder, const QString &student);
// W6: what the learner's "review today" asks for: the student's history
// read and scheduled today, the phrases due, most overdue first.
std::unique_ptr<Workload> ReviewToday(const QString &programFolder, const QString &student);
// W6b: the progress viewer builds its view by phrase.
std::unique_ptr<Workload> PhraseView(const QString &programFolder);

} // namespace bench::ours
