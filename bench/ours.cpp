#include "ours.h"

#include "activities/activity_launch.h"
#include "activities/study_set.h"
#include "frame/captions.h"
#include "frame/folder_set.h"
#include "frame/identity.h"
#include "frame/program.h"
#include "frame/shell_windows.h"
#include "frame/template_texts.h"
#include "platform/file_list_box.h"
#include "platform/image_list.h"
#include "platform/quiet_host.h"
#include "platform/start_detached.h"
#include "platform/tree_view.h"
#include "platform/tree_view_widget.h"
#include "shell/frm_splash.h"
#include "shell/qt_resources.h"
#include "students/frm_admin.h"
#include "students/phrase_views.h"
#include "students/progress_chart.h"
#include "students/score_views.h"
#include "study_data/study_results.h"
#include "subject_data/subject_schema.h"
#include "subjects/subject_tree.h"
#include "subjects/subject_tree_view.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QPixmap>
#include <QPointer>
#include <QTreeWidget>

#include <stdexcept>

namespace bench::ours {

namespace {

// A host that shows nothing: message boxes are counted and answered with
// their first button, events run as in the real host, and the clock and the
// random numbers are fixed by the runner so that every run draws the same.
class BenchHost : public QuietHost {
public:
    int boxCount = 0;
    QString firstBox;
    QDateTime clock = QDateTime(QDate(2026, 1, 5), QTime(9, 0));
    VbRandom random;

    vb::MsgBoxResult MsgBox(const QString &text, int style, const QString &title) override {
        if (boxCount++ == 0)
            firstBox = text;
        return QuietHost::MsgBox(text, style, title);
    }
    bool OpenUrl(const QString &) override { return true; }
    bool StartDetached(const QString &program, const QStringList &arguments,
                       const QString &workingDirectory) override {
        return startDetached::Start(program, arguments, workingDirectory);
    }
    QDateTime Now() override { return clock; }
    void Randomize(quint32 seed) override { random.seed(seed); }
    double Rnd() override { return random.next(); }
    void DoEvents() override { QCoreApplication::processEvents(); }
    void WaitForEvents(int) override { QCoreApplication::processEvents(); }
};

// The splash window as the main window offers it to the loaders.
class SplashWindows : public ShellWindows {
public:
    QPointer<frmSplash> splash;

    bool SplashVisible() override { return splash && splash->isVisible(); }
    void SplashPrepend(const QString &line) override {
        if (splash)
            splash->Prepend(line);
    }
    void SplashSetStatus(const QString &text) override {
        if (splash)
            splash->SetStatus(text);
    }
};

ProgramSettings settingsFor(const QString &programFolder) {
    ProgramSettings s;
    s.appPathOverride = programFolder;
    // Never used while the program folder is writable; kept inside the data set
    // so that nothing touches the user's own folders.
    s.appDataOverride = programFolder + QStringLiteral("appdata");
    s.rowSet = TVX_ROW_SET;
    s.versionMajor = TVX_VERSION_MAJOR;
    s.versionMinor = TVX_VERSION_MINOR;
    s.versionRevision = TVX_VERSION_REVISION;
    return s;
}

// A program as the start-up leaves it before the tree is built: identity,

// The build's identity and the captions of the template in programFolder,
// as the start-up reads them.
void loadTexts(Program &program, const QString &programFolder) {
    program.identity = Identity::ForCode(BuildLanguageCode());
    program.folders.programFolder = programFolder;
    templateTexts::Get_Captions(program);
    if (program.captions.Count() < caption::Last)
        throw std::runtime_error(
            ("cannot read the texts of " + program.templatePath()).toStdString());
}

// captions and folders set.
class BenchProgram {
public:
    explicit BenchProgram(const QString &programFolder)
        : program(host, settingsFor(programFolder)) {
        loadTexts(program, programFolder);
        folders::Set_Paths(program);
        for (int i = 1; i <= 11; ++i)
            pictures->Add(QPixmap(QStringLiteral(":/tree/%1.png").arg(i)));
    }

    // Clears the record of message boxes before a run.
    void startRun() {
        host.boxCount = 0;
        host.firstBox.clear();
    }
    // A message box during a run means the program met a problem.
    QString problem() const {
        if (host.boxCount == 0)
            return QString();
        return QStringLiteral("%1 message box(es), the first: %2")
            .arg(host.boxCount)
            .arg(host.firstBox.simplified().left(160));
    }

