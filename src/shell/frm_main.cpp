#include "shell/frm_main.h"

#include "activities/activity_launch.h"
#include "activities/activity_panel.h"
#include "activities/study_set.h"
#include "frame/folder_set.h"
#include "frame/mod_main.h"
#include "frame/program.h"
#include "frame/template_texts.h"
#include "frame/update_check.h"
#include "platform/host.h"
#include "platform/pictures.h"
#include "platform/platform_language.h"
#include "platform/qt_button_sounds.h"
#include "platform/qt_mouse_move.h"
#include "platform/qt_window_enabled.h"
#include "platform/qt_window_placement.h"
#include "platform/tiled_background.h"
#include "platform/tree_view_widget.h"
#include "platform/twips.h"
#include "platform/window_fit.h"
#include "shell/frm_msg_box.h"
#include "shell/frm_splash.h"
#include "shell/sliding_menu.h"
#include "shell/ticker.h"
#include "students/frm_admin.h"
#include "students/frm_login.h"
#include "subjects/frm_edit.h"
#include "subjects/frm_import.h"
#include "subjects/frm_voice.h"
#include "subjects/phrase_sound.h"
#include "subjects/subject_tree.h"
#include "virtual/frm_custom_subject.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

namespace {
// The design size of the main window in twips.
constexpr int kWidthTwips = 12000;
constexpr int kHeightTwips = 9300;
// Screens below this many pixels get the resolution warning, and so do
// screens whose free area (without panels) cannot hold the window whole.
constexpr qint64 kMinimumScreenPixels = 460000;
constexpr int kMenuWidthTwips = 3885;
} // namespace

frmMain::frmMain(Program &program, QWidget *parent)
    : QMainWindow(parent), m_program(program),
      m_background(LoadPicture(QStringLiteral(":/tiles/background.png"))) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Main Menu"));
    setFixedSize(TwipsToPixels(kWidthTwips), TwipsToPixels(kHeightTwips));
    setMouseTracking(true);
    program.setWindows(this);
    buildControls();
    m_subjectTree = std::make_unique<SubjectTree>(program, TreeFolders, File1, File2);
    m_activityLaunch = std::make_unique<ActivityLaunch>(program, *m_subjectTree, TreeFolders);
    program.atEnd = [this] { removeTemporaryFiles(); };
}

