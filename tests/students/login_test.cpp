// The login window and the profile editor, driven through their controls the
// way a user drives them, with the student database on disk.
#include "frame/folder_set.h"
#include "frame/mod_main.h"
#include "frame/program.h"
#include "frame/template_texts.h"
#include "platform/ado.h"
#include "shell/frm_main.h"
#include "shell/frm_splash.h"
#include "students/frm_login.h"
#include "students/frm_new_user.h"
#include "support/fake_host.h"
#include "support/test_env.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

struct Message {
    QString text;
    int pointSize = 0;
};

class LoginTest : public ::testing::Test {
protected:
    LoginTest() : program(host, env.settings()) {
        env.installTemplate();
        program.identity = Identity::ForCode(QStringLiteral("tvxito"));
        program.folders.programFolder = folders::Get_App_Path(program);
        templateTexts::Get_Captions(program);
        folders::Set_Paths(program);
        main = std::make_unique<frmMain>(program);
    }

    const QString &cap(int n) const { return program.captions[n]; }

    static void click(QAbstractButton *button) { QTest::mouseClick(button, Qt::LeftButton); }

    // The change-user button opens a fresh login window, read from disk.
    frmLogin &openLogin() {
        click(main->btnChangeUser);
        return *main->loginWindow();
    }

    static QStringList listed(const frmLogin &login) {
        QStringList names;
        for (int i = 0; i < login.ListView1->topLevelItemCount(); ++i)
            names << login.ListView1->topLevelItem(i)->text(0);
        return names;
    }
    static QStringList bold(const frmLogin &login) {
        QStringList names;
        for (int i = 0; i < login.ListView1->topLevelItemCount(); ++i)
            if (login.ListView1->topLevelItem(i)->font(0).bold())
                names << login.ListView1->topLevelItem(i)->text(0);
        return names;
    }
    static QTreeWidgetItem *item(const frmLogin &login, const QString &name) {
        const auto found = login.ListView1->findItems(name, Qt::MatchExactly, 0);
        return found.isEmpty() ? nullptr : found.first();
    }
    // The student the window lists under a display name.
    static Student student(const frmLogin &login, const QString &name) {
        for (const Student &s : login.Students())
            if (s.DisplayName() == name)
                return s;
        ADD_FAILURE() << "not listed: " << name.toStdString();
        return {};
    }
    static void clickItem(frmLogin &login, const QString &name) {
        QTreeWidgetItem *it = item(login, name);
        ASSERT_NE(it, nullptr) << name.toStdString();
        QTest::mouseClick(login.ListView1->viewport(), Qt::LeftButton, {},
                          login.ListView1->visualItemRect(it).center());
    }

    // The next one-button message is read and closed with its OK button.
    void readNextMessage() {
        host.onNextModal([this](QWidget &window) {
            const auto *label = window.findChild<QLabel *>(QStringLiteral("lblMsg"));
            if (window.objectName() != QLatin1String("frmMsgBox") || !label) {
                ADD_FAILURE() << "expected the message window, got "
                              << window.objectName().toStdString();
                return;
            }
            messages.push_back({label->text(), label->font().pointSize()});
            click(window.findChild<QPushButton *>(QStringLiteral("btnOK")));
        });
    }

    // The modal window a handler was given, when it is the profile editor.
    static frmNewUser *asEditor(QWidget &window) {
        auto *editor = qobject_cast<frmNewUser *>(&window);
        if (!editor)
            ADD_FAILURE() << "expected the profile editor, got "
                          << window.objectName().toStdString();
        return editor;
    }

