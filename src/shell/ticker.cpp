#include "shell/ticker.h"

#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/qt_accessibility.h"
#include "platform/qt_focus_frame.h"
#include "platform/twips.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace {
constexpr Qt::Alignment kTextAlignment = Qt::AlignHCenter | Qt::AlignTop;
const QChar kEllipsis(0x2026);
} // namespace

Ticker::Ticker(Program &program, QWidget &PicMsg, QLabel &lblMsg, QTimer &Timer1, QTimer &Timer2)
    : QObject(&PicMsg), m_program(program), m_logic(program), m_panel(PicMsg), m_label(lblMsg),
      m_timer1(Timer1), m_timer2(Timer2) {
    m_panel.setProperty("Tag", QStringLiteral("GOUP"));
    m_label.setProperty("Tag", QString());
    m_label.setMouseTracking(true);
    m_label.installEventFilter(this);
    // Reachable with Tab; Enter or Space opens a message's page.
    m_label.setFocusPolicy(Qt::StrongFocus);
    ShowFocusFrame(m_label);
    // A text that changes by itself: screen readers hear each new one.
    SetAccessibleRole(m_label, QAccessible::StaticText);
    m_label.setTextFormat(Qt::PlainText);
    m_label.setWordWrap(true);
    m_label.setAlignment(kTextAlignment);
    connect(&m_timer1, &QTimer::timeout, this, &Ticker::Timer1_Tick);
    connect(&m_timer2, &QTimer::timeout, this, &Ticker::Timer2_Tick);
}

void Ticker::Set_Pending(const QString &message, const QString &link) {
    m_logic.pendingMessage = message;
    m_logic.pendingLink = link;
}

QRect Ticker::Frame_Inner_Area(const QWidget &frame) {
    return frame.rect().marginsRemoved(kFrameBorder);
}

QRect Ticker::textRect(const QString &text, int points) const {
    QFont font = m_label.font();
    font.setPointSize(points);
    return QFontMetrics(font).boundingRect(QRect(0, 0, m_label.width(), 0xFFFF),
                                           int(kTextAlignment) | Qt::TextWordWrap, text);
}

bool Ticker::fits(const QString &text, int points, int height) const {
    const QRect rect = textRect(text, points);
    return rect.height() <= height && rect.left() >= 0 && rect.right() < m_label.width();
}

void Ticker::Show_Text(const QString &text, int fontSize) {
    // The text sits at the panel's top and must fit in the part of the panel
    // that is inside the frame where the panel goes lowest with it: at the
    // bottom turning point, unless the panel is on its way up already (the
    // greeting).
    const QWidget *frame = m_panel.parentWidget() ? m_panel.parentWidget() : &m_panel;
    const int lowest = m_logic.goingUp ? m_logic.top : TickerLogic::kRestTop;
    const int room = Frame_Inner_Area(*frame).bottom() + 1 - TwipsToPixels(lowest);
    int points = fontSize;
    while (points > kSmallestPoints && !fits(text, points, room))
        --points;
    QString shown = text;
    if (!fits(text, points, room)) {
        // The longest beginning that fits, with "…".
        int fitting = 0;
        int tooLong = int(text.size());
        while (tooLong - fitting > 1) {
            const int middle = (fitting + tooLong) / 2;
            if (fits(text.left(middle).trimmed() + kEllipsis, points, room))
                fitting = middle;
            else
                tooLong = middle;
        }
        shown = text.left(fitting).trimmed() + kEllipsis;
    }
    QFont font = m_label.font();
    font.setPointSize(points);
    m_label.setFont(font);
    m_label.setText(shown);
    m_label.setToolTip(shown == text ? QString() : text);
    m_label.setAccessibleName(text);
    const int height = std::max(textRect(shown, points).height(), QFontMetrics(font).height());
    m_label.setGeometry(m_label.x(), 0, m_label.width(), std::min(height, std::max(room, 1)));
    AnnounceChange(m_label);
}

QString Ticker::tag() const {
    return m_label.property("Tag").toString();
}

void Ticker::setColour(QRgb colour) {
    QPalette palette = m_label.palette();
    palette.setColor(QPalette::WindowText, QColor(colour));
    m_label.setPalette(palette);
}

void Ticker::Timer1_Tick() {
    const TickerLogic::Step step = m_logic.Timer1_Tick();
    // A hidden or minimised window is not painted, so the move costs nothing more.
    m_panel.move(m_panel.x(), TwipsToPixels(m_logic.top));
    switch (step) {
    case TickerLogic::Step::Moved:
        return;
    case TickerLogic::Step::TextChanged: {
        m_timer2.stop();
        const TickerText &shown = m_logic.Shown();
        m_label.setProperty("Tag", shown.link);
        Show_Text(shown.text, shown.fontSize);
        m_timer2.setInterval(shown.pauseMs);
        setColour(TickerLogic::Palette(shown.colourIndex));
        m_panel.setProperty("Tag", QStringLiteral("GODOWN"));
        // The pointer over the text says whether it leads anywhere.
        if (m_label.underMouse())
            lblMsg_MouseMove();
        return;
    }
    case TickerLogic::Step::Rested:
        m_panel.setProperty("Tag", QStringLiteral("GOUP"));
        m_timer1.stop();
        m_timer2.start();
        return;
    }
}

void Ticker::Timer2_Tick() {
    // Timer2 keeps firing until the panel reaches the top: only the last
    // draw before that counts.
    m_logic.Timer2_Tick();
    if (!m_timer1.isActive())
        m_timer1.start();
}

void Ticker::Remove_Underline() {
    QFont font = m_label.font();
    if (!font.underline())
        return;
    font.setUnderline(false);
    m_label.setFont(font);
}

void Ticker::lblMsg_MouseMove() {
    if (tag().isEmpty()) {
        m_label.unsetCursor();
        return;
    }
    QFont font = m_label.font();
    if (!font.underline()) {
        font.setUnderline(true);
        m_label.setFont(font);
    }
    m_label.setCursor(Qt::PointingHandCursor);
}

void Ticker::lblMsg_Click() {
    try {
        modMain::Play_Click(m_program, QStringLiteral("Click"), modMain::SND_ASYNC);
    } catch (const std::exception &) {
        // A missing sound must not keep the page from opening.
    }
    modMain::Open_Web_Page(m_program, tag());
}

bool Ticker::eventFilter(QObject *watched, QEvent *event) {
    if (watched != &m_label)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Space)
            return false;
        if (!tag().isEmpty())
            lblMsg_Click();
        return true;
    }
    case QEvent::FocusIn:
        if (!tag().isEmpty())
            lblMsg_MouseMove();
        return false;
    case QEvent::FocusOut:
        Remove_Underline();
        return false;
    case QEvent::MouseMove:
        emit Hovered();
        lblMsg_MouseMove();
        return true;
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent *>(event)->button() != Qt::LeftButton)
            return false;
        m_pressed = true;
        if (!tag().isEmpty())
            setColour(qRgb(255, 0, 0));
        return true;
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        const bool click = m_pressed && m_label.rect().contains(mouse->position().toPoint());
        m_pressed = false;
        if (tag().isEmpty())
            return true;
        setColour(qRgb(0, 0, 255));
        if (click)
            lblMsg_Click();
        return true;
    }
    default:
        return false;
    }
}
