// The progress viewer: the administrator looks at the scores the activities
// recorded, arranged by student, by activity or by subject, sees the scores
// of one pair of names as rows and as a small chart, sees by phrase what the
// class remembers (worst first, a phrase's students and their answers),
// exports a whole view as CSV, sets the desired retention of the review
// schedules, makes a virtual subject of the class's trouble phrases, and may
// clear the student database (which ends the program).
//
// The window is modal; whoever opens it shows it with Host::ShowModal:
//     frmAdmin viewer(program, this);
//     program.host().ShowModal(viewer);
// The data comes from scores::ScoreViews and phraseViews; the window only
// shows it.
#pragma once

#include "platform/image_list.h"
#include "students/phrase_views.h"
#include "students/score_views.h"

#include <QDialog>
#include <QLocale>
#include <QPixmap>

#include <memory>

class QComboBox;
class QLabel;
class QCheckBox;
class QPushButton;
class QSpinBox;
class QThread;
class QTreeWidget;
class Program;
class ProgressChart;
namespace classData {
class ClassLink;
}
class TreeViewWidget;
namespace subjectData {
class VirtualSubjectMaker;
}

class frmAdmin : public QDialog {
    Q_OBJECT
public:
    // Loads the window (Form_Load): texts, pictures, no view chosen yet.
    explicit frmAdmin(Program &program, QWidget *parent = nullptr);
    ~frmAdmin() override;

    void Form_Load();
    // The view choice: builds the tree of the chosen view.
    void cboView_Click();
    void Build_View(int view);
    // A click on a node, or Enter on the selected one.
    void TreeView1_NodeClick(int index);
    // Lists the rows of the pair that a second-level node stands for.
    void Show_Scores(int index);
    // In the view by phrase: lists the students of the phrase at index (the
    // phrases are the tree's first nodes, worst first) with their results.
    void Show_Phrase(int index);
    // In the view by phrase, with a maker given: asks which trouble phrases
    // become a virtual subject, and where.
    void btnMakeVirtual_Click();
    // Who makes virtual subjects; without one the view by phrase offers none.
    void SetVirtualSubjectMaker(subjectData::VirtualSubjectMaker *maker);
    // Stores the desired retention and moves the listed next reviews.
    void spnRetention_Change(int percent);
    void btnClearDatabase_Click();
    // Asks where and in which form, then writes the view's rows on another
    // thread under a busy cursor; says where it saved when done.
    void btnExport_Click();
    // Whether an export is being written, and waiting for it to end and be
    // reported (the window does so before it closes or clears the database).
    bool Exporting() const { return m_export != nullptr; }
    void WaitForExport();

    // Where the views read from: this computer's student database, or the
    // whole class as the class server holds it (read into the class file
    // off the window's thread, then shown with the same views).
    enum Source : int { ThisComputer = 0, WholeClass = 1 };
    // The program's link to the class server, when one is named; without
    // one the viewer makes its own when the whole class is asked for.
    void Set_Class_Link(classData::ClassLink *link) { m_link = link; }
    void cboSource_Click();
    int Source_Shown() const { return m_source; }
    // The settings of the class server.
    void btnClassServer_Click();

    // The chosen view (the tree's tag); -1 until one is chosen.
    int View() const { return m_view; }

    // --- controls ---
    QLabel *lblView;
    QComboBox *cboView;
    TreeViewWidget *TreeView1;
    QTreeWidget *ListView1;
    std::shared_ptr<ImageList> ImageList2 = std::make_shared<ImageList>();
    ProgressChart *picProgress;
    QPushButton *btnExport;
    QPushButton *btnClearDatabase;
    // Shown in the view by phrase, where the chart has nothing to show.
    QPushButton *btnMakeVirtual;
    // The administrator's switch for the weekly update check.
    QCheckBox *chkUpdateCheck;
    // The desired retention of every schedule, in percent.
    QLabel *lblRetention;
    QSpinBox *spnRetention;
    // The source of the views and what the class server last said.
    QLabel *lblSource;
    QComboBox *cboSource;
    QPushButton *btnClassServer;
    QLabel *lblClassStatus;

signals:
    // An export has ended and its message has been shown.
    void ExportFinished();
    // The whole class was read (or could not be) and the views show it.
    void ClassShown(bool ok);
    // The administrator changed the class server's settings.
    void ClassServerChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void clearScores();
    QString viewCaption(int view) const;
    void buildPhraseView();
    // The day the schedules are worked out for.
    QDate today() const;
    // Widens the list's columns to their headings and shown texts; never
    // narrower than the designed widths or than they are now.
    void fitColumns();
    QString exportFolder() const;
    void exportDone();

    void showSource(int source);
    classData::ClassLink *classLink();

    Program &m_program;
    classData::ClassLink *m_link = nullptr;
    std::unique_ptr<classData::ClassLink> m_ownLink;
    int m_source = ThisComputer;
    QLocale m_locale; // the learner's, for dates and times
    scores::ScoreViews m_views;
    int m_view = -1;
    phraseViews::PhraseView m_phrases; // the view by phrase as last read
    int m_shownPhrase = 0;             // its node listed now; 0 for none
    subjectData::VirtualSubjectMaker *m_maker = nullptr;
    std::unique_ptr<QThread> m_export;
    int m_exportRun = 0;
    QString m_exportPath;
    std::shared_ptr<QString> m_exportError;
    QPixmap m_background;
    QPixmap m_tiled; // the background laid out for the window's size
};