    static void fill(QLineEdit *box, const QString &text) {
        box->clear();
        for (const QChar ch : text) {
            if (ch.unicode() < 128)
                QTest::keyClick(box, ch.toLatin1());
            else // typed through a dead key or an input method
                QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(ch),
                                    Qt::NoModifier);
        }
    }
    static void tick(QCheckBox *box) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }

    // Creates the first student, who is told that they are the administrator.
    void createFirst(frmLogin &login, const QString &first, const QString &last,
                     const QString &password = {}, int face = 1) {
        create(login, first, last, password, face, true);
    }

    // Creates a student through New in the profile editor.
    void create(frmLogin &login, const QString &first, const QString &last,
                const QString &password = {}, int face = 1, bool readsMessage = false) {
        host.onNextModal([=](QWidget &window) {
            frmNewUser *found = asEditor(window);
            if (!found)
                return;
            frmNewUser &editor = *found;
            fill(editor.txtFirst, first);
            fill(editor.txtLast, last);
            editor.imageCombo1->setCurrentIndex(face - 1);
            if (!password.isEmpty()) {
                tick(editor.chkPassword);
                fill(editor.txtPassword, password);
                fill(editor.txtPassword2, password);
            }
            click(editor.btnEdit[0]);
        });
        if (readsMessage)
            readNextMessage();
        click(login.btnLogin[1]);
    }

    // Rows of tblUsers on disk, "First|Last|Password|Icon", Null as "<null>".
    QStringList rows() const {
        ado::Connection cn;
        cn.Open(modMain::Get_Template_Connection_String(program.usersPath()));
        ado::Recordset rs;
        rs.Open(QStringLiteral("Select * from tblUsers"), cn);
        QStringList result;
        for (; !ado::AtEnd(rs); rs.MoveNext()) {
            const ado::Field pw = rs[QStringLiteral("tPassword")];
            result << QStringList{rs[QStringLiteral("tFirstname")].Text(),
                                  rs[QStringLiteral("tLastname")].Text(),
                                  pw.IsNull() ? QStringLiteral("<null>") : pw.Text(),
                                  rs[QStringLiteral("nIcon")].Text()}
                          .join(QLatin1Char('|'));
        }
        return result;
    }

    QString mainCaption(const QString &student) const {
        return QStringLiteral("Tolvanex Italiano  [") + student + QLatin1Char(']');
    }

    int clickSounds() const {
        int n = 0;
        for (const FakeHost::Sound &s : host.sounds)
            n += s.async && s.path.isEmpty() && !s.wave.isEmpty();
        return n;
    }

    TestEnv env;
    FakeHost host;
    Program program;
    std::unique_ptr<frmMain> main;
    std::vector<Message> messages;
};

TEST_F(LoginTest, FirstStartCreatesTheDatabaseAndOffersNothingToLogIn) {
    main->Form_Load();
    ASSERT_FALSE(program.ended);
    EXPECT_TRUE(modMain::File_Exists(program.usersPath()));
    EXPECT_TRUE(rows().isEmpty());

    frmLogin &login = *main->loginWindow();
    EXPECT_TRUE(login.isVisible());
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(login.windowTitle(), cap(29) + QStringLiteral(" Tolvanex Italiano"));
    EXPECT_EQ(login.lblInstructions->text(), cap(26));
    EXPECT_EQ(login.btnLogin[0]->text(), cap(28));
    EXPECT_EQ(login.btnLogin[1]->text(), cap(27));
    EXPECT_EQ(login.btnLogin[2]->text(), cap(44));
    EXPECT_EQ(login.ListView1->topLevelItemCount(), 0);
    EXPECT_FALSE(login.txtPassword->isVisible());
    EXPECT_FALSE(login.lblPassword->isVisible());

    // Login and Edit click but do nothing else on an empty list.
    click(login.btnLogin[0]);
    click(login.btnLogin[2]);
    EXPECT_EQ(clickSounds(), 4);
    EXPECT_TRUE(host.modalWindows.isEmpty());
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_TRUE(login.isVisible());
    EXPECT_FALSE(main->isVisible());
    EXPECT_FALSE(program.ended);
}

