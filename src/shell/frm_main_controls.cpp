// The main window's controls at their design places (in twips), with the
// classes that own a share of them (the sliding menu, the ticker).
#include "shell/frm_main.h"

#include "platform/pictures.h"
#include "platform/qt_mouse_move.h"
#include "platform/tree_view_widget.h"
#include "platform/twips.h"
#include "shell/sliding_menu.h"
#include "shell/ticker.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

namespace {
constexpr int kMenuWidthTwips = 3885;
} // namespace

void frmMain::buildControls() {
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    central->setMouseTracking(true);
    setCentralWidget(central);

    auto label = [&](const char *name, QWidget *parent, const QString &text) {
        auto *l = new QLabel(text, parent);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    auto button = [&](const char *name, const QString &text, int left, int top) {
        auto *b = new QPushButton(text, central);
        b->setObjectName(QLatin1String(name));
        PlaceTwips(*b, left, top, 2520, 420);
        return b;
    };

    lblSelectSubject =
        label("lblSelectSubject", central, QStringLiteral("1. Select A Spanish Subject"));
    PlaceTwips(*lblSelectSubject, 360, 240, 5175, 495);
    lblSelectActivity =
        label("lblSelectActivity", central, QStringLiteral("2. Select an Activity Below"));
    PlaceTwips(*lblSelectActivity, 5880, 240, 5055, 615);
    for (QLabel *heading : {lblSelectSubject, lblSelectActivity})
        heading->setStyleSheet(
            QStringLiteral("font-size: 13pt; font-weight: bold; color: #123a52;"));

    TreeFoldersView->setParent(central);
    TreeFoldersView->setObjectName(QStringLiteral("TreeFolders"));
    PlaceTwips(*TreeFoldersView, 360, 840, 5175, 5880);
    for (int i = 1; i <= 11; ++i)
        ImageList2->Add(LoadPicture(QStringLiteral(":/tree/%1.png").arg(i)));
    TreeFoldersView->SetImageList(ImageList2);

    btnOpenSubjectsFolder =
        button("btnOpenSubjectsFolder", QStringLiteral("Open Subjects Folder"), 360, 6840);
    btnCreateVirtualSubjects =
        button("btnCreateVirtualSubjects", QStringLiteral("* Create Virtual Subjects"), 3015, 6840);
    btnChangeUser = button("btnChangeUser", QStringLiteral("* Change User"), 360, 7380);
    btnAdmin = button("btnAdmin", QStringLiteral("Progress"), 3015, 7380);
    // The administrator's word list import, in the subject column beside the
    // logo: the two button rows above are full.
    btnImportWordList = button("btnImportWordList", QStringLiteral("Import..."), 4215, 7920);
    PlaceTwips(*btnImportWordList, 4215, 7920, 1320, 420);
    btnImportWordList->setVisible(false);

    lblClassServer = label("lblClassServer", central, QString());
    PlaceTwips(*lblClassServer, 6000, 7920, 5640, 600);
    lblClassServer->setWordWrap(true);
    lblClassServer->setStyleSheet(QStringLiteral("color: #5a4a2a;"));
    lblClassServer->setAccessibleName(tr("Class server"));
    lblClassServer->hide();

    imgLogo = label("imgLogo", central, QString());
    PlaceTwips(*imgLogo, 360, 7920, 3750, 1200);
    imgLogo->setScaledContents(true);

    PicActsHolder = new QWidget(central);
    PicActsHolder->setObjectName(QStringLiteral("PicActsHolder"));
    PlaceTwips(*PicActsHolder, 5880, 840, 5235, 5175);
    picActs = new QWidget(PicActsHolder);
    picActs->setObjectName(QStringLiteral("picActs"));
    PlaceTwips(*picActs, 0, 0, 5265, 5175);
    lblMoreActs = label("lblMoreActs", picActs, QStringLiteral("Download more activities"));
    PlaceTwips(*lblMoreActs, 0, 45, 4800, 300);
    lblMoreActs->setStyleSheet(QStringLiteral("color: #123a52; text-decoration: underline;"));

    Picture1 = new QWidget(central);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    PlaceTwips(*Picture1, 6000, 6300, 5640, 1530);
    Picture1->setAttribute(Qt::WA_StyledBackground);
    Picture1->setStyleSheet(
        QStringLiteral("#Picture1 { border-image: url(:/menu/ticker_frame.png); }"));
    PicMsg = new QWidget(Picture1);
    PicMsg->setObjectName(QStringLiteral("PicMsg"));
    PlaceTwips(*PicMsg, 240, 240, 5175, 1170);
    PicMsg->setProperty("Tag", QStringLiteral("GOUP"));
    lblMsg = label("lblMsg", PicMsg, QString());
    PlaceTwips(*lblMsg, 120, 50, 5055, 1020);
    lblMsg->setWordWrap(true);
    lblMsg->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    picMenu = new QWidget(central);
    picMenu->setObjectName(QStringLiteral("picMenu"));
    picMenu->setAttribute(Qt::WA_StyledBackground);
    picMenu->setStyleSheet(
        QStringLiteral("#picMenu { background: #1d4e6b; border-right: 4px solid #f0a030; }"));
    PlaceTwips(*picMenu, -3720, -120, kMenuWidthTwips, 9765);
    lblCaption =
        label("lblCaption", picMenu, QStringLiteral("\u00bfEn qu\u00e9 le podemos ayudar?"));
    PlaceTwips(*lblCaption, 240, 360, 3615, 525);
    lblCaption->setStyleSheet(QStringLiteral("color: white; font-weight: bold;"));
    lblCaption->setWordWrap(true);
    imgMenu << label("imgMenu0", picMenu, QString());
    PlaceTwips(*imgMenu[0], 240, 1200, 240, 240);
    imgMenu[0]->setPixmap(LoadPicture(QStringLiteral(":/menu/bullet.png")));
    imgMenu[0]->setVisible(false);
    lblMenu << label("lblMenu0", picMenu, QString());
    PlaceTwips(*lblMenu[0], 600, 1170, 3135, 480);
    lblMenu[0]->setStyleSheet(QStringLiteral("color: white;"));
    lblMenu[0]->setVisible(false);
    lblURL = label("lblURL", picMenu, QString());
    PlaceTwips(*lblURL, 240, 8880, 3500, 300);
    lblURL->setStyleSheet(QStringLiteral("color: #ffd080;"));
    picMenu->raise();

    mnuOption = new QMenu(QStringLiteral("Options"), this);
    mnuOption->setObjectName(QStringLiteral("mnuOption"));
    mnuListenToPhrase = mnuOption->addAction(QStringLiteral("&Hear Phrase"));
    mnuListenToPhrase->setObjectName(QStringLiteral("mnuListenToPhrase"));
    mnuListenToPhrase->setShortcut(QKeySequence(Qt::Key_Space));
    mnuHearSlowly = mnuOption->addAction(QStringLiteral("Hear &Slowly"));
    mnuHearSlowly->setObjectName(QStringLiteral("mnuHearSlowly"));
    mnuHearSlowly->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Space));
    mnuRecordAndCompare = mnuOption->addAction(QStringLiteral("&Record and Compare"));
    mnuRecordAndCompare->setObjectName(QStringLiteral("mnuRecordAndCompare"));
    mnuRecordAndCompare->setShortcut(QKeySequence(Qt::Key_R));
    mnuEditSeparator = mnuOption->addSeparator();
    mnuEdit = mnuOption->addAction(QStringLiteral("&Edit"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    // The keys are the tree's (see its KeyDown); the menu only shows them.
    for (QAction *action : {mnuListenToPhrase, mnuHearSlowly, mnuRecordAndCompare}) {
        action->setShortcutContext(Qt::WidgetShortcut);
        action->setShortcutVisibleInContextMenu(true);
    }

    auto timer = [&](const char *name, int interval) {
        auto *t = new QTimer(this);
        t->setObjectName(QLatin1String(name));
        t->setInterval(interval);
        return t;
    };
    Timer1 = timer("Timer1", 30);
    Timer2 = timer("Timer2", 1000);
    // The ticker's pauses are read by the learner: a coarse timer lets a
    // 12.75 s pause shrink by 5 %.
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer2->setTimerType(Qt::PreciseTimer);
    TimShowMenu = timer("TimShowMenu", 2);
    TimHideMenu = timer("TimHideMenu", 2);
    m_menu = new SlidingMenu(m_program, *picMenu, lblMenu, *lblURL, *TimShowMenu, *TimHideMenu);
    m_ticker = new Ticker(m_program, *PicMsg, *lblMsg, *Timer1, *Timer2);
    connect(m_ticker, &Ticker::Hovered, m_menu, &SlidingMenu::Start_Hide);
    OnMouseMove(*imgLogo, [this] { resetHover(false); });
    OnMouseMove(*Picture1, [this] { m_ticker->Remove_Underline(); });
}
