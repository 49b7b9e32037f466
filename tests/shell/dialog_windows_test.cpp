// The splash window and the one-button message window.
#include "frame/mod_main.h"
#include "frame/program.h"
#include "frame/update_check.h"
#include "platform/qt_host.h"
#include "platform/tiled_background.h"
#include "shell/application_setup.h"
#include "shell/frm_main.h"
#include "shell/frm_msg_box.h"
#include "shell/frm_splash.h"
#include "shell/shell_notices.h"
#include "students/frm_login.h"
#include "students/frm_new_user.h"
#include "subjects/frm_voice.h"
#include "subjects/subject_fixture.h"
#include "support/fake_host.h"
#include "support/test_env.h"

#include <QApplication>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

TEST(SplashTexts, VersionAndCatchLine) {
    EXPECT_EQ(frmSplash::VersionText(1, 0, 12), QStringLiteral("v.1.0.12"));
    EXPECT_EQ(frmSplash::CatchLine(QStringLiteral("Learn"), QStringLiteral("Tolvanex Italiano")),
              QStringLiteral("Learn Italiano!"));
    // A title shorter than 10 characters has no language word.
    EXPECT_EQ(frmSplash::CatchLine(QStringLiteral("Learn"), QStringLiteral("Tolvanex")),
              QStringLiteral("Learn !"));
}

TEST(Tiling, TilesOverlapAndCoverTheWindow) {
    QPixmap tile(24, 12);
    tile.fill(Qt::red);
    // Half the HiMetric size, taken as twips: about 88 % of the picture.
    EXPECT_NEAR(tiling::TileStepPixels(24), 21.1, 0.1);
    EXPECT_NEAR(tiling::TileStepPixels(12), 10.5, 0.1);

    QImage window(50, 30, QImage::Format_RGB32);
    window.fill(Qt::white);
    {
        QPainter painter(&window);
        tiling::TileBackground(painter, window.size(), tile);
    }
    EXPECT_EQ(window.pixelColor(49, 29), QColor(Qt::red));

    // A window smaller than one tile still gets one tile; an empty one none.
    QImage small(5, 5, QImage::Format_RGB32);
    small.fill(Qt::white);
    {
        QPainter painter(&small);
        tiling::TileBackground(painter, small.size(), tile);
        EXPECT_NO_THROW(tiling::TileBackground(painter, QSize(0, 10), tile));
    }
    EXPECT_EQ(small.pixelColor(0, 0), QColor(Qt::red));
    QPainter painter(&small);
    EXPECT_THROW(tiling::TileBackground(painter, small.size(), QPixmap()), std::runtime_error);
}

// WCAG's contrast ratio of two colours, 1 to 21.
double contrast(const QColor &a, const QColor &b) {
    const auto luminance = [](const QColor &c) {
        const auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The contrast of every visible label's text against what is behind it, as
// a screenshot of the window shows them: the most common colour of the
// label's area is the background, the colour farthest from it the text.
QStringList unreadableLabels(QWidget &window) {
    const QImage shot = window.grab().toImage();
    const qreal ratio = shot.devicePixelRatio();
    QStringList unreadable;
    for (QLabel *label : window.findChildren<QLabel *>()) {
        if (!label->isVisible() || label->text().trimmed().isEmpty() || !label->pixmap().isNull())
            continue;
        // Only what the window shows: the slid-in menu's labels lie (almost
        // all) outside it until the menu comes.
        const QRect whole(label->mapTo(&window, QPoint(0, 0)) * ratio, label->size() * ratio);
        const QRect area = whole.intersected(shot.rect());
        if (area.width() * 2 < whole.width() || area.height() * 2 < whole.height())
            continue;
        QHash<QRgb, int> counts;
        for (int y = area.top(); y <= area.bottom() && y < shot.height(); ++y)
            for (int x = area.left(); x <= area.right() && x < shot.width(); ++x)
                ++counts[shot.pixel(x, y)];
        QRgb background = 0;
        int most = -1;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            if (it.value() > most)
                most = it.value(), background = it.key();
        double best = 1;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            best = std::max(best, contrast(QColor(background), QColor(it.key())));
        if (best < 4.5)
            unreadable << QStringLiteral("%1 (%2)").arg(label->objectName()).arg(best, 0, 'f', 1);
    }
    return unreadable;
}

// A desktop in dark mode: light text on dark ground in every role.
QPalette darkDesktopPalette() {
    QPalette dark;
    for (const auto role : {QPalette::Window, QPalette::Base, QPalette::Button,
                            QPalette::AlternateBase, QPalette::ToolTipBase})
        dark.setColor(role, QColor(0x20, 0x20, 0x24));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText,
                            QPalette::ToolTipText, QPalette::BrightText})
        dark.setColor(role, QColor(0xee, 0xee, 0xee));
    return dark;
}