TEST_F(LoginTest, FirstStudentBecomesAdministratorAndTheListSortsByName) {
    frmLogin &login = openLogin();
    createFirst(login, QStringLiteral("Zoe"), QStringLiteral("Quinn"), {}, 5);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, cap(43));
    EXPECT_EQ(messages[0].pointSize, 10);
    EXPECT_EQ(bold(login), QStringList{QStringLiteral("Zoe Quinn")});

    create(login, QStringLiteral("Adam"), QStringLiteral("Baker"));
    create(login, QStringLiteral("mia"), QStringLiteral("Cole"));
    EXPECT_EQ(messages.size(), 1u); // only the first student is told
    EXPECT_EQ(listed(login), (QStringList{"Adam Baker", "mia Cole", "Zoe Quinn"}));
    EXPECT_EQ(bold(login), QStringList{QStringLiteral("Zoe Quinn")});
    EXPECT_EQ(rows(),
              (QStringList{"Zoe|Quinn|<null>|5", "Adam|Baker|<null>|1", "mia|Cole|<null>|1"}));
    EXPECT_EQ(host.modalWindows,
              (QStringList{"frmNewUser", "frmMsgBox", "frmNewUser", "frmNewUser"}));
    // Each button press plays the click on mouse down and on mouse up.
    EXPECT_GE(clickSounds(), 6 + 6);

    // A fresh window reads the same order and the same administrator.
    frmLogin &again = openLogin();
    EXPECT_EQ(listed(again), (QStringList{"Adam Baker", "mia Cole", "Zoe Quinn"}));
    EXPECT_EQ(bold(again), QStringList{QStringLiteral("Zoe Quinn")});
    EXPECT_EQ(student(again, QStringLiteral("Zoe Quinn")).icon, 5);
}

TEST_F(LoginTest, EditorRefusesIncompleteOrClashingProfilesAndWritesNothing) {
    frmLogin &login = openLogin();
    createFirst(login, QStringLiteral("Zoe"), QStringLiteral("Quinn"));
    messages.clear();

    host.onNextModal([this](QWidget &window) {
        frmNewUser *found = asEditor(window);
        if (!found)
            return;
        frmNewUser &editor = *found;
        EXPECT_EQ(editor.windowTitle(), cap(30));
        EXPECT_EQ(editor.btnEdit[0]->text(), cap(8));
        EXPECT_FALSE(editor.txtPassword->isVisible());

        fill(editor.txtFirst, QStringLiteral("   "));
        fill(editor.txtLast, QStringLiteral("Quinn"));
        click(editor.btnEdit[0]);
        EXPECT_EQ(editor.focusWidget(), editor.txtFirst);

        fill(editor.txtFirst, QStringLiteral("Zed"));
        fill(editor.txtLast, QString());
        click(editor.btnEdit[0]);
        EXPECT_EQ(editor.focusWidget(), editor.txtLast);

        fill(editor.txtLast, QStringLiteral("Young"));
        tick(editor.chkPassword);
        EXPECT_TRUE(editor.txtPassword2->isVisible());
        click(editor.btnEdit[0]);
        EXPECT_EQ(editor.focusWidget(), editor.txtPassword);
        fill(editor.txtPassword, QStringLiteral("abc"));
        click(editor.btnEdit[0]);
        EXPECT_EQ(editor.focusWidget(), editor.txtPassword2);
        EXPECT_TRUE(messages.empty());

        // Same letters in another case are a typing slip here.
        readNextMessage();
        fill(editor.txtPassword2, QStringLiteral("ABC"));
        click(editor.btnEdit[0]);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages.back().text, cap(36));

        // A name that exists in another case.
        tick(editor.chkPassword);
        fill(editor.txtFirst, QStringLiteral(" zoe"));
        fill(editor.txtLast, QStringLiteral("QUINN "));
        readNextMessage();
        click(editor.btnEdit[0]);
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages.back().text, cap(42));
        EXPECT_TRUE(editor.isVisible());
        EXPECT_EQ(rows().size(), 1);

        click(editor.btnEdit[1]); // Cancel
        EXPECT_FALSE(editor.isVisible());
    });
    click(login.btnLogin[1]);
    EXPECT_EQ(rows(), QStringList{QStringLiteral("Zoe|Quinn|<null>|1")});
    EXPECT_EQ(listed(login), QStringList{QStringLiteral("Zoe Quinn")});
}

