// A ShellWindows that remembers what procedures told the splash window and
// the notice window, for tests without a main window.
#pragma once

#include "frame/shell_windows.h"

#include <QStringList>

class RecordingWindows : public ShellWindows {
public:
    bool splashVisible = true;
    QString splashText;
    QStringList notices; // every text shown or set in the notice window
    QStringList noticeCaptions;
    bool noticeVisible = false;
    QStringList messages;    // modal one-button messages
    QList<bool> mainEnabled; // every change of the main window's enabled state

    bool SplashVisible() override { return splashVisible; }
    void SplashPrepend(const QString &line) override { splashText.prepend(line); }
    void SplashSetStatus(const QString &text) override { splashText = text; }
    void ShowNotice(const QString &caption, const QString &text, int, int) override {
        noticeCaptions << caption;
        notices << text;
        noticeVisible = true;
    }
    bool NoticeVisible() override { return noticeVisible; }
    void SetNoticeText(const QString &text) override { notices << text; }
    void UnloadNotice() override { noticeVisible = false; }
    void ShowMessage(const QString &text, int) override { messages << text; }
    void SetMainEnabled(bool enabled) override { mainEnabled << enabled; }
};
