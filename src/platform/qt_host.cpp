#include "platform/qt_host.h"

#include "platform/start_detached.h"

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QNetworkAccessManager>
#include <QNetworkInformation>
#include <QNetworkInterface>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <algorithm>
#include <memory>

namespace {

constexpr int kDefaultButton2 = 256;
constexpr int kDefaultButton3 = 512;

// Writes the bytes to path, replacing it only when all of them were written.
bool writeWhole(const QString &path, const QByteArray &bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// Ends a local event loop when a window is hidden, closed or deleted.
class HideWatcher : public QObject {
public:
    HideWatcher(QWidget &window, QEventLoop &loop) : m_loop(loop) {
        window.installEventFilter(this);
        connect(&window, &QObject::destroyed, &loop, &QEventLoop::quit);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Hide && watched->isWidgetType() &&
            !static_cast<QWidget *>(watched)->isVisible())
            m_loop.quit();
        return false;
    }

private:
    QEventLoop &m_loop;
};

bool anyInterfaceOnline() {
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : interfaces) {
        const auto flags = interface.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning) ||
            (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            const QHostAddress address = entry.ip();
            if (!address.isNull() && !address.isLoopback() && !address.isLinkLocal())
                return true;
        }
    }
    return false;
}

} // namespace

MsgBoxLook MsgBoxLookOf(int style) {
    MsgBoxLook look;
    QList<QMessageBox::StandardButton> order;
    switch (vb::ButtonsOf(style)) {
    case vb::vbOKCancel:
        order = {QMessageBox::Ok, QMessageBox::Cancel};
        look.escapeButton = QMessageBox::Cancel;
        break;
    case vb::vbYesNoCancel:
        order = {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
        look.escapeButton = QMessageBox::Cancel;
        break;
    case vb::vbYesNo:
        order = {QMessageBox::Yes, QMessageBox::No};
        break;
    default:
        order = {QMessageBox::Ok};
        look.escapeButton = QMessageBox::Ok;
        break;
    }
    for (const auto button : order)
        look.buttons |= button;
    int defaultPosition = 0;
    if (style & kDefaultButton3)
        defaultPosition = 2;
    else if (style & kDefaultButton2)
        defaultPosition = 1;
    look.defaultButton = order.value(defaultPosition, order.front());

    switch (vb::IconOf(style)) {
    case vb::vbCritical:
        look.icon = QMessageBox::Critical;
        break;
    case vb::vbQuestion:
        look.icon = QMessageBox::Question;
        break;
    case vb::vbExclamation:
        look.icon = QMessageBox::Warning;
        break;
    case vb::vbInformation:
        look.icon = QMessageBox::Information;
        break;
    default:
        look.icon = QMessageBox::NoIcon;
        break;
    }
    return look;
}

vb::MsgBoxResult MsgBoxResultOf(QMessageBox::StandardButton button, int style) {
    switch (button) {
    case QMessageBox::Ok:
        return vb::vbOK;
    case QMessageBox::Cancel:
        return vb::vbCancel;
    case QMessageBox::Yes:
        return vb::vbYes;
    case QMessageBox::No:
        return vb::vbNo;
    default:
        // Closed some other way: the answer the box's escape stands for.
        switch (vb::ButtonsOf(style)) {
        case vb::vbOKCancel:
        case vb::vbYesNoCancel:
            return vb::vbCancel;
        case vb::vbYesNo:
            return vb::vbNo;
        default:
            return vb::vbOK;
        }
    }
}

QtHost::QtHost()
    : m_random(static_cast<std::mt19937::result_type>(QDateTime::currentMSecsSinceEpoch())) {}

vb::MsgBoxResult QtHost::MsgBox(const QString &text, int style, const QString &title) {
    return MsgBoxWithDetails(text, style, title, QString());
}

vb::MsgBoxResult QtHost::MsgBoxWithDetails(const QString &text, int style, const QString &title,
                                           const QString &details) {
    const MsgBoxLook look = MsgBoxLookOf(style);
    QMessageBox box(look.icon, title.isEmpty() ? ProgramTitle() : title, text, look.buttons,
                    QApplication::activeWindow());
    if (!details.isEmpty())
        box.setDetailedText(details);
    // Messages quote phrases, names and paths: "<b>" in one is text.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(look.defaultButton);
    if (look.escapeButton != QMessageBox::NoButton)
        box.setEscapeButton(look.escapeButton);
    box.exec();
    return MsgBoxResultOf(box.standardButton(box.clickedButton()), style);
}

void QtHost::ShowModal(QWidget &window) {
    QPointer<QWidget> guard(&window);
    window.setWindowModality(Qt::ApplicationModal);
    window.show();
    if (!window.isVisible())
        return;
    QEventLoop loop;
    HideWatcher watcher(window, loop);
    loop.exec(QEventLoop::DialogExec);
    if (guard)
        window.removeEventFilter(&watcher);
}

QString QtHost::GetSaveFileName(const QString &title, const QString &suggestedPath,
                                const QString &filter) {
    // The dialog asks before it lets the user replace an existing file.
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), title, suggestedPath, filter);
}