frmMain::~frmMain() {
    if (m_splash)
        delete m_splash;
    // The tree widget shows TreeFolders and ImageList2, members that are
    // destroyed before the child widgets would be.
    delete TreeFoldersView;
    TreeFoldersView = nullptr;
    m_program.setWindows(nullptr);
    m_program.atEnd = nullptr;
}

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

    TreeFoldersView = new TreeViewWidget(TreeFolders, central);
    TreeFoldersView->setObjectName(QStringLiteral("TreeFolders"));
    PlaceTwips(*TreeFoldersView, 360, 840, 5175, 5880);
    for (int i = 1; i <= 11; ++i)
        ImageList2.Add(LoadPicture(QStringLiteral(":/tree/%1.png").arg(i)));
    TreeFoldersView->SetImageList(&ImageList2);

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

    m_activityPanel = new ActivityPanel(*PicActsHolder, *picActs, *lblMoreActs);
    connect(m_activityPanel, &ActivityPanel::ActivityChosen, this, [this](int index) {
        m_activityLaunch->btnAct_Click(m_activities.value(index).fileName);
    });
    connect(m_activityPanel, &ActivityPanel::Hovered, m_menu, &SlidingMenu::Start_Hide);
    lblMoreActs->setTextFormat(Qt::RichText);
    lblMoreActs->setTextInteractionFlags(Qt::LinksAccessibleByMouse |
                                         Qt::LinksAccessibleByKeyboard);
    connect(lblMoreActs, &QLabel::linkActivated, this,
            [this] { modMain::Open_Web_Page(m_program, QStringLiteral("activities.htm")); });

    connect(TreeFoldersView, &TreeViewWidget::NodeClick, this,
            [this](int index) { m_subjectTree->NodeClick(index); });
    connect(TreeFoldersView, &TreeViewWidget::Expand, this,
            [this](int index) { m_subjectTree->Expand(index); });
    connect(TreeFoldersView, &TreeViewWidget::Collapse, this,
            [this](int index) { m_subjectTree->Collapse(index); });
    connect(TreeFoldersView, &TreeViewWidget::MouseDown, this,
            [this](int button, int, int, int) { TreeFolders_MouseDown(button); });
    const auto listen = [this] {
        phraseSound::mnuListenToPhrase_Click(m_program, *m_subjectTree, TreeFolders);
    };
    connect(TreeFoldersView, &TreeViewWidget::DblClick, this, listen);
    connect(mnuListenToPhrase, &QAction::triggered, this, listen);
    const auto listenSlowly = [this] {
        phraseSound::mnuListenToPhrase_Click(m_program, *m_subjectTree, TreeFolders,
                                             phraseSound::Speed::Slow);
    };
    connect(mnuHearSlowly, &QAction::triggered, this, listenSlowly);
    const auto record = [this] {
        if (!phraseSound::Phrase_Selected(*m_subjectTree, TreeFolders))
            return;
        const int selected = TreeFolders.Selected();
        voiceWindows::Record_And_Compare(m_program, m_subjectTree->Tag_Item(0, selected),
                                         m_subjectTree->Tag_Item(1, selected),
                                         m_subjectTree->Tag_Item(2, selected), this);
    };
    connect(mnuRecordAndCompare, &QAction::triggered, this, record);
    // The menu's keys work in the tree without opening the menu.
    TreeFoldersView->SetCommandKeys({QKeyCombination(Qt::Key_Space),
                                     QKeyCombination(Qt::SHIFT, Qt::Key_Space),
                                     QKeyCombination(Qt::Key_R)});
    connect(TreeFoldersView, &TreeViewWidget::KeyDown, this,
            [listen, listenSlowly, record](int keyCode, int shift) {
                if (keyCode == ' ' && (shift & 1) != 0)
                    listenSlowly();
                else if (keyCode == ' ' && shift == 0)
                    listen();
                else if (keyCode == 'R' && shift == 0)
                    record();
            });
    connect(mnuEdit, &QAction::triggered, this, &frmMain::mnuEdit_Click);
    connect(TreeFoldersView, &TreeViewWidget::MouseMove, this,
            [this](int, int, int, int) { TreeFolders_MouseMove(); });
    connect(btnChangeUser, &QPushButton::clicked, this, [this] {
        hide();
        createLoginWindow();
        m_login->Form_Load();
        if (!m_program.ended)
            m_login->show();
    });
    AddClickSound(*btnChangeUser, modMain::Button_Click(m_program));
    AddClickSound(*btnAdmin, modMain::Button_Click(m_program));
    connect(btnAdmin, &QPushButton::clicked, this, [this] {
        // Clearing the student database there ends the program.
        frmAdmin viewer(m_program, this);
        m_program.host().ShowModal(viewer);
    });
    connect(btnCreateVirtualSubjects, &QPushButton::clicked, this, [this] {
        hide();
        auto *editor = new frmCustomSubject(m_program, File1, File2, this);
        editor->setAttribute(Qt::WA_DeleteOnClose);
        connect(editor, &frmCustomSubject::RefreshSubjects, this, &frmMain::Refresh_Subjects);
        connect(editor, &frmCustomSubject::Closed, this, [this] { show(); });
        editor->Open();
    });
    AddClickSound(*btnImportWordList, modMain::Button_Click(m_program));
    connect(btnImportWordList, &QPushButton::clicked, this, [this] {
        frmImport importer(m_program, this);
        m_program.host().ShowModal(importer);
        if (!importer.importedFile().isEmpty()) {
            m_program.bSubjectsChanged = true;
            Refresh_Subjects();
            // The new subject is selected and opened on its phrases, as if
            // clicked, so the administrator sees what was imported.
            const QString tag =
                QStringLiteral("SUBJECT*") + QFileInfo(importer.importedFile()).fileName();
            for (int i = 1; i <= TreeFolders.Count(); ++i)
                if (TreeFolders.Tag(i) == tag) {
                    TreeFolders.Select(i);
                    m_subjectTree->NodeClick(i);
                    break;
                }
        }
    });
    connect(btnOpenSubjectsFolder, &QPushButton::clicked, this,
            [this] { m_program.host().OpenFolder(m_program.folders.installedSubjectsFolder); });
}

