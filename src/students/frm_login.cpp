#include "students/frm_login.h"

#include "class_data/class_link.h"
#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/host.h"
#include "platform/qt_accessibility.h"
#include "platform/pictures.h"
#include "platform/qt_button_sounds.h"
#include "platform/qt_window_placement.h"
#include "platform/tiled_background.h"
#include "platform/twips.h"
#include "students/frm_new_user.h"
#include "students/pending_scores.h"
#include "study_data/study_results.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace {

constexpr int kFaceCount = 40;

// Students are listed in alphabetical order of their display names, the way
// people look for their own name: without regard to case.
class StudentItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem &other) const override {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        return QString::localeAwareCompare(text(column).toLower(), other.text(column).toLower()) <
               0;
    }
};

// Each item names its student by key; the students themselves live in the
// window's list of values.
constexpr int kStudentIdRole = Qt::UserRole;

} // namespace

frmLogin::frmLogin(Program &program, QWidget *parent)
    : QWidget(parent, Qt::Window), m_program(program),
      m_background(LoadPicture(QStringLiteral(":/tiles/background.png"))) {
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("Login"));
    setFixedSize(TwipsToPixels(5400), TwipsToPixels(5760));
    // It asks and answers like a dialog, though it is the program's first window.
    SetAccessibleRole(*this, QAccessible::Dialog);

    lblInstructions = new QLabel(
        QStringLiteral("Select your name from the list below or create a new user:"), this);
    lblInstructions->setObjectName(QStringLiteral("lblInstructions"));
    lblInstructions->setWordWrap(true);
    PlaceTwips(*lblInstructions, 240, 180, 4920, 495);

    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setColumnCount(1);
    ListView1->setHeaderHidden(true);
    ListView1->setRootIsDecorated(false);
    ListView1->setIconSize(QSize(32, 32));
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setSortingEnabled(true);
    ListView1->sortItems(0, Qt::AscendingOrder);
    PlaceTwips(*ListView1, 240, 780, 4920, 3120);

    lblPassword = new QLabel(QStringLiteral("Enter Password"), this);
    lblPassword->setObjectName(QStringLiteral("lblPassword"));
    PlaceTwips(*lblPassword, 240, 4020, 2760, 255);
    txtPassword = new QLineEdit(this);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->setEchoMode(QLineEdit::Password);
    // Every typed character shows as "*".
    txtPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    PlaceTwips(*txtPassword, 240, 4290, 2760, 315);

    const char *names[3] = {"btnLogin0", "btnLogin1", "btnLogin2"};
    const QString texts[3] = {QStringLiteral("&Login"), QStringLiteral("New"),
                              QStringLiteral("Edit")};
    for (int i = 0; i < 3; ++i) {
        btnLogin[i] = new QPushButton(texts[i], this);
        btnLogin[i]->setObjectName(QLatin1String(names[i]));
        // As on the desktop this program comes from, Enter presses the
        // focused button.
        btnLogin[i]->setAutoDefault(true);
        PlaceTwips(*btnLogin[i], 240 + i * 1680, 4860, 1560, 480);
        AddClickSound(*btnLogin[i], modMain::Button_Click(m_program));
        connect(btnLogin[i], &QPushButton::clicked, this, [this, i] { btnLogin_Click(i); });
    }

    // Holds the focus when the selected student needs no password, so that
    // Enter logs in; it sits outside the visible area.
    btnNull = new QPushButton(this);
    btnNull->setObjectName(QStringLiteral("btnNull"));
    btnNull->setAutoDefault(true);
    btnNull->setFlat(true);
    // Out of the Tab order: it only takes the focus when the window gives it.
    btnNull->setFocusPolicy(Qt::ClickFocus);
    PlaceTwips(*btnNull, -600, -600, 150, 150);
    // Screen readers learn that it cannot be seen.
    SetAccessibleRole(*btnNull, QAccessible::PushButton);
    // While it holds the focus, the login button looks like the default
    // button: what Enter presses then.
    btnNull->installEventFilter(this);
    connect(btnNull, &QPushButton::clicked, this, &frmLogin::btnNull_Click);

    connect(txtPassword, &QLineEdit::returnPressed, this, [this] { btnLogin_Click(0); });
    connect(ListView1, &QTreeWidget::itemClicked, this, [this] { ListView1_Click(); });
    // Moving through the list with the keys must show or hide the password
    // box just as a click does, but the focus stays in the list so that the
    // arrows go on working; Enter there then logs in (or asks for the
    // password).
    connect(ListView1, &QTreeWidget::currentItemChanged, this, [this] {
        if (ListView1->hasFocus())
            showPasswordBox();
        else
            ListView1_Click();
    });
    ListView1->installEventFilter(this);
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this, [this] { btnLogin_Click(0); });
}

frmLogin::~frmLogin() = default;

