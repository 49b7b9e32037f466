#include "shell/frm_main.h"

#include "activities/activity_launch.h"
#include "activities/activity_panel.h"
#include "frame/folder_set.h"
#include "frame/mod_main.h"
#include "frame/program.h"
#include "frame/study_files.h"
#include "frame/template_texts.h"
#include "frame/update_check.h"
#include "platform/host.h"
#include "platform/pictures.h"
#include "platform/platform_language.h"
#include "platform/qt_button_sounds.h"
#include "platform/qt_window_placement.h"
#include "platform/tiled_background.h"
#include "platform/tree_view_widget.h"
#include "platform/twips.h"
#include "platform/window_fit.h"
#include "shell/class_sync_schedule.h"
#include "shell/frm_msg_box.h"
#include "shell/frm_splash.h"
#include "shell/shell_notices.h"
#include "shell/sliding_menu.h"
#include "shell/ticker.h"
#include "students/frm_admin.h"
#include "students/frm_login.h"
#include "subject_data/subject_node.h"
#include "subjects/frm_import.h"
#include "subjects/frm_voice.h"
#include "subjects/phrase_actions.h"
#include "subjects/subject_tree.h"
#include "subjects/subject_tree_view.h"
#include "virtual/frm_custom_subject.h"
#include "virtual/virtual_store.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
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
} // namespace

frmMain::frmMain(Program &program, QWidget *parent)
    : QMainWindow(parent), TreeFoldersView(new TreeViewWidget(this)),
      TreeFolders(TreeFoldersView->Nodes()), ImageList2(std::make_shared<ImageList>()),
      m_program(program), m_notices(std::make_unique<ShellNotices>(program, *this)),
      m_background(LoadPicture(QStringLiteral(":/tiles/background.png"))) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Main Menu"));
    setFixedSize(TwipsToPixels(kWidthTwips), TwipsToPixels(kHeightTwips));
    setMouseTracking(true);
    program.setWindows(m_notices.get());
    buildControls();
    // The tree's events are wired to it in connectControls.
    m_subjectTree = std::make_unique<SubjectTree>(program, TreeFolders, File1, File2);
    m_classSync = new ClassSyncSchedule(program, this);
    // The one quiet line while the class server is away.
    connect(m_classSync, &ClassSyncSchedule::StatusChanged, this,
            [this](const QString &line, const QString &details) {
                lblClassServer->setText(line);
                lblClassServer->setToolTip(details);
                lblClassServer->setAccessibleDescription(details);
                lblClassServer->setVisible(!line.isEmpty());
            });
    connectControls();
    m_activityLaunch = std::make_unique<ActivityLaunch>(program, *m_subjectTree, TreeFolders);
    m_phraseActions = std::make_unique<PhraseActions>(program, TreeFolders, *this);
    program.atEnd = [this] { removeTemporaryFiles(); };
}

frmMain::~frmMain() {
    // The splash window is a window of its own, not a child of this one.
    if (m_splash)
        delete m_splash;
    m_program.setWindows(nullptr);
    m_program.atEnd = nullptr;
}

