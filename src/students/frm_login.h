// The login window: lists the students, checks the password, and shows the
// main window for the student who logs in.
#pragma once

#include <QDialog>

class Program;
class frmMain;

class frmLogin : public QDialog {
    Q_OBJECT
public:
    frmLogin(Program &program, frmMain &main, QWidget *parent = nullptr);

    void Form_Load();
    bool LoginSucceeded = false;

private:
    Program &m_program;
    frmMain &m_main;
};
