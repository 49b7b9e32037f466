#include "game_end.h"

#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QWidget>

namespace activity {

GameEnd::GameEnd(QWidget *window, const StudyFile &study, QStackedWidget *pages, EndPage *endPage,
                 QLabel *progress)
    : QObject(window), resultSaver(new ResultSaver(this)), m_study(study), m_pages(pages),
      m_endPage(endPage), m_progress(progress), m_results(int(study.phrases.size())) {
    for (const int key : {int(Qt::Key_Return), int(Qt::Key_Enter), int(Qt::Key_Escape)}) {
        auto *shortcut = new QShortcut(QKeySequence(key), window);
        shortcut->setEnabled(false);
        connect(shortcut, &QShortcut::activated, window, &QWidget::close);
        m_endKeys << shortcut;
    }
    connect(endPage, &EndPage::closeRequested, window, &QWidget::close);
}

void GameEnd::finish(const QString &resultText, const ScoreRow &row) {
    if (m_finished)
        return;
    m_finished = true;
    m_progress->clear();
    m_pages->setCurrentWidget(m_endPage);
    for (QShortcut *shortcut : std::as_const(m_gameKeys))
        shortcut->setEnabled(false);
    for (QShortcut *shortcut : std::as_const(m_endKeys))
        shortcut->setEnabled(true);
    m_endPage->btnClose->setFocus();
    m_endPage->showResult(resultText, row);
    resultSaver->save(m_study, m_results);
}

} // namespace activity
