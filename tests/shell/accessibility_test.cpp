// The program for someone who uses the keyboard and a screen reader: every
// window, read through Qt's accessibility interfaces as a screen reader reads
// it, names its controls in the learner's language and says what they are
// (buttons, links, a dialog, a text that changes by itself); what cannot be
// seen is not offered; and every Tab stop shows that it has the focus.
#include "activities/activity_panel.h"
#include "frame/folder_set.h"
#include "frame/program.h"
#include "frame/template_texts.h"
#include "platform/qt_accessibility.h"
#include "platform/tree_view_widget.h"
#include "shell/frm_main.h"
#include "shell/frm_msg_box.h"
#include "shell/frm_splash.h"
#include "shell/ticker.h"
#include "students/frm_admin.h"
#include "students/frm_login.h"
#include "students/frm_new_user.h"
#include "students/student_database.h"
#include "subjects/frm_edit.h"
#include "subjects/frm_import.h"
#include "subjects/frm_voice.h"
#include "subjects/subject_fixture.h"
#include "support/activity_fixture.h"
#include "support/fake_host.h"
#include "support/test_env.h"
#include "virtual/frm_custom_subject.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

// Words of the program's English design texts and of its programs' names;
// none of them is Spanish.
const QSet<QString> kEnglishWords{
    "the",         "of",       "and",     "to",       "your",     "you",        "select",
    "open",        "folder",   "folders", "subject",  "subjects", "user",       "users",
    "new",         "edit",     "login",   "password", "progress", "import",     "export",
    "clear",       "database", "cancel",  "download", "more",     "phrase",     "phrases",
    "translation", "record",   "compare", "hear",     "slowly",   "view",       "by",
    "face",        "name",     "first",   "last",     "type",     "retype",     "options",
    "main",        "menu",     "loading", "create",   "change",   "save",       "close",
    "delete",      "rename",   "word",    "list",     "student",  "students",   "score",
    "scores",      "chart",    "tree",    "button",   "vscroll",  "flashcards", "listeningquiz",
    "please",      "note",     "only",    "text",     "window",   "help",       "done",
    "model",       "mine",     "both",    "again",    "level",    "file",       "choose",
    "leave",       "rows",     "columns", "summary",  "enter",    "icon",       "welcome",
    "tips",        "message",  "listen",  "cards",    "quiz",     "play",       "stop"};

bool soundsEnglish(const QString &name, const QString &objectName) {
    if (!objectName.isEmpty() && name == objectName)
        return true;
    static const QRegularExpression word(QStringLiteral("[^\\W\\d_]+"));
    for (const QRegularExpressionMatch &m : word.globalMatch(name.toLower()))
        if (kEnglishWords.contains(m.captured()))
            return true;
    return false;
}

// Whether any part of a control can be seen in its window; worked out here
// from the geometry, independently of what the program reports.
bool seen(const QWidget &widget) {
    if (!widget.isVisible())
        return false;
    if (widget.isWindow())
        return true;
    const QWidget *window = widget.window();
    QRect area(widget.mapTo(window, QPoint()), widget.size());
    for (const QWidget *w = widget.parentWidget(); w;
         w = w->isWindow() ? nullptr : w->parentWidget())
        area &= QRect(w->mapTo(window, QPoint()), w->size());
    return !area.isEmpty();
}

// Roles of the controls a user works with, which need a name.
bool isControl(QAccessible::Role role) {
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::Link:
    case QAccessible::List:
    case QAccessible::ListItem:
    case QAccessible::Tree:
    case QAccessible::TreeItem:
    case QAccessible::Table:
    case QAccessible::ScrollBar:
    case QAccessible::ProgressBar:
    case QAccessible::Slider:
    case QAccessible::SpinBox:
    case QAccessible::Dialog:
    case QAccessible::Window:
        return true;
    default:
        return false;
    }
}

