// Tolvanex: starts the main window of this language build.
#include "frame/program.h"
#include "platform/exit_signals.h"
#include "platform/qt_host.h"
#include "shell/application_setup.h"
#include "shell/frm_main.h"
#include "students/frm_login.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

#include <cstdio>

namespace {

// TVX_REPORT_FIRST_PAINT=1: once the login window has first been painted,
// the program prints "tvx-first-paint <ms>" on its standard output, the
// milliseconds it spent in its waits (the start's one-second wait), and ends
// as closing the window ends it; tvx-bench times a whole start by it.
class FirstPaintReport : public QObject {
public:
    FirstPaintReport(frmMain &main, const QtHost &host) : m_main(main), m_host(host) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (!m_seen && event->type() == QEvent::Paint && qobject_cast<frmLogin *>(watched)) {
            m_seen = true;
            // After the paint has reached the screen.
            QTimer::singleShot(0, &m_main, [this] {
                std::printf("tvx-first-paint %lld\n",
                            static_cast<long long>(m_host.WaitedMilliseconds()));
                std::fflush(stdout);
                m_main.Form_Unload();
            });
        }
        return false;
    }

private:
    frmMain &m_main;
    const QtHost &m_host;
    bool m_seen = false;
};

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    SetUpApplication(app);
    QApplication::setOrganizationName(QStringLiteral("Tolvanex"));
    // Every drawn size, so title bars and task bars stay sharp at any scale.
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/app/icons/%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    // Windows close and reopen during a run (login, change of user); only
    // the program's own end stops it.
    QApplication::setQuitOnLastWindowClosed(false);

    QtHost host;
    ProgramSettings settings;
    settings.rowSet = TVX_ROW_SET;
    settings.versionMajor = TVX_VERSION_MAJOR;
    settings.versionMinor = TVX_VERSION_MINOR;
    settings.versionRevision = TVX_VERSION_REVISION;
    Program program(host, settings);
    program.onEnd = [](int code) { QCoreApplication::exit(code); };

    // A logout, kill or Ctrl+C ends the program as closing its window does,
    // whichever window (login, a dialog) is up at the time.
    ExitSignals exitSignals;
    frmMain main(program);
    QObject::connect(&exitSignals, &ExitSignals::Received, &main, &frmMain::Form_Unload);
    FirstPaintReport firstPaint(main, host);
    if (qEnvironmentVariableIntValue("TVX_REPORT_FIRST_PAINT") == 1)
        app.installEventFilter(&firstPaint);
    main.Form_Load();
    if (program.ended)
        return program.exitCode;
    // TVX_EXIT_AFTER_STARTUP=1 ends the program once its start-up has run (the
    // login window is up), for checks of an installation without a person.
    if (qEnvironmentVariableIntValue("TVX_EXIT_AFTER_STARTUP") == 1)
        return program.exitCode;
    // The main window appears once a student has logged in.
    if (!main.loginWindow() || !main.loginWindow()->isVisible())
        main.show();
    exitSignals.Unblock();
    return app.exec();
}