void frmMain::Form_Load() {
    Program &p = m_program;
    Host &host = p.host();

    p.identity = Identity::ForCode(BuildLanguageCode());
    // Database errors are described in the learner's language from here on.
    platformLanguage::Use_Learner_Language(p.identity.learnerLanguage);
    // Message boxes without a title of their own carry the product title.
    // (Not the application display name: Qt would append that to every
    // window title.)
    host.SetProgramTitle(p.identity.productTitle);
    if (p.identity.logoIndex > 0)
        imgLogo->setPixmap(
            LoadPicture(QStringLiteral(":/logos/logo%1.png").arg(p.identity.logoIndex)));

    // The template is read from the program folder before the rest of the
    // folder set exists.
    p.folders.programFolder = folders::Get_App_Path(p);
    const QString problem = templateTexts::Template_Problem(p);
    if (!problem.isEmpty()) {
        reportMissingTemplate(problem);
        return;
    }
    templateTexts::Get_Captions(p);
    if (p.captions.Count() < caption::Last) {
        reportMissingTemplate(
            QStringLiteral("It holds fewer texts than the program needs. / Contiene menos "
                           "textos de los que necesita el programa."));
        return;
    }

    folders::Set_Paths(p);
    folders::Save_Folder_Values(p);
    // The folder of this run's temporary files is made now, so that a
    // temporary folder that cannot be used is told at the start and not
    // first when a phrase is heard.
    try {
        p.Temporary_Folder();
    } catch (const std::exception &e) {
        host.MsgBox(QString::fromUtf8(e.what()), vb::vbExclamation, p.identity.productTitle);
    }

    activities::Point_Activity_List(FileAct, p.folders.activitiesFolder);

    m_splash = new frmSplash(p, imgLogo->pixmap());
    m_splash->setAttribute(Qt::WA_DeleteOnClose);
    m_splash->show();

    Get_Settings();

    createLoginWindow();
    m_login->Form_Load();
    if (p.ended)
        return;

    modMain::Wait_Seconds(host, 1);
    // Events ran during the wait and the loaders: a fatal error may have
    // ended the program meanwhile.
    if (p.ended)
        return;

    p.bSubjectsChanged = false;

    m_subjectTree->Create_Folders();
    m_subjectTree->Get_Subjects();
    m_subjectTree->Get_vSubjects();
    highestMenuIndex =
        templateTexts::Get_Menu_Links(p, [this](int k, const QString &text, const QString &link) {
            placeMenuLink(k, text, link);
        });
    templateTexts::Get_System_Messages(p);
    templateTexts::Get_Tips(p);
    m_ticker->Start_Tips();
    Get_Activities();
    if (p.ended)
        return;

    if (m_splash)
        m_splash->close();

    if (m_login)
        m_login->show();

    Check_Resolution();
    if (p.ended)
        return;

    if (updateCheck::Run_Scheduled_Check(p, [&p] { return updateCheck::Check_For_Update(p); }))
        Form_Unload();
}

void frmMain::createLoginWindow() {
    m_login = std::make_unique<frmLogin>(m_program);
    connect(m_login.get(), &frmLogin::LoggedIn, this,
            [this](const Student &, bool administrator) { Show_For_Student(administrator); });
    connect(m_login.get(), &frmLogin::ClosedWithoutLogin, this, [this] { Form_Unload(); });
}

