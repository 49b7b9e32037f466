#include "students/frm_new_user.h"

#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/pictures.h"
#include "platform/qt_button_sounds.h"
#include "platform/qt_window_placement.h"
#include "platform/tiled_background.h"
#include "platform/twips.h"
#include "students/student_database.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <utility>

namespace {
constexpr int kFaceCount = 40;
} // namespace

frmNewUser::frmNewUser(Program &program, Mode mode, const Student &student, QVector<Student> others,
                       QWidget *parent)
    : QDialog(parent), m_program(program), m_mode(mode), m_student(student),
      m_others(std::move(others)),
      m_background(LoadPicture(QStringLiteral(":/tiles/background.png"))) {
    setObjectName(QStringLiteral("frmNewUser"));
    setWindowTitle(QStringLiteral("New User Profile"));
    setFixedSize(TwipsToPixels(5040), TwipsToPixels(4200));

    auto label = [this](const char *name, const QString &text, int top) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        // Wide enough for the longest label in either learner language.
        PlaceTwips(*l, 240, top, 2220, 315);
        return l;
    };
    auto textBox = [this](const char *name, int top, bool secret) {
        auto *t = new QLineEdit(this);
        t->setObjectName(QLatin1String(name));
        if (secret)
            t->setEchoMode(QLineEdit::Password);
        // Every typed character shows as "*".
        t->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
        PlaceTwips(*t, 2520, top, 2280, 315);
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
    PlaceTwips(*imageCombo1, 2520, 1080, 1320, 600);
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
        AddClickSound(*btnEdit[i], modMain::Button_Click(m_program));
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
    // Each box is named by its label, for screen readers and for Alt keys.
    const std::pair<QLabel *, QWidget *> labelled[] = {{lblfirst, txtFirst},
                                                       {lblLast, txtLast},
                                                       {lblIcon, imageCombo1},
                                                       {lblTypePass, txtPassword},
                                                       {lblRetypePass, txtPassword2}};
    for (const auto &[label, box] : labelled) {
        label->setBuddy(box);
        box->setAccessibleName(label->text());
    }
    ImageList1.Clear();
    imageCombo1->clear();
    for (int n = 1; n <= kFaceCount; ++n) {
        ImageList1.Add(LoadPicture(QStringLiteral(":/faces/%1.png").arg(100 + n)));
        imageCombo1->addItem(ImageList1.Icon(n), QString(), n);
        // The faces show no words; screen readers name them.
        imageCombo1->setItemData(n - 1, students::Face_Name(n), Qt::AccessibleTextRole);
    }
    imageCombo1->setCurrentIndex(0);
    // The password boxes appear only while the box is ticked.
    chkPassword_Click();
    if (m_mode == Mode::New) {
        btnEdit[0]->setText(c[8]);
        return;
    }
    btnEdit[0]->setText(c[44]);
    setWindowTitle(c[45]);
    txtFirst->setText(m_student.firstName);
    txtLast->setText(m_student.lastName);
    Select_Icon(m_student.icon);
    if (!m_student.password.isEmpty()) {
        // Ticking empties both boxes, so they are filled afterwards.
        chkPassword->setChecked(true);
        txtPassword->setText(m_student.password);
        txtPassword2->setText(m_student.password);
    }
}

void frmNewUser::Select_Icon(int face) {
    if (face >= 1 && face <= imageCombo1->count())
        imageCombo1->setCurrentIndex(face - 1);
}

int frmNewUser::Selected_Icon() const {
    return imageCombo1->currentIndex() + 1;
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
    // A pasted line break would split the name in the study file, and the
    // scores recorded under it would not be found again.
    for (const auto &[name, box] : {std::pair{first, txtFirst}, std::pair{last, txtLast}}) {
        if (students::Has_Line_Break(name)) {
            m_program.windows().ShowMessage(m_program.captions[caption::NameWithLineBreak], 0);
            box->setFocus();
            return;
        }
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

    Student student = m_student;
    student.firstName = first;
    student.lastName = last;
    student.password = usePassword ? txtPassword->text().trimmed() : QString();
    student.icon = Selected_Icon();
    StudentProfile profile{first, last, std::nullopt, student.icon};
    // A new student without a password keeps the template's default;
    // an edit always writes what the boxes say.
    if (usePassword || m_mode == Mode::Edit)
        profile.password = student.password;
    const StudentDatabase database(m_program.usersPath(), m_program.captions);

    if (m_mode == Mode::New) {
        if (students::Is_Duplicate_Name(m_others, student.DisplayName())) {
            m_program.windows().ShowMessage(m_program.captions[42], 0);
            return;
        }
    }
    try {
        if (m_mode == Mode::New)
            student.id = database.Add(profile);
        else
            database.Update(student.id, profile);
    } catch (const std::exception &e) {
        // Nothing was written: the editor stays open with what was typed.
        modMain::Show_Error(m_program, QStringLiteral("btnEdit_Click"), e);
        return;
    }
    m_student = student;
    m_saved = true;
    // The very first student is told they are the administrator.
    if (m_mode == Mode::New && m_others.isEmpty())
        m_program.windows().ShowMessage(m_program.captions[43], 10);
    accept();
}

void frmNewUser::paintEvent(QPaintEvent *) {
    tiling::PaintWindowBackground(*this, m_background);
}

void frmNewUser::showEvent(QShowEvent *event) {
    // Over the login window that opened it.
    CenterWindow(*this, parentWidget());
    QDialog::showEvent(event);
}