// The rules every window keeps, as problems found under a window.
void walk(QAccessibleInterface *node, const QString &path, QStringList &problems, int depth = 0) {
    if (!node || depth > 30)
        return;
    const QAccessible::State state = node->state();
    auto *widget = qobject_cast<QWidget *>(node->object());
    const QString name = node->text(QAccessible::Name);
    const QString where =
        path + QLatin1Char('/') +
        (widget && !widget->objectName().isEmpty() ? widget->objectName()
                                                   : QString::number(node->role()));
    if (widget && !seen(*widget) && !state.invisible) {
        problems << where + QStringLiteral(" cannot be seen but is reported showing");
        return;
    }
    if (state.invisible)
        return;
    if ((isControl(node->role()) || (widget && state.focusable)) && name.trimmed().isEmpty())
        problems << where + QStringLiteral(" has no name");
    if (!name.isEmpty() && soundsEnglish(name, widget ? widget->objectName() : QString()))
        problems << where + QStringLiteral(" is named in English: \"%1\"").arg(name);
    for (int i = 0; i < node->childCount(); ++i)
        walk(node->child(i), where, problems, depth + 1);
}

QString problemsOf(QWidget &window) {
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return window.objectName() + QStringLiteral(" was not shown");
    QStringList problems;
    walk(QAccessible::queryAccessibleInterface(&window), QString(), problems);
    return problems.join(QLatin1Char('\n'));
}

QAccessibleInterface *of(QWidget *widget) {
    return QAccessible::queryAccessibleInterface(widget);
}

class AccessibilityTest : public ::testing::Test {
protected:
    AccessibilityTest() : program(host, env.settings()) {
        env.installTemplate();
        program.identity = Identity::ForCode(QStringLiteral("tvxito"));
        program.folders.programFolder = folders::Get_App_Path(program);
        templateTexts::Get_Captions(program);
        folders::Set_Paths(program);
        // Our own two activities, with the pictures the build drew for them.
        const QString activities = program.folders.activitiesFolder;
        for (const char *name : {"FlashCards", "ListeningQuiz"}) {
            const QString descriptor = QLatin1String(name) + QStringLiteral(".cfg");
            QDir().mkpath(activities);
            EXPECT_TRUE(QFile::copy(TestEnv::builtProgramFolder() + QStringLiteral("Activities/") +
                                        descriptor,
                                    activities + descriptor));
            makeActivityProgram(activities + QLatin1String(name));
        }
        fixture::makeSubject(
            program.folders.installedSubjectsFolder + QStringLiteral("Comida.ito"),
            QStringLiteral("tvxito"),
            {{1, QStringLiteral("ciao"), QStringLiteral("hola"), QStringLiteral("adiós")}});
        const StudentDatabase database(program.usersPath(), program.captions);
        database.Create_From_Template(program.templatePath());
        database.Add({QStringLiteral("Ana"), QStringLiteral("López"), std::nullopt, 7});
    }

    // The main window after its start-up, its login window up.
    std::unique_ptr<frmMain> startMain() {
        auto main = std::make_unique<frmMain>(program);
        main->Form_Load();
        EXPECT_FALSE(program.ended);
        return main;
    }

    TestEnv env;
    FakeHost host;
    Program program;
};