class DialogWindowsTest : public ::testing::Test {
protected:
    DialogWindowsTest() : program(host, env.settings()) { env.installTemplate(); }
    TestEnv env;
    FakeHost host;
    Program program;
};

TEST_F(DialogWindowsTest, AKeyClosesTheSplashAndTheStartGoesOnWithoutIt) {
    frmMain main(program);
    bool pressed = false;
    host.onDoEvents = [&] {
        frmSplash *splash = main.splashWindow();
        if (!pressed && splash && splash->isVisible()) {
            pressed = true;
            EXPECT_EQ(splash->lblLoading->text(), program.captions[53]);
            EXPECT_EQ(splash->lblCatchyWord[0]->text(),
                      program.captions[25] + QStringLiteral(" Italiano!"));
            QTest::keyClick(splash, Qt::Key_Space);
        }
    };
    main.Form_Load();
    EXPECT_TRUE(pressed);
    EXPECT_FALSE(program.ended);
    EXPECT_FALSE(main.notices().SplashVisible());
    EXPECT_TRUE(updateCheck::Read_Date_Checked(program).isValid()) << "the start-up ran to its end";
    EXPECT_GT(main.TreeFolders.Count(), 3) << "the subjects were still loaded";
    EXPECT_TRUE(host.boxes.empty());
}

TEST_F(DialogWindowsTest, SplashShowsEachLineInFrontOnceItIsNextDrawn) {
    frmSplash splash(program, QPixmap());
    splash.show();
    splash.SetStatus(QStringLiteral("Cargando temas"));
    QApplication::processEvents();
    for (const char *title : {"Colori", "Numeri", "Saluti"})
        splash.Prepend(QStringLiteral("Cargando ") + QLatin1String(title) + QStringLiteral("\r\n"));
    // What the box holds once the window can be drawn again, newest first.
    QApplication::processEvents();
    EXPECT_EQ(splash.txtStatus->toPlainText(),
              QStringLiteral("Cargando Saluti\nCargando Numeri\nCargando Colori\nCargando temas"));
}

TEST_F(DialogWindowsTest, NoticeClosedByTheUserDuringTheWaitIsUnloadedQuietly) {
    frmMain main(program);
    main.Form_Load();
    int clicks = 0;
    host.onDoEvents = [&] {
        if (main.notices().NoticeVisible()) {
            EXPECT_EQ(main.msgBox().height(), 2000 / 15);
            QTest::mouseClick(main.msgBox().btnOK, Qt::LeftButton);
            ++clicks;
        }
    };
    modMain::Open_Web_Page(program, QStringLiteral("help.htm"));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(main.notices().NoticeVisible());
    ASSERT_EQ(host.openedUrls.size(), 1);
    EXPECT_EQ(host.openedUrls.first(), env.programFolder() + program.captions[95]);
}

TEST_F(DialogWindowsTest, ModalMessageShowsItsTextAndClosesWithOk) {
    frmMain main(program);
    main.Form_Load();
    QString shown;
    host.onNextModal([&](QWidget &window) {
        auto &box = static_cast<frmMsgBox &>(window);
        shown = box.lblMsg->text();
        QTest::mouseClick(box.btnOK, Qt::LeftButton);
        EXPECT_FALSE(box.isVisible());
    });
    main.notices().ShowMessage(QStringLiteral("Hello"), 10);
    EXPECT_EQ(shown, QStringLiteral("Hello"));
    EXPECT_EQ(host.modalWindows, QStringList{QStringLiteral("frmMsgBox")});
}

// Whether a label shows its text as written, signs and all, not as markup.
bool showsAsWritten(const QLabel &label) {
    return label.textFormat() == Qt::PlainText ||
           (label.textFormat() == Qt::AutoText && !Qt::mightBeRichText(label.text()));
}

