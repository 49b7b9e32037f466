// On a screen of device pixel ratio 2 the windows show the pictures drawn at
// twice the size, not the 1x pictures enlarged.
#include "frame/program.h"
#include "platform/pictures.h"
#include "platform/tree_view_widget.h"
#include "shell/frm_main.h"
#include "students/frm_login.h"
#include "students/frm_new_user.h"
#include "support/fake_host.h"
#include "support/test_env.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

QImage argb(const QImage &image) {
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// How far apart two pictures are over a rectangle of pixels: the largest
// difference of a colour channel, 255 when the sizes differ.
int difference(const QImage &a, const QImage &b, QRect pixels = {}) {
    const QImage x = argb(a), y = argb(b);
    if (pixels.isNull()) {
        if (x.size() != y.size())
            return 255;
        pixels = x.rect();
    }
    if (!x.rect().contains(pixels) || !y.rect().contains(pixels))
        return 255;
    int worst = 0;
    for (int row = pixels.top(); row <= pixels.bottom(); ++row)
        for (int col = pixels.left(); col <= pixels.right(); ++col) {
            const QRgb p = x.pixel(col, row), q = y.pixel(col, row);
            for (const int shift : {0, 8, 16, 24})
                worst =
                    std::max(worst, std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF)));
        }
    return worst;
}

// A pixmap as the 2x picture of a path shows it: that many pixels, ratio 2.
void expectDoubleDensity(const QPixmap &shown, const QString &path) {
    const QImage dense(DoubleDensityPath(path));
    ASSERT_FALSE(dense.isNull()) << path.toStdString();
    EXPECT_EQ(shown.devicePixelRatio(), 2.0) << path.toStdString();
    EXPECT_EQ(shown.size(), dense.size()) << path.toStdString();
    EXPECT_EQ(difference(shown.toImage(), dense), 0) << path.toStdString();
}

TEST(SharpPicturesTest, HelperPicksThePictureForTheRatio) {
    const QString tree = QStringLiteral(":/tree/1.png");
    EXPECT_EQ(DoubleDensityPath(tree), QStringLiteral(":/tree/1@2x.png"));
    const QPixmap plain = LoadPicture(tree, 1.0);
    EXPECT_EQ(plain.size(), QSize(16, 16));
    EXPECT_EQ(plain.devicePixelRatio(), 1.0);
    for (const qreal ratio : {1.5, 2.0, 3.0}) {
        const QPixmap dense = LoadPicture(tree, ratio);
        EXPECT_EQ(dense.size(), QSize(32, 32)) << ratio;
        EXPECT_EQ(dense.devicePixelRatio(), 2.0) << ratio;
        EXPECT_EQ(dense.deviceIndependentSize(), QSizeF(16, 16)) << ratio;
    }
    // Every picture the windows load as a pixmap has its 2x companion.
    QStringList paths{QStringLiteral(":/tiles/background.png"),
                      QStringLiteral(":/tiles/splash.png"), QStringLiteral(":/menu/bullet.png"),
                      QStringLiteral(":/menu/ticker_frame.png")};
    for (int i = 1; i <= 11; ++i)
        paths << QStringLiteral(":/tree/%1.png").arg(i);
    for (int i = 101; i <= 143; ++i)
        paths << QStringLiteral(":/faces/%1.png").arg(i);
    for (int i = 1; i <= 8; ++i)
        paths << QStringLiteral(":/logos/logo%1.png").arg(i);
    for (const QString &path : paths) {
        const QImage one(path), two(DoubleDensityPath(path));
        EXPECT_EQ(two.size(), one.size() * 2) << path.toStdString();
    }
    // A picture without one is loaded as it is.
    const QPixmap icon = LoadPicture(QStringLiteral(":/app/icons/16.png"), 2.0);
    EXPECT_EQ(icon.size(), QSize(16, 16));
    EXPECT_EQ(icon.devicePixelRatio(), 1.0);
}

class SharpWindowsTest : public ::testing::Test {
protected:
    SharpWindowsTest() : program(host, env.settings()) { env.installTemplate(); }

    static void click(QAbstractButton *button) { QTest::mouseClick(button, Qt::LeftButton); }

    TestEnv env;
    FakeHost host;
    Program program;
};

TEST_F(SharpWindowsTest, WindowsShowTheDoubleDensityPictures) {
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0) << "the screen is not scaled";
    frmMain main(program);
    main.Form_Load();
    ASSERT_FALSE(program.ended);

    // The login window: its background, and the face of a new student.
    frmLogin &login = *main.loginWindow();
    host.onNextModal([](QWidget &window) {
        auto *editor = qobject_cast<frmNewUser *>(&window);
        ASSERT_NE(editor, nullptr) << window.objectName().toStdString();
        QTest::keyClicks(editor->txtFirst, QStringLiteral("Ann"));
        QTest::keyClicks(editor->txtLast, QStringLiteral("Lee"));
        click(editor->btnEdit[0]);
    });
    click(login.btnLogin[1]);
    ASSERT_EQ(login.ListView1->topLevelItemCount(), 1);
    const QIcon face = login.ListView1->topLevelItem(0)->icon(0);
    expectDoubleDensity(face.pixmap(QSize(32, 32), 2.0), QStringLiteral(":/faces/101.png"));
    login.ListView1->setCurrentItem(login.ListView1->topLevelItem(0));
    click(login.btnLogin[0]);
    ASSERT_TRUE(main.isVisible());

    // The logo, the menu's bullet and the tree's pictures.
    expectDoubleDensity(main.imgLogo->pixmap(),
                        QStringLiteral(":/logos/logo%1.png").arg(program.identity.logoIndex));
    expectDoubleDensity(main.imgMenu[0]->pixmap(), QStringLiteral(":/menu/bullet.png"));
    for (int i = 1; i <= main.ImageList2->Count(); ++i)
        expectDoubleDensity(main.ImageList2->Icon(i).pixmap(QSize(16, 16), 2.0),
                            QStringLiteral(":/tree/%1.png").arg(i));
    const QIcon folder =
        main.TreeFoldersView->ModelIndexOf(1).data(Qt::DecorationRole).value<QIcon>();
    EXPECT_EQ(folder.pixmap(QSize(16, 16), 2.0).size(), QSize(32, 32));

    // What the window paints: the tiled background at its top left (right of
    // the menu's strip, before the next tile overlaps) and the ticker's
    // frame left of the moving text, pixel for pixel the 2x pictures.
    const QImage window = main.grab().toImage();
    ASSERT_EQ(window.size(), main.size() * 2);
    EXPECT_LE(difference(window, QImage(QStringLiteral(":/tiles/background@2x.png")),
                         QRect(16, 0, 24, 20)),
              1);
    const QImage frame = main.Picture1->grab().toImage();
    ASSERT_EQ(frame.size(), main.Picture1->size() * 2);
    EXPECT_LE(difference(frame, QImage(QStringLiteral(":/menu/ticker_frame@2x.png")),
                         QRect(6, 40, 22, 120)),
              2);
}

} // namespace
