#include "shell/frm_msg_box.h"

#include "platform/pictures.h"
#include "platform/qt_window_placement.h"
#include "platform/tiled_background.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

frmMsgBox::frmMsgBox(QWidget *parent)
    : QDialog(parent), m_background(LoadPicture(QStringLiteral(":/tiles/background.png"))) {
    setObjectName(QStringLiteral("frmMsgBox"));
    lblMsg = new QLabel(this);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    lblMsg->setWordWrap(true);
    // It shows the phrase being heard, among others: text, whatever signs
    // it holds.
    lblMsg->setTextFormat(Qt::PlainText);
    lblMsg->setAlignment(Qt::AlignCenter);
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblMsg, 1);
    layout->addWidget(btnOK, 0, Qt::AlignCenter);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::close);
    setAttribute(Qt::WA_DeleteOnClose, false);
    resize(360, 140);
}

void frmMsgBox::SetHeightTwips(int twips) {
    resize(width(), twips / 15);
}

void frmMsgBox::SetMessage(const QString &text, int fontSize) {
    lblMsg->setText(text);
    if (fontSize > 0) {
        QFont font = lblMsg->font();
        font.setPointSize(fontSize);
        lblMsg->setFont(font);
    }
}

void frmMsgBox::paintEvent(QPaintEvent *) {
    tiling::PaintWindowBackground(*this, m_background);
}

void frmMsgBox::showEvent(QShowEvent *event) {
    // Over the window the user is working in (the main window may be hidden
    // behind the login window), or in the middle of the screen.
    const QWidget *active = QApplication::activeWindow();
    CenterWindow(*this, active != this ? active : nullptr);
    QDialog::showEvent(event);
}