void frmMain::reportMissingTemplate(const QString &problem) {
    // No captions exist yet, so the report is written in both learner languages.
    m_program.host().MsgBox(
        QStringLiteral("The program cannot start: its text database %1 cannot be read.\r\n"
                       "El programa no puede iniciarse: no se puede leer su base de datos de "
                       "textos %1.\r\n\r\n"
                       "%2\r\n\r\nPlease reinstall the program. / Vuelva a instalar el programa.")
            .arg(QDir::toNativeSeparators(m_program.templatePath()), problem),
        vb::vbCritical, QStringLiteral("ERROR"));
    m_program.End(1);
}

void frmMain::Get_Settings() {
    Program &p = m_program;
    try {
        p.host().Randomize(
            static_cast<quint32>(p.host().Now().time().msecsSinceStartOfDay() / 1000));
        const QString installedInData = p.folders.dataFolder + p.captions[10];
        if (!QFileInfo(installedInData).isDir())
            QDir().mkpath(installedInData);
        File1.SetPattern(QStringLiteral("*.") + p.identity.shortCode);
        File1.SetPath(p.folders.installedSubjectsFolder);
        File1.Refresh();
        File2.SetPattern(QStringLiteral("*.v") + p.identity.shortCode);
        File2.SetPath(p.folders.virtualSubjectsFolder);
        File2.Refresh();
        lblSelectSubject->setText(QStringLiteral("1. ") + p.captions[14]);
        lblSelectActivity->setText(QStringLiteral("2. ") + p.captions[15]);
        lblCaption->setText(p.captions[20]);
        setWindowTitle(p.identity.productTitle);
        btnChangeUser->setText(p.captions[99]);
        btnCreateVirtualSubjects->setText(p.captions[65]);
        SplashSetStatus(p.captions[12] + QStringLiteral(".  ") + p.captions[13]);
        btnOpenSubjectsFolder->setText(p.captions[142]);
        btnImportWordList->setText(p.captions[caption::ImportWordList]);
        btnImportWordList->setToolTip(p.captions[caption::ImportTitle]);
        btnImportWordList->setAccessibleName(p.captions[caption::ImportTitle]);
        m_ticker->Set_Pending(p.captions[63]);
        m_menu->Reset_Hidden();
        highestActivityIndex = FileAct.ListCount() - 1;
        lblMoreActs->setText(QStringLiteral("<a href=\"activities.htm\">%1</a>")
                                 .arg(p.captions[114].toHtmlEscaped()));
        // The progress viewer's button carries the viewer's own title.
        btnAdmin->setText(p.captions[54]);
        lblURL->setText(p.captions[94]);
        // Names for assistive technology where a control shows no text of its own.
        TreeFoldersView->setAccessibleName(p.captions[14]);
        PicActsHolder->setAccessibleName(p.captions[15]);
        picMenu->setAccessibleName(p.captions[20]);
        imgLogo->setAccessibleName(p.identity.productTitle);
    } catch (const std::exception &e) {
        modMain::Show_Error(p, QStringLiteral("Get_Settings"), e);
    }
}

void frmMain::Check_Resolution() {
    try {
        Host &host = m_program.host();
        const QSize screen = host.ScreenSize();
        // The window with its title bar and borders, on the part of the
        // screen left by the desktop's panels.
        const bool fits = FrameFits(host.AvailableGeometry(), WindowFrameSize(*this));
        if (qint64(screen.width()) * screen.height() < kMinimumScreenPixels || !fits) {
            const vb::MsgBoxResult answer = host.MsgBox(
                m_program.captions[16] + QStringLiteral("\r\n\r\n") + m_program.captions[1],
                vb::vbYesNo);
            if (answer == vb::vbNo)
                m_program.End();
        }
    } catch (const std::exception &e) {
        modMain::Show_Error(m_program, QStringLiteral("Check_Resolution"), e);
    }
}

