// The student profile editor: creates a student or changes one, writes
// tblUsers, and gives the saved student back to the window that opened it.
#pragma once

#include "platform/image_list.h"
#include "students/student_database.h"

#include <QDialog>
#include <QPixmap>
#include <QVector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class Program;

class frmNewUser : public QDialog {
    Q_OBJECT
public:
    enum class Mode { New, Edit };

    // student: the one to edit (Edit) or ignored (New); others: every student
    // listed, to refuse a name that is taken.
    frmNewUser(Program &program, Mode mode, const Student &student, QVector<Student> others,
               QWidget *parent = nullptr);

    void Form_Load();
    void chkPassword_Click();
    void btnEdit_Click(int index);

    // Selects icon face n (1..40) in imageCombo1; other numbers keep face 1.
    void Select_Icon(int face);
    // The chosen icon face, 1..40.
    int Selected_Icon() const;
    Mode EditMode() const { return m_mode; }

    // True once OK saved the student; Saved_Student() is then what the
    // database holds (with the key it gave a new student).
    bool Saved() const { return m_saved; }
    const Student &Saved_Student() const { return m_student; }

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
    Mode m_mode;
    Student m_student;
    QVector<Student> m_others;
    bool m_saved = false;
    QPixmap m_background;
};
