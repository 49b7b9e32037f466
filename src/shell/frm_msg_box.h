// The one-button message window: a notice shown while work goes on, or a
// message the user closes with OK. Callers set caption, height, text and font
// size before showing it.
#pragma once

#include <QDialog>
#include <QPixmap>

class QLabel;
class QPushButton;

class frmMsgBox : public QDialog {
    Q_OBJECT
public:
    explicit frmMsgBox(QWidget *parent = nullptr);

    QLabel *lblMsg;
    QPushButton *btnOK;

    // Height in twips, as callers give it.
    void SetHeightTwips(int twips);
    void SetMessage(const QString &text, int fontSize = 0);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QPixmap m_background;
};