void frmMain::Show_For_Student(bool administrator) {
    Program &p = m_program;
    btnAdmin->setEnabled(administrator);
    btnImportWordList->setVisible(administrator);
    btnImportWordList->setEnabled(administrator);
    // Every student hears phrases; only the administrator corrects them.
    mnuEdit->setVisible(administrator);
    mnuEditSeparator->setVisible(administrator);
    mnuEdit->setText(p.captions[111]);
    mnuListenToPhrase->setText(p.captions[112]);
    mnuHearSlowly->setText(p.captions[caption::HearSlowly]);
    mnuRecordAndCompare->setText(p.captions[caption::RecordAndCompare]);
    m_ticker->Show_Text(p.captions[62] + QLatin1Char(' ') + p.identity.productTitle +
                            QLatin1Char(' ') + p.currentStudent,
                        12);
    setWindowTitle(p.identity.productTitle + QStringLiteral("  [") + p.currentStudent +
                   QLatin1Char(']'));
    // Placed once, on the free part of the screen: shown again after a
    // change of student the window stays where it was (or where the user
    // moved it).
    if (!m_placed) {
        PlaceWindowIn(*this, p.host().AvailableGeometry());
        m_placed = true;
    }
    show();
    Timer1->start();
}

void frmMain::Refresh_Subjects() {
    m_subjectTree->Refresh_Subjects();
}

void frmMain::Get_Activities() {
    try {
        m_activities = activities::Get_Activities(m_program, FileAct);
        QString noActivities = modMain::Safe_Caption(m_program, caption::NoActivities);
        if (noActivities.contains(QLatin1String("%1")))
            noActivities =
                noActivities.arg(QDir::toNativeSeparators(m_program.folders.activitiesFolder));
        m_activityPanel->Show(m_activities, noActivities);
        for (ActivityButton *button : std::as_const(m_activityPanel->btnAct))
            AddClickSound(*button, modMain::Button_Click(m_program));
        setKeyboardOrder();
    } catch (const std::exception &e) {
        modMain::Show_Error(m_program, QStringLiteral("Get_Activities"), e);
    }
}

void frmMain::placeMenuLink(int k, const QString &text, const QString &link) {
    if (k > 0) {
        auto *img = new QLabel(picMenu);
        img->setObjectName(QStringLiteral("imgMenu%1").arg(k));
        img->setGeometry(imgMenu[k - 1]->geometry().translated(0, TwipsToPixels(750)));
        img->setPixmap(imgMenu[0]->pixmap());
        auto *lbl = new QLabel(picMenu);
        lbl->setObjectName(QStringLiteral("lblMenu%1").arg(k));
        lbl->setGeometry(lblMenu[k - 1]->geometry().translated(0, TwipsToPixels(750)));
        lbl->setStyleSheet(lblMenu[0]->styleSheet());
        imgMenu << img;
        lblMenu << lbl;
    }
    lblMenu[k]->setText(text);
    lblMenu[k]->setProperty("Tag", link);
    lblMenu[k]->setToolTip(modMain::Safe_Caption(m_program, 94) + link);
    imgMenu[k]->setVisible(true);
    lblMenu[k]->setVisible(true);
    m_menu->Watch_Link(lblMenu[k]);
}

