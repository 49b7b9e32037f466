#include "phrase_results.h"

#include "study_data/fsrs.h"

#include <QFileInfo>

namespace activity {

PhraseResults::PhraseResults(int phraseCount, const QDateTime &started)
    : m_started(started), m_answered(qMax(0, phraseCount), false), m_clocks(qMax(0, phraseCount)) {}

void PhraseResults::asked(int phrase) {
    if (phrase >= 0 && phrase < m_clocks.size() && !m_answered[phrase])
        m_clocks[phrase].start();
}

void PhraseResults::answered(int phrase, bool right, const QDateTime &when) {
    graded(phrase, right ? fsrs::Good : fsrs::Again, when);
}

void PhraseResults::graded(int phrase, int grade, const QDateTime &when) {
    if (phrase < 0 || phrase >= m_answered.size() || m_answered[phrase] || !fsrs::Is_Grade(grade))
        return;
    m_answered[phrase] = true;
    studyResults::PhraseResult r;
    r.entry = phrase + 1;
    r.grade = grade;
    r.when = when;
    if (m_clocks[phrase].isValid())
        r.seconds = m_clocks[phrase].elapsed() / 1000.0;
    m_results << r;
}

QVector<studyResults::EntryTexts> EntryTextsOf(const StudyFile &study) {
    QVector<studyResults::EntryTexts> texts;
    for (const StudyPhrase &p : study.phrases)
        texts << studyResults::EntryTexts{p.phrase, p.translation, p.translation2};
    return texts;
}

ResultSaver::ResultSaver(QObject *parent) : QObject(parent) {
    m_pool.setMaxThreadCount(1);
}

ResultSaver::~ResultSaver() {
    m_pool.waitForDone();
}

void ResultSaver::save(const StudyFile &study, const PhraseResults &results) {
    if (m_state != State::Idle)
        return;
    m_state = State::Saving;
    // The try gets copies of everything: it never touches this object.
    const QString database = study.databasePath;
    const QString studyFile = QFileInfo(study.path).fileName();
    const QVector<studyResults::EntryTexts> entries = EntryTextsOf(study);
    const QDateTime started = results.started();
    const QVector<studyResults::PhraseResult> rows = results.results();
    m_pool.start([this, database, studyFile, entries, started, rows] {
        bool answered = false;
        studyResults::ResultsWritten outcome = studyResults::ResultsWritten::NoTable;
        // Never creates a missing database; a failed transaction adds nothing.
        if (QFileInfo(database).isFile()) {
            try {
                outcome = studyResults::Write_Results(database, studyFile, started, entries, rows,
                                                      kWaitMs);
                answered = true;
            } catch (const std::exception &) {
                // Locked for the whole wait or damaged: nothing was written.
            }
        }
        QMetaObject::invokeMethod(
            this,
            [this, answered, outcome] {
                m_outcome = outcome;
                m_state = answered ? State::Done : State::Failed;
                emit done();
            },
            Qt::QueuedConnection);
    });
}

} // namespace activity