void frmLogin::Form_Load() {
    try {
        update();
        LoginSucceeded = false;
        ImageList1.Clear();
        for (int n = 1; n <= kFaceCount; ++n)
            ImageList1.Add(LoadPicture(QStringLiteral(":/faces/%1.png").arg(100 + n)));
        Load_Students();
        if (m_program.ended)
            return;
        const Captions &c = m_program.captions;
        setWindowTitle(c[29] + QLatin1Char(' ') + m_program.identity.productTitle);
        lblInstructions->setText(c[26]);
        lblPassword->setText(c[37]);
        // Screen readers name the list and the box by what the window says of them.
        ListView1->setAccessibleName(c[26]);
        txtPassword->setAccessibleName(c[37]);
        btnNull->setAccessibleName(c[28]);
        lblPassword->setBuddy(txtPassword);
        btnLogin[0]->setText(c[28]);
        btnLogin[1]->setText(c[27]);
        btnLogin[2]->setText(c[44]);
        if (ListView1->topLevelItemCount() > 0) {
            ListView1_Click();
        } else {
            lblPassword->hide();
            txtPassword->hide();
        }
        // The class's students, when the server answers; the list is usable
        // meanwhile.
        if (m_link)
            m_link->Request_Sync();
    } catch (const std::exception &e) {
        m_program.host().MsgBox(modMain::Safe_Caption(m_program, 149) + QStringLiteral("\r\n\r\n") +
                                    QStringLiteral("FrmLogin_Load: ") + QString::fromUtf8(e.what()),
                                vb::vbCritical, windowTitle());
        m_program.End(1);
    }
}

void frmLogin::Set_Class_Link(classData::ClassLink *link) {
    m_link = link;
    if (link)
        connect(link, &classData::ClassLink::Synced, this,
                [this](const classData::SyncStatus &status) { classSynced(status); });
}

void frmLogin::classSynced(const classData::SyncStatus &status) {
    if (m_program.ended)
        return;
    m_reloadWanted = m_reloadWanted || status.studentsPulled > 0;
    reloadIfWanted();
}

void frmLogin::reloadIfWanted() {
    // Not under the profile editor's feet: after it has closed.
    if (!m_reloadWanted || QApplication::activeModalWidget() || m_program.ended)
        return;
    m_reloadWanted = false;
    const Student *selected = Selected_Student();
    const qint64 keep = selected ? selected->id : 0;
    const QString typed = txtPassword->text();
    Load_Students();
    if (QTreeWidgetItem *item = keep ? itemOf(keep) : nullptr)
        ListView1->setCurrentItem(item);
    showPasswordBox();
    txtPassword->setText(typed);
}

void frmLogin::Load_Students() {
    const QSignalBlocker blocker(ListView1);
    ListView1->clear();
    m_students.clear();
    m_administratorId = 0;
    const QString path = m_program.usersPath();
    const StudentDatabase database(path, m_program.captions);
    try {
        // A new database starts empty: nothing to read in this pass.
        if (database.Create_From_Template(m_program.templatePath()))
            return;
    } catch (const std::exception &e) {
        m_program.host().MsgBox(QString::fromUtf8(e.what()) + QStringLiteral("\r\n\r\n") +
                                modMain::Safe_Caption(m_program, 88) + QStringLiteral("\r\n") +
                                QDir::toNativeSeparators(path));
        m_program.End(1);
        return;
    }
    // Scores an activity kept because this file was locked when its game ended.
    scores::Write_Pending_Scores(path);
    // A database from before the per-phrase results gets their tables, so
    // that activities find where to write them.
    studyResults::Ensure_Tables(path);
    try {
        m_students = database.Students();
    } catch (const std::exception &e) {
        // The file stays where it is: it holds every student and score, and
        // may well be repaired. The message says where to find it.
        m_program.host().MsgBox(modMain::Safe_Caption(m_program, 40) +
                                QStringLiteral(" Error#001 ") + QString::fromUtf8(e.what()) +
                                QStringLiteral("\r\n\r\n") + QDir::toNativeSeparators(path) +
                                QStringLiteral("\r\n\r\n") + m_program.identity.productTitle +
                                QLatin1Char(' ') + modMain::Safe_Caption(m_program, 41));
        m_program.End(1);
        return;
    }
    // The first student ever created is the administrator.
    if (!m_students.isEmpty())
        m_administratorId = m_students.first().id;
    ListView1->setSortingEnabled(false);
    for (const Student &student : std::as_const(m_students))
        showStudent(*new StudentItem(ListView1), student);
    ListView1->setSortingEnabled(true);
    ListView1->sortItems(0, Qt::AscendingOrder);
    if (ListView1->topLevelItemCount() > 0)
        ListView1->setCurrentItem(ListView1->topLevelItem(0));
}

