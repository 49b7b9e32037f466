#include "platform/qt_window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void CenterWindow(QWidget &window, const QWidget *owner) {
    QRect area;
    if (owner && owner->isVisible())
        area = owner->frameGeometry();
    else if (const QScreen *screen =
                 window.screen() ? window.screen() : QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isEmpty())
        return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(area.center());
    window.move(frame.topLeft());
}