void frmMain::setKeyboardOrder() {
    QList<QWidget *> order{TreeFoldersView};
    for (ActivityButton *button : std::as_const(m_activityPanel->btnAct))
        order << button;
    order << lblMoreActs << btnOpenSubjectsFolder << btnCreateVirtualSubjects << btnChangeUser
          << btnAdmin << btnImportWordList << lblMsg;
    for (QLabel *link : std::as_const(lblMenu))
        order << link;
    order << lblURL;
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void frmMain::TreeFolders_MouseDown(int button) {
    const int selected = TreeFolders.Selected();
    if (button != 2 || selected == 0 || !mnuOption->isEnabled())
        return;
    const int parent = TreeFolders.Parent(selected);
    if (parent == 0 || m_subjectTree->Tag_Item(0, selected) == QLatin1String("FOLDER"))
        return;
    if (m_subjectTree->Tag_Item(0, parent) != QLatin1String("SUBJECT"))
        return;
    // Every phrase can be heard; only those of installed subjects and the
    // random subject are corrected here (a virtual phrase is its source's).
    const int grandparent = TreeFolders.Parent(parent);
    mnuEdit->setEnabled(grandparent < 3);
    mnuOption->popup(QCursor::pos());
}

void frmMain::TreeFolders_MouseMove() {
    resetHover(false);
}

void frmMain::resetHover(bool activityButtons) {
    m_menu->Start_Hide();
    m_ticker->Remove_Underline();
    if (activityButtons)
        m_activityPanel->ShowAllNormal();
}

void frmMain::mouseMoveEvent(QMouseEvent *event) {
    resetHover(true);
    QMainWindow::mouseMoveEvent(event);
}

void frmMain::mnuEdit_Click() {
    Host &host = m_program.host();
    if (!mnuEdit->isVisible()) {
        host.MsgBox(m_program.captions[113], vb::vbExclamation);
        return;
    }
    const int selected = TreeFolders.Selected();
    if (selected == 0)
        return;
    frmEdit editor(m_program, TreeFolders.Tag(selected), this);
    if (!editor.Row_Read())
        return;
    host.ShowModal(editor);
    if (!editor.Saved())
        return;
    // The node shows what the file now holds.
    TreeFolders.SetTag(selected, editor.Saved_Tag());
    TreeFolders.SetText(selected, m_subjectTree->Tag_Item(3, selected));
}

void frmMain::removeTemporaryFiles() {
    activities::Delete_Study_Files(m_program);
    m_program.Remove_Temporary_File(phraseSound::Selected_Phrase_Name(m_program));
    // Nothing of the learner's voice outlives the session.
    m_program.Remove_Temporary_File(voiceWindows::Recording_Name(m_program));
}

void frmMain::Form_Unload() {
    removeTemporaryFiles();
    m_program.End();
    close();
}

void frmMain::closeEvent(QCloseEvent *event) {
    // However the window closes, this shell's temporary files go with it.
    removeTemporaryFiles();
    m_program.End();
    event->accept();
}

void frmMain::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    try {
        tiling::TileBackground(painter, size(), m_background);
    } catch (const std::exception &e) {
        reportPaintError(QString::fromUtf8(e.what()));
    }
}

void frmMain::reportPaintError(const QString &description) {
    // A message box opened inside a paint event would paint this window
    // again, and fail again, behind it.
    if (m_paintErrorReported)
        return;
    m_paintErrorReported = true;
    QTimer::singleShot(0, this, [this, description] {
        modMain::Show_Error(m_program, QStringLiteral("TileBackground"), description);
    });
}

frmMsgBox &frmMain::msgBox() {
    if (!m_msgBox)
        m_msgBox = std::make_unique<frmMsgBox>(this);
    return *m_msgBox;
}

bool frmMain::SplashVisible() {
    return m_splash && m_splash->isVisible();
}

void frmMain::SplashPrepend(const QString &line) {
    if (m_splash)
        m_splash->Prepend(line);
}

void frmMain::SplashSetStatus(const QString &text) {
    if (m_splash)
        m_splash->SetStatus(text);
}

void frmMain::ShowNotice(const QString &caption, const QString &text, int heightTwips,
                         int fontSize) {
    // Each use starts from the design state of the window.
    m_msgBox.reset();
    frmMsgBox &box = msgBox();
    box.setWindowTitle(caption.isEmpty() ? m_program.identity.productTitle : caption);
    box.SetHeightTwips(heightTwips);
    box.SetMessage(text, fontSize);
    box.setModal(false);
    box.show();
    m_program.host().DoEvents();
}

bool frmMain::NoticeVisible() {
    return m_msgBox && m_msgBox->isVisible();
}

void frmMain::SetNoticeText(const QString &text) {
    if (m_msgBox)
        m_msgBox->lblMsg->setText(text);
}

void frmMain::UnloadNotice() {
    m_msgBox.reset();
}

void frmMain::ShowMessage(const QString &text, int fontSize) {
    m_msgBox.reset();
    frmMsgBox &box = msgBox();
    box.setWindowTitle(m_program.identity.productTitle);
    box.SetMessage(text, fontSize);
    m_program.host().ShowModal(box);
    m_msgBox.reset();
}

void frmMain::SetMainEnabled(bool enabled) {
    SetWindowEnabled(*this, enabled);
}
