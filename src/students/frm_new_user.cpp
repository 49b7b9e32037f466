#include "students/frm_new_user.h"

#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/twips.h"
#include "shell/qt_button_sounds.h"
#include "shell/qt_window_placement.h"
#include "shell/tiled_background.h"
#include "students/frm_login.h"
#include "students/student_database.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>

namespace {
constexpr int kFaceCount = 40;
} // namespace

frmNewUser::frmNewUser(Program &program, frmLogin &login, QWidget *parent)
    : QDialog(parent), m_program(program), m_login(login),
      m_background(QStringLiteral(":/tiles/background.png")) {
    setObjectName(QStringLiteral("frmNewUser"));
    setWindowTitle(QStringLiteral("New User Profile"));
    setFixedSize(TwipsToPixels(5040), TwipsToPixels(4200));

    auto label = [this](const char *name, const QString &text, int top) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        PlaceTwips(*l, 240, top, 1560, 315);
        return l;
    };
    auto textBox = [this](const char *name, int top, bool secret) {
        auto *t = new QLineEdit(this);
        t->setObjectName(QLatin1String(name));
        if (secret)
            t->setEchoMode(QLineEdit::Password);
        // Every typed character shows as "*".
        t->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
        PlaceTwips(*t, 1920, top, 2880, 315);
        return t;
    };

    lblfirst = label("lblfirst", QStringLiteral("First name:"), 240);
    txtFirst = textBox("txtFirst", 240, false);
    lblLast = label("lblLast", QStringLiteral("Last name:"), 660);
    txtLast = textBox("txtLast", 660, false);
    lblIcon = label("lblIcon", QStringLiteral("Icon face:"), 1200);
    imageCombo1 = new QComboBox(this);
    imageCombo1->setObjectName(QStringLiteral("imageCombo1"));
    imageCombo1->setIconSize(QSize(32, 32));
    PlaceTwips(*imageCombo1, 1920, 1080, 1320, 600);
    chkPassword = new QCheckBox(QStringLiteral("Use Password:"), this);
    chkPassword->setObjectName(QStringLiteral("chkPassword"));
    PlaceTwips(*chkPassword, 240, 1860, 3600, 315);
    lblTypePass = label("lblTypePass", QStringLiteral("Type Password"), 2280);
    txtPassword = textBox("txtPassword", 2280, true);
    lblRetypePass = label("lblRetypePass", QStringLiteral("Re-type Password"), 2700);
    txtPassword2 = textBox("txtPassword2", 2700, true);

    const char *names[2] = {"btnEdit0", "btnEdit1"};
    for (int i = 0; i < 2; ++i) {
        btnEdit[i] =
            new QPushButton(i == 0 ? QStringLiteral("OK") : QStringLiteral("Cancel"), this);
        btnEdit[i]->setObjectName(QLatin1String(names[i]));
        PlaceTwips(*btnEdit[i], 1200 + i * 1560, 3360, 1440, 420);
        AddClickSound(m_program, *btnEdit[i]);
        connect(btnEdit[i], &QPushButton::clicked, this, [this, i] { btnEdit_Click(i); });
    }
    btnEdit[0]->setDefault(true);
    connect(chkPassword, &QCheckBox::toggled, this, [this] { chkPassword_Click(); });

    Form_Load();
}

void frmNewUser::Form_Load() {
    const Captions &c = m_program.captions;
    setWindowTitle(c[30]);
    lblfirst->setText(c[31]);
    lblLast->setText(c[32]);
    lblIcon->setText(c[33]);
    btnEdit[1]->setText(c[9]);
    chkPassword->setText(c[35]);
    lblTypePass->setText(c[37]);
    lblRetypePass->setText(c[38]);
    ImageList1.Clear();
    imageCombo1->clear();
    for (int n = 1; n <= kFaceCount; ++n) {
        ImageList1.Add(QPixmap(QStringLiteral(":/faces/%1.png").arg(100 + n)));
        imageCombo1->addItem(ImageList1.Icon(n), QString(), n);
    }
    imageCombo1->setCurrentIndex(0);
    // The password boxes appear only while the box is ticked.
    chkPassword_Click();
}

