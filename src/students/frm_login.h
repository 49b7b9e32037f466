// The login window: lists the students of the student database, checks the
// password and announces a successful login; whoever assembles the windows
// decides what happens then. New and edited students come back from the
// profile editor as values, so the list is never read again after an edit.
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
namespace classData {
class ClassLink;
struct SyncStatus;
}

class frmLogin : public QWidget {
    Q_OBJECT
public:
    explicit frmLogin(Program &program, QWidget *parent = nullptr);
    ~frmLogin() override;

    void Form_Load();
    // With a class server named: the list asks it for the class when the
    // window loads, and shows the students that came from it (the list is
    // read again, the selection kept).
    void Set_Class_Link(classData::ClassLink *link);
    // False until a login succeeded; closing the window without one ends the program.
    bool LoginSucceeded = false;

    void btnLogin_Click(int index);
    void ListView1_Click();
    void btnNull_Click();

    // The students as listed; the administrator is the first student of the
    // database, whatever the list's order.
    const QVector<Student> &Students() const { return m_students; }
    // The selected student, or nullptr when nothing is selected.
    const Student *Selected_Student() const;
    bool Is_Administrator(const Student &student) const {
        return m_administratorId != 0 && student.id == m_administratorId;
    }

    // --- controls ---
    QLabel *lblInstructions;
    QTreeWidget *ListView1;
    QLabel *lblPassword;
    QLineEdit *txtPassword;
    QPushButton *btnLogin[3];
    QPushButton *btnNull;
    ImageList ImageList1;

signals:
    // A student logged in; the window closes right after.
    void LoggedIn(const Student &student, bool administrator);
    // The window was closed without a login.
    void ClosedWithoutLogin();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Load_Students();
    void classSynced(const classData::SyncStatus &status);
    // Reads the list again when students came from the server, unless a
    // window over this one (the profile editor) is open.
    void reloadIfWanted();
    void Log_In();
    void New_Student();
    void Edit_Student();
    // The password check shared by Login and Edit: false after the caption 39 message.
    bool Password_Accepted();
    // Shows a student in an item of the list (text, face, administrator in bold).
    void showStudent(QTreeWidgetItem &item, const Student &student);
    QTreeWidgetItem *itemOf(qint64 id) const;
    void setPasswordVisible(bool visible);
    // Shows or hides the password box for the selected student; false when
    // nothing is selected.
    bool showPasswordBox();

    Program &m_program;
    classData::ClassLink *m_link = nullptr;
    bool m_reloadWanted = false; // students came from the server while a window was open
    QPixmap m_background;
    QVector<Student> m_students;
    qint64 m_administratorId = 0;
};
