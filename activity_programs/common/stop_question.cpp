#include "stop_question.h"

#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

namespace activity {

StopQuestion::StopQuestion(QWidget *window, const ActivityTexts &texts)
    : QObject(window), m_window(window) {
    box = new QMessageBox(QMessageBox::Question, QString(), texts(Text::StopQuestion),
                          QMessageBox::NoButton, window);
    box->setObjectName(QStringLiteral("stopQuestion"));
    box->setAccessibleName(texts(Text::StopQuestion));
    btnYes = box->addButton(texts(Text::Yes), QMessageBox::YesRole);
    btnYes->setObjectName(QStringLiteral("btnStopYes"));
    btnYes->setAccessibleName(texts(Text::YesName));
    btnNo = box->addButton(texts(Text::No), QMessageBox::NoRole);
    btnNo->setObjectName(QStringLiteral("btnStopNo"));
    btnNo->setAccessibleName(texts(Text::NoName));
    // A second Esc, or Enter without thought, keeps the game going.
    box->setDefaultButton(btnNo);
    box->setEscapeButton(btnNo);
    connect(box, &QMessageBox::finished, this, [this] {
        if (box->clickedButton() == btnYes)
            m_window->close();
        else // the game goes on, with the keys back in its window
            m_window->activateWindow();
    });
}

void StopQuestion::ask() {
    if (box->isVisible())
        return;
    box->setWindowTitle(m_window->windowTitle());
    box->open();
}

} // namespace activity