TEST_F(LoginTest, PasswordIsCheckedWithoutRegardToCaseAndTheMainWindowGreetsTheStudent) {
    frmLogin &first = openLogin();
    createFirst(first, QStringLiteral("Ann"), QStringLiteral("Lee"), QStringLiteral("Secret"));
    create(first, QStringLiteral("Bob"), QStringLiteral("Ray"));
    EXPECT_EQ(rows().first(), QStringLiteral("Ann|Lee|Secret|1"));

    frmLogin &login = openLogin();
    clickItem(login, QStringLiteral("Bob Ray"));
    EXPECT_FALSE(login.txtPassword->isVisible());
    clickItem(login, QStringLiteral("Ann Lee"));
    EXPECT_TRUE(login.txtPassword->isVisible());
    EXPECT_TRUE(login.lblPassword->isVisible());
    EXPECT_EQ(login.lblPassword->text(), cap(37));
    EXPECT_EQ(login.focusWidget(), login.txtPassword);

    readNextMessage();
    fill(login.txtPassword, QStringLiteral("secrets"));
    click(login.btnLogin[0]);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().text, cap(39));
    EXPECT_EQ(login.focusWidget(), login.txtPassword);
    EXPECT_TRUE(login.isVisible());
    EXPECT_FALSE(main->isVisible());
    EXPECT_FALSE(login.LoginSucceeded);

    fill(login.txtPassword, QStringLiteral("sECRET"));
    click(login.btnLogin[0]);
    EXPECT_TRUE(login.LoginSucceeded);
    EXPECT_FALSE(login.isVisible());
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(program.ended);
    EXPECT_EQ(program.currentStudent, QStringLiteral("Ann Lee"));
    EXPECT_EQ(main->windowTitle(), mainCaption(QStringLiteral("Ann Lee")));
    EXPECT_EQ(main->lblMsg->text(), cap(62) + QStringLiteral(" Tolvanex Italiano Ann Lee"));
    EXPECT_EQ(main->lblMsg->font().pointSize(), 12);
    EXPECT_TRUE(main->Timer1->isActive());
    EXPECT_EQ(main->mnuEdit->text(), cap(111));
    EXPECT_EQ(main->mnuListenToPhrase->text(), cap(112));
    EXPECT_TRUE(main->btnAdmin->isEnabled());
}

TEST_F(LoginTest, TheKeyboardAloneChoosesAStudentTypesThePasswordAndLogsIn) {
    frmLogin &first = openLogin();
    createFirst(first, QStringLiteral("Ann"), QStringLiteral("Lee"), QStringLiteral("Secret"));
    create(first, QStringLiteral("Bob"), QStringLiteral("Ray"));

    frmLogin &login = openLogin();
    login.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&login));
    login.ListView1->setFocus();
    // Ann is listed first and has a password: the arrows move to Bob and
    // back, the focus staying in the list; Enter then asks for the password.
    QTest::keyClick(login.ListView1, Qt::Key_Down);
    EXPECT_EQ(login.ListView1->currentItem()->text(0), QStringLiteral("Bob Ray"));
    EXPECT_FALSE(login.txtPassword->isVisible());
    QTest::keyClick(login.focusWidget(), Qt::Key_Up);
    EXPECT_EQ(login.focusWidget(), login.ListView1);
    EXPECT_TRUE(login.txtPassword->isVisible());
    QTest::keyClick(login.ListView1, Qt::Key_Return);
    EXPECT_EQ(login.focusWidget(), login.txtPassword);
    EXPECT_EQ(login.txtPassword->accessibleName(), cap(37));

    // Tab runs through the visible controls in reading order; the focus
    // holder of students without a password is not among them.
    QStringList order;
    for (QWidget *w = login.ListView1; order.size() < 5; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible())
            order << w->objectName();
    EXPECT_EQ(order,
              (QStringList{"ListView1", "txtPassword", "btnLogin0", "btnLogin1", "btnLogin2"}));

    QTest::keyClicks(login.txtPassword, QStringLiteral("secret"));
    QTest::keyClick(login.txtPassword, Qt::Key_Return);
    EXPECT_TRUE(login.LoginSucceeded);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(program.currentStudent, QStringLiteral("Ann Lee"));
}

