#include "score_saver.h"

#include "students/pending_scores.h"

#include <QDir>
#include <QFileInfo>

namespace activity {

ScoreSaver::ScoreSaver(QString databasePath, const ActivityTexts &texts, QObject *parent)
    : QObject(parent), m_databasePath(std::move(databasePath)), m_texts(texts) {
    m_pool.setMaxThreadCount(1);
    m_nextTry.setSingleShot(true);
    connect(&m_nextTry, &QTimer::timeout, this, &ScoreSaver::attempt);
}

ScoreSaver::~ScoreSaver() {
    m_nextTry.stop();
    m_pool.waitForDone();
}

void ScoreSaver::writeKeptScores() {
    const QString database = m_databasePath;
    const int waitMs = m_patience.waitMs;
    m_pool.start([this, database, waitMs] {
        const scores::Pending pending = scores::Write_Pending_Scores(database, waitMs);
        QMetaObject::invokeMethod(
            this, [this, added = pending.added] { emit keptScoresWritten(added); },
            Qt::QueuedConnection);
    });
}

void ScoreSaver::save(const ScoreRow &row) {
    if (m_state != State::Idle)
        return; // one score per game
    m_row = row;
    m_tries = 0;
    attempt();
}

bool ScoreSaver::canRetry() const {
    return m_state == State::Waiting || m_state == State::Kept || m_state == State::NotSaved;
}

void ScoreSaver::retry() {
    if (!canRetry())
        return;
    m_nextTry.stop();
    m_tries = 0;
    attempt();
}

void ScoreSaver::attempt() {
    ++m_tries;
    // A try that follows a locked one by itself goes on saying that it
    // waits, rather than flicking between two sentences.
    setState(State::Saving,
             m_state == State::Waiting ? m_texts(Text::ScoreWaiting) : m_texts(Text::ScoreSaving));
    // The try gets copies of everything: it never touches this object.
    const QString database = m_databasePath;
    const ScoreRow row = m_row;
    const ActivityTexts texts = m_texts;
    const QString alreadyKept = m_keptFile;
    const int waitMs = m_patience.waitMs;
    m_pool.start([this, database, row, texts, alreadyKept, waitMs] {
        Outcome outcome;
        outcome.keptFile = alreadyKept;
        if (!QFileInfo(database).isFile()) {
            // A database removed meanwhile is not there to take the score
            // later either.
            outcome.reason = texts(Text::DatabaseMissing).arg(QDir::toNativeSeparators(database));
        } else {
            // Kept before it is added: a program stopped while it waits
            // loses nothing.
            if (outcome.keptFile.isEmpty()) {
                outcome.keptFile = scores::Keep(database, TableRow(row));
                outcome.keepFailed = outcome.keptFile.isEmpty();
            }
            outcome.result = WriteScore(database, row, texts, &outcome.reason, waitMs);
            if (outcome.result == WriteResult::Written) {
                scores::Forget(outcome.keptFile);
                outcome.keptFile.clear();
            }
        }
        QMetaObject::invokeMethod(
            this, [this, outcome] { attemptDone(outcome); }, Qt::QueuedConnection);
    });
}

void ScoreSaver::attemptDone(const Outcome &outcome) {
    m_keptFile = outcome.keptFile;
    if (outcome.result == WriteResult::Written) {
        setState(State::Saved, m_texts(Text::ScoreSaved));
        return;
    }
    if (outcome.result == WriteResult::Locked && m_tries < m_patience.tries) {
        setState(State::Waiting, m_texts(Text::ScoreWaiting));
        m_nextTry.start(m_patience.pauseMs);
        return;
    }
    if (!m_keptFile.isEmpty()) {
        setState(State::Kept, outcome.result == WriteResult::Locked
                                  ? m_texts(Text::ScoreKeptBusy)
                                  : m_texts(Text::ScoreKept).arg(outcome.reason));
        return;
    }
    QString message = m_texts(Text::ScoreNotSaved).arg(outcome.reason);
    if (outcome.keepFailed)
        message += QLatin1Char('\n') +
                   m_texts(Text::ScoreNotKept)
                       .arg(QDir::toNativeSeparators(scores::Pending_Folder(m_databasePath)));
    setState(State::NotSaved, message);
}

void ScoreSaver::setState(State state, const QString &message) {
    m_state = state;
    m_message = message;
    emit stateChanged();
}

} // namespace activity
