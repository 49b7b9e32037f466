#include "platform/qt_window_enabled.h"

#include <QPointer>
#include <QWidget>

namespace {
const QString kMemoryName = QStringLiteral("tvxFocusBeforeDisabling");

// Lives as a child of the window while it is disabled.
class FocusMemory : public QObject {
public:
    explicit FocusMemory(QWidget *window) : QObject(window) { setObjectName(kMemoryName); }
    QPointer<QWidget> focused;
};

FocusMemory *memoryOf(QWidget &window) {
    return dynamic_cast<FocusMemory *>(
        window.findChild<QObject *>(kMemoryName, Qt::FindDirectChildrenOnly));
}
} // namespace

void SetWindowEnabled(QWidget &window, bool enabled) {
    if (!enabled) {
        if (window.isEnabled() && !memoryOf(window)) {
            auto *memory = new FocusMemory(&window);
            memory->focused = window.focusWidget();
        }
        window.setEnabled(false);
        return;
    }
    window.setEnabled(true);
    FocusMemory *memory = memoryOf(window);
    if (!memory)
        return;
    QPointer<QWidget> focused = memory->focused;
    delete memory;
    if (focused && focused->isEnabled() && focused->isVisible() && focused->window() == &window)
        focused->setFocus(Qt::OtherFocusReason);
}

WindowDisabled::WindowDisabled(QWidget &window) : m_window(window), m_wasEnabled(window.isEnabled()) {
    SetWindowEnabled(m_window, false);
}

WindowDisabled::~WindowDisabled() {
    if (m_wasEnabled)
        SetWindowEnabled(m_window, true);
}