// A phrase of a subject file made elsewhere may hold what looks like markup;
// wherever a phrase is shown, it is shown as written.
TEST_F(DialogWindowsTest, PhrasesShowAsWrittenInTheNoticeTheComparisonAndMessageBoxes) {
    const QString phrase = QStringLiteral("<b>Ciao</b> &amp; <i>addio</i>");
    frmMain main(program);
    main.Form_Load();
    main.notices().ShowNotice(QString(), phrase, 1500, 14);
    EXPECT_EQ(main.msgBox().lblMsg->text(), phrase);
    EXPECT_TRUE(showsAsWritten(*main.msgBox().lblMsg));
    main.notices().UnloadNotice();

    const QByteArray wave = fixture::sampleWave();
    frmCompare compare(program, phrase, wave, wave,
                       voice::Compare(voice::Read_Wave(wave), voice::Read_Wave(wave)), {}, &main);
    EXPECT_EQ(compare.lblPhrase->text(), phrase);
    EXPECT_TRUE(showsAsWritten(*compare.lblPhrase));

    // The real message box, read and closed as soon as it is up.
    QtHost real;
    QString shown;
    bool asWritten = false;
    auto readAndClose = [&] {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(window);
            if (!box || !box->isVisible())
                continue;
            if (const auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))) {
                shown = label->text();
                asWritten = showsAsWritten(*label);
            }
            box->done(QMessageBox::Ok);
        }
    };
    QTimer::singleShot(0, readAndClose);
    QTimer safetyNet; // should the box never be found, it is closed after half a minute
    safetyNet.setSingleShot(true);
    QObject::connect(&safetyNet, &QTimer::timeout, readAndClose);
    safetyNet.start(30000);
    real.MsgBox(program.captions[caption::SoundNotPlayable].arg(phrase), vb::vbExclamation);
    EXPECT_EQ(shown, program.captions[caption::SoundNotPlayable].arg(phrase));
    EXPECT_TRUE(asWritten);
}

// Buttons whose text is wider than the button leaves room for.
QStringList cutButtons(QWidget &window) {
    QStringList cut;
    for (QPushButton *button : window.findChildren<QPushButton *>()) {
        if (!button->isVisible() || button->text().isEmpty())
            continue;
        const int room = button->width() - 8;
        if (button->fontMetrics().horizontalAdvance(QString(button->text()).remove('&')) > room)
            cut << button->text();
    }
    return cut;
}

// The program paints its own light backgrounds and lays its windows out at
// fixed places: a desktop in dark mode with a large font must neither put
// light text on them nor cut the buttons' texts.
TEST_F(DialogWindowsTest, UnderADarkDesktopWithALargeFontEveryTextStaysReadableAndWhole) {
    const QPalette before = QApplication::palette();
    const QFont fontBefore = QApplication::font();
    QApplication::setPalette(darkDesktopPalette());
    QFont large = QApplication::font();
    large.setPointSize(13);
    QApplication::setFont(large);
    // Desktop themes also give buttons and lists fonts of their own.
    QApplication::setFont(large, "QPushButton");
    QApplication::setFont(large, "QAbstractItemView");
    SetUpApplication(*qobject_cast<QApplication *>(QCoreApplication::instance()));

    frmMain main(program);
    QStringList splash;
    host.onDoEvents = [&] {
        frmSplash *window = main.splashWindow();
        if (splash.isEmpty() && window && window->isVisible())
            splash = unreadableLabels(*window) << QStringLiteral("checked");
    };
    main.Form_Load();
    host.onDoEvents = nullptr;
    EXPECT_EQ(splash, QStringList{QStringLiteral("checked")});
    ASSERT_TRUE(main.loginWindow());
    EXPECT_EQ(unreadableLabels(*main.loginWindow()), QStringList());
    EXPECT_EQ(cutButtons(*main.loginWindow()), QStringList());
    main.show();
    EXPECT_EQ(cutButtons(main), QStringList());
    EXPECT_EQ(unreadableLabels(main), QStringList());
    main.hide();

    QStringList newUser{QStringLiteral("not shown")};
    host.onNextModal([&](QWidget &window) {
        window.show();
        newUser = unreadableLabels(window);
        window.close();
    });
    main.loginWindow()->btnLogin[1]->click();
    EXPECT_EQ(newUser, QStringList());

    QStringList message{QStringLiteral("not shown")};
    host.onNextModal([&](QWidget &window) {
        message = unreadableLabels(window);
        window.close();
    });
    main.notices().ShowMessage(QStringLiteral("A message to read"), 10);
    EXPECT_EQ(message, QStringList());
    QApplication::setPalette(before);
    QApplication::setFont(fontBefore);
}

} // namespace