QString QtHost::ChooseSaveFile(const QString &title, const QString &suggestedPath,
                               const QStringList &filters, int *filter,
                               const QString &defaultSuffix) {
    QFileDialog dialog(QApplication::activeWindow(), title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The dialog completes the name itself, so that its question about
    // replacing a file names the file that will be written.
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setNameFilters(filters);
    if (*filter >= 0 && *filter < filters.size())
        dialog.selectNameFilter(filters[*filter]);
    const QFileInfo suggested(suggestedPath);
    dialog.setDirectory(suggested.absolutePath());
    dialog.selectFile(suggested.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    *filter = std::max<int>(0, int(filters.indexOf(dialog.selectedNameFilter())));
    return dialog.selectedFiles().constFirst();
}

QString QtHost::GetOpenFileName(const QString &title, const QString &folder,
                                const QString &filter) {
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), title, folder, filter);
}

bool QtHost::OpenUrl(const QString &target) {
    const bool isAddress = target.contains(QLatin1String("://")) ||
                           target.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive);
    return QDesktopServices::openUrl(isAddress ? QUrl(target) : QUrl::fromLocalFile(target));
}

void QtHost::OpenFolder(const QString &path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool QtHost::StartDetached(const QString &program, const QStringList &arguments,
                           const QString &workingDirectory) {
    return startDetached::Start(program, arguments, workingDirectory);
}

void QtHost::PlaySoundFile(const QString &path, bool async) {
    m_sound.PlayFile(path, async);
}

void QtHost::PlaySoundMemory(const QByteArray &wave, bool async) {
    m_sound.PlayMemory(wave, async);
}

std::unique_ptr<MicrophoneCapture> QtHost::StartCapture(int milliseconds) {
    // The learner hears nothing of ours while speaking.
    m_sound.Stop();
    return StartMicrophoneCapture(milliseconds);
}

bool QtHost::IsConnected() {
    if (QNetworkInformation::loadDefaultBackend()) {
        QNetworkInformation *information = QNetworkInformation::instance();
        if (information && information->supports(QNetworkInformation::Feature::Reachability)) {
            switch (information->reachability()) {
            case QNetworkInformation::Reachability::Online:
                return true;
            case QNetworkInformation::Reachability::Unknown:
                break;
            default:
                return false;
            }
        }
    }
    return anyInterfaceOnline();
}

void Start_Download_Url(const QString &url, const QString &path, qint64 maxBytes, QObject *context,
                        std::function<void(bool ok)> done, int deadlineMs) {
    const auto fits = [maxBytes](qint64 size) { return maxBytes < 0 || size <= maxBytes; };
    // The answer always comes from the event loop, never inside this call.
    const auto answer = [context, done](bool ok) {
        QTimer::singleShot(0, context, [done, ok] { done(ok); });
    };
    const QUrl source(url);
    if (source.isLocalFile() || source.scheme().isEmpty()) {
        QFile file(source.isLocalFile() ? source.toLocalFile() : url);
        answer(file.open(QIODevice::ReadOnly) && fits(file.size()) &&
               writeWhole(path, file.readAll()));
        return;
    }
    const QString scheme = source.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) {
        answer(false);
        return;
    }

    // Everything of this download lives under the manager, which lives under
    // the context: a context destroyed first abandons the download.
    auto *manager = new QNetworkAccessManager(context);
    QNetworkRequest request(source);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(std::min(60000, deadlineMs));
    QNetworkReply *reply = manager->get(request);
    struct Transfer {
        QByteArray body;
        bool tooLarge = false;
        bool late = false;
    };
    const auto transfer = std::make_shared<Transfer>();
    auto *deadline = new QTimer(manager);
    deadline->setSingleShot(true);
    QObject::connect(deadline, &QTimer::timeout, manager, [transfer, reply] {
        transfer->late = true;
        reply->abort();
    });
    deadline->start(deadlineMs);
    // A file over the limit is dropped as soon as its size shows, whether
    // announced in the header or counted as it arrives.
    const auto checkSize = [transfer, reply, fits](qint64 size) {
        if (!transfer->tooLarge && !fits(size)) {
            transfer->tooLarge = true;
            reply->abort();
        }
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, manager, [reply, checkSize] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid())
            checkSize(length.toLongLong());
    });
    QObject::connect(reply, &QNetworkReply::readyRead, manager, [transfer, reply, checkSize] {
        if (transfer->tooLarge)
            return;
        transfer->body += reply->readAll();
        checkSize(transfer->body.size());
    });
    QObject::connect(
        reply, &QNetworkReply::finished, manager, [transfer, reply, manager, path, fits, answer] {
            const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            bool ok = !transfer->tooLarge && !transfer->late &&
                      reply->error() == QNetworkReply::NoError && status >= 200 && status < 300;
            if (ok)
                transfer->body += reply->readAll();
            ok = ok && fits(transfer->body.size()) && writeWhole(path, transfer->body);
            manager->deleteLater();
            answer(ok);
        });
}

