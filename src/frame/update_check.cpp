#include "frame/update_check.h"

#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/host.h"
#include "platform/text_decoding.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTimer>
#include <QUrl>

namespace updateCheck {

namespace {
const QString kDateChecked = QStringLiteral("DateChecked");
const QString kCheckOn = QStringLiteral("CheckForUpdates");

// Removes the temporary copy however the check ends.
class RemoveOnExit {
public:
    explicit RemoveOnExit(QString path) : m_path(std::move(path)) {}
    ~RemoveOnExit() { QFile::remove(m_path); }
    RemoveOnExit(const RemoveOnExit &) = delete;
    RemoveOnExit &operator=(const RemoveOnExit &) = delete;

private:
    QString m_path;
};

bool isThisComputer(const QString &host) {
    return host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 ||
           host.startsWith(QLatin1String("127.")) || host == QLatin1String("::1");
}

// The last line of a notice, as reading it line by line to its end leaves
// it; false for an empty or unreadable file, and for one that is no plain
// text (binary bytes, or a web page such as a portal's or an error page).
bool lastLine(const QString &path, QString &line) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (bytes.isEmpty() || !textDecoding::LooksLikeText(bytes))
        return false;
    const QString text = textDecoding::DecodeText(bytes);
    const QString start = text.left(512).trimmed().toLower();
    if (start.startsWith(QLatin1Char('<')) || start.contains(QLatin1String("<html")) ||
        start.contains(QLatin1String("<!doctype")))
        return false;
    QStringList lines = text.split(QLatin1Char('\n'));
    // A line end after the last line starts no line of its own.
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    line = lines.last();
    if (line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    return true;
}

// Stored with a four-digit year and seconds: the regional short formats lose
// the century and would make the week's arithmetic wrong after a reload.
const QString kFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
} // namespace

QDateTime Read_Date_Checked(Program &program) {
    const QString text = program.Setting(kDateChecked).trimmed();
    if (text.isEmpty())
        return QDateTime();
    QDateTime when = QDateTime::fromString(text, kFormat);
    if (!when.isValid())
        when = QLocale().toDateTime(text, QLocale::LongFormat);
    if (!when.isValid())
        when = QLocale().toDateTime(text, QLocale::ShortFormat);
    return when;
}

void Save_Date_Checked(Program &program, const QDateTime &when) {
    program.Save_Setting(kDateChecked, when.toString(kFormat));
}

bool Is_Update_Check_On(Program &program) {
    return program.Setting(kCheckOn, QStringLiteral("1")).trimmed() != QLatin1String("0");
}

void Set_Update_Check_On(Program &program, bool on) {
    program.Save_Setting(kCheckOn, on ? QStringLiteral("1") : QStringLiteral("0"));
}

bool Take_Due_Check(Program &program) {
    Host &host = program.host();
    const QDateTime now = host.Now();
    QDateTime checked = Read_Date_Checked(program);
    if (!checked.isValid()) {
        checked = now;
        Save_Date_Checked(program, now);
    }
    // Switched off, the program does not even ask whether it is online.
    if (!Is_Update_Check_On(program))
        return false;
    if (now >= checked.addDays(7) && modMain::Is_Connected(host)) {
        Save_Date_Checked(program, now);
        return true;
    }
    return false;
}

QString Notice_Address(const Program &program) {
    QString site = modMain::Safe_Caption(program, 94);
    // The site's address may end in "/" (pages are appended to it directly).
    while (site.endsWith(QLatin1Char('/')))
        site.chop(1);
    const ProgramSettings &settings = program.settings();
    QUrl address(site + QStringLiteral("/updates/Ver_%1_%2_%3.txt")
                            .arg(settings.versionMajor)
                            .arg(settings.versionMinor)
                            .arg(settings.versionRevision));
    // What the program shows and whether it ends must not be open to anyone
    // on the way: plain http only where no certificate can be had.
    if (address.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) == 0 &&
        !isThisComputer(address.host()))
        address.setScheme(QStringLiteral("https"));
    return address.toString();
}

QString Download_Page(const Program &program) {
    return modMain::Safe_Caption(program, 94) + modMain::Safe_Caption(program, 67);
}

QString Temporary_Notice_Path(const Program &program, const QDateTime &now) {
    return program.Temporary_Folder() + QLatin1Char('~') +
           now.toString(QStringLiteral("MMddyyyyHHmmss")) + QStringLiteral(".tmp");
}

namespace {

// What follows the download: reads the notice, removes the copy, shows the
// message and the offer; true when the notice asks the program to end.
bool showNotice(Program &program, const QString &temporary) {
    Host &host = program.host();
    QString line;
    {
        const RemoveOnExit removal(temporary);
        if (QFileInfo(temporary).size() > kNoticeLimitBytes || !lastLine(temporary, line))
            return false;
    }
    const QStringList fields = line.split(QLatin1Char(','));
    // A line without a comma is no notice.
    if (fields.size() < 2)
        return false;
    const QString answer = fields[0].trimmed().toUpper();
    const QString text = fields[1].trimmed();
    const QString page = Download_Page(program);
    const QString title = program.captions[98];
    if (host.MsgBox(text + QStringLiteral("\r\n\r\n") + program.captions[18], vb::vbYesNo, title) ==
        vb::vbYes)
        modMain::Open_Address(program, page);
    else
        host.MsgBox(program.captions[68] + QLatin1Char(' ') + page, vb::vbOKOnly, title);
    return answer == QLatin1String("YES");
}

} // namespace

void Start_Check_For_Update(Program &program, QObject *context,
                            std::function<void(bool endProgram)> done) {
    Host &host = program.host();
    QString temporary, address;
    try {
        temporary = Temporary_Notice_Path(program, host.Now());
        address = Notice_Address(program);
    } catch (...) {
        QTimer::singleShot(0, context, [done] { done(false); });
        return;
    }
    // Whatever has the name, the download makes the file anew.
    QFile::remove(temporary);
    host.StartDownload(address, temporary, kNoticeLimitBytes, context,
                       [&program, temporary, done](bool downloaded) {
                           bool end = false;
                           try {
                               end = downloaded && showNotice(program, temporary);
                           } catch (...) {
                               end = false;
                           }
                           QFile::remove(temporary);
                           done(end);
                       });
}

} // namespace updateCheck