TEST_F(AccessibilityTest, EveryWindowNamesItsControlsInTheLearnersLanguageAndSaysWhatTheyAre) {
    QStringList announced;
    SetAnnouncementObserver([&](QWidget &widget, QAccessible::Event change) {
        if (change == QAccessible::NameChanged)
            announced << of(&widget)->text(QAccessible::Name);
    });
    auto main = startMain();
    frmLogin *login = main->loginWindow();
    ASSERT_NE(login, nullptr);

    // The login window is a dialog; its focus holder, outside the window,
    // is not offered.
    EXPECT_EQ(problemsOf(*login).toStdString(), "");
    EXPECT_EQ(of(login)->role(), QAccessible::Dialog);
    EXPECT_TRUE(of(login->btnNull)->state().invisible);
    const QTreeWidgetItem *ana = login->ListView1->topLevelItem(0);
    ASSERT_NE(ana, nullptr);
    EXPECT_EQ(ana->data(0, Qt::AccessibleDescriptionRole).toString().toStdString(), "Cara 7");

    // The profile editor, new and edited: each of the 40 faces has a name.
    const QVector<Student> students = login->Students();
    frmNewUser newStudent(program, frmNewUser::Mode::New, Student{}, students, login);
    EXPECT_EQ(problemsOf(newStudent).toStdString(), "");
    QAccessibleInterface *faces = of(newStudent.imageCombo1);
    QStringList faceNames;
    for (int i = 0; i < faces->childCount(); ++i)
        for (int j = 0; j < faces->child(i)->childCount(); ++j)
            faceNames << faces->child(i)->child(j)->text(QAccessible::Name);
    QStringList expected;
    for (int n = 1; n <= 40; ++n)
        expected << QStringLiteral("Cara %1").arg(n);
    EXPECT_EQ(faceNames.join(QLatin1Char('|')).toStdString(),
              expected.join(QLatin1Char('|')).toStdString());
    newStudent.close();
    frmNewUser editor(program, frmNewUser::Mode::Edit, students.first(), students, login);
    EXPECT_EQ(problemsOf(editor).toStdString(), "");
    editor.close();
    login->hide();

    // The main window: activity buttons named as their pictures read,
    // links as links, the ticker's text announced as it changes.
    program.currentStudent = QStringLiteral("Ana López");
    main->Show_For_Student(true);
    main->Timer1->stop();
    EXPECT_EQ(problemsOf(*main).toStdString(), "");
    QStringList buttons;
    for (ActivityButton *button : std::as_const(main->activityPanel().btnAct)) {
        EXPECT_EQ(of(button)->role(), QAccessible::PushButton);
        buttons << of(button)->text(QAccessible::Name);
    }
    EXPECT_EQ(buttons.join(QLatin1Char('|')).toStdString(), "Tarjetas|Escuche y elija");
    EXPECT_EQ(of(main->lblMoreActs)->role(), QAccessible::Link);
    EXPECT_EQ(of(main->lblMoreActs)->text(QAccessible::Name), program.captions[114]);
    // A screen reader follows a link with its press action.
    host.connected = true;
    of(main->lblMenu[0])->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    ASSERT_EQ(host.openedUrls.size(), 1);
    EXPECT_EQ(host.openedUrls[0],
              program.captions[94] + main->lblMenu[0]->property("Tag").toString());
    EXPECT_EQ(of(main->lblURL)->role(), QAccessible::Link);
    for (QLabel *link : std::as_const(main->lblMenu))
        EXPECT_EQ(of(link)->role(), QAccessible::Link) << link->objectName().toStdString();
    EXPECT_EQ(of(main->lblMsg)->role(), QAccessible::StaticText);
    // The sliding menu is out: its links are not offered until it slides in.
    EXPECT_TRUE(of(main->lblMenu[0])->state().invisible);
    announced.clear();
    while (main->ticker().logic().goingUp)
        main->ticker().Timer1_Tick();
    EXPECT_EQ(of(main->lblMsg)->text(QAccessible::Name), main->lblMsg->text());
    EXPECT_EQ(announced.join(QLatin1Char('|')).toStdString(), main->lblMsg->text().toStdString());
    SetAnnouncementObserver(nullptr);

    frmAdmin viewer(program, main.get());
    EXPECT_EQ(problemsOf(viewer).toStdString(), "");
    viewer.close();

    frmCustomSubject virtualEditor(program, main->File1, main->File2);
    virtualEditor.Form_Load();
    EXPECT_EQ(problemsOf(virtualEditor).toStdString(), "");
    virtualEditor.hide();

    frmEdit phraseEditor(program,
                         subjectData::Phrase{QStringLiteral("Comida.ito"), 1,
                                             QStringLiteral("ciao"), QStringLiteral("hola"),
                                             QStringLiteral("adiós")},
                         main.get());
    EXPECT_EQ(problemsOf(phraseEditor).toStdString(), "");
    phraseEditor.close();

    frmImport importer(program, main.get());
    EXPECT_EQ(problemsOf(importer).toStdString(), "");
    importer.close();

    const QByteArray wave = fixture::sampleWave();
    frmCompare comparison(program, QStringLiteral("ciao"), wave, wave,
                          voice::Compare(voice::Read_Wave(wave), voice::Read_Wave(wave)), {},
                          main.get());
    EXPECT_EQ(problemsOf(comparison).toStdString(), "");
    comparison.close();

    frmMsgBox box(main.get());
    box.setWindowTitle(program.identity.productTitle);
    box.SetMessage(program.captions[43], 10);
    EXPECT_EQ(problemsOf(box).toStdString(), "");
    box.close();

    frmSplash splash(program, main->imgLogo->pixmap());
    EXPECT_EQ(problemsOf(splash).toStdString(), "");
    splash.close();
    main->close();
}

