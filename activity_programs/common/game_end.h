// How every game of ours ends: its keys go quiet, the result page comes up
// with the focus on Close, the score is saved and the grade of every phrase
// asked is written; on the result page Enter or Esc closes the window.
#pragma once

#include "end_page.h"
#include "phrase_results.h"
#include "score_writer.h"
#include "study_file.h"

#include <QList>
#include <QObject>

class QLabel;
class QShortcut;
class QStackedWidget;
class QWidget;

namespace activity {

class GameEnd : public QObject {
    Q_OBJECT
public:
    // pages holds the game's page and endPage; progress is the line above
    // them that the result page leaves empty.
    GameEnd(QWidget *window, const StudyFile &study, QStackedWidget *pages, EndPage *endPage,
            QLabel *progress);

    // A key of the game itself, off once the game has ended.
    void addGameKey(QShortcut *key) { m_gameKeys << key; }
    // The grades of the phrases asked so far.
    PhraseResults &results() { return m_results; }

    void finish(const QString &resultText, const ScoreRow &row);
    bool finished() const { return m_finished; }

    ResultSaver *resultSaver;

private:
    StudyFile m_study;
    QStackedWidget *m_pages;
    EndPage *m_endPage;
    QLabel *m_progress;
    PhraseResults m_results;
    QList<QShortcut *> m_gameKeys;
    QList<QShortcut *> m_endKeys;
    bool m_finished = false;
};

} // namespace activity
