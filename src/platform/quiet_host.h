// A host that does nothing: no window is shown, no sound heard, no network
// reached. Message boxes get their first button, dialogs are cancelled, the
// clock is the real one and the random numbers stand still. Hosts for tests
// and benchmarks start from it and override what they watch or script.
#pragma once

#include "platform/host.h"

#include <QDateTime>

class QuietHost : public Host {
public:
    vb::MsgBoxResult MsgBox(const QString &, int style, const QString &) override {
        const int buttons = vb::ButtonsOf(style);
        return buttons == vb::vbYesNo || buttons == vb::vbYesNoCancel ? vb::vbYes : vb::vbOK;
    }
    void ShowModal(QWidget &) override {}
    QString GetSaveFileName(const QString &, const QString &, const QString &) override {
        return {};
    }
    QString GetOpenFileName(const QString &, const QString &, const QString &) override {
        return {};
    }
    bool OpenUrl(const QString &) override { return false; }
    void OpenFolder(const QString &) override {}
    bool StartDetached(const QString &, const QStringList &, const QString &) override {
        return false;
    }
    void PlaySoundFile(const QString &, bool) override {}
    void PlaySoundMemory(const QByteArray &, bool) override {}
    bool IsConnected() override { return false; }
    bool DownloadFile(const QString &, const QString &, qint64) override { return false; }
    QSize ScreenSize() override { return {1280, 1024}; }
    QDateTime Now() override { return QDateTime::currentDateTime(); }
    void Randomize(quint32) override {}
    double Rnd() override { return 0.5; }
    void DoEvents() override {}
    void WaitForEvents(int) override {}
};
