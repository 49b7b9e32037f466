// Disabling a window while it works drops its keyboard focus, and enabling it
// again gives the focus to nothing: the arrows do nothing until the user
// presses Tab. These disable and enable a window keeping where the focus was.
#pragma once

class QWidget;

// Disabling remembers the window's focused control; enabling gives it the
// focus back when it can still take it. Disabling a window that is already
// disabled keeps the first memory.
void SetWindowEnabled(QWidget &window, bool enabled);

// Disables the window for its own lifetime.
class WindowDisabled {
public:
    explicit WindowDisabled(QWidget &window);
    ~WindowDisabled();
    WindowDisabled(const WindowDisabled &) = delete;
    WindowDisabled &operator=(const WindowDisabled &) = delete;

private:
    QWidget &m_window;
    bool m_wasEnabled;
};