void frmNewUser::Select_Icon(int face) {
    if (face >= 1 && face <= imageCombo1->count())
        imageCombo1->setCurrentIndex(face - 1);
}

int frmNewUser::Selected_Icon() const {
    return imageCombo1->currentIndex() + 1;
}

bool frmNewUser::Is_Edit_Mode() const {
    return btnEdit[0]->text() == m_program.captions[44];
}

void frmNewUser::chkPassword_Click() {
    txtPassword->clear();
    txtPassword2->clear();
    const bool ticked = chkPassword->isChecked();
    for (QWidget *w : {static_cast<QWidget *>(txtPassword), static_cast<QWidget *>(txtPassword2),
                       static_cast<QWidget *>(lblTypePass), static_cast<QWidget *>(lblRetypePass)})
        w->setVisible(ticked);
    if (ticked)
        txtPassword->setFocus();
}

void frmNewUser::btnEdit_Click(int index) {
    if (index == 1)
        close();
    else
        Save();
}

void frmNewUser::Save() {
    const QString first = txtFirst->text().trimmed();
    const QString last = txtLast->text().trimmed();
    if (first.isEmpty()) {
        txtFirst->setFocus();
        return;
    }
    if (last.isEmpty()) {
        txtLast->setFocus();
        return;
    }
    const bool usePassword = chkPassword->isChecked();
    if (usePassword) {
        if (txtPassword->text().trimmed().isEmpty()) {
            txtPassword->setFocus();
            return;
        }
        if (txtPassword2->text().trimmed().isEmpty()) {
            txtPassword2->setFocus();
            return;
        }
        // Exactly as typed: a slip of the Shift key is caught here, although
        // the login later ignores case.
        if (txtPassword->text() != txtPassword2->text()) {
            m_program.windows().ShowMessage(m_program.captions[36], 0);
            return;
        }
    }

    Student student;
    student.firstName = first;
    student.lastName = last;
    student.password = txtPassword->text().trimmed();
    student.icon = Selected_Icon();
    StudentProfile profile{first, last, std::nullopt, student.icon};
    const StudentDatabase database(m_program.usersPath());

    if (!Is_Edit_Mode()) {
        if (students::Is_Duplicate_Name(m_login.Listed_Names(), student.DisplayName())) {
            m_program.windows().ShowMessage(m_program.captions[42], 0);
            return;
        }
        if (usePassword)
            profile.password = student.password;
        try {
            student.id = database.Add(profile);
        } catch (const std::exception &e) {
            // Nothing was added: the editor stays open with what was typed.
            modMain::Show_Error(m_program, QStringLiteral("btnEdit_Click"),
                                QString::fromUtf8(e.what()));
            return;
        }
        m_login.Set_Sorted(false);
        QTreeWidgetItem *item = m_login.Add_Student_Item(student);
        if (m_login.ListView1->topLevelItemCount() == 1) {
            m_program.windows().ShowMessage(m_program.captions[43], 10);
            QFont font = item->font(0);
            font.setBold(true);
            item->setFont(0, font);
        }
        m_login.Set_Sorted(true);
        // The student just created is the one who logs in next.
        m_login.ListView1->setCurrentItem(item);
    } else {
        const qint64 id = m_login.Selected_Student().id;
        student.id = id;
        profile.password = student.password;
        try {
            database.Update(id, profile);
        } catch (const std::exception &e) {
            modMain::Show_Error(m_program, QStringLiteral("btnEdit_Click"),
                                QString::fromUtf8(e.what()));
            return;
        }
        m_login.Update_Selected_Item(student);
        if (!student.password.isEmpty()) {
            m_login.Set_Password_Visible(true);
        } else {
            m_login.txtPassword->clear();
            m_login.Set_Password_Visible(false);
        }
        m_login.Set_Sorted(true);
    }
    if (!usePassword)
        m_login.Set_Password_Visible(false);
    close();
}

void frmNewUser::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    try {
        tiling::TileBackground(painter, size(), m_background);
    } catch (const std::exception &) {
        // Without its picture the window keeps its plain colour.
    }
}

void frmNewUser::showEvent(QShowEvent *event) {
    // Over the login window that opened it.
    CenterWindow(*this, parentWidget());
    QDialog::showEvent(event);
}
