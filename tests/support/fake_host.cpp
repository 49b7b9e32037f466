#include "support/fake_host.h"

#include "platform/qt_host.h"
#include "subjects/voice_compare.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <algorithm>
#include <cmath>

QStringList FakeHost::boxTexts() const {
    QStringList texts;
    for (const Box &box : boxes)
        texts << box.text;
    return texts;
}

vb::MsgBoxResult FakeHost::MsgBox(const QString &text, int style, const QString &title) {
    return MsgBoxWithDetails(text, style, title, QString());
}

vb::MsgBoxResult FakeHost::MsgBoxWithDetails(const QString &text, int style, const QString &title,
                                             const QString &details) {
    Box box{text, style, title, vb::vbOK, details};
    if (!m_answers.empty()) {
        box.answer = m_answers.front();
        m_answers.pop_front();
    } else {
        switch (vb::ButtonsOf(style)) {
        case vb::vbYesNo:
        case vb::vbYesNoCancel:
            box.answer = vb::vbYes;
            break;
        default:
            box.answer = vb::vbOK;
        }
    }
    boxes.push_back(box);
    if (onMsgBox)
        onMsgBox(boxes.back());
    return box.answer;
}

void FakeHost::ShowModal(QWidget &window) {
    modalWindows << window.objectName();
    window.show();
    if (!m_modalHandlers.empty()) {
        auto handler = std::move(m_modalHandlers.front());
        m_modalHandlers.pop_front();
        handler(window);
    }
    if (window.isVisible())
        window.close();
}

QString FakeHost::GetSaveFileName(const QString &title, const QString &suggestedPath,
                                  const QString &filter) {
    saveDialogs.push_back({title, suggestedPath, filter, 0, QString()});
    if (m_savePaths.empty())
        return {};
    QString path = m_savePaths.front();
    m_savePaths.pop_front();
    m_saveFilters.pop_front();
    return path;
}

QString FakeHost::ChooseSaveFile(const QString &title, const QString &suggestedPath,
                                 const QStringList &filters, int *filter,
                                 const QString &defaultSuffix) {
    saveDialogs.push_back(
        {title, suggestedPath, filters.join(QStringLiteral(";;")), *filter, defaultSuffix});
    if (m_savePaths.empty())
        return {};
    QString path = m_savePaths.front();
    m_savePaths.pop_front();
    const int chosen = m_saveFilters.front();
    m_saveFilters.pop_front();
    if (chosen >= 0)
        *filter = chosen;
    return path;
}

QString FakeHost::GetOpenFileName(const QString &title, const QString &folder,
                                  const QString &filter) {
    openDialogs.push_back({title, folder, filter, 0, QString()});
    if (m_openPaths.empty())
        return {};
    QString path = m_openPaths.front();
    m_openPaths.pop_front();
    return path;
}

bool FakeHost::StartDetached(const QString &program, const QStringList &arguments,
                             const QString &workingDirectory) {
    startedPrograms << (QStringList{program} + arguments).join(QLatin1Char(' '));
    startedIn << workingDirectory;
    return startSucceeds;
}

void FakeHost::PlaySoundFile(const QString &path, bool async) {
    sounds.push_back({path, QByteArray(), async});
}

void FakeHost::PlaySoundMemory(const QByteArray &wave, bool async) {
    sounds.push_back({QString(), wave, async});
}

namespace {

// Hears the host's microphoneWave, 100 ms of it at each turn of the event
// loop, each turn advancing the host's clock.
class FakeCapture : public MicrophoneCapture {
public:
    FakeCapture(FakeHost &host, int milliseconds)
        : m_host(host), m_heard(voice::Read_Wave(host.microphoneWave)),
          m_milliseconds(milliseconds) {
        if (m_heard.rate <= 0)
            m_heard.rate = 22050;
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { hear(); });
        m_timer.start(1);
    }
    void Stop() override {
        if (m_timer.isActive())
            finish();
    }

private:
    void hear() {
        const int step = std::min(100, m_milliseconds - m_elapsed);
        const size_t from = sampleAt(m_elapsed);
        m_elapsed += step;
        const size_t to = sampleAt(m_elapsed);
        double energy = 0;
        for (size_t i = from; i < to && i < m_heard.samples.size(); ++i)
            energy += static_cast<double>(m_heard.samples[i]) * m_heard.samples[i];
        m_host.clock = m_host.clock.addMSecs(step);
        emit Progress(m_elapsed,
                      static_cast<float>(std::sqrt(energy / std::max<size_t>(1, to - from))));
        if (m_elapsed >= m_milliseconds && m_timer.isActive())
            finish();
    }
    void finish() {
        m_timer.stop();
        m_heard.samples.resize(sampleAt(m_elapsed), 0.0f);
        emit Finished(voice::Write_Wave(m_heard));
    }
    size_t sampleAt(int ms) const {
        return static_cast<size_t>(static_cast<qint64>(ms) * m_heard.rate / 1000);
    }

    FakeHost &m_host;
    voice::Wave m_heard;
    int m_milliseconds;
    int m_elapsed = 0;
    QTimer m_timer;
};

} // namespace

std::unique_ptr<MicrophoneCapture> FakeHost::StartCapture(int milliseconds) {
    recordRequests.push_back(milliseconds);
    if (!microphone)
        return nullptr;
    return std::make_unique<FakeCapture>(*this, milliseconds);
}

void FakeHost::StartDownload(const QString &url, const QString &path, qint64 maxBytes,
                             QObject *context, std::function<void(bool ok)> done) {
    const QUrl parsed(url);
    if (useLocalNetwork && !downloads.contains(url) && !parsed.isLocalFile()) {
        downloadRequests << url;
        Start_Download_Url(url, path, maxBytes, context, std::move(done));
        return;
    }
    Host::StartDownload(url, path, maxBytes, context, std::move(done));
}

bool FakeHost::DownloadFile(const QString &url, const QString &path, qint64 maxBytes) {
    downloadRequests << url;
    QByteArray bytes;
    if (downloads.contains(url)) {
        bytes = downloads.value(url);
    } else if (useLocalNetwork) {
        return Download_Url(url, path, maxBytes);
    } else {
        const QUrl parsed(url);
        if (!parsed.isLocalFile())
            return false;
        QFile source(parsed.toLocalFile());
        if (!source.open(QIODevice::ReadOnly))
            return false;
        bytes = source.readAll();
    }
    if (maxBytes >= 0 && bytes.size() > maxBytes)
        return false;
    QFile target(path);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return target.write(bytes) == bytes.size();
}

void FakeHost::Randomize(quint32 seed) {
    seeds.push_back(seed);
}

double FakeHost::Rnd() {
    if (!rndValues.empty()) {
        const double value = rndValues.front();
        rndValues.pop_front();
        return value;
    }
    return std::uniform_real_distribution<double>(0.0, 1.0)(m_random);
}

void FakeHost::WaitForEvents(int milliseconds) {
    ++waitCalls;
    clock = clock.addMSecs(milliseconds);
    QCoreApplication::processEvents();
    if (onDoEvents)
        onDoEvents();
}

void FakeHost::DoEvents() {
    ++doEventsCalls;
    clock = clock.addMSecs(doEventsAdvanceMs);
    QCoreApplication::processEvents();
    if (onDoEvents)
        onDoEvents();
}
