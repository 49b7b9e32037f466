#include "shell/sliding_menu.h"

#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/host.h"
#include "platform/qt_accessibility.h"
#include "platform/twips.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

namespace {

bool setUnderline(QLabel &label, bool underline) {
    QFont font = label.font();
    if (font.underline() == underline)
        return false;
    font.setUnderline(underline);
    label.setFont(font);
    return true;
}

void setTextColour(QLabel &label, const QColor &colour) {
    // The links' colours come from a style sheet; a new one replaces it.
    label.setStyleSheet(QStringLiteral("color: %1;").arg(colour.name()));
}

void playClick(Program &program) {
    try {
        modMain::Play_Click(program, QStringLiteral("click"), modMain::SND_ASYNC);
    } catch (const std::exception &) {
        // A missing sound must not keep the page from opening.
    }
}

} // namespace

SlidingMenu::SlidingMenu(Program &program, QWidget &picMenu, const QVector<QLabel *> &lblMenu,
                         QLabel &lblURL, QTimer &TimShowMenu, QTimer &TimHideMenu)
    : QObject(&picMenu), m_program(program), m_panel(picMenu), m_url(lblURL),
      m_showTimer(TimShowMenu), m_hideTimer(TimHideMenu), m_slide(PixelsToTwips(picMenu.width())) {
    m_slide.left = PixelsToTwips(picMenu.x());
    m_panel.setMouseTracking(true);
    m_panel.installEventFilter(this);
    m_url.setMouseTracking(true);
    m_url.installEventFilter(this);
    m_url.setCursor(Qt::PointingHandCursor);
    m_url.setFocusPolicy(Qt::StrongFocus);
    for (QLabel *link : lblMenu)
        Watch_Link(link);
    describeControls();
    connect(&m_showTimer, &QTimer::timeout, this, &SlidingMenu::TimShowMenu_Tick);
    connect(&m_hideTimer, &QTimer::timeout, this, &SlidingMenu::TimHideMenu_Tick);
}

void SlidingMenu::Watch_Link(QLabel *link) {
    if (!link || m_links.contains(link))
        return;
    m_links << link;
    link->setMouseTracking(true);
    link->setCursor(Qt::PointingHandCursor);
    // Reachable with Tab: focus slides the menu in and shows as the underline.
    link->setFocusPolicy(Qt::StrongFocus);
    link->installEventFilter(this);
    describeControls();
}

void SlidingMenu::describeControls() {
    for (QLabel *label : m_panel.findChildren<QLabel *>()) {
        QAccessible::Role role = QAccessible::StaticText;
        if (label == &m_url || m_links.contains(label))
            role = QAccessible::Link;
        else if (!label->pixmap().isNull())
            role = QAccessible::Graphic;
        SetAccessibleRole(*label, role);
    }
}

void SlidingMenu::place() {
    m_panel.move(TwipsToPixels(m_slide.left), m_panel.y());
}

void SlidingMenu::Reset_Hidden() {
    m_showTimer.stop();
    m_hideTimer.stop();
    m_slide.Reset_Hidden();
    place();
}

void SlidingMenu::Start_Show() {
    m_hideTimer.stop();
    // Already in: a tick would only stop the timer again.
    if (!m_slide.IsShown() && !m_showTimer.isActive())
        m_showTimer.start();
}

void SlidingMenu::Start_Hide() {
    m_showTimer.stop();
    if (!m_slide.IsHidden() && !m_hideTimer.isActive())
        m_hideTimer.start();
}

void SlidingMenu::TimShowMenu_Tick() {
    if (!m_slide.Show_Tick()) {
        m_showTimer.stop();
        return;
    }
    place();
    m_panel.setVisible(true);
}

void SlidingMenu::TimHideMenu_Tick() {
    if (!m_slide.Hide_Tick()) {
        m_hideTimer.stop();
        return;
    }
    place();
}

void SlidingMenu::picMenu_MouseMove() {
    for (QLabel *link : std::as_const(m_links))
        setUnderline(*link, false);
    setUnderline(m_url, false);
    Start_Show();
}

void SlidingMenu::lblMenu_MouseMove(int k) {
    if (!setUnderline(*m_links[k], true))
        return;
    for (int i = 0; i < m_links.size(); ++i)
        if (i != k)
            setUnderline(*m_links[i], false);
}

void SlidingMenu::lblMenu_Click(int k) {
    playClick(m_program);
    modMain::Open_Web_Page(m_program, m_links[k]->property("Tag").toString());
}

void SlidingMenu::lblURL_Click() {
    playClick(m_program);
    try {
        modMain::Open_Address(m_program, m_url.text());
    } catch (...) {
        // Opening the site is a courtesy; a failure changes nothing.
    }
}

bool SlidingMenu::eventFilter(QObject *watched, QEvent *event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseMove && type != QEvent::MouseButtonPress &&
        type != QEvent::MouseButtonRelease && type != QEvent::FocusIn && type != QEvent::FocusOut &&
        type != QEvent::KeyPress)
        return false;
    int k = -1;
    for (int i = 0; i < m_links.size() && k < 0; ++i)
        if (static_cast<QObject *>(m_links[i]) == watched)
            k = i;
    const bool isLink = k >= 0;
    const bool isUrl = watched == &m_url;
    if (watched != &m_panel && !isLink && !isUrl)
        return false;
    switch (type) {
    case QEvent::FocusIn:
        if (watched == &m_panel)
            return false;
        Start_Show();
        if (isLink)
            lblMenu_MouseMove(k);
        else
            setUnderline(m_url, true);
        return false;
    case QEvent::FocusOut: {
        if (watched == &m_panel)
            return false;
        setUnderline(*static_cast<QLabel *>(watched), false);
        // Tab from link to link keeps the menu in; leaving it sends it out.
        const QWidget *next = QApplication::focusWidget();
        if (!next || !m_panel.isAncestorOf(next))
            Start_Hide();
        return false;
    }
    case QEvent::KeyPress: {
        if (watched == &m_panel)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Space)
            return false;
        if (isLink)
            lblMenu_Click(k);
        else
            lblURL_Click();
        return true;
    }
    case QEvent::MouseMove:
        // Handled here, so the move never reaches the window behind, which
        // would slide the menu out.
        if (isLink)
            lblMenu_MouseMove(k);
        else if (isUrl)
            setUnderline(m_url, true);
        else
            picMenu_MouseMove();
        return true;
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent *>(event)->button() != Qt::LeftButton)
            return false;
        m_pressed = watched;
        if (isLink)
            setTextColour(*m_links[k], Qt::black);
        return true;
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        const auto *widget = static_cast<QWidget *>(watched);
        const bool click =
            m_pressed == watched && widget->rect().contains(mouse->position().toPoint());
        m_pressed = nullptr;
        if (isLink)
            setTextColour(*m_links[k], Qt::white);
        if (click && isLink)
            lblMenu_Click(k);
        else if (click && isUrl)
            lblURL_Click();
        return true;
    }
    default:
        return false;
    }
}
