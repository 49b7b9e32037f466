// The administrator names the class server here: host, port, database, user
// and password, with a button that tries them and says plainly what it
// found. OK stores them with the build's other settings; an empty host turns
// the class server off.
#pragma once

#include "class_data/class_server.h"

#include <QDialog>
#include <QPixmap>

#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class Program;

namespace classData {
class ClassLink;
}

class frmClassServer : public QDialog {
    Q_OBJECT
public:
    explicit frmClassServer(Program &program, QWidget *parent = nullptr);
    ~frmClassServer() override;

    // The settings as the boxes hold them.
    classData::ServerSettings Settings() const;
    // Tries the boxes' settings off the window's thread; the answer comes in
    // lblAnswer (and the signal).
    void btnTest_Click();
    void btnOK_Click();
    bool Saved() const { return m_saved; }

    QLineEdit *txtHost;
    QSpinBox *spnPort;
    QLineEdit *txtDatabase;
    QLineEdit *txtUser;
    QLineEdit *txtPassword;
    QPushButton *btnTest;
    QLabel *lblAnswer;
    QPushButton *btnOK;
    QPushButton *btnCancel;

signals:
    void Tested(bool ok, const QString &message);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Program &m_program;
    std::unique_ptr<classData::ClassLink> m_tester;
    bool m_saved = false;
    QPixmap m_background;
};