void frmLogin::showStudent(QTreeWidgetItem &item, const Student &student) {
    item.setText(0, student.DisplayName());
    item.setIcon(0, student.icon >= 1 && student.icon <= ImageList1.Count()
                        ? ImageList1.Icon(student.icon)
                        : QIcon());
    item.setData(0, kStudentIdRole, student.id);
    item.setData(0, Qt::AccessibleDescriptionRole,
                 student.icon >= 1 && student.icon <= ImageList1.Count()
                     ? students::Face_Name(student.icon)
                     : QString());
    QFont font = item.font(0);
    font.setBold(Is_Administrator(student));
    item.setFont(0, font);
}

QTreeWidgetItem *frmLogin::itemOf(qint64 id) const {
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = ListView1->topLevelItem(i);
        if (item->data(0, kStudentIdRole).toLongLong() == id)
            return item;
    }
    return nullptr;
}

const Student *frmLogin::Selected_Student() const {
    const QTreeWidgetItem *item = ListView1->currentItem();
    if (!item)
        return nullptr;
    const qint64 id = item->data(0, kStudentIdRole).toLongLong();
    for (const Student &student : m_students)
        if (student.id == id)
            return &student;
    return nullptr;
}

void frmLogin::setPasswordVisible(bool visible) {
    lblPassword->setVisible(visible);
    txtPassword->setVisible(visible);
}

void frmLogin::ListView1_Click() {
    if (!showPasswordBox())
        return;
    if (txtPassword->isVisible())
        txtPassword->setFocus();
    else
        btnNull->setFocus();
}

bool frmLogin::showPasswordBox() {
    txtPassword->clear();
    const Student *student = Selected_Student();
    if (!student)
        return false;
    setPasswordVisible(!student->password.isEmpty());
    return true;
}

bool frmLogin::eventFilter(QObject *watched, QEvent *event) {
    if (watched == btnNull &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        btnLogin[0]->setDefault(event->type() == QEvent::FocusIn);
        return false;
    }
    if (watched == ListView1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && Selected_Student()) {
            // A student with a password types it first.
            if (txtPassword->isVisible())
                txtPassword->setFocus();
            else
                btnLogin_Click(0);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmLogin::btnNull_Click() {
    if (ListView1->topLevelItemCount() > 0)
        btnLogin_Click(0);
}

void frmLogin::btnLogin_Click(int index) {
    switch (index) {
    case 0:
        Log_In();
        break;
    case 1:
        New_Student();
        break;
    case 2:
        Edit_Student();
        break;
    default:
        break;
    }
}

bool frmLogin::Password_Accepted() {
    const Student *student = Selected_Student();
    if (!student)
        return false;
    if (students::Password_Matches(student->password, txtPassword->text()))
        return true;
    m_program.windows().ShowMessage(m_program.captions[39], 0);
    if (!txtPassword->isHidden())
        txtPassword->setFocus();
    return false;
}

void frmLogin::Log_In() {
    if (!Password_Accepted())
        return;
    const Student student = *Selected_Student();
    LoginSucceeded = true;
    m_program.currentStudent = student.DisplayName();
    // Rights follow the student who logs in now, not the one before.
    emit LoggedIn(student, Is_Administrator(student));
    close();
}

void frmLogin::New_Student() {
    frmNewUser editor(m_program, frmNewUser::Mode::New, Student{}, m_students, this);
    m_program.host().ShowModal(editor);
    if (!editor.Saved()) {
        reloadIfWanted();
        return;
    }
    const Student &student = editor.Saved_Student();
    m_students << student;
    if (m_administratorId == 0)
        m_administratorId = student.id;
    auto *item = new StudentItem;
    showStudent(*item, student);
    ListView1->addTopLevelItem(item); // sorted in place
    // The student just created is the one who logs in next.
    ListView1->setCurrentItem(item);
    reloadIfWanted();
}

void frmLogin::Edit_Student() {
    if (!Password_Accepted())
        return;
    const Student student = *Selected_Student();
    frmNewUser editor(m_program, frmNewUser::Mode::Edit, student, m_students, this);
    m_program.host().ShowModal(editor);
    if (!editor.Saved()) {
        reloadIfWanted();
        return;
    }
    const Student &saved = editor.Saved_Student();
    for (Student &listed : m_students)
        if (listed.id == saved.id)
            listed = saved;
    if (QTreeWidgetItem *item = itemOf(saved.id)) {
        showStudent(*item, saved);
        ListView1->sortItems(0, Qt::AscendingOrder);
    }
    if (saved.password.isEmpty()) {
        txtPassword->clear();
        setPasswordVisible(false);
    } else {
        setPasswordVisible(true);
    }
    reloadIfWanted();
}

void frmLogin::paintEvent(QPaintEvent *) {
    tiling::PaintWindowBackground(*this, m_background);
}

void frmLogin::showEvent(QShowEvent *event) {
    LoginSucceeded = false;
    CenterWindow(*this);
    QWidget::showEvent(event);
}

void frmLogin::closeEvent(QCloseEvent *event) {
    event->accept();
    // Closing the window without logging in quits the program.
    if (!LoginSucceeded)
        emit ClosedWithoutLogin();
}