bool Download_Url(const QString &url, const QString &path, qint64 maxBytes, int deadlineMs) {
    QEventLoop loop;
    bool result = false;
    Start_Download_Url(
        url, path, maxBytes, &loop,
        [&](bool ok) {
            result = ok;
            loop.quit();
        },
        deadlineMs);
    loop.exec();
    return result;
}

bool QtHost::DownloadFile(const QString &url, const QString &path, qint64 maxBytes) {
    return Download_Url(url, path, maxBytes);
}

void QtHost::StartDownload(const QString &url, const QString &path, qint64 maxBytes,
                           QObject *context, std::function<void(bool ok)> done) {
    Start_Download_Url(url, path, maxBytes, context, std::move(done));
}

QSize QtHost::ScreenSize() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize();
}

QRect QtHost::AvailableGeometry() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QDateTime QtHost::Now() {
    return QDateTime::currentDateTime();
}

void QtHost::Randomize(quint32 seed) {
    m_random.seed(seed);
}

double QtHost::Rnd() {
    // 24 random bits, like VB's single-precision Rnd: never reaches 1.
    return static_cast<double>(m_random() >> 8) / static_cast<double>(1u << 24);
}

void QtHost::DoEvents() {
    QCoreApplication::processEvents();
}

void QtHost::WaitForEvents(int milliseconds) {
    // A nested loop sleeps in the window system's wait until an event or the
    // timer comes, instead of polling.
    QElapsedTimer waited;
    waited.start();
    QEventLoop loop;
    QTimer::singleShot(std::max(0, milliseconds), &loop, &QEventLoop::quit);
    loop.exec();
    m_waitedMs += waited.elapsed();
}