TEST_F(LoginTest, StudentWithoutStoredPasswordLogsInWithAnEmptyBox) {
    frmLogin &first = openLogin();
    createFirst(first, QStringLiteral("Ann"), QStringLiteral("Lee"), QStringLiteral("pw"));
    {
        // Rows written by other tools may carry Null; ours leave it at the default.
        ado::Connection cn;
        cn.Open(modMain::Get_Template_Connection_String(program.usersPath()));
        cn.Execute(QStringLiteral("INSERT INTO tblUsers (tFirstname, tLastname, tPassword, nIcon) "
                                  "VALUES ('Cy', 'Null', NULL, 12)"));
    }
    frmLogin &login = openLogin();
    clickItem(login, QStringLiteral("Cy Null"));
    EXPECT_FALSE(login.txtPassword->isVisible());
    EXPECT_EQ(student(login, QStringLiteral("Cy Null")).password, QString());
    EXPECT_EQ(login.focusWidget(), login.btnNull);

    // Enter on the focus holder logs in, as a double click does.
    QTest::keyClick(login.btnNull, Qt::Key_Return);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(program.currentStudent, QStringLiteral("Cy Null"));
    EXPECT_FALSE(main->btnAdmin->isEnabled());
}

TEST_F(LoginTest, RightsFollowEachLoginAndChangingUserKeepsTheStudentUntilTheNextLogin) {
    frmLogin &first = openLogin();
    createFirst(first, QStringLiteral("Zoe"), QStringLiteral("Quinn"));
    create(first, QStringLiteral("Adam"), QStringLiteral("Baker"));

    frmLogin &asAdam = openLogin();
    // A double click arrives as press, release, double click, release.
    QWidget *viewport = asAdam.ListView1->viewport();
    const QPoint adam =
        asAdam.ListView1->visualItemRect(item(asAdam, QStringLiteral("Adam Baker"))).center();
    QTest::mousePress(viewport, Qt::LeftButton, {}, adam);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, adam);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, adam);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, adam);
    EXPECT_EQ(program.currentStudent, QStringLiteral("Adam Baker"));
    EXPECT_FALSE(main->btnAdmin->isEnabled());
    EXPECT_TRUE(main->mnuOption->isEnabled());
    EXPECT_FALSE(main->mnuEdit->isVisible());

    frmLogin &asZoe = openLogin();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(program.currentStudent, QStringLiteral("Adam Baker"));
    clickItem(asZoe, QStringLiteral("Zoe Quinn"));
    click(asZoe.btnLogin[0]);
    EXPECT_TRUE(main->btnAdmin->isEnabled());
    EXPECT_TRUE(main->mnuEdit->isVisible());
    EXPECT_EQ(main->windowTitle(), mainCaption(QStringLiteral("Zoe Quinn")));
    EXPECT_FALSE(program.ended);
}

