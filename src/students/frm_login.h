// The login window: lists the students, checks the password, and shows the
// main window for the student who logs in. New and edited students come back
// from the profile editor through the list procedures below, so the list
// never has to be read again after an edit.
#pragma once

#include "platform/image_list.h"
#include "students/student_database.h"

#include <QPixmap>
#include <QVector>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class Program;
class frmMain;

class frmLogin : public QWidget {
    Q_OBJECT
public:
    frmLogin(Program &program, frmMain &main, QWidget *parent = nullptr);
    ~frmLogin() override;

    void Form_Load();
    // False until a login succeeded; closing the window without one ends the program.
    bool LoginSucceeded = false;

    void btnLogin_Click(int index);
    void ListView1_Click();
    void btnNull_Click();

    // --- used by the profile editor ---
    // Adds a student's item at the end with sorting off; the caller sorts.
    QTreeWidgetItem *Add_Student_Item(const Student &student);
    // The selected item's student as the list holds it (sub-items 1 to 5).
    Student Selected_Student() const;
    void Update_Selected_Item(const Student &student);
    // The stored first and last names of every listed student.
    QVector<QPair<QString, QString>> Listed_Names() const;
    void Set_Sorted(bool sorted);
    void Set_Password_Visible(bool visible);

    // Sub-item columns of ListView1 (column 0 is the display name).
    enum SubItem { ID = 1, First = 2, Last = 3, Password = 4, Icon = 5 };

    // --- controls ---
    QLabel *lblInstructions;
    QTreeWidget *ListView1;
    QLabel *lblPassword;
    QLineEdit *txtPassword;
    QPushButton *btnLogin[3];
    QPushButton *btnNull;
    ImageList ImageList1;

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Load_Students();
    void Log_In();
    void Edit_Student();
    // The password check shared by Login and Edit: false after the caption 39 message.
    bool Password_Accepted();

    Program &m_program;
    frmMain &m_main;
    QPixmap m_background;
};
