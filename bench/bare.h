// The bare reference of each comparison: the same work (same files, same
// rows, same nodes) written directly with Qt Widgets (QTreeWidget,
// QPlainTextEdit) and the SQLite C API, as a straightforward program would,
// without any of the program's own classes.
#pragma once

#include "workload.h"

#include <memory>

namespace bench::bare {

// W1 and W1s: list the subject folders, read each virtual folder's subjects,
// fill a QTreeWidget (prepending a progress line per subject to a shown
// text box when withSplash), then show and paint it.
std::unique_ptr<Workload> StartupTree(const TreeFacts &facts, const TreeIcons &icons,
                                      bool withSplash);
// W2: read all phrases of subjectFile under its node, expand and paint.
std::unique_ptr<Workload> OpenSubject(const TreeFacts &facts, const TreeIcons &icons,
                                      const QString &subjectFile);
// W3: draw ten random phrases from the installed subjects, checking each
// drawn file, and show them under a new node.
std::unique_ptr<Workload> RandomPhrases(const TreeFacts &facts, const TreeIcons &icons);
// W4: check the subject, write each phrase's sound and the study file to
// the temporary folder, start the activity program without waiting.
std::unique_ptr<Workload> Launch(const TreeFacts &facts, const QString &subjectFile,
                                 const QString &activityProgram);

// W5: in a view by student, a click on the first student's first activity
// reads its rows with the SQLite C API into a QTreeWidget of four columns and
// draws the chart of its numeric scores.
std::unique_ptr<Workload> ShowPair(const ViewerFacts &facts, const ViewerIcons &icons);
// W5b: the view by student in a QTreeWidget: every student, every activity
// under each.
std::unique_ptr<Workload> BuildStudentView(const ViewerFacts &facts, const ViewerIcons &icons);

// W6: one student's review today: her launches, entries and results read
// with the SQLite C API (the same statements as the program's), each
// phrase's history replayed with the scheduler's arithmetic, the phrases due
// today most overdue first, at most 10.
std::unique_ptr<Workload> ReviewToday(const MemoryFacts &facts);
// W6b: the view by phrase in a QTreeWidget: every student's results read,
// scheduled and grouped by phrase, worst first.
std::unique_ptr<Workload> PhraseView(const MemoryFacts &facts);

} // namespace bench::bare
