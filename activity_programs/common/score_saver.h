// Saves the score of a finished game without ever holding up the window:
// every database access runs on a thread of its own. The score is kept
// beside the student database first (scores::Keep), then added; while
// another program holds the database locked the saver says so and tries
// again by itself a few times, and the learner may retry at any moment or
// leave. A score not added when the learner leaves stays kept and is added
// when an activity or the shell starts again, never twice.
#pragma once

#include "activity_texts.h"
#include "score_writer.h"

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>

namespace activity {

class ScoreSaver : public QObject {
    Q_OBJECT
public:
    enum class State {
        Idle,     // no game has ended yet
        Saving,   // a try is under way
        Waiting,  // the database was locked; another try comes by itself
        Saved,    // the row is in the database
        Kept,     // not added yet, but kept for the next start
        NotSaved, // neither added nor kept
    };

    // How long to wait for a locked database: tries, each waiting waitMs for
    // the lock, pauseMs apart, before the score is left kept.
    struct Patience {
        int tries = 6;
        int waitMs = 1000;
        int pauseMs = 1500;
    };

    ScoreSaver(QString databasePath, const ActivityTexts &texts, QObject *parent = nullptr);
    // Waits for a try under way (at most its waitMs) so that nothing is cut
    // off half-way; the kept score survives in any case.
    ~ScoreSaver() override;

    // At the start of a game: adds the scores earlier games kept.
    void writeKeptScores();
    // At the end of a game: keeps the row, then adds it.
    void save(const ScoreRow &row);
    // Tries again now; only while the score is not saved and no try runs.
    void retry();
    bool canRetry() const;

    State state() const { return m_state; }
    // What the learner reads about the score, in their language.
    const QString &message() const { return m_message; }
    // The kept score's file while there is one.
    const QString &keptFile() const { return m_keptFile; }

    void setPatience(const Patience &patience) { m_patience = patience; }

signals:
    void stateChanged();
    // After writeKeptScores: how many kept scores were added now.
    void keptScoresWritten(int added);

private:
    struct Outcome {
        WriteResult result = WriteResult::Failed;
        QString reason;
        QString keptFile;
        bool keepFailed = false;
    };
    void attempt();
    void attemptDone(const Outcome &outcome);
    void setState(State state, const QString &message);

    QString m_databasePath;
    ActivityTexts m_texts;
    Patience m_patience;
    ScoreRow m_row;
    QString m_keptFile;
    State m_state = State::Idle;
    QString m_message;
    int m_tries = 0; // tries since the last save() or retry()
    QTimer m_nextTry;
    // One thread, so that adding kept scores and saving this one never
    // overlap.
    QThreadPool m_pool;
};

} // namespace activity
