// The message ticker of the main window: the panel PicMsg that rises inside
// its frame Picture1, takes up a new text at the top (a tip or a system
// message) and sinks again, resting at the bottom for a time set by the
// text's length. Timer1 moves the panel, Timer2 ends the rest. A system
// message with a link underlines under the mouse and opens its page when
// clicked.
#pragma once

#include "shell/ticker_logic.h"

#include <QObject>

class QLabel;
class QTimer;
class QWidget;
class Program;

class Ticker : public QObject {
    Q_OBJECT
public:
    Ticker(Program &program, QWidget &PicMsg, QLabel &lblMsg, QTimer &Timer1, QTimer &Timer2);

    // The first text the ticker shows, instead of a tip (the start state).
    void Set_Pending(const QString &message, const QString &link = QString());
    void Start_Tips() { m_logic.Start_Tips(); }

    void Timer1_Tick();
    void Timer2_Tick();

    // A mouse move elsewhere (window background, logo, frame) takes the
    // underline off the text.
    void Remove_Underline();

    TickerLogic &logic() { return m_logic; }
    const TickerLogic &logic() const { return m_logic; }

signals:
    // The mouse moved over the text: the sliding menu closes.
    void Hovered();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString tag() const;
    void setColour(QRgb colour);
    void lblMsg_MouseMove();
    void lblMsg_Click();

    Program &m_program;
    TickerLogic m_logic;
    QWidget &m_panel;
    QLabel &m_label;
    QTimer &m_timer1;
    QTimer &m_timer2;
    bool m_pressed = false;
};