TEST_F(LoginTest, EditingChangesTheRowAndTheListWithoutReadingItAgain) {
    frmLogin &first = openLogin();
    createFirst(first, QStringLiteral("Ann"), QStringLiteral("Lee"), QStringLiteral("Secret"), 7);
    create(first, QStringLiteral("Bob"), QStringLiteral("Ray"));

    frmLogin &login = openLogin();
    clickItem(login, QStringLiteral("Ann Lee"));
    QTreeWidgetItem *ann = item(login, QStringLiteral("Ann Lee"));

    // Editing asks for the password first.
    readNextMessage();
    click(login.btnLogin[2]);
    EXPECT_EQ(messages.back().text, cap(39));
    EXPECT_EQ(host.modalWindows.count(QStringLiteral("frmNewUser")), 2);

    fill(login.txtPassword, QStringLiteral("SECRET"));
    host.onNextModal([this](QWidget &window) {
        frmNewUser *found = asEditor(window);
        if (!found)
            return;
        frmNewUser &editor = *found;
        EXPECT_EQ(editor.windowTitle(), cap(45));
        EXPECT_EQ(editor.btnEdit[0]->text(), cap(44));
        EXPECT_EQ(editor.txtFirst->text(), QStringLiteral("Ann"));
        EXPECT_EQ(editor.txtLast->text(), QStringLiteral("Lee"));
        EXPECT_EQ(editor.imageCombo1->currentIndex(), 6);
        EXPECT_TRUE(editor.chkPassword->isChecked());
        EXPECT_EQ(editor.txtPassword->text(), QStringLiteral("Secret"));
        EXPECT_EQ(editor.txtPassword2->text(), QStringLiteral("Secret"));

        tick(editor.chkPassword); // untick: the password goes
        EXPECT_TRUE(editor.txtPassword->text().isEmpty());
        EXPECT_FALSE(editor.txtPassword->isVisible());
        fill(editor.txtLast, QStringLiteral("Zimmer"));
        editor.imageCombo1->setCurrentIndex(39);
        click(editor.btnEdit[0]);
    });
    click(login.btnLogin[2]);

    EXPECT_EQ(rows(), (QStringList{"Ann|Zimmer||40", "Bob|Ray|<null>|1"}));
    EXPECT_EQ(listed(login), (QStringList{"Ann Zimmer", "Bob Ray"}));
    EXPECT_EQ(item(login, QStringLiteral("Ann Zimmer")), ann); // same item, no reload
    EXPECT_EQ(student(login, QStringLiteral("Ann Zimmer")).password, QString());
    EXPECT_EQ(student(login, QStringLiteral("Ann Zimmer")).icon, 40);
    EXPECT_TRUE(ann->font(0).bold());
    EXPECT_FALSE(login.txtPassword->isVisible());

    // Renaming moves the student to the right place.
    clickItem(login, QStringLiteral("Ann Zimmer"));
    host.onNextModal([](QWidget &window) {
        frmNewUser *found = asEditor(window);
        if (!found)
            return;
        frmNewUser &editor = *found;
        EXPECT_FALSE(editor.chkPassword->isChecked());
        fill(editor.txtFirst, QStringLiteral("Zara"));
        tick(editor.chkPassword);
        fill(editor.txtPassword, QStringLiteral("new"));
        fill(editor.txtPassword2, QStringLiteral("new"));
        click(editor.btnEdit[0]);
    });
    click(login.btnLogin[2]);
    EXPECT_EQ(listed(login), (QStringList{"Bob Ray", "Zara Zimmer"}));
    EXPECT_EQ(rows().first(), QStringLiteral("Zara|Zimmer|new|40"));
    EXPECT_TRUE(login.txtPassword->isVisible());
}

TEST_F(LoginTest, ALineBreakInANameIsRefusedAndAnOldOneShowsAsABlank) {
    frmLogin &first = openLogin();
    createFirst(first, QStringLiteral("Ann"), QStringLiteral("Lee"));
    messages.clear();
    // A name pasted from elsewhere, in the middle of a box and at its end.
    auto paste = [](QLineEdit *box, const QString &text) {
        QGuiApplication::clipboard()->setText(text);
        box->selectAll();
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    };
    host.onNextModal([&](QWidget &window) {
        frmNewUser *found = asEditor(window);
        if (!found)
            return;
        frmNewUser &editor = *found;
        paste(editor.txtFirst, QStringLiteral("Eva\nLuisa"));
        ASSERT_TRUE(editor.txtFirst->text().contains(QLatin1Char('\n')));
        fill(editor.txtLast, QStringLiteral("Ruiz"));
        readNextMessage();
        click(editor.btnEdit[0]);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages.back().text, cap(caption::NameWithLineBreak));
        EXPECT_EQ(editor.focusWidget(), editor.txtFirst);
        EXPECT_TRUE(editor.isVisible());
        click(editor.btnEdit[1]);
    });
    click(first.btnLogin[1]);
    // Editing refuses it the same way.
    clickItem(first, QStringLiteral("Ann Lee"));
    host.onNextModal([&](QWidget &window) {
        frmNewUser *found = asEditor(window);
        if (!found)
            return;
        frmNewUser &editor = *found;
        paste(editor.txtLast, QStringLiteral("Lee\r\nSmith"));
        readNextMessage();
        click(editor.btnEdit[0]);
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages.back().text, cap(caption::NameWithLineBreak));
        EXPECT_EQ(editor.focusWidget(), editor.txtLast);
        click(editor.btnEdit[1]);
    });
    click(first.btnLogin[2]);
    EXPECT_EQ(rows(), QStringList{QStringLiteral("Ann|Lee|<null>|1")});

    // One stored before: listed, and handed to activities, with a blank.
    StudentDatabase(program.usersPath(), program.captions)
        .Add({QStringLiteral("Eva\nLuisa"), QStringLiteral("Ruiz"), std::nullopt, 2});
    frmLogin &login = openLogin();
    EXPECT_EQ(listed(login), (QStringList{"Ann Lee", "Eva Luisa Ruiz"}));
    clickItem(login, QStringLiteral("Eva Luisa Ruiz"));
    click(login.btnLogin[0]);
    EXPECT_EQ(program.currentStudent, QStringLiteral("Eva Luisa Ruiz"));
}