    BenchHost host;
    Program program;
    std::shared_ptr<ImageList> pictures = std::make_shared<ImageList>();
};

// TreeFolders with its widget, file lists and subject tree, wired by the
// main window's own wiring.
class BenchTree {
public:
    explicit BenchTree(BenchProgram &p) : subjects(p.program, nodes, file1, file2) {
        widget = std::make_unique<TreeViewWidget>(nodes);
        widget->setObjectName(QStringLiteral("TreeFolders"));
        widget->resize(kTreeSize);
        widget->SetImageList(p.pictures);
        Connect_Subject_Tree(*widget, subjects, widget.get());
        subjects.List_Subject_Files();
    }
    ~BenchTree() {
        widget.reset();
        QCoreApplication::processEvents();
    }

    // The node of an installed subject file; throws when the tree lacks it.
    int installedSubject(const QString &subjectFile) const {
        const QString tag = QStringLiteral("SUBJECT*") + subjectFile;
        for (int i = nodes.Child(1); i != 0; i = nodes.Next(i))
            if (nodes.Tag(i) == tag)
                return i;
        throw std::runtime_error(("the tree does not list " + subjectFile).toStdString());
    }

    void load() {
        subjects.Create_Folders();
        subjects.Get_Subjects();
        subjects.Get_vSubjects();
    }
    QStringList childTexts(int index) const {
        QStringList texts;
        for (int i = index ? nodes.Child(index) : 0; i != 0; i = nodes.Next(i))
            texts << nodes.Text(i);
        return texts;
    }
    // A click on a node: the widget selects it, then raises NodeClick.
    void click(int index) {
        nodes.Select(index);
        subjects.NodeClick(index);
    }
    void showAndPaint() {
        widget->show();
        SettleEvents();
        widget->repaint();
    }

    TreeView nodes;
    FileListBox file1;
    FileListBox file2;
    SubjectTree subjects;
    std::unique_ptr<TreeViewWidget> widget;
};

class StartupTreeWorkload : public Workload {
public:
    StartupTreeWorkload(const QString &programFolder, bool withSplash)
        : m_program(programFolder), m_withSplash(withSplash) {}

    void prepare(int) override {
        m_tree = std::make_unique<BenchTree>(m_program);
        if (m_withSplash) {
            Program &p = m_program.program;
            m_splash = std::make_unique<frmSplash>(
                p, QPixmap(QStringLiteral(":/logos/logo%1.png").arg(p.identity.logoIndex)));
            m_windows.splash = m_splash.get();
            p.setWindows(&m_windows);
            m_splash->show();
            // Get_Settings writes the first line before the loaders run.
            m_windows.SplashSetStatus(p.captions[12] + QStringLiteral(".  ") + p.captions[13]);
            QCoreApplication::processEvents();
        }
        m_program.startRun();
    }
    void run() override {
        m_tree->load();
        m_tree->showAndPaint();
    }
    int nodes() const override { return m_tree->nodes.Count(); }
    QString problem() const override { return m_program.problem(); }
    void cleanup() override {
        m_program.program.setWindows(nullptr);
        m_splash.reset();
        m_tree.reset();
    }

private:
    BenchProgram m_program;
    bool m_withSplash;
    std::unique_ptr<BenchTree> m_tree;
    std::unique_ptr<frmSplash> m_splash;
    SplashWindows m_windows;
};

class OpenSubjectWorkload : public Workload {
public:
    OpenSubjectWorkload(const QString &programFolder, const QString &subjectFile)
        : m_program(programFolder), m_tree(m_program) {
        m_tree.load();
        m_subject = m_tree.installedSubject(subjectFile);
        // The user opened the folder before clicking one of its subjects.
        m_tree.nodes.SetExpanded(1, true);
        m_tree.showAndPaint();
    }

    void prepare(int) override { m_program.startRun(); }
    void run() override {
        m_tree.click(m_subject);
        SettleEvents();
        m_tree.widget->repaint();
    }
    int nodes() const override { return m_tree.nodes.Count(); }
    QStringList shownTexts() const override { return m_tree.childTexts(m_subject); }
    QString problem() const override { return m_program.problem(); }
    void cleanup() override {
        TreeView &nodes = m_tree.nodes;
        // The last phrase first: nothing after it shifts.
        while (nodes.Children(m_subject) > 0)
            nodes.Remove(nodes.LastSibling(nodes.Child(m_subject)));
        nodes.SetExpanded(m_subject, false);
        nodes.Select(1);
        SettleEvents();
    }

private:
    BenchProgram m_program;
    BenchTree m_tree;
    int m_subject = 0;
};

class RandomPhrasesWorkload : public Workload {
public:
    explicit RandomPhrasesWorkload(const QString &programFolder)
        : m_program(programFolder), m_tree(m_program) {
        m_tree.load();
        m_tree.showAndPaint();
    }

