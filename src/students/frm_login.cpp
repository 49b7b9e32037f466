#include "students/frm_login.h"

#include "frame/frm_main.h"

frmLogin::frmLogin(Program &program, frmMain &main, QWidget *parent)
    : QDialog(parent), m_program(program), m_main(main)
{
    (void)m_program;
    (void)m_main;
    setObjectName(QStringLiteral("frmLogin"));
}

void frmLogin::Form_Load()
{
    LoginSucceeded = false;
}
