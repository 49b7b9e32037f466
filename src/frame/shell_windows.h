// The few window services that procedures without a window of their own use:
// the splash window's progress box, the one-button message window and the
// main window's enabled state. The main window implements it; procedures in
// tvx_core reach it through Program::windows(), and a quiet stand-in serves
// when no window exists (tools, core tests).
#pragma once

#include <QString>

class ShellWindows {
public:
    virtual ~ShellWindows() = default;

    // Splash window progress box: new lines go in front (newest first).
    virtual bool SplashVisible() { return false; }
    virtual void SplashPrepend(const QString &line) { (void)line; }
    virtual void SplashSetStatus(const QString &text) { (void)text; }

    // The one-button message window used as a notice while work goes on.
    virtual void ShowNotice(const QString &caption, const QString &text, int heightTwips,
                            int fontSize) {
        (void)caption, (void)text, (void)heightTwips, (void)fontSize;
    }
    virtual bool NoticeVisible() { return false; }
    virtual void SetNoticeText(const QString &text) { (void)text; }
    virtual void UnloadNotice() {}
    // The same window shown modally: the user closes it with OK.
    virtual void ShowMessage(const QString &text, int fontSize = 0) { (void)text, (void)fontSize; }

    // Whether the main window takes input.
    virtual void SetMainEnabled(bool enabled) { (void)enabled; }
};
