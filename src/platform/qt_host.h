// The real Host: Qt's message boxes and desktop services, SDL sound, Qt's
// network access, the system clock and a seeded random-number generator.
#pragma once

#include "platform/host.h"
#include "platform/sound.h"

#include <QMessageBox>

#include <random>

// How a VB message-box style looks in a QMessageBox.
struct MsgBoxLook {
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    // The button Esc and the window's close button stand for; NoButton when
    // the box can only be answered with one of its buttons.
    QMessageBox::StandardButton escapeButton = QMessageBox::NoButton;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// vbDefaultButton2 and vbDefaultButton3 (256, 512) choose the default button.
MsgBoxLook MsgBoxLookOf(int style);
// The VB answer for the button that closed a box of the given style.
vb::MsgBoxResult MsgBoxResultOf(QMessageBox::StandardButton button, int style);

// The download behind QtHost::StartDownload (file, http and https addresses),
// also used by test hosts that fetch from a local server: returns at once, and
// done runs from the event loop unless context is destroyed first.
// The whole transfer ends after deadlineMs, however slowly the server
// trickles its bytes (a limit per transfer alone lets it go on for ever).
inline constexpr int kDownloadDeadlineMs = 30000;
void Start_Download_Url(const QString &url, const QString &path, qint64 maxBytes, QObject *context,
                        std::function<void(bool ok)> done, int deadlineMs = kDownloadDeadlineMs);
// The same, waiting for the end (QtHost::DownloadFile).
bool Download_Url(const QString &url, const QString &path, qint64 maxBytes = -1,
                  int deadlineMs = kDownloadDeadlineMs);

class QtHost : public Host {
public:
    QtHost();

    vb::MsgBoxResult MsgBox(const QString &text, int style = vb::vbOKOnly,
                            const QString &title = QString()) override;
    // The details behind the box's "Show Details..." button.
    vb::MsgBoxResult MsgBoxWithDetails(const QString &text, int style, const QString &title,
                                       const QString &details) override;
    void ShowModal(QWidget &window) override;
    QString GetSaveFileName(const QString &title, const QString &suggestedPath,
                            const QString &filter) override;
    QString ChooseSaveFile(const QString &title, const QString &suggestedPath,
                           const QStringList &filters, int *filter,
                           const QString &defaultSuffix) override;
    QString GetOpenFileName(const QString &title, const QString &folder,
                            const QString &filter) override;
    bool OpenUrl(const QString &target) override;
    void OpenFolder(const QString &path) override;
    bool StartDetached(const QString &program, const QStringList &arguments,
                       const QString &workingDirectory) override;
    void PlaySoundFile(const QString &path, bool async) override;
    void PlaySoundMemory(const QByteArray &wave, bool async) override;
    std::unique_ptr<MicrophoneCapture> StartCapture(int milliseconds) override;
    bool IsConnected() override;
    bool DownloadFile(const QString &url, const QString &path, qint64 maxBytes = -1) override;
    void StartDownload(const QString &url, const QString &path, qint64 maxBytes, QObject *context,
                       std::function<void(bool ok)> done) override;
    QSize ScreenSize() override;
    QRect AvailableGeometry() override;
    QDateTime Now() override;
    void Randomize(quint32 seed) override;
    double Rnd() override;
    void DoEvents() override;
    void WaitForEvents(int milliseconds) override;
    // How long the program has waited in WaitForEvents so far (the start's
    // one-second wait among others), in milliseconds.
    qint64 WaitedMilliseconds() const { return m_waitedMs; }

private:
    qint64 m_waitedMs = 0;
    SoundPlayer m_sound;
    std::mt19937 m_random;
};
