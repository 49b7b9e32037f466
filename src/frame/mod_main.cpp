#include "frame/mod_main.h"

#include "frame/program.h"
#include "platform/ado.h"
#include "platform/host.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <stdexcept>

namespace modMain {

namespace {
constexpr int kSecondsPerDay = 24 * 60 * 60;

double secondsSinceMidnight(const QDateTime &time) {
    return time.time().msecsSinceStartOfDay() / 1000.0;
}
} // namespace

void Play_Sound(Host &host, const QString &path, int flags) {
    host.PlaySoundFile(path, (flags & SND_ASYNC) != 0);
}

void Play_Click(Program &program, const QString &name, int flags) {
    QFile resource(QStringLiteral(":/sounds/") + name.toLower() + QStringLiteral(".wav"));
    if (!resource.open(QIODevice::ReadOnly))
        throw std::runtime_error("The sound resource " + name.toStdString() + " does not exist.");
    program.clickBuffer = resource.readAll();
    flags |= SND_MEMORY;
    program.host().PlaySoundMemory(program.clickBuffer, (flags & SND_ASYNC) != 0);
}

std::function<void()> Button_Click(Program &program) {
    return [&program] { Play_Click(program, QStringLiteral("click"), SND_ASYNC); };
}

QString Get_Temp_Path() {
    QString path = QDir::fromNativeSeparators(QDir::tempPath());
    // A temporary folder that is gone has no path: the root folder is no
    // place for the program's files in its stead.
    if (path.isEmpty())
        return QString();
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

QString Get_System_Temp_Name() {
#ifdef Q_OS_UNIX
    const QString named = qEnvironmentVariable("TMPDIR");
    if (!named.isEmpty())
        return QDir::cleanPath(QDir::fromNativeSeparators(named));
    return QStringLiteral("/tmp");
#else
    const QString named = qEnvironmentVariable("TEMP", qEnvironmentVariable("TMP"));
    return QDir::cleanPath(QDir::fromNativeSeparators(named));
#endif
}

void Wait_Seconds(Host &host, int seconds) {
    // Only the start is rounded, so the wait lasts between n - 0.5 and n + 0.5 seconds.
    const double start = std::round(secondsSinceMidnight(host.Now()));
    for (;;) {
        double elapsed = secondsSinceMidnight(host.Now()) - start;
        if (elapsed < -1) // the clock passed midnight
            elapsed += kSecondsPerDay;
        if (elapsed >= seconds)
            return;
        host.WaitForEvents(qMax(1, int(std::ceil((seconds - elapsed) * 1000))));
    }
}

void EventPump::Pump() {
    if (m_sinceLastRun.isValid() && m_sinceLastRun.elapsed() < kIntervalMs)
        return;
    m_host.DoEvents();
    m_sinceLastRun.start();
}

// Through ado::ConnectionString, so a path holding ";" or quotes (a folder
// "a;b", a file "x;y.ito") still names the file.
QString Get_Connection_String(const QString &path) {
    return ado::ConnectionString(path, QStringLiteral("marpelin4729"), ado::FileOrigin::Outside);
}

QString Get_Template_Connection_String(const QString &path) {
    return ado::ConnectionString(path, QStringLiteral("kqw6081"), ado::FileOrigin::Own);
}

QString Get_Descriptor_Connection_String(const QString &path) {
    return ado::ConnectionString(path, QStringLiteral("kqw6081"), ado::FileOrigin::Outside);
}

bool Is_Connected(Host &host) {
    return host.IsConnected();
}

void Open_Web_Page(Program &program, const QString &page) {
    Host &host = program.host();
    ShellWindows &windows = program.windows();
    const QString site = Safe_Caption(program, 94);
    windows.ShowNotice(QString(),
                       Safe_Caption(program, caption::ConnectingTo) + QLatin1Char(' ') + site +
                           QLatin1Char('\n') + page,
                       2000, 10);
    Wait_Seconds(host, 1);
    QString target;
    if (Is_Connected(host))
        target = site + page;
    else
        target = program.folders.programFolder + Safe_Caption(program, 95);
    windows.UnloadNotice();
    Open_Address(program, target);
}

void Open_Address(Program &program, const QString &target) {
    if (!program.host().OpenUrl(target))
        program.host().MsgBox(Safe_Caption(program, caption::NoBrowser).arg(target),
                              vb::vbExclamation, program.identity.productTitle);
}

bool Download_File(Host &host, const QString &url, const QString &path, qint64 maxBytes) {
    host.DoEvents();
    try {
        return host.DownloadFile(url, path, maxBytes);
    } catch (...) {
        return false;
    }
}

bool File_Exists(const QString &path) {
    const QFileInfo info(path);
    return info.exists() && info.isFile() && !info.isHidden();
}

QString Safe_Caption(const Program &program, int number) {
    if (number < 0 || number > program.captions.Count() + 1)
        return QString();
    return program.captions[number];
}

void Show_Error(Program &program, const QString &procedure, const QString &description,
                const QString &details) {
    QString heading = Safe_Caption(program, 149);
    if (heading.isEmpty())
        heading = QStringLiteral("An error has occurred:");
    program.host().MsgBoxWithDetails(heading + QStringLiteral("\r\n\r\n") + procedure +
                                         QStringLiteral(": ") + description,
                                     vb::vbCritical, QStringLiteral("ERROR"), details);
}

void Show_Error(Program &program, const QString &procedure, const std::exception &error) {
    Show_Error(program, procedure, ado::DescriptionOf(error), ado::DetailsOf(error));
}

} // namespace modMain