    void prepare(int run) override {
        m_program.host.clock = QDateTime(m_program.host.clock.date(),
                                         QTime::fromMSecsSinceStartOfDay(SeedForRun(run)));
        m_program.startRun();
    }
    void run() override {
        m_tree.click(kRandomPhrasesFolder);
        SettleEvents();
        m_tree.widget->repaint();
    }
    int nodes() const override { return m_tree.nodes.Count(); }
    QStringList shownTexts() const override {
        return m_tree.childTexts(m_tree.nodes.Child(kRandomPhrasesFolder));
    }
    QString problem() const override { return m_program.problem(); }
    void cleanup() override {
        // The second click on the folder takes the drawn phrases away.
        if (m_tree.nodes.Children(kRandomPhrasesFolder) > 0)
            m_tree.click(kRandomPhrasesFolder);
        SettleEvents();
    }

private:
    static constexpr int kRandomPhrasesFolder = 3;
    BenchProgram m_program;
    BenchTree m_tree;
};

// W4: an activity button pressed on a selected subject of 10 phrases.
class LaunchWorkload : public Workload {
public:
    LaunchWorkload(const QString &programFolder, const QString &subjectFile,
                   const QString &activity)
        : m_program(programFolder), m_tree(m_program),
          m_launch(m_program.program, m_tree.subjects, m_tree.nodes), m_activity(activity) {
        m_program.program.folders.dataFolder = programFolder;
        m_program.program.currentStudent = QStringLiteral("Ana Bench");
        m_tree.load();
        m_subject = m_tree.installedSubject(subjectFile);
        m_tree.nodes.Select(m_subject);
    }

    void prepare(int) override { m_program.startRun(); }
    void run() override { m_launch.btnAct_Click(m_activity); }
    // The phrases handed to the activity.
    int nodes() const override { return int(m_launch.StudySet().size()); }
    QString problem() const override { return m_program.problem(); }
    void cleanup() override { activities::Delete_Study_Files(m_program.program); }

private:
    BenchProgram m_program;
    BenchTree m_tree;
    ActivityLaunch m_launch;
    QString m_activity;
    int m_subject = 0;
};

// The message window as the viewer uses it: what it would show is a
// problem the run met.
class MessageWindows : public ShellWindows {
public:
    QStringList messages;
    void ShowMessage(const QString &text, int) override { messages << text; }
};

// W5 and W5b: the progress viewer on the data set's student database, shown
// as the main window shows it. W5 clicks a pair of the view by student (its
// rows listed, its chart drawn); W5b builds that view.
class ViewerWorkload : public Workload {
public:
    ViewerWorkload(const QString &programFolder, bool clickPair)
        : m_program(programFolder), m_clickPair(clickPair) {
        Program &program = m_program.program;
        program.folders.dataFolder = programFolder;
        program.setWindows(&m_windows);
        // Its load gives an older student database the pair indexes.
        m_viewer = std::make_unique<frmAdmin>(program);
        m_viewer->show();
        QCoreApplication::processEvents();
        if (m_clickPair) {
            build();
            TreeView &nodes = m_viewer->TreeView1->Nodes();
            // The administrator opened the first student to click one of
            // their activities.
            nodes.SetExpanded(1, true);
            m_pair = nodes.Child(1);
            QCoreApplication::processEvents();
            m_viewer->repaint();
        }
    }
    ~ViewerWorkload() override {
        m_program.program.setWindows(nullptr);
        m_viewer.reset();
        QCoreApplication::processEvents();
    }

