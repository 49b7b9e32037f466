#include "platform/qt_focus_frame.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>

namespace {

class FocusFrame : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        auto *control = static_cast<QWidget *>(watched);
        switch (event->type()) {
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            control->update();
            return false;
        case QEvent::Paint: {
            if (!control->hasFocus())
                return false;
            // The control paints itself first; the frame goes on top.
            static_cast<QObject *>(control)->event(event);
            QPainter painter(control);
            painter.setPen(QPen(control->palette().color(QPalette::Highlight), 1, Qt::DotLine));
            painter.drawRect(control->rect().adjusted(0, 0, -1, -1));
            return true;
        }
        default:
            return false;
        }
    }
};

} // namespace

void ShowFocusFrame(QWidget &widget) {
    static const QString name = QStringLiteral("tvxFocusFrame");
    if (widget.findChild<QObject *>(name, Qt::FindDirectChildrenOnly))
        return;
    auto *frame = new FocusFrame(&widget);
    frame->setObjectName(name);
    widget.installEventFilter(frame);
}