TEST_F(LoginTest, NamesWithQuotesAndStarsAreStudentsLikeAnyOther) {
    frmLogin &first = openLogin();
    createFirst(first, QStringLiteral("Se\u00e1n"), QStringLiteral("O'Brien"),
                QStringLiteral("it's"));
    create(first, QStringLiteral("Star*"), QStringLiteral("\"Q\" Smith"));
    EXPECT_EQ(rows(), (QStringList{QStringLiteral("Se\u00e1n|O'Brien|it's|1"),
                                   "Star*|\"Q\" Smith|<null>|1"}));

    // The duplicate check copes with the quote too.
    host.onNextModal([this](QWidget &window) {
        frmNewUser *found = asEditor(window);
        if (!found)
            return;
        frmNewUser &editor = *found;
        fill(editor.txtFirst, QStringLiteral("SE\u00c1N"));
        fill(editor.txtLast, QStringLiteral("o'brien"));
        readNextMessage();
        click(editor.btnEdit[0]);
    });
    click(first.btnLogin[1]);
    EXPECT_EQ(messages.back().text, cap(42));

    frmLogin &login = openLogin();
    EXPECT_EQ(listed(login), (QStringList{"Se\u00e1n O'Brien", "Star* \"Q\" Smith"}));
    clickItem(login, QStringLiteral("Se\u00e1n O'Brien"));
    fill(login.txtPassword, QStringLiteral("IT'S"));
    host.onNextModal([](QWidget &window) {
        frmNewUser *found = asEditor(window);
        if (!found)
            return;
        frmNewUser &editor = *found;
        fill(editor.txtLast, QStringLiteral("O'Neil"));
        fill(editor.txtPassword, QStringLiteral("it's"));
        fill(editor.txtPassword2, QStringLiteral("it's"));
        click(editor.btnEdit[0]);
    });
    click(login.btnLogin[2]);
    EXPECT_EQ(rows().first(), QStringLiteral("Se\u00e1n|O'Neil|it's|1"));

    fill(login.txtPassword, QStringLiteral("it's"));
    click(login.btnLogin[0]);
    EXPECT_EQ(program.currentStudent, QStringLiteral("Se\u00e1n O'Neil"));
    EXPECT_EQ(main->windowTitle(), mainCaption(QStringLiteral("Se\u00e1n O'Neil")));

    frmLogin &star = openLogin();
    clickItem(star, QStringLiteral("Star* \"Q\" Smith"));
    click(star.btnLogin[0]);
    EXPECT_EQ(main->windowTitle(), mainCaption(QStringLiteral("Star* \"Q\" Smith")));
}

TEST_F(LoginTest, ClosingTheLoginWindowWithoutLoggingInEndsTheProgram) {
    main->Form_Load();
    ASSERT_FALSE(program.ended);
    main->loginWindow()->close();
    EXPECT_TRUE(program.ended);
}

TEST_F(LoginTest, ClosingAfterChangeOfUserEndsTheProgramButNotAfterALogin) {
    frmLogin &first = openLogin();
    createFirst(first, QStringLiteral("Ann"), QStringLiteral("Lee"));
    click(first.btnLogin[0]);
    ASSERT_TRUE(main->isVisible());
    first.close(); // already unloaded by the login
    EXPECT_FALSE(program.ended);

    frmLogin &again = openLogin();
    again.close();
    EXPECT_TRUE(program.ended);
}

