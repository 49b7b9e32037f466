// The sliding menu of web links: the panel picMenu rests at the left edge
// with only a strip showing, slides in (TimShowMenu) when the mouse reaches
// it and out (TimHideMenu) when the mouse moves elsewhere in the window. Its
// links (lblMenu) and the web-site label (lblURL) underline under the mouse
// and open their pages when clicked. The 2 ms timers run only while the
// panel moves.
#pragma once

#include "shell/ticker_logic.h"

#include <QObject>
#include <QVector>

class QLabel;
class QTimer;
class QWidget;
class Program;

class SlidingMenu : public QObject {
    Q_OBJECT
public:
    // lblMenu: the links placed so far (the window's control array).
    SlidingMenu(Program &program, QWidget &picMenu, const QVector<QLabel *> &lblMenu,
                QLabel &lblURL, QTimer &TimShowMenu, QTimer &TimHideMenu);

    // The start state: hidden at the left edge.
    void Reset_Hidden();
    // Mouse over the panel: slide in; mouse elsewhere: slide out. Either
    // reverses a slide from wherever the panel is.
    void Start_Show();
    void Start_Hide();
    void TimShowMenu_Tick();
    void TimHideMenu_Tick();

    // A link has been placed: it now reacts to the mouse.
    void Watch_Link(QLabel *link);

    int Left() const { return m_slide.left; }
    bool IsHidden() const { return m_slide.IsHidden(); }
    bool IsShown() const { return m_slide.IsShown(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();
    // Screen readers are told what each label of the panel is (link, text or
    // picture), and that it cannot be seen while the panel is out.
    void describeControls();
    void picMenu_MouseMove();
    void lblMenu_MouseMove(int k);
    void lblMenu_Click(int k);
    void lblURL_Click();

    Program &m_program;
    QWidget &m_panel;
    QVector<QLabel *> m_links; // children of the panel, so they live as long as this
    QLabel &m_url;
    QTimer &m_showTimer;
    QTimer &m_hideTimer;
    MenuSlide m_slide;
    QObject *m_pressed = nullptr;
};
