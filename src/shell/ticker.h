// The message ticker of the main window: the panel PicMsg that rises inside
// its frame Picture1, takes up a new text at the top (a tip or a system
// message) and sinks again, resting at the bottom for a time set by the
// text's length. Timer1 moves the panel, Timer2 ends the rest. A system
// message with a link underlines under the mouse and opens its page when
// clicked. The text sits at the panel's top, sized to its lines, so that it
// rests whole inside the frame at the bottom.
#pragma once

#include "shell/ticker_logic.h"

#include <QMargins>
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

    // Shows text at (at most) fontSize points: smaller when its lines would
    // not stay whole inside the frame down to where the panel goes with it
    // (its rest at the bottom), cut short with "…" when even the smallest
    // size is too big (the whole text is then its tooltip and what a screen
    // reader reads). Assistive technology hears of the change.
    void Show_Text(const QString &text, int fontSize);

    // The frame's picture draws its border within these margins; the text
    // stays inside them.
    static constexpr QMargins kFrameBorder{3, 3, 5, 6};
    static constexpr int kSmallestPoints = 6;
    // The part of the frame (Picture1) that shows text.
    static QRect Frame_Inner_Area(const QWidget &frame);

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
    // Where text goes in the label at points, wrapped to its width (a word
    // longer than the width reaches beyond it).
    QRect textRect(const QString &text, int points) const;
    bool fits(const QString &text, int points, int height) const;

    Program &m_program;
    TickerLogic m_logic;
    QWidget &m_panel;
    QLabel &m_label;
    QTimer &m_timer1;
    QTimer &m_timer2;
    bool m_pressed = false;
};
