#include "platform/qt_host.h"
#include "support/local_web_server.h"
#include "support/test_env.h"

#include <QDialog>
#include <QFile>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

QByteArray readFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

TEST(QtHostMsgBox, StylesMapToButtonsDefaultEscapeAndIcon) {
    MsgBoxLook look = MsgBoxLookOf(vb::vbOKOnly);
    EXPECT_EQ(look.buttons, QMessageBox::Ok);
    EXPECT_EQ(look.defaultButton, QMessageBox::Ok);
    EXPECT_EQ(look.escapeButton, QMessageBox::Ok);
    EXPECT_EQ(look.icon, QMessageBox::NoIcon);

    look = MsgBoxLookOf(vb::vbOKCancel | vb::vbExclamation);
    EXPECT_EQ(look.buttons, QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(look.defaultButton, QMessageBox::Ok);
    EXPECT_EQ(look.escapeButton, QMessageBox::Cancel);
    EXPECT_EQ(look.icon, QMessageBox::Warning);

    look = MsgBoxLookOf(vb::vbYesNo | vb::vbQuestion);
    EXPECT_EQ(look.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(look.defaultButton, QMessageBox::Yes);
    EXPECT_EQ(look.escapeButton, QMessageBox::NoButton);
    EXPECT_EQ(look.icon, QMessageBox::Question);

    look = MsgBoxLookOf(vb::vbYesNoCancel | vb::vbCritical | 256);
    EXPECT_EQ(look.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(look.defaultButton, QMessageBox::No);
    EXPECT_EQ(look.escapeButton, QMessageBox::Cancel);
    EXPECT_EQ(look.icon, QMessageBox::Critical);

    EXPECT_EQ(MsgBoxLookOf(vb::vbYesNoCancel | 512).defaultButton, QMessageBox::Cancel);
    EXPECT_EQ(MsgBoxLookOf(vb::vbInformation).icon, QMessageBox::Information);
    // A default button beyond the box's buttons falls back to the first.
    EXPECT_EQ(MsgBoxLookOf(vb::vbOKOnly | 512).defaultButton, QMessageBox::Ok);
}

TEST(QtHostMsgBox, ButtonsGiveVbAnswersAndClosingGivesTheEscapeAnswer) {
    EXPECT_EQ(MsgBoxResultOf(QMessageBox::Ok, vb::vbOKCancel), vb::vbOK);
    EXPECT_EQ(MsgBoxResultOf(QMessageBox::Cancel, vb::vbOKCancel), vb::vbCancel);
    EXPECT_EQ(MsgBoxResultOf(QMessageBox::Yes, vb::vbYesNo), vb::vbYes);
    EXPECT_EQ(MsgBoxResultOf(QMessageBox::No, vb::vbYesNo), vb::vbNo);
    EXPECT_EQ(MsgBoxResultOf(QMessageBox::NoButton, vb::vbYesNo), vb::vbNo);
    EXPECT_EQ(MsgBoxResultOf(QMessageBox::NoButton, vb::vbYesNoCancel), vb::vbCancel);
    EXPECT_EQ(MsgBoxResultOf(QMessageBox::NoButton, vb::vbOKCancel), vb::vbCancel);
    EXPECT_EQ(MsgBoxResultOf(QMessageBox::NoButton, vb::vbOKOnly | vb::vbCritical), vb::vbOK);
}

TEST(QtHostDownload, CopiesFileUrlsAndFailsWithoutTouchingTheTarget) {
    TestEnv env;
    QtHost host;
    const QString source = env.root() + "served/Ver_1_0_0.txt";
    writeFile(source, "Version 1.0.1 is ready*1");
    const QString target = env.tempFolder() + "0X2341KLZX.dat";

    EXPECT_TRUE(host.DownloadFile(QUrl::fromLocalFile(source).toString(), target));
    EXPECT_EQ(readFile(target), "Version 1.0.1 is ready*1");

    writeFile(source, "newer");
    EXPECT_TRUE(host.DownloadFile(QUrl::fromLocalFile(source).toString(), target));
    EXPECT_EQ(readFile(target), "newer") << "an existing file is replaced";

    EXPECT_FALSE(
        host.DownloadFile(QUrl::fromLocalFile(env.root() + "nothing.txt").toString(), target));
    EXPECT_EQ(readFile(target), "newer");
    const QString fresh = env.tempFolder() + "fresh.dat";
    EXPECT_FALSE(
        host.DownloadFile(QUrl::fromLocalFile(env.root() + "nothing.txt").toString(), fresh));
    EXPECT_FALSE(QFile::exists(fresh));

    EXPECT_FALSE(host.DownloadFile("ftp://example.invalid/x.txt", fresh));
    EXPECT_FALSE(QFile::exists(fresh));
}

TEST(QtHostDownload, WebDownloadsNeedASuccessStatusAndFollowRedirects) {
    TestEnv env;
    LocalWebServer server;
    server.serve("/ok", "Ver_1_0_1 x");
    server.redirect("/moved", "/ok");
    QtHost host;
    const QString target = env.tempFolder() + "0X2341KLZX.dat";

    EXPECT_TRUE(host.DownloadFile(server.url("/ok"), target));
    EXPECT_EQ(readFile(target), "Ver_1_0_1 x");
    QFile::remove(target);

    EXPECT_TRUE(host.DownloadFile(server.url("/moved"), target));
    EXPECT_EQ(readFile(target), "Ver_1_0_1 x");

    writeFile(target, "old");
    EXPECT_FALSE(host.DownloadFile(server.url("/updates/Ver_9_9_9.txt"), target));
    EXPECT_EQ(readFile(target), "old") << "an error page is never saved";
}

TEST(QtHostModal, ShowModalReturnsWhenTheWindowHidesClosesOrIsDeleted) {
    QtHost host;

    QWidget plain;
    bool modalWhileShown = false;
    QTimer::singleShot(0, &plain, [&] {
        modalWhileShown = plain.isVisible() && plain.isModal();
        plain.hide();
    });
    host.ShowModal(plain);
    EXPECT_TRUE(modalWhileShown);
    EXPECT_FALSE(plain.isVisible());

    QDialog dialog;
    QTimer::singleShot(0, &dialog, &QDialog::accept);
    host.ShowModal(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    auto *doomed = new QWidget;
    doomed->setAttribute(Qt::WA_DeleteOnClose);
    QTimer::singleShot(0, doomed, &QWidget::close);
    host.ShowModal(*doomed);
    SUCCEED() << "returned after the window was deleted";
}

TEST(QtHostRandom, RndStaysBelowOneAndASeedRepeatsTheSequence) {
    QtHost host;
    host.Randomize(4729);
    std::vector<double> first;
    for (int i = 0; i < 1000; ++i) {
        const double r = host.Rnd();
        EXPECT_GE(r, 0.0);
        EXPECT_LT(r, 1.0);
        first.push_back(r);
    }
    host.Randomize(4729);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(host.Rnd(), first[static_cast<size_t>(i)]);
    host.Randomize(4730);
    EXPECT_NE(host.Rnd(), first[0]);
}