TEST_F(LoginTest, UnreadableStudentDatabaseIsReportedKeptAndEndsTheProgram) {
    writeFile(program.usersPath(), "scores of a lifetime, damaged");
    click(main->btnChangeUser);
    EXPECT_TRUE(program.ended);
    EXPECT_FALSE(main->loginWindow()->isVisible());
    ASSERT_EQ(host.boxes.size(), 1u);
    const QString text = host.lastBox().text;
    EXPECT_TRUE(text.startsWith(cap(40) + QStringLiteral(" Error#001 "))) << text.toStdString();
    EXPECT_TRUE(text.contains(QDir::toNativeSeparators(program.usersPath())));
    EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n\r\nTolvanex Italiano ") + cap(41)));
    QFile file(program.usersPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("scores of a lifetime, damaged"));
}

TEST_F(LoginTest, FailureWhileDressingTheWindowIsReportedUnderItsCaptionAndEnds) {
    // A text database with too few captions for the login window.
    program.captions.Resize(20);
    click(main->btnChangeUser);
    EXPECT_TRUE(program.ended);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_TRUE(host.lastBox().text.contains(QStringLiteral("\r\n\r\nFrmLogin_Load: ")));
    EXPECT_EQ(host.lastBox().style, int(vb::vbCritical));
    EXPECT_EQ(host.lastBox().title, QStringLiteral("Login"));
    EXPECT_FALSE(main->loginWindow()->isVisible());
}

TEST_F(LoginTest, MissingTemplateWhenCreatingTheDatabaseNamesThePlaceAndEnds) {
    QFile::remove(program.templatePath());
    click(main->btnChangeUser);
    EXPECT_TRUE(program.ended);
    ASSERT_EQ(host.boxes.size(), 1u);
    const QString text = host.lastBox().text;
    EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n\r\n") + cap(88) + QStringLiteral("\r\n") +
                              QDir::toNativeSeparators(program.usersPath())))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Tolvanex.tpl")));
    EXPECT_FALSE(QFile::exists(program.usersPath()));
}

TEST_F(LoginTest, EditorKeepsWhatWasTypedWhenTheDatabaseCannotBeWritten) {
    frmLogin &login = openLogin();
    createFirst(login, QStringLiteral("Ann"), QStringLiteral("Lee"));
    const QString path = program.usersPath();
    const QString aside = path + QStringLiteral(".aside");

    host.onNextModal([&](QWidget &window) {
        frmNewUser *found = asEditor(window);
        if (!found)
            return;
        frmNewUser &editor = *found;
        fill(editor.txtFirst, QStringLiteral("Bob"));
        fill(editor.txtLast, QStringLiteral("Ray"));
        QFile::rename(path, aside); // gone while the editor is open
        click(editor.btnEdit[0]);
        EXPECT_TRUE(editor.isVisible());
        EXPECT_EQ(editor.txtFirst->text(), QStringLiteral("Bob"));
        QFile::rename(aside, path);
        click(editor.btnEdit[1]);
    });
    click(login.btnLogin[1]);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.lastBox().title, QStringLiteral("ERROR"));
    EXPECT_EQ(host.lastBox().style, int(vb::vbCritical));
    EXPECT_TRUE(
        host.lastBox().text.startsWith(cap(149) + QStringLiteral("\r\n\r\nbtnEdit_Click: ")));
    EXPECT_EQ(listed(login), QStringList{QStringLiteral("Ann Lee")});
    EXPECT_FALSE(QFile::exists(aside));

    // The student being edited was removed by someone else meanwhile.
    {
        ado::Connection cn;
        cn.Open(modMain::Get_Template_Connection_String(path));
        cn.Execute(QStringLiteral("DELETE FROM tblUsers"));
    }
    host.onNextModal([](QWidget &window) {
        frmNewUser *found = asEditor(window);
        if (!found)
            return;
        frmNewUser &editor = *found;
        fill(editor.txtFirst, QStringLiteral("Anna"));
        click(editor.btnEdit[0]);
        EXPECT_TRUE(editor.isVisible());
        EXPECT_EQ(editor.txtFirst->text(), QStringLiteral("Anna"));
    });
    click(login.btnLogin[2]);
    EXPECT_EQ(host.boxes.size(), 2u);
    EXPECT_TRUE(host.lastBox().text.contains(QStringLiteral("btnEdit_Click: ")));
    EXPECT_EQ(listed(login), QStringList{QStringLiteral("Ann Lee")});
    EXPECT_TRUE(rows().isEmpty());
}

} // namespace