// Tabs through a window from its focused control back to it; a stop whose
// look is the same with and without the focus is listed as unmarked.
struct TabRound {
    QStringList stops;
    QStringList unmarked;
};
TabRound tabThrough(QWidget &window, int limit = 40) {
    TabRound round;
    QWidget *first = window.focusWidget();
    QWidget *current = first;
    if (!current)
        return round;
    QImage focused = current->grab().toImage();
    for (int i = 0; i < limit; ++i) {
        QTest::keyClick(current, Qt::Key_Tab);
        QWidget *next = QApplication::focusWidget();
        round.stops << current->objectName();
        if (current->grab().toImage() == focused)
            round.unmarked << current->objectName();
        if (!next || next == first || next == current)
            break;
        current = next;
        focused = current->grab().toImage();
    }
    return round;
}

TEST_F(AccessibilityTest, EveryTabStopShowsThatItHasTheFocus) {
    auto main = startMain();
    frmLogin *login = main->loginWindow();
    ASSERT_NE(login, nullptr);
    login->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(login));

    // Ana needs no password: the focus goes to the holder outside the
    // window, and the login button shows that Enter presses it.
    login->ListView1->setFocus();
    const QImage loginButton = login->btnLogin[0]->grab().toImage();
    QTest::mouseClick(login->ListView1->viewport(), Qt::LeftButton, {},
                      login->ListView1->visualItemRect(login->ListView1->topLevelItem(0)).center());
    ASSERT_EQ(login->focusWidget(), login->btnNull);
    EXPECT_NE(login->btnLogin[0]->grab().toImage(), loginButton);
    // Tab never comes back to the holder, and each stop shows.
    login->ListView1->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(login->btnLogin[0]->grab().toImage(), loginButton);
    const TabRound inLogin = tabThrough(*login);
    EXPECT_EQ(inLogin.stops.join(QLatin1Char(' ')).toStdString(),
              "ListView1 btnLogin0 btnLogin1 btnLogin2");
    EXPECT_EQ(inLogin.unmarked.join(QLatin1Char(' ')).toStdString(), "");
    login->hide();

    program.currentStudent = QStringLiteral("Ana López");
    main->Show_For_Student(false);
    // The ticker shows a tip (a text without a page behind it).
    main->Timer1->stop();
    while (main->ticker().logic().goingUp)
        main->ticker().Timer1_Tick();
    ASSERT_TRUE(main->lblMsg->property("Tag").toString().isEmpty());
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    main->TreeFoldersView->setFocus(Qt::TabFocusReason);
    const TabRound inMain = tabThrough(*main);
    EXPECT_TRUE(inMain.stops.contains(QStringLiteral("lblMoreActs")));
    EXPECT_TRUE(inMain.stops.contains(QStringLiteral("lblMsg")));
    EXPECT_EQ(inMain.unmarked.join(QLatin1Char(' ')).toStdString(), "");
    // At its one stop the link opens its page with Enter.
    host.connected = true;
    main->lblMoreActs->setFocus(Qt::TabFocusReason);
    QTest::keyClick(main->lblMoreActs, Qt::Key_Return);
    ASSERT_EQ(host.openedUrls.size(), 1);
    EXPECT_TRUE(host.openedUrls[0].endsWith(QStringLiteral("activities.htm")));
    main->close();
}

} // namespace
