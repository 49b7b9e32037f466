// The class server as the windows use it, two program folders (two computers)
// and one server: a student made at the first logs in at the second, the
// progress viewer shows the whole class, the settings window tries a server
// and says what it found, and the main window's one quiet line tells of a
// server away while the work goes on and is pushed when it is back. Without
// a server named, the server library is never loaded.
#include "class_data/class_cluster.h"
#include "class_data/class_link.h"
#include "frame/folder_set.h"
#include "frame/program.h"
#include "frame/template_texts.h"
#include "platform/tree_view.h"
#include "platform/tree_view_widget.h"
#include "shell/frm_main.h"
#include "students/frm_admin.h"
#include "students/frm_class_server.h"
#include "students/frm_login.h"
#include "students/student_database.h"
#include "support/fake_host.h"
#include "support/test_env.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>

using namespace classData;

namespace {

// One computer of the lab: its program folder, its student database.
struct Computer {
    Computer(TestEnv &env, FakeHost &host, const QString &folder)
        : program(host, settingsFor(env, folder)) {
        program.identity = Identity::ForCode(QStringLiteral("tvxito"));
        program.folders.programFolder = folders::Get_App_Path(program);
        templateTexts::Get_Captions(program);
        folders::Set_Paths(program);
        Make_Users(program.usersPath());
        main = std::make_unique<frmMain>(program);
    }
    static ProgramSettings settingsFor(TestEnv &env, const QString &folder) {
        ProgramSettings s = env.settings();
        if (!folder.isEmpty()) {
            s.appPathOverride = env.root() + folder + QLatin1Char('/');
            QDir().mkpath(s.appPathOverride);
            for (const char *file : {"Tolvanex.tpl", "custom.tpl"})
                QFile::copy(env.programFolder() + QLatin1String(file),
                            s.appPathOverride + QLatin1String(file));
        }
        return s;
    }
    frmLogin &openLogin() {
        QTest::mouseClick(main->btnChangeUser, Qt::LeftButton);
        return *main->loginWindow();
    }
    // Waits for the next sync's answer.
    SyncStatus synced(int timeoutMs = 30000) {
        QSignalSpy spy(main->classLink(), &ClassLink::Synced);
        EXPECT_TRUE(spy.wait(timeoutMs));
        return main->classLink()->Last_Status();
    }
    SyncStatus sync() {
        QSignalSpy spy(main->classLink(), &ClassLink::Synced);
        main->classLink()->Request_Sync();
        EXPECT_TRUE(spy.wait(30000));
        return main->classLink()->Last_Status();
    }
    // Syncs until one answers as wanted: a sync asked for by the window's
    // own timer or its watch on the student database may run first.
    SyncStatus syncUntil(const std::function<bool(const SyncStatus &)> &wanted) {
        SyncStatus status;
        for (int i = 0; i < 10; ++i)
            if (wanted(status = sync()))
                break;
        return status;
    }

