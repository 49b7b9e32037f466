#include "shell/shell_notices.h"

#include "frame/program.h"
#include "platform/host.h"
#include "platform/qt_window_enabled.h"
#include "shell/frm_msg_box.h"
#include "shell/frm_splash.h"

#include <QLabel>

ShellNotices::ShellNotices(Program &program, QWidget &mainWindow)
    : m_program(program), m_main(mainWindow) {}

ShellNotices::~ShellNotices() = default;

frmMsgBox &ShellNotices::msgBox() {
    if (!m_msgBox)
        m_msgBox = std::make_unique<frmMsgBox>(&m_main);
    return *m_msgBox;
}

bool ShellNotices::SplashVisible() {
    return m_splash && m_splash->isVisible();
}

void ShellNotices::SplashPrepend(const QString &line) {
    if (m_splash)
        m_splash->Prepend(line);
}

void ShellNotices::SplashSetStatus(const QString &text) {
    if (m_splash)
        m_splash->SetStatus(text);
}

void ShellNotices::ShowNotice(const QString &caption, const QString &text, int heightTwips,
                              int fontSize) {
    // Each use starts from the design state of the window.
    m_msgBox.reset();
    frmMsgBox &box = msgBox();
    box.setWindowTitle(caption.isEmpty() ? m_program.identity.productTitle : caption);
    box.SetHeightTwips(heightTwips);
    box.SetMessage(text, fontSize);
    box.setModal(false);
    box.show();
    m_program.host().DoEvents();
}

bool ShellNotices::NoticeVisible() {
    return m_msgBox && m_msgBox->isVisible();
}

void ShellNotices::SetNoticeText(const QString &text) {
    if (m_msgBox)
        m_msgBox->lblMsg->setText(text);
}

void ShellNotices::UnloadNotice() {
    m_msgBox.reset();
}

void ShellNotices::ShowMessage(const QString &text, int fontSize) {
    m_msgBox.reset();
    frmMsgBox &box = msgBox();
    box.setWindowTitle(m_program.identity.productTitle);
    box.SetMessage(text, fontSize);
    m_program.host().ShowModal(box);
    m_msgBox.reset();
}

void ShellNotices::SetMainEnabled(bool enabled) {
    SetWindowEnabled(m_main, enabled);
}
