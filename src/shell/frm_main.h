// The main window: it runs the start-up sequence, holds the controls,
// assembles the other windows (splash, login, notices) and forwards the
// controls' events to the subsystem classes that own the logic (the subject
// tree, the template loaders).
#pragma once

#include "activities/activity_catalogue.h"
#include "platform/file_list_box.h"
#include "platform/image_list.h"
#include "platform/tree_view.h"
#include "shell/frm_splash.h"

#include <QMainWindow>
#include <QPixmap>
#include <QPointer>

#include <QVector>

#include <memory>

class QLabel;
class QMenu;
class QAction;
class QPushButton;
class QTimer;
class QWidget;
class ActivityLaunch;
class ActivityPanel;
class ClassSyncSchedule;
class PhraseActions;
class Program;
class ShellNotices;
class SlidingMenu;
class SubjectTree;
class Ticker;
class TreeViewWidget;
class frmLogin;
class frmMsgBox;
struct Student;
namespace classData {
class ClassLink;
struct SyncStatus;
}

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(Program &program, QWidget *parent = nullptr);
    ~frmMain() override;

    // The start-up sequence; afterwards the window is shown unless the
    // program ended during it.
    void Form_Load();
    // Shut-down: removes the temporary files of the last launch and ends the
    // program. Also what a SIGTERM, SIGINT or SIGHUP runs (see main), from
    // whichever window or dialog is up.
    void Form_Unload();

    void Get_Settings();
    void Check_Resolution();
    // Builds the activity catalogue from FileAct and shows its buttons.
    void Get_Activities();
    // After a successful login: rights, menu texts, the ticker's greeting and
    // the caption for the current student; then shows the window and starts
    // the ticker.
    void Show_For_Student(bool administrator);
    // Public for the virtual subject editor, which asks for a rebuild on close.
    void Refresh_Subjects();

    Program &program() { return m_program; }
    SubjectTree &subjectTree() { return *m_subjectTree; }
    ActivityPanel &activityPanel() { return *m_activityPanel; }
    ActivityLaunch &activityLaunch() { return *m_activityLaunch; }
    SlidingMenu &slidingMenu() { return *m_menu; }
    Ticker &ticker() { return *m_ticker; }
    const QVector<Activity> &activityCatalogue() const { return m_activities; }
    frmLogin *loginWindow() { return m_login.get(); }
    frmSplash *splashWindow() { return m_splash; }
    frmMsgBox &msgBox();

    // --- controls ---
    QLabel *imgLogo;
    QLabel *lblSelectSubject;
    QLabel *lblSelectActivity;
    // The tree's widget owns its node collection, TreeFolders.
    TreeViewWidget *TreeFoldersView;
    TreeView &TreeFolders;
    std::shared_ptr<ImageList> ImageList2; // the tree's 11 pictures
    QWidget *picMenu;
    QLabel *lblCaption;
    QVector<QLabel *> lblMenu;
    QVector<QLabel *> imgMenu;
    QLabel *lblURL;
    // The one quiet line saying that the class server is away and how much
    // waits here for it; hidden while all is well or no server is named.
    QLabel *lblClassServer;
    QWidget *Picture1;
    QWidget *PicMsg;
    QLabel *lblMsg;
    QWidget *PicActsHolder;
    QWidget *picActs;
    QLabel *lblMoreActs;
    QPushButton *btnChangeUser;
    QPushButton *btnCreateVirtualSubjects;
    QPushButton *btnOpenSubjectsFolder;
    QPushButton *btnAdmin;
    QPushButton *btnImportWordList;
    QMenu *mnuOption;
    QAction *mnuListenToPhrase;
    QAction *mnuHearSlowly;
    QAction *mnuRecordAndCompare;
    QAction *mnuEditSeparator;
    QAction *mnuEdit;
    QTimer *Timer1;
    QTimer *Timer2;
    QTimer *TimShowMenu;
    QTimer *TimHideMenu;
    FileListBox File1;
    FileListBox File2;
    FileListBox FileAct;

    // Highest index of the menu links and of the activities (count - 1).
    int highestMenuIndex = -1;
    int highestActivityIndex = -1;
    // The link to the class server; null when none is named.
    classData::ClassLink *classLink() const;
    // The kernel's window services (the splash and message windows).
    ShellNotices &notices() { return *m_notices; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    // Coming back to the window (after an activity, say) brings the review
    // lists up to date.
    void changeEvent(QEvent *event) override;

private:
    // The controls at their design places (frm_main_controls.cpp).
    void buildControls();
    // Their events, forwarded to the classes that own the logic.
    void connectControls();
    void placeMenuLink(int k, const QString &text, const QString &link);
    // Template database missing or unreadable: say which file, then end.
    void reportMissingTemplate(const QString &problem);
    void TreeFolders_MouseDown(int button);
    void TreeFolders_MouseMove();
    // The mouse left the live parts: the menu slides out, the ticker text
    // and (over the background) the activity buttons lose their highlight.
    void resetHover(bool activityButtons);
    // Tab goes through the window as a reader does: subjects, activities,
    // buttons, the ticker text, then the menu's links.
    void setKeyboardOrder();
    // Removes the temporary files this shell made (the last launch's, the
    // last phrase heard, the learner's recording); runs whenever the program
    // ends, and again when this window closes.
    void removeTemporaryFiles();
    // A new login window, connected to this window; it is shown by the caller.
    void createLoginWindow();
    // An error found while painting is reported once, after the paint event.
    void reportPaintError(const QString &description);

    Program &m_program;
    std::unique_ptr<ShellNotices> m_notices;
    std::unique_ptr<SubjectTree> m_subjectTree;
    std::unique_ptr<ActivityLaunch> m_activityLaunch;
    std::unique_ptr<PhraseActions> m_phraseActions;
    ActivityPanel *m_activityPanel = nullptr; // owned by PicActsHolder
    SlidingMenu *m_menu = nullptr;            // owned by picMenu
    Ticker *m_ticker = nullptr;               // owned by PicMsg
    QVector<Activity> m_activities;
    std::unique_ptr<frmLogin> m_login;
    ClassSyncSchedule *m_classSync; // owned by this window
    QPointer<frmSplash> m_splash;
    QPixmap m_background;
    bool m_paintErrorReported = false;
    bool m_placed = false; // placed on the screen at its first showing
};
