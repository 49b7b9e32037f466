// The window services of the kernel (ShellWindows) as the main window gives
// them: the splash window's progress box, the one-button message window
// used as a notice or a message, and the main window's enabled state.
#pragma once

#include "frame/shell_windows.h"

#include <QPointer>

#include <memory>

class Program;
class QWidget;
class frmMsgBox;
class frmSplash;

class ShellNotices : public ShellWindows {
public:
    // mainWindow: the window disabled and enabled, and the message window's parent.
    ShellNotices(Program &program, QWidget &mainWindow);
    ~ShellNotices() override;

    // The splash window while it is up (it may close itself meanwhile).
    void SetSplash(frmSplash *splash) { m_splash = splash; }
    // The message window, made when first asked for.
    frmMsgBox &msgBox();

    bool SplashVisible() override;
    void SplashPrepend(const QString &line) override;
    void SplashSetStatus(const QString &text) override;
    void ShowNotice(const QString &caption, const QString &text, int heightTwips,
                    int fontSize) override;
    bool NoticeVisible() override;
    void SetNoticeText(const QString &text) override;
    void UnloadNotice() override;
    void ShowMessage(const QString &text, int fontSize) override;
    void SetMainEnabled(bool enabled) override;

private:
    Program &m_program;
    QWidget &m_main;
    QPointer<frmSplash> m_splash;
    std::unique_ptr<frmMsgBox> m_msgBox;
};
