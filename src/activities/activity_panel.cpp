#include "activities/activity_panel.h"

#include "platform/qt_accessibility.h"
#include "platform/qt_focus_frame.h"
#include "platform/twips.h"

#include <QEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollBar>

ActivityButton::ActivityButton(const Activity &activity, QWidget *parent)
    : QAbstractButton(parent), m_normal(QPixmap::fromImage(activity.normal)),
      m_highlightedPicture(QPixmap::fromImage(activity.highlighted)) {
    setObjectName(QStringLiteral("btnAct_") + QFileInfo(activity.fileName).completeBaseName());
    // Named by what the picture says, as a sighted learner reads it.
    const QString name = activities::Display_Name(activity);
    setAccessibleName(name);
    setToolTip(name);
    SetAccessibleRole(*this, QAccessible::PushButton);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
}

void ActivityButton::SetHighlighted(bool highlighted) {
    if (m_highlighted == highlighted)
        return;
    m_highlighted = highlighted;
    update();
}

void ActivityButton::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(rect(), m_highlighted ? m_highlightedPicture : m_normal);
    // The pressed look: a thin single border.
    if (isDown()) {
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void ActivityButton::keyPressEvent(QKeyEvent *event) {
    // Enter starts the activity as Space does.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        animateClick();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void ActivityButton::mouseMoveEvent(QMouseEvent *event) {
    QAbstractButton::mouseMoveEvent(event);
    // A move over the button ends here: passed on to the panel behind, it
    // would take the button's highlight away again.
    event->accept();
}

void ActivityButton::focusInEvent(QFocusEvent *event) {
    QAbstractButton::focusInEvent(event);
    SetHighlighted(true);
}

void ActivityButton::focusOutEvent(QFocusEvent *event) {
    QAbstractButton::focusOutEvent(event);
    SetHighlighted(underMouse());
}

ActivityPanel::ActivityPanel(QWidget &PicActsHolder, QWidget &picActs, QLabel &lblMoreActs)
    : QObject(&PicActsHolder), m_holder(PicActsHolder), m_panel(picActs), m_moreActs(lblMoreActs) {
    VScroll = new QScrollBar(Qt::Vertical, &PicActsHolder);
    VScroll->setObjectName(QStringLiteral("VScroll"));
    VScroll->setAccessibleName(QStringLiteral("VScroll"));
    PlaceTwips(*VScroll, 5040, 0, 210, 5100);
    VScroll->hide();
    connect(VScroll, &QScrollBar::valueChanged, this,
            [this](int value) { m_panel.move(m_panel.x(), -TwipsToPixels(value)); });
    m_holder.setMouseTracking(true);
    m_panel.setMouseTracking(true);
    m_holder.installEventFilter(this);
    m_panel.installEventFilter(this);
    m_moreActs.installEventFilter(this);
    // Tab stops once on the link (see leaveLink), and that stop must show.
    ShowFocusFrame(m_moreActs);
    SetAccessibleRole(m_moreActs, QAccessible::Link);
    lblNoActivities = new QLabel(&m_panel);
    lblNoActivities->setObjectName(QStringLiteral("lblNoActivities"));
    lblNoActivities->setWordWrap(true);
    PlaceTwips(*lblNoActivities, 0, 45, 4800, 900);
    lblNoActivities->hide();
}

void ActivityPanel::Show(const QVector<Activity> &catalogue, const QString &emptyText) {
    qDeleteAll(btnAct);
    btnAct.clear();
    const ActivityLayout layout = activities::Layout_Buttons(int(catalogue.size()));
    for (int i = 0; i < catalogue.size(); ++i) {
        auto *button = new ActivityButton(catalogue[i], &m_panel);
        PlaceTwips(*button, layout.buttons[i].x(), layout.buttons[i].y(), activities::kButtonWidth,
                   activities::kButtonHeight);
        button->show();
        button->installEventFilter(this);
        connect(button, &QAbstractButton::clicked, this, [this, i] { emit ActivityChosen(i); });
        btnAct << button;
    }
    // Tab goes through the buttons in their reading order.
    for (int i = 1; i < btnAct.size(); ++i)
        QWidget::setTabOrder(btnAct[i - 1], btnAct[i]);
    lblNoActivities->setVisible(catalogue.isEmpty() && !emptyText.isEmpty());
    if (catalogue.isEmpty()) {
        // Said in words: an empty panel looks like a fault of the window.
        lblNoActivities->setText(emptyText);
        lblNoActivities->setAccessibleName(emptyText);
        if (!emptyText.isEmpty())
            m_moreActs.move(m_moreActs.x(), TwipsToPixels(45 + 900 + 100));
        return;
    }
    m_panel.resize(m_panel.width(), TwipsToPixels(layout.panelHeight));
    // The scroll bar moves the panel: it goes by the panel's name.
    if (!m_holder.accessibleName().isEmpty())
        VScroll->setAccessibleName(m_holder.accessibleName());
    VScroll->setVisible(layout.scrollBar);
    VScroll->setRange(0, layout.scrollMax);
    VScroll->setPageStep(5000);
    VScroll->setSingleStep(640);
    VScroll->setValue(0);
    m_moreActs.move(m_moreActs.x(), TwipsToPixels(layout.moreActsTop));
}

void ActivityPanel::ShowAllNormal() {
    for (ActivityButton *button : std::as_const(btnAct))
        button->SetHighlighted(button->hasFocus());
}

void ActivityPanel::highlightOnly(ActivityButton *button) {
    for (ActivityButton *other : std::as_const(btnAct))
        other->SetHighlighted(other == button);
}

void ActivityPanel::scrollIntoView(const QWidget &control) {
    if (!VScroll->isVisible())
        return;
    const int top = PixelsToTwips(control.y());
    const int bottom = PixelsToTwips(control.y() + control.height());
    const int shownHeight = PixelsToTwips(m_holder.height());
    int value = VScroll->value();
    if (top < value)
        value = top;
    else if (bottom > value + shownHeight)
        value = bottom - shownHeight;
    VScroll->setValue(qBound(VScroll->minimum(), value, VScroll->maximum()));
}

void ActivityPanel::leaveLink(bool forward) {
    // The link label would keep Tab for moving between its own links.
    QWidget *next = &m_moreActs;
    do {
        next = forward ? next->nextInFocusChain() : next->previousInFocusChain();
    } while (next != &m_moreActs &&
             !(next->isVisible() && next->isEnabled() && (next->focusPolicy() & Qt::TabFocus)));
    if (next != &m_moreActs)
        next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

bool ActivityPanel::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::FocusIn) {
        if (auto *control = qobject_cast<QWidget *>(watched);
            control && (control == &m_moreActs || qobject_cast<ActivityButton *>(control)))
            scrollIntoView(*control);
    } else if (event->type() == QEvent::KeyPress && watched == &m_moreActs) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Backtab ||
            (key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ShiftModifier))) {
            leaveLink(false);
            return true;
        }
        if (key->key() == Qt::Key_Tab) {
            leaveLink(true);
            return true;
        }
        // Enter or Space follows the link, as on the program's other links.
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
            key->key() == Qt::Key_Space) {
            static const QRegularExpression href(QStringLiteral("href\\s*=\\s*\"([^\"]*)\""));
            const QRegularExpressionMatch link = href.match(m_moreActs.text());
            if (link.hasMatch())
                emit m_moreActs.linkActivated(link.captured(1));
            return true;
        }
    }
    if (event->type() == QEvent::MouseMove) {
        if (auto *button = qobject_cast<ActivityButton *>(watched))
            highlightOnly(button);
        else
            ShowAllNormal();
        emit Hovered();
    } else if (event->type() == QEvent::Wheel && VScroll->isVisible()) {
        // The wheel scrolls the panel wherever the mouse is over it.
        VScroll->event(event);
        return true;
    }
    return QObject::eventFilter(watched, event);
}
