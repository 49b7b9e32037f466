// The grade a game gives each phrase it asked, written to the student
// database beside the score (tblResults), so that the shell can schedule the
// phrase's next review. A right answer is Good (3), a wrong one Again (1);
// a phrase counts by its first answer in the game, with the time the
// learner took for it.
#pragma once

#include "study_data/study_results.h"
#include "study_file.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QThreadPool>
#include <QVector>

namespace activity {

class PhraseResults {
public:
    // Notes the start of the game: the launch it came from is the last one
    // of its study file at or before this moment.
    explicit PhraseResults(int phraseCount,
                           const QDateTime &started = QDateTime::currentDateTime());

    const QDateTime &started() const { return m_started; }
    // The phrase (0-based index into the study set) is put to the learner:
    // the time for its answer runs from here.
    void asked(int phrase);
    // The learner's answer; only the first one per phrase counts.
    void answered(int phrase, bool right, const QDateTime &when = QDateTime::currentDateTime());
    // The same for a game that grades finer than right and wrong
    // (fsrs::Grade, 1..4); a value outside them is not recorded.
    void graded(int phrase, int grade, const QDateTime &when = QDateTime::currentDateTime());
    // One row per phrase answered, in the order of the answers.
    const QVector<studyResults::PhraseResult> &results() const { return m_results; }

private:
    QDateTime m_started;
    QVector<bool> m_answered;
    QVector<QElapsedTimer> m_clocks;
    QVector<studyResults::PhraseResult> m_results;
};

// The study file's entries as the game read them, to recognise its launch.
QVector<studyResults::EntryTexts> EntryTextsOf(const StudyFile &study);

// Writes the results of a finished game on a thread of its own, one
// transaction waiting up to kWaitMs for a busy database. A database from
// before the results table, or a study file the shell did not record, gets
// none, as the score alone is what such a shell reads.
class ResultSaver : public QObject {
    Q_OBJECT
public:
    static constexpr int kWaitMs = 5000;

    enum class State {
        Idle,
        Saving,
        Done,   // the database answered: outcome() says what it took
        Failed, // locked for the whole wait, damaged, missing: nothing written
    };

    explicit ResultSaver(QObject *parent = nullptr);
    // Waits for a write under way, so that it is never cut off half-way.
    ~ResultSaver() override;

    // Once per game.
    void save(const StudyFile &study, const PhraseResults &results);
    State state() const { return m_state; }
    // Once Done: Written, or NoTable and NoLaunch, which write nothing and
    // are no failure.
    studyResults::ResultsWritten outcome() const { return m_outcome; }

signals:
    void done();

private:
    State m_state = State::Idle;
    studyResults::ResultsWritten m_outcome = studyResults::ResultsWritten::NoTable;
    QThreadPool m_pool;
};

} // namespace activity
