#include "platform/qt_window_placement.h"

#include "platform/window_fit.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

namespace {

QMargins marginsOf(const QWidget &window) {
    const QRect frame = window.frameGeometry();
    const QRect inside = window.geometry();
    return QMargins(inside.left() - frame.left(), inside.top() - frame.top(),
                    frame.right() - inside.right(), frame.bottom() - inside.bottom());
}

bool framed(const QWidget &window) {
    const Qt::WindowType type = window.windowType();
    return (type == Qt::Window || type == Qt::Dialog) &&
           !window.windowFlags().testFlag(Qt::FramelessWindowHint);
}

} // namespace

QMargins WindowFrameMargins(const QWidget &window) {
    if (!framed(window))
        return {};
    if (window.isVisible())
        return marginsOf(window);
    for (const QWidget *other : QApplication::topLevelWidgets()) {
        if (other == &window || !other->isVisible() || !framed(*other))
            continue;
        const QMargins margins = marginsOf(*other);
        if (!margins.isNull())
            return margins;
    }
    return QMargins(0, window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window), 0,
                    0);
}

QSize WindowFrameSize(const QWidget &window) {
    return window.size().grownBy(WindowFrameMargins(window));
}

namespace {

// Puts the frame's top-left corner at a point: the geometry set is the
// window's inside, the point plus the frame's left border and title bar. (A
// move before the first show would place the inside, not the frame, there.)
void placeFrameAt(QWidget &window, const QMargins &margins, QPoint corner) {
    window.setGeometry(QRect(corner + QPoint(margins.left(), margins.top()), window.size()));
}

} // namespace

void PlaceWindowIn(QWidget &window, const QRect &area) {
    if (area.isEmpty())
        return;
    const QMargins margins = WindowFrameMargins(window);
    placeFrameAt(window, margins, FitFrame(area, window.size().grownBy(margins)));
}

void CenterWindow(QWidget &window, const QWidget *owner) {
    const QScreen *screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    if (!owner || !owner->isVisible()) {
        PlaceWindowIn(window, area);
        return;
    }
    // Over the middle of the owner, and on the screen even where the owner
    // is near its edge.
    const QMargins margins = WindowFrameMargins(window);
    QRect frame(QPoint(0, 0), window.size().grownBy(margins));
    frame.moveCenter(owner->frameGeometry().center());
    placeFrameAt(window, margins,
                 area.isEmpty() ? frame.topLeft()
                                : KeepFrameIn(area, frame.size(), frame.topLeft()));
}