    void prepare(int) override {
        m_program.startRun();
        m_windows.messages.clear();
    }
    void run() override {
        if (m_clickPair) {
            // A click: the widget selects the node, then raises NodeClick.
            m_viewer->TreeView1->Nodes().Select(m_pair);
            m_viewer->TreeView1_NodeClick(m_pair);
        } else {
            build();
        }
        SettleEvents();
        m_viewer->repaint();
    }
    int nodes() const override { return m_viewer->TreeView1->Nodes().Count(); }
    QStringList shownTexts() const override {
        QStringList texts;
        if (m_clickPair) {
            const QTreeWidget &list = *m_viewer->ListView1;
            for (int i = 0; i < list.topLevelItemCount(); ++i) {
                const QTreeWidgetItem *item = list.topLevelItem(i);
                texts << QStringList{item->text(0), item->text(1), item->text(2), item->text(3)}
                             .join(QLatin1Char('|'));
            }
            for (const scores::ChartPoint &point : m_viewer->picProgress->Points())
                texts << QStringLiteral("point %1").arg(point.score);
        } else {
            const TreeView &nodes = m_viewer->TreeView1->Nodes();
            for (int i = 1; i <= nodes.Count() && nodes.Parent(i) == 0; ++i)
                texts << nodes.Text(i);
            for (int i = nodes.Child(1); i != 0; i = nodes.Next(i))
                texts << QStringLiteral("  ") + nodes.Text(i);
        }
        return texts;
    }
    QString problem() const override {
        const QString boxes = m_program.problem();
        if (!boxes.isEmpty() || m_windows.messages.isEmpty())
            return boxes;
        return QStringLiteral("message: ") + m_windows.messages.first().simplified().left(160);
    }
    void cleanup() override {
        if (m_clickPair) {
            m_viewer->ListView1->clear();
            m_viewer->picProgress->SetPoints({});
        } else {
            m_viewer->TreeView1->Nodes().Clear();
        }
        SettleEvents();
    }

private:
    // The view choice: the view by student.
    void build() {
        m_viewer->cboView->setCurrentIndex(scores::ByStudent);
        m_viewer->cboView_Click();
    }

    BenchProgram m_program;
    MessageWindows m_windows;
    bool m_clickPair;
    std::unique_ptr<frmAdmin> m_viewer;
    int m_pair = 0;
};

// The texts of the due phrases, as both sides list them.
QStringList dueTexts(const QVector<studyResults::PhraseSchedule> &due) {
    QStringList texts;
    for (const studyResults::PhraseSchedule &s : due)
        texts << QStringLiteral("%1#%2 %3")
                     .arg(s.history.source.file)
                     .arg(s.history.source.phraseNo)
                     .arg(s.due.toString(Qt::ISODate));
    return texts;
}

// W6: what "review today" asks of the core library for one student.
class ReviewTodayWorkload : public Workload {
public:
    ReviewTodayWorkload(const QString &programFolder, const QString &student)
        : m_program(programFolder), m_student(student) {
        m_program.program.folders.dataFolder = programFolder;
    }

    void run() override {
        Program &program = m_program.program;
        const QDate today = program.host().Now().date();
        const studyResults::Histories histories =
            studyResults::Read_Histories(program.usersPath(), m_student);
        const QVector<studyResults::PhraseSchedule> schedule =
            studyResults::Schedule(histories.phrases, today, fsrs::Parameters());
        m_scheduled = int(schedule.size());
        m_due = studyResults::Due_Phrases(schedule, today, 10);
    }
    int nodes() const override { return m_scheduled; }
    QStringList shownTexts() const override { return dueTexts(m_due); }
    void cleanup() override {
        m_due.clear();
        m_scheduled = 0;
    }

private:
    BenchProgram m_program;
    QString m_student;
    int m_scheduled = 0;
    QVector<studyResults::PhraseSchedule> m_due;
};

// W6b: the progress viewer's view by phrase, chosen as the administrator
// chooses it.
class PhraseViewWorkload : public Workload {
public:
    explicit PhraseViewWorkload(const QString &programFolder) : m_program(programFolder) {
        Program &program = m_program.program;
        program.folders.dataFolder = programFolder;
        program.setWindows(&m_windows);
        m_viewer = std::make_unique<frmAdmin>(program);
        m_viewer->show();
        QCoreApplication::processEvents();
    }
    ~PhraseViewWorkload() override {
        m_program.program.setWindows(nullptr);
        m_viewer.reset();
        QCoreApplication::processEvents();
    }

