// Everything that leaves the process or waits on a person goes through Host:
// message boxes, modal windows, web pages, files and folders opened in other
// programs, program starts, sound, network, screen, clock and random numbers.
// QtHost is the real one; tests use FakeHost, which records calls and answers
// from a script.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

class QWidget;

namespace vb {

// MsgBox button and icon styles, with the values of the VB constants.
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    // The second button (No of Yes/No) answers Enter.
    vbDefaultButton2 = 256,
};

enum MsgBoxResult : int {
    vbOK = 1,
    vbCancel = 2,
    vbYes = 6,
    vbNo = 7,
};

inline constexpr int ButtonsOf(int style) {
    return style & 0x0F;
}
inline constexpr int IconOf(int style) {
    return style & 0x70;
}

} // namespace vb

// A recording from the microphone under way, driven by the event loop.
class MicrophoneCapture : public QObject {
    Q_OBJECT
public:
    // Ends the recording early; Finished follows with what was heard so far.
    virtual void Stop() = 0;

signals:
    // Every few tens of milliseconds: the time recorded so far and the level
    // (0..1) of the latest sound.
    void Progress(int elapsedMs, float level);
    // Once, at the end: what was heard, as a RIFF wave file.
    void Finished(const QByteArray &wave);
};

class Host {
public:
    virtual ~Host() = default;

    // A message box. An empty title means the program's title (see
    // SetProgramTitle).
    virtual vb::MsgBoxResult MsgBox(const QString &text, int style = vb::vbOKOnly,
                                    const QString &title = QString()) = 0;
    // A message box whose text is followed by details for those who ask for
    // them (the statement that failed, a library's own English text). The
    // default shows them as a paragraph of their own below the text.
    virtual vb::MsgBoxResult MsgBoxWithDetails(const QString &text, int style, const QString &title,
                                               const QString &details) {
        return MsgBox(details.isEmpty() ? text : text + QStringLiteral("\r\n\r\n") + details, style,
                      title);
    }
    // The title of message boxes that give none, set once the build is known.
    virtual void SetProgramTitle(const QString &title) { m_programTitle = title; }
    const QString &ProgramTitle() const { return m_programTitle; }

    // Shows a window modally and returns when it has closed.
    virtual void ShowModal(QWidget &window) = 0;

    // The platform's dialog that asks where to save a file: a title, the
    // path it proposes and a filter such as "CSV files (*.csv)". Returns the
    // chosen path, or empty text when the user cancelled.
    virtual QString GetSaveFileName(const QString &title, const QString &suggestedPath,
                                    const QString &filter) = 0;
    // The save dialog with a choice of file forms: filters names them
    // ("CSV files (*.csv)"), and *filter is the index of the form proposed
    // on entry and of the one chosen on return. A name typed without a
    // suffix gets defaultSuffix (no dot) before the dialog asks whether to
    // replace a file. Returns the chosen path, or empty text when the user
    // cancelled. A host without the choice offers the first form.
    virtual QString ChooseSaveFile(const QString &title, const QString &suggestedPath,
                                   const QStringList &filters, int *filter,
                                   const QString &defaultSuffix) {
        (void)defaultSuffix;
        *filter = 0;
        return GetSaveFileName(title, suggestedPath, filters.value(0));
    }

    // The platform's dialog that asks for an existing file to open: a title,
    // the folder it starts in and a filter such as "Word lists (*.csv *.txt)".
    // Returns the chosen path, or empty text when the user cancelled.
    virtual QString GetOpenFileName(const QString &title, const QString &folder,
                                    const QString &filter) = 0;

    // Opens a web address or a local file in its default program; false
    // when no program took it (no browser, say).
    virtual bool OpenUrl(const QString &target) = 0;
    // Opens a folder in the file manager.
    virtual void OpenFolder(const QString &path) = 0;
    // Starts a program without waiting for it, in the given working folder
    // (empty: this program's own); false when it cannot start.
    virtual bool StartDetached(const QString &program, const QStringList &arguments,
                               const QString &workingDirectory) = 0;

    // Plays a wave file; synchronous play returns when the sound has ended,
    // asynchronous play returns at once and restarts any sound still playing.
    // Without an audio device both return silently.
    virtual void PlaySoundFile(const QString &path, bool async) = 0;
    virtual void PlaySoundMemory(const QByteArray &wave, bool async) = 0;

    // Starts recording from the default microphone for at most milliseconds
    // and returns at once; the capture reports through its signals. Null when
    // no microphone can be used (none, or none allowed); a host without one
    // answers so.
    virtual std::unique_ptr<MicrophoneCapture> StartCapture(int milliseconds) {
        (void)milliseconds;
        return nullptr;
    }

    virtual bool IsConnected() = 0;
    // Downloads url (http, https or file) to a local path; true on success.
    // With maxBytes >= 0 a larger file is refused (false, nothing written)
    // without reading more of it than the limit.
    virtual bool DownloadFile(const QString &url, const QString &path, qint64 maxBytes = -1) = 0;
    // The same download without waiting for it: returns at once, and done
    // (with DownloadFile's answer) runs later from the event loop, unless
    // context is destroyed first, which abandons the download. This default
    // downloads at once and only delays the answer; real hosts override it.
    virtual void StartDownload(const QString &url, const QString &path, qint64 maxBytes,
                               QObject *context, std::function<void(bool ok)> done) {
        const bool ok = DownloadFile(url, path, maxBytes);
        QTimer::singleShot(0, context, [done = std::move(done), ok] { done(ok); });
    }

    // Screen size in pixels.
    virtual QSize ScreenSize() = 0;
    // The part of the screen windows may take, in pixels: the screen without
    // its panels and docks. A host that cannot tell answers the whole screen.
    virtual QRect AvailableGeometry() { return QRect(QPoint(0, 0), ScreenSize()); }
    virtual QDateTime Now() = 0;

    // VB's Randomize and Rnd: a seedable source of numbers in [0, 1).
    virtual void Randomize(quint32 seed) = 0;
    virtual double Rnd() = 0;

    // Lets pending window events run (DoEvents).
    virtual void DoEvents() = 0;
    // Lets window events run for about this long without keeping a processor
    // busy: returns after the time, having handled what came meanwhile.
    virtual void WaitForEvents(int milliseconds) = 0;

private:
    QString m_programTitle;
};