    Program program;
    std::unique_ptr<frmMain> main;
};

QStringList listed(const frmLogin &login) {
    QStringList names;
    for (int i = 0; i < login.ListView1->topLevelItemCount(); ++i)
        names << login.ListView1->topLevelItem(i)->text(0);
    return names;
}

class ClassWindowsTest : public ::testing::Test {
protected:
    ClassWindowsTest() { env.installTemplate(); }
    TestEnv env;
    FakeHost host;
};

TEST_F(ClassWindowsTest, WithoutAServerNamedTheServerLibraryIsNeverLoaded) {
    const bool before = Server_Library_Loaded();
    Computer a(env, host, QString());
    Save_Server_Settings(a.program, ServerSettings{});
    StudentDatabase(a.program.usersPath(), a.program.captions)
        .Add({QStringLiteral("Ana"), QStringLiteral("Pérez"), std::nullopt, 2});
    frmLogin &login = a.openLogin();
    EXPECT_EQ(listed(login), QStringList{QStringLiteral("Ana Pérez")});
    QTest::mouseClick(login.btnLogin[0], Qt::LeftButton);
    EXPECT_EQ(a.main->classLink(), nullptr);
    EXPECT_TRUE(a.main->lblClassServer->isHidden());
    frmAdmin viewer(a.program, a.main.get());
    viewer.cboSource->setCurrentIndex(frmAdmin::WholeClass);
    viewer.cboSource_Click();
    EXPECT_EQ(viewer.Source_Shown(), frmAdmin::ThisComputer);
    EXPECT_FALSE(viewer.lblClassStatus->text().isEmpty());
    // Nor is the program linked to libpq or libsodium (another library may
    // bring libsodium along; the program itself needs neither).
    QProcess readelf;
    readelf.start(
        QStringLiteral("readelf"),
        {QStringLiteral("-d"), TestEnv::builtProgramFolder() + QStringLiteral("tolvanex")});
    ASSERT_TRUE(readelf.waitForFinished(30000));
    const QString needed = QString::fromUtf8(readelf.readAllStandardOutput());
    EXPECT_TRUE(needed.contains(QStringLiteral("libQt6Core"))) << needed.toStdString();
    EXPECT_FALSE(needed.contains(QStringLiteral("libpq"))) << needed.toStdString();
    EXPECT_FALSE(needed.contains(QStringLiteral("libsodium"))) << needed.toStdString();
    QProcess ldd;
    ldd.start(QStringLiteral("ldd"), {TestEnv::builtProgramFolder() + QStringLiteral("tolvanex")});
    ASSERT_TRUE(ldd.waitForFinished(30000));
    EXPECT_FALSE(QString::fromUtf8(ldd.readAllStandardOutput()).contains(QStringLiteral("libpq")));
    if (before)
        GTEST_SKIP() << "another test of this process loaded the library first";
    EXPECT_FALSE(Server_Library_Loaded());
}

TEST_F(ClassWindowsTest, TwoComputersOneClass) {
    REQUIRE_CLASS_CLUSTER();
    ClassCluster &cluster = ClassCluster::Get();
    Ensure_Schema(*Connect(cluster.Owner()));

    // The administrator names the server in the progress viewer's settings:
    // a wrong password first, then the right one.
    Computer a(env, host, QString());
    const qint64 ana =
        StudentDatabase(a.program.usersPath(), a.program.captions)
            .Add({QStringLiteral("Ana"), QStringLiteral("Pérez"), QStringLiteral("Secreto"), 2});
    {
        frmAdmin viewer(a.program, a.main.get());
        host.onNextModal([&](QWidget &window) {
            auto &settings = dynamic_cast<frmClassServer &>(window);
            const ServerSettings lab = cluster.Lab();
            settings.txtHost->setText(lab.host);
            settings.spnPort->setValue(lab.port);
            settings.txtDatabase->setText(lab.database);
            settings.txtUser->setText(lab.user);
            settings.txtPassword->setText(QStringLiteral("wrong"));
            QSignalSpy tested(&settings, &frmClassServer::Tested);
            QTest::mouseClick(settings.btnTest, Qt::LeftButton);
            ASSERT_TRUE(tested.wait(30000));
            EXPECT_FALSE(tested[0][0].toBool());
            EXPECT_TRUE(settings.lblAnswer->text().contains(QStringLiteral("refused")))
                << settings.lblAnswer->text().toStdString();
            settings.txtPassword->setText(lab.password);
            QTest::mouseClick(settings.btnTest, Qt::LeftButton);
            ASSERT_TRUE(tested.wait(30000));
            EXPECT_TRUE(tested[1][0].toBool());
            EXPECT_TRUE(settings.lblAnswer->text().startsWith(QStringLiteral("Connected")))
                << settings.lblAnswer->text().toStdString();
            QTest::mouseClick(settings.btnOK, Qt::LeftButton);
        });
        QTest::mouseClick(viewer.btnClassServer, Qt::LeftButton);
    }
    EXPECT_EQ(Server_Settings(a.program), cluster.Lab());
    // Kept with the build's other values, readable by the user alone.
    const QSettings store(QSettings::NativeFormat, QSettings::UserScope,
                          QStringLiteral("Tolvanex"));
    EXPECT_FALSE(QFile(store.fileName()).permissions() &
                 (QFileDevice::ReadGroup | QFileDevice::ReadOther));

    // At A the login window pushes Ana.
    frmLogin &atA = a.openLogin();
    ASSERT_NE(a.main->classLink(), nullptr);
    EXPECT_TRUE(a.synced().ok);
    EXPECT_EQ(listed(atA), QStringList{QStringLiteral("Ana Pérez")});
    EXPECT_EQ(cluster.Count(QStringLiteral("tvx_students")), 1);

    // The second computer has never seen her: the list from the server.
    Computer b(env, host, QStringLiteral("second"));
    frmLogin &atB = b.openLogin();
    EXPECT_TRUE(listed(atB).isEmpty());
    const SyncStatus first = b.synced();
    EXPECT_TRUE(first.ok) << first.message.toStdString();
    EXPECT_EQ(first.studentsPulled, 1);
    ASSERT_EQ(listed(atB), QStringList{QStringLiteral("Ana Pérez")});
    atB.ListView1->setCurrentItem(atB.ListView1->topLevelItem(0));
    atB.ListView1_Click();
    EXPECT_TRUE(atB.txtPassword->isVisibleTo(&atB));
    atB.txtPassword->setText(QStringLiteral("wrong"));
    QTest::mouseClick(atB.btnLogin[0], Qt::LeftButton);
    EXPECT_TRUE(b.program.currentStudent.isEmpty());
    atB.txtPassword->setText(QStringLiteral("secreto")); // the case is ignored, as ever
    QSignalSpy loggedIn(&atB, &frmLogin::LoggedIn);
    QTest::mouseClick(atB.btnLogin[0], Qt::LeftButton);
    ASSERT_EQ(loggedIn.size(), 1);
    EXPECT_EQ(b.program.currentStudent, QStringLiteral("Ana Pérez"));
    // The first student at B is its administrator.
    EXPECT_TRUE(loggedIn[0][1].toBool());

    // Scores at both computers; B's view of the whole class holds them all.
    Add_Rows(a.program.usersPath(), 3, 1, 4, QStringLiteral("Ana Pérez"));
    Add_Rows(b.program.usersPath(), 2, 1, 4, QStringLiteral("Ana Pérez"));
    for (int i = 0; i < 10 && cluster.Count(QStringLiteral("tvx_scores")) < 3; ++i)
        EXPECT_TRUE(a.sync().ok);
    frmAdmin viewer(b.program, b.main.get());
    viewer.Set_Class_Link(b.main->classLink());
    viewer.cboView->setCurrentIndex(scores::ByStudent);
    viewer.cboView_Click();
    const auto rowsOfAna = [&] {
        TreeView &nodes = viewer.TreeView1->Nodes();
        for (int i = 1; i <= nodes.Count(); ++i)
            if (nodes.Text(i) == QStringLiteral("Tarjetas") && nodes.Parent(i) &&
                nodes.Text(nodes.Parent(i)) == QStringLiteral("Ana Pérez")) {
                viewer.TreeView1_NodeClick(i);
                return viewer.ListView1->topLevelItemCount();
            }
        return -1;
    };
    EXPECT_EQ(rowsOfAna(), 2);
    QSignalSpy shown(&viewer, &frmAdmin::ClassShown);
    viewer.cboSource->setCurrentIndex(frmAdmin::WholeClass);
    viewer.cboSource_Click();
    ASSERT_TRUE(shown.wait(30000));
    EXPECT_TRUE(shown[0][0].toBool()) << viewer.lblClassStatus->text().toStdString();
    EXPECT_EQ(viewer.Source_Shown(), frmAdmin::WholeClass);
    EXPECT_EQ(rowsOfAna(), 5);

    // The server goes away: the one quiet line, no message box, and the
    // rows wait here.
    b.main->Show_For_Student(true);
    EXPECT_TRUE(b.syncUntil([](const SyncStatus &s) { return s.ok; }).ok);
    ASSERT_TRUE(cluster.Control(QStringLiteral("stop")));
    Add_Rows(b.program.usersPath(), 4, 0, 0, QStringLiteral("Ana Pérez"));
    const SyncStatus away =
        b.syncUntil([](const SyncStatus &s) { return !s.ok && s.waiting == 4; });
    EXPECT_FALSE(away.ok);
    EXPECT_EQ(away.kind, ServerError::Unreachable);
    EXPECT_EQ(away.waiting, 4);
    EXPECT_TRUE(b.main->lblClassServer->isVisibleTo(b.main.get()));
    EXPECT_TRUE(b.main->lblClassServer->text().contains(QStringLiteral("4")))
        << b.main->lblClassServer->text().toStdString();
    EXPECT_TRUE(host.boxes.empty()) << host.boxes.front().text.toStdString();
    // The whole class as last read stays on show, with this computer's
    // newest rows.
    QSignalSpy again(&viewer, &frmAdmin::ClassShown);
    viewer.cboSource_Click();
    ASSERT_TRUE(again.wait(30000));
    EXPECT_FALSE(again[0][0].toBool());
    EXPECT_EQ(viewer.Source_Shown(), frmAdmin::WholeClass);
    EXPECT_TRUE(viewer.lblClassStatus->text().contains(QStringLiteral("away")))
        << viewer.lblClassStatus->text().toStdString();
    EXPECT_EQ(rowsOfAna(), 9);

    // Back: what waited goes, once.
    ASSERT_TRUE(cluster.Control(QStringLiteral("resume")));
    const SyncStatus back = b.syncUntil([](const SyncStatus &s) { return s.ok && s.waiting == 0; });
    EXPECT_TRUE(back.ok) << back.message.toStdString();
    EXPECT_EQ(back.waiting, 0);
    EXPECT_TRUE(b.main->lblClassServer->isHidden());
    EXPECT_EQ(cluster.Count(QStringLiteral("tvx_scores")), 3 + 2 + 4);
    EXPECT_EQ(cluster.Count(QStringLiteral("tvx_results")), 8);
    (void)ana;
    // The server's password is in no file the program or an activity writes.
    for (const QString &file :
         {a.program.usersPath(), b.program.usersPath(), b.main->classLink()->ClassPath()}) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << file.toStdString();
        EXPECT_FALSE(f.readAll().contains(cluster.Lab().password.toUtf8())) << file.toStdString();
    }
}

} // namespace
