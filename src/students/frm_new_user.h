// The student profile editor: creates a student or changes the selected
// one, writes tblUsers, and keeps the login window's list in step so that
// the list is never read again after an edit. It is in edit mode exactly when
// its OK button carries the Edit caption.
#pragma once

#include "platform/image_list.h"

#include <QDialog>
#include <QPixmap>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class Program;
class frmLogin;

class frmNewUser : public QDialog {
    Q_OBJECT
public:
    frmNewUser(Program &program, frmLogin &login, QWidget *parent = nullptr);

    void Form_Load();
    void chkPassword_Click();
    void btnEdit_Click(int index);

    // Selects icon face n (1..40) in imageCombo1; other numbers keep face 1.
    void Select_Icon(int face);
    // The chosen icon face, 1..40.
    int Selected_Icon() const;
    bool Is_Edit_Mode() const;

    // --- controls ---
    QLabel *lblfirst;
    QLineEdit *txtFirst;
    QLabel *lblLast;
    QLineEdit *txtLast;
    QLabel *lblIcon;
    QComboBox *imageCombo1;
    ImageList ImageList1;
    QCheckBox *chkPassword;
    QLabel *lblTypePass;
    QLineEdit *txtPassword;
    QLabel *lblRetypePass;
    QLineEdit *txtPassword2;
    QPushButton *btnEdit[2];

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void Save();

    Program &m_program;
    frmLogin &m_login;
    QPixmap m_background;
};
