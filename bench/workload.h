// What the two sides of a comparison share: the shape of a workload, the
// random numbers both draw from, and the plain facts about the data set that
// the bare reference needs (folders, texts and pictures, no program types).
#pragma once

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDate>
#include <QIcon>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVector>

#include <random>

namespace bench {

// One side (ours or bare) of one workload. The runner calls prepare, times
// run, then calls nodes and cleanup, for every run.
class Workload {
public:
    virtual ~Workload() = default;
    // Untimed: gets ready for run number `run` (0 is the warm-up).
    virtual void prepare(int run) { (void)run; }
    // Timed: the work itself, ending with the tree painted.
    virtual void run() = 0;
    // Untimed: the number of tree nodes the run left.
    virtual int nodes() const = 0;
    // Untimed: undoes what run changed, so every run starts alike.
    virtual void cleanup() {}
    // Untimed: the texts of the nodes the run added under the clicked node,
    // so that the runner can tell both sides showed the same rows; empty when
    // the workload has no such node.
    virtual QStringList shownTexts() const { return {}; }
    // What went wrong during the last run (a message box, a file that failed
    // to read); empty when nothing did.
    virtual QString problem() const { return m_problem; }

protected:
    QString m_problem;
};

// Runs events until none is left. An item view whose rows changed lays
// itself out and shows or hides its scroll bars on a timer of its own, which
// a single pass of events may leave for later: a window counts as shown
// once that has run too, on both sides of a comparison.
inline void SettleEvents() {
    QAbstractEventDispatcher *events = QAbstractEventDispatcher::instance();
    for (int pass = 0; pass < 16; ++pass) {
        QCoreApplication::sendPostedEvents();
        if (!events || !events->processEvents(QEventLoop::AllEvents))
            break;
    }
}

// VB's Rnd over a seedable generator: 24 random bits, never reaching 1. The
// program's host and the bare reference draw from the same sequence, so both
// pick the same subjects and phrases.
class VbRandom {
public:
    void seed(quint32 value) { m_engine.seed(value); }
    double next() { return static_cast<double>(m_engine() >> 8) / static_cast<double>(1u << 24); }

private:
    std::mt19937 m_engine{5489u};
};

// The seed of run number `run`: a time of day in milliseconds, as the program
// seeds from the clock.
inline quint32 SeedForRun(int run) {
    return static_cast<quint32>(9 * 3600 * 1000 + run * 1000);
}

// Where a program folder keeps its subjects and what its tree shows; plain
// values, read once from the program's template.
struct TreeFacts {
    QString installedFolder; // ends in "/"
    QString virtualFolder;   // ends in "/"
    QString languageCode;    // "tvxito"
    QString learnerLanguage; // "Spanish"
    QString subjectPassword; // of subject and virtual folder files
    QString shortCode;       // "ito"
    QString installedTitle;  // the three fixed folders' texts
    QString randomSubjectTitle;
    QString randomPhrasesTitle;
    QString randomPhrasesNode; // the node holding the ten random phrases
    QString noSubjects;        // placeholder of an empty folder
    QString loading;           // the splash lines' first word
    QString splashStatus;      // the splash box's first text
};

// The tree's eleven pictures, numbered from 1 (index 0 stays empty).
using TreeIcons = QVector<QIcon>;

// The student database and the texts of the progress viewer.
struct ViewerFacts {
    QString usersPath;
    QString password;    // of the template and the student database
    QString noData;      // the one node of a view without activities
    QStringList columns; // the list's four headings in the view by student
};
// The viewer's 43 pictures (faces, activity, selected activity, subject),
// numbered from 1.
using ViewerIcons = QVector<QIcon>;

// The viewer's size (9720 x 7560 twips) and its controls' places, in pixels.
inline constexpr QSize kViewerSize{648, 504};
inline constexpr QRect kViewerTree{16, 64, 200, 424};
inline constexpr QRect kViewerChart{224, 64, 408, 120};
inline constexpr QRect kViewerList{224, 192, 408, 296};

// The per-phrase memory's student database and what its views show.
struct MemoryFacts {
    QString usersPath;
    QString password;      // of the template and the student database
    QString student;       // whose review W6 works out
    QDate today;           // the day the schedules are worked out for
    QString phraseFigures; // a phrase's node in the view by phrase (%1..%4)
    QString unmatched;     // the line counting results left out (%1)
    QString noData;        // the one node of a view without results
};

// The tree's size in the main window (5175 x 5880 twips at 96 DPI).
inline constexpr QSize kTreeSize{345, 392};

} // namespace bench