void frmMain::connectControls() {
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

    Connect_Subject_Tree(*TreeFoldersView, *m_subjectTree, this);
    connect(TreeFoldersView, &TreeViewWidget::MouseDown, this,
            [this](int button, int, int, int) { TreeFolders_MouseDown(button); });
    const auto listen = [this] { m_phraseActions->Listen(); };
    connect(TreeFoldersView, &TreeViewWidget::DblClick, this, listen);
    connect(mnuListenToPhrase, &QAction::triggered, this, listen);
    const auto listenSlowly = [this] { m_phraseActions->Listen(phraseSound::Speed::Slow); };
    connect(mnuHearSlowly, &QAction::triggered, this, listenSlowly);
    const auto record = [this] { m_phraseActions->Record(); };
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
    connect(mnuEdit, &QAction::triggered, this, [this] { m_phraseActions->Edit(); });
    connect(TreeFoldersView, &TreeViewWidget::MouseMove, this,
            [this](int, int, int, int) { TreeFolders_MouseMove(); });
    connect(btnChangeUser, &QPushButton::clicked, this, [this] {
        m_classSync->Stop();
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
        virtualStore::VirtualStore store(m_program);
        viewer.SetVirtualSubjectMaker(&store);
        viewer.Set_Class_Link(m_classSync->Link());
        m_program.host().ShowModal(viewer);
        m_classSync->Refresh();
        // A virtual subject made there appears in the tree at once.
        if (!m_program.ended)
            Refresh_Subjects();
    });
    connect(btnCreateVirtualSubjects, &QPushButton::clicked, this, [this] {
        hide();
        auto *editor = new frmCustomSubject(m_program, File1, File2, this);
        editor->setAttribute(Qt::WA_DeleteOnClose);
        connect(editor, &frmCustomSubject::RefreshSubjects, this, &frmMain::Refresh_Subjects);
        connect(editor, &frmCustomSubject::Closed, this, [this] { show(); });
        // Hearing and recording a phrase of the editor's trees.
        connect(editor, &frmCustomSubject::HearPhrase, this,
                [this](const subjectData::Phrase &phrase, bool slowly) {
                    m_phraseActions->Hear(phrase, slowly);
                });
        connect(editor, &frmCustomSubject::RecordPhrase, this,
                [this, editor](const subjectData::Phrase &phrase) {
                    m_phraseActions->Record(phrase, editor);
                });
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
    m_notices->SetSplash(m_splash);
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

    // The notice downloads while the student logs in; its message comes
    // when it has arrived.
    if (updateCheck::Take_Due_Check(p))
        updateCheck::Start_Check_For_Update(p, this, [this](bool endProgram) {
            if (endProgram && !m_program.ended)
                Form_Unload();
        });
}

void frmMain::createLoginWindow() {
    m_classSync->Refresh();
    m_login = std::make_unique<frmLogin>(m_program);
    m_login->Set_Class_Link(m_classSync->Link());
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
        m_subjectTree->List_Subject_Files();
        lblSelectSubject->setText(QStringLiteral("1. ") + p.captions[14]);
        lblSelectActivity->setText(QStringLiteral("2. ") + p.captions[15]);
        lblCaption->setText(p.captions[20]);
        setWindowTitle(p.identity.productTitle);
        btnChangeUser->setText(p.captions[99]);
        btnCreateVirtualSubjects->setText(p.captions[65]);
        m_notices->SplashSetStatus(p.captions[12] + QStringLiteral(".  ") + p.captions[13]);
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
    p.administrator = administrator;
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
    m_subjectTree->Show_Review_Nodes();
    show();
    Timer1->start();
    m_classSync->Start();
}

classData::ClassLink *frmMain::classLink() const {
    return m_classSync->Link();
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
    if (button != 2 || !mnuOption->isEnabled())
        return;
    const SubjectTree::PhraseMenu menu = m_subjectTree->Phrase_Menu();
    if (menu == SubjectTree::PhraseMenu::None)
        return;
    mnuEdit->setEnabled(menu == SubjectTree::PhraseMenu::HearAndEdit);
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

void frmMain::removeTemporaryFiles() {
    modMain::Delete_Study_Files(m_program);
    m_program.Remove_Temporary_File(phraseSound::Selected_Phrase_Name(m_program));
    // Nothing of the learner's voice outlives the session.
    m_program.Remove_Temporary_File(voiceWindows::Recording_Name(m_program));
}

void frmMain::Form_Unload() {
    removeTemporaryFiles();
    m_classSync->End();
    m_program.End();
    close();
}

void frmMain::changeEvent(QEvent *event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_program.ended)
        m_subjectTree->Show_Review_Nodes();
}

void frmMain::closeEvent(QCloseEvent *event) {
    // However the window closes, this shell's temporary files go with it.
    removeTemporaryFiles();
    m_classSync->End();
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
    return m_notices->msgBox();
}