    void prepare(int) override { m_program.startRun(); }
    void run() override {
        m_viewer->cboView->setCurrentIndex(scores::ByPhrase);
        m_viewer->cboView_Click();
        QCoreApplication::processEvents();
        m_viewer->repaint();
    }
    int nodes() const override { return m_viewer->TreeView1->Nodes().Count(); }
    QStringList shownTexts() const override {
        const TreeView &nodes = m_viewer->TreeView1->Nodes();
        QStringList texts;
        for (int i = 1; i <= nodes.Count(); ++i)
            texts << nodes.Text(i);
        return texts;
    }
    QString problem() const override { return m_program.problem(); }
    void cleanup() override {
        m_viewer->TreeView1->Nodes().Clear();
        QCoreApplication::processEvents();
    }

private:
    BenchProgram m_program;
    MessageWindows m_windows;
    std::unique_ptr<frmAdmin> m_viewer;
};

} // namespace

void Init() {
    InitProgramResources();
}

BuildFacts ReadBuildFacts(const QString &programFolder) {
    BenchHost host;
    Program program(host, settingsFor(programFolder));
    loadTexts(program, programFolder);
    return {program.identity.languageCode, program.identity.shortCode, program.captions[10],
            program.captions[11]};
}

TreeFacts ReadTreeFacts(const QString &programFolder) {
    BenchProgram p(programFolder);
    const Program &program = p.program;
    TreeFacts facts;
    facts.installedFolder = program.folders.installedSubjectsFolder;
    facts.virtualFolder = program.folders.virtualSubjectsFolder;
    facts.languageCode = program.identity.languageCode;
    facts.learnerLanguage = program.identity.learnerLanguage;
    facts.subjectPassword = subjects::SubjectPassword();
    facts.shortCode = program.identity.shortCode;
    facts.installedTitle = program.captions[2];
    facts.randomSubjectTitle = program.captions[117];
    facts.randomPhrasesTitle = program.captions[119];
    facts.randomPhrasesNode = program.captions[118];
    facts.noSubjects = program.captions[130];
    facts.loading = program.captions[23];
    facts.splashStatus = program.captions[12] + QStringLiteral(".  ") + program.captions[13];
    return facts;
}

ViewerFacts ReadViewerFacts(const QString &programFolder) {
    BenchProgram p(programFolder);
    const Program &program = p.program;
    ViewerFacts facts;
    facts.usersPath = programFolder + QStringLiteral("Users.dat");
    // The password of the template, which the student database is a copy of.
    facts.password = QStringLiteral("kqw6081");
    facts.noData = program.captions[scores::kNoDataCaption];
    facts.columns = {program.captions[10], program.captions[47], program.captions[48],
                     program.captions[49]};
    return facts;
}

MemoryFacts ReadMemoryFacts(const QString &programFolder, const QString &student) {
    BenchProgram p(programFolder);
    Program &program = p.program;
    MemoryFacts facts;
    facts.usersPath = programFolder + QStringLiteral("Users.dat");
    facts.password = QStringLiteral("kqw6081");
    facts.student = student;
    facts.today = program.host().Now().date();
    facts.phraseFigures = program.captions[caption::PhraseFigures];
    facts.unmatched = program.captions[caption::ResultsUnmatched];
    facts.noData = program.captions[scores::kNoDataCaption];
    return facts;
}

std::unique_ptr<Workload> ReviewToday(const QString &programFolder, const QString &student) {
    return std::make_unique<ReviewTodayWorkload>(programFolder, student);
}

std::unique_ptr<Workload> PhraseView(const QString &programFolder) {
    return std::make_unique<PhraseViewWorkload>(programFolder);
}

ViewerIcons ViewerPictures() {
    ViewerIcons icons(scores::kImageCount + 1);
    for (int i = 1; i <= scores::kImageCount; ++i)
        icons[i] = QIcon(QPixmap(QStringLiteral(":/faces/%1.png").arg(100 + i)));
    return icons;
}

TreeIcons TreePictures() {
    TreeIcons icons(12);
    for (int i = 1; i <= 11; ++i)
        icons[i] = QIcon(QPixmap(QStringLiteral(":/tree/%1.png").arg(i)));
    return icons;
}

std::unique_ptr<Workload> StartupTree(const QString &programFolder, bool withSplash) {
    return std::make_unique<StartupTreeWorkload>(programFolder, withSplash);
}

std::unique_ptr<Workload> OpenSubject(const QString &programFolder, const QString &subjectFile) {
    return std::make_unique<OpenSubjectWorkload>(programFolder, subjectFile);
}

std::unique_ptr<Workload> RandomPhrases(const QString &programFolder) {
    return std::make_unique<RandomPhrasesWorkload>(programFolder);
}

std::unique_ptr<Workload> Launch(const QString &programFolder, const QString &subjectFile,
                                 const QString &activity) {
    return std::make_unique<LaunchWorkload>(programFolder, subjectFile, activity);
}

std::unique_ptr<Workload> ShowPair(const QString &programFolder) {
    return std::make_unique<ViewerWorkload>(programFolder, true);
}

std::unique_ptr<Workload> BuildStudentView(const QString &programFolder) {
    return std::make_unique<ViewerWorkload>(programFolder, false);
}

} // namespace bench::ours
