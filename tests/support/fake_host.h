// A Host for tests: records every call and answers from a script, so every
// path (Yes and No, online and offline) runs without a person, a network or
// speakers.
#pragma once

#include "platform/quiet_host.h"

#include <QByteArray>
#include <QMap>
#include <QStringList>

#include <deque>
#include <functional>
#include <random>
#include <vector>

class FakeHost : public QuietHost {
public:
    struct Box {
        QString text;
        int style = 0;
        QString title;
        vb::MsgBoxResult answer = vb::vbOK;
        QString details; // the box's details part (MsgBoxWithDetails)
    };
    struct SaveDialog {
        QString title;
        QString suggestedPath;
        QString filter; // the forms offered, ";;" between them
        int proposedFilter = 0;
        QString defaultSuffix;
    };
    struct Sound {
        QString path;    // empty for a sound from memory
        QByteArray wave; // the bytes played from memory
        bool async = false;
    };

    // --- scripting ---
    // Answers for the next message boxes, in order. Without a scripted answer
    // a box is answered with its first button (OK or Yes).
    void answerNext(vb::MsgBoxResult answer) { m_answers.push_back(answer); }
    // Handlers for the next modal windows, in order; a handler drives the
    // window (fills boxes, clicks buttons). Without one the window is closed.
    void onNextModal(std::function<void(QWidget &)> handler) {
        m_modalHandlers.push_back(std::move(handler));
    }
    // Paths the next save dialogs answer, in order; without one a save
    // dialog is cancelled (empty path). filter: the index of the form the
    // user picks in a dialog offering several (-1 keeps the proposed one).
    // The path comes back as typed: no suffix is added.
    void answerNextSave(const QString &path, int filter = -1) {
        m_savePaths.push_back(path);
        m_saveFilters.push_back(filter);
    }
    // Paths the next open-file dialogs answer, in order; without one an open
    // dialog is cancelled (empty path).
    void answerNextOpen(const QString &path) { m_openPaths.push_back(path); }
    // Called for every message box, after it was recorded (e.g. to check state).
    std::function<void(const Box &)> onMsgBox;
    // Called at every DoEvents, to look at windows while a procedure runs.
    std::function<void()> onDoEvents;

    bool connected = false;
    QSize screen{1280, 1024};
    // The part of the screen windows may take; empty: the whole screen.
    QRect available;
    QDateTime clock = QDateTime(QDate(2026, 12, 8), QTime(10, 0, 0));
    // DoEvents advances the fake clock by this much, so waits end.
    int doEventsAdvanceMs = 100;
    // url -> bytes served by DownloadFile; file: urls read the real file.
    QMap<QString, QByteArray> downloads;
    // When set, other http(s) urls are really fetched (from a test's local
    // server: tests never reach beyond the loopback interface).
    bool useLocalNetwork = false;
    bool startSucceeds = true;
    // Whether a program takes the addresses OpenUrl is given.
    bool browserAvailable = true;
    // The microphone: without one StartCapture fails; with one it "hears"
    // microphoneWave (a wave file; silence after its end), 100 ms at each
    // turn of the event loop, each advancing the clock.
    bool microphone = true;
    QByteArray microphoneWave;
    std::vector<int> recordRequests; // milliseconds asked for
    // When set, Rnd returns these values in order before falling back to the generator.
    std::deque<double> rndValues;

    // --- records ---
    std::vector<Box> boxes;
    QStringList modalWindows; // objectName of every window shown modally
    std::vector<SaveDialog> saveDialogs;
    // Open-file dialogs, with the folder they started in as suggestedPath.
    std::vector<SaveDialog> openDialogs;
    QStringList openedUrls;
    QStringList openedFolders;
    QStringList startedPrograms; // program + " " + arguments joined by blanks
    QStringList startedIn;       // the working folder of each started program
    std::vector<Sound> sounds;
    QStringList downloadRequests;
    std::vector<quint32> seeds;
    int doEventsCalls = 0;
    int waitCalls = 0;

    // Texts of the recorded boxes, for compact assertions.
    QStringList boxTexts() const;
    const Box &lastBox() const { return boxes.back(); }

    // --- Host ---
    vb::MsgBoxResult MsgBox(const QString &text, int style, const QString &title) override;
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
    bool OpenUrl(const QString &target) override {
        openedUrls << target;
        return browserAvailable;
    }
    void OpenFolder(const QString &path) override { openedFolders << path; }
    bool StartDetached(const QString &program, const QStringList &arguments,
                       const QString &workingDirectory) override;
    void PlaySoundFile(const QString &path, bool async) override;
    void PlaySoundMemory(const QByteArray &wave, bool async) override;
    std::unique_ptr<MicrophoneCapture> StartCapture(int milliseconds) override;
    bool IsConnected() override { return connected; }
    bool DownloadFile(const QString &url, const QString &path, qint64 maxBytes = -1) override;
    // Answers from downloads or a local file like DownloadFile, the answer
    // coming from the event loop; a local server's address is fetched
    // without waiting, as the real host does.
    void StartDownload(const QString &url, const QString &path, qint64 maxBytes, QObject *context,
                       std::function<void(bool ok)> done) override;
    QSize ScreenSize() override { return screen; }
    QRect AvailableGeometry() override {
        return available.isEmpty() ? QRect(QPoint(0, 0), screen) : available;
    }
    QDateTime Now() override { return clock; }
    void Randomize(quint32 seed) override;
    double Rnd() override;
    void DoEvents() override;
    // Advances the fake clock by the time waited and runs pending events.
    void WaitForEvents(int milliseconds) override;

private:
    std::deque<vb::MsgBoxResult> m_answers;
    std::deque<std::function<void(QWidget &)>> m_modalHandlers;
    std::deque<QString> m_savePaths;
    std::deque<int> m_saveFilters;
    std::deque<QString> m_openPaths;
    std::mt19937 m_random{12345};
};
