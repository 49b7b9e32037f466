#include "platform/qt_mouse_move.h"

#include <QEvent>
#include <QWidget>

namespace {

class MouseMoveFilter : public QObject {
public:
    MouseMoveFilter(QWidget &widget, std::function<void()> handler)
        : QObject(&widget), m_handler(std::move(handler)) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() != QEvent::MouseMove)
            return false;
        m_handler();
        return true;
    }

private:
    std::function<void()> m_handler;
};

} // namespace

void OnMouseMove(QWidget &widget, std::function<void()> handler) {
    widget.setMouseTracking(true);
    widget.installEventFilter(new MouseMoveFilter(widget, std::move(handler)));
}
