#include "students/frm_admin.h"

#include "class_data/class_link.h"
#include "frame/captions.h"
#include "frame/mod_main.h"
#include "frame/program.h"
#include "frame/study_files.h"
#include "frame/update_check.h"
#include "platform/host.h"
#include "platform/pictures.h"
#include "platform/platform_language.h"
#include "platform/qt_button_sounds.h"
#include "platform/qt_window_placement.h"
#include "platform/tiled_background.h"
#include "platform/tree_view.h"
#include "platform/tree_view_widget.h"
#include "platform/twips.h"
#include "students/frm_class_server.h"
#include "students/frm_make_virtual_subject.h"
#include "students/pending_scores.h"
#include "students/phrase_views.h"
#include "students/progress_chart.h"
#include "study_data/learner_reviews.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStandardPaths>
#include <QStyledItemDelegate>
#include <QThread>
#include <QTreeWidget>

#include <algorithm>
#include <functional>
#include <stdexcept>

namespace {

// The list's columns: the name the view leaves over, score, date and time.
constexpr int kColumnWidths[4] = {2000, 1000, 1000, 1300};

// Where the last export went, and in which form.
const QString kExportFolderValue = QStringLiteral("ExportFolder");
const QString kExportFormValue = QStringLiteral("ExportForm");

// Reading a large view or a pair of many rows takes a moment on the
// window's own thread; the pointer says so meanwhile.
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

// The administrator's node: colour value FF0000 as the desktop writes
// colours (blue, green, red from the high byte down), which is blue.
const QColor kAdministratorColor(0, 0, 255);

// The viewer's tree. The arrow keys only move the selection: reading the
// scores at every key would make moving through a long tree slow, and a
// first-level node reached with the keys would open and close under the
// cursor. Enter acts on the selected node as a click does.
class ScoreTree : public TreeViewWidget {
public:
    using TreeViewWidget::TreeViewWidget;

    std::function<void()> onEnter;
    bool movingByKey = false;

protected:
    void keyPressEvent(QKeyEvent *event) override {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            event->accept();
            if (onEnter)
                onEnter();
            return;
        }
        const bool before = movingByKey;
        movingByKey = true;
        TreeViewWidget::keyPressEvent(event);
        movingByKey = before;
    }
};

} // namespace

frmAdmin::frmAdmin(Program &program, QWidget *parent)
    : QDialog(parent), m_program(program),
      m_locale(scores::Learner_Locale(program.identity.learnerLanguage)),
      m_views(program.usersPath(), scores::Short_Forms(m_locale)),
      m_background(LoadPicture(QStringLiteral(":/tiles/background.png"))) {
    setObjectName(QStringLiteral("frmAdmin"));
    setWindowTitle(QStringLiteral("Student Progress"));
    setFixedSize(TwipsToPixels(9720), TwipsToPixels(9060));

    lblView = new QLabel(QStringLiteral("View by:"), this);
    lblView->setObjectName(QStringLiteral("lblView"));
    PlaceTwips(*lblView, 240, 180, 2880, 255);

    cboView = new QComboBox(this);
    cboView->setObjectName(QStringLiteral("cboView"));
    PlaceTwips(*cboView, 240, 450, 3000, 330);
    lblView->setBuddy(cboView);

    // Buttons in this window never answer Enter by themselves: Enter in the
    // tree shows a pair's rows, and must never reach the clear command.
    btnExport = new QPushButton(QStringLiteral("Export..."), this);
    btnExport->setObjectName(QStringLiteral("btnExport"));
    btnExport->setAutoDefault(false);
    btnExport->setEnabled(false);
    PlaceTwips(*btnExport, 4800, 300, 2280, 480);

    btnClearDatabase = new QPushButton(QStringLiteral("Clear Database"), this);
    btnClearDatabase->setObjectName(QStringLiteral("btnClearDatabase"));
    btnClearDatabase->setAutoDefault(false);
    PlaceTwips(*btnClearDatabase, 7200, 300, 2280, 480);

    auto *tree = new ScoreTree(this);
    TreeView1 = tree;
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    // One click opens or closes a first-level node; a double click must not
    // undo it.
    TreeView1->setExpandsOnDoubleClick(false);
    // A phrase's figures are longer than the tree is wide: the tree scrolls
    // sideways to them rather than cutting them off.
    TreeView1->setTextElideMode(Qt::ElideNone);
    TreeView1->header()->setStretchLastSection(false);
    TreeView1->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    PlaceTwips(*TreeView1, 240, 960, 3000, 6360);

    picProgress = new ProgressChart(this);
    picProgress->setObjectName(QStringLiteral("picProgress"));
    PlaceTwips(*picProgress, 3360, 960, 6120, 1800);

    btnMakeVirtual = new QPushButton(this);
    btnMakeVirtual->setObjectName(QStringLiteral("btnMakeVirtual"));
    btnMakeVirtual->setAutoDefault(false);
    btnMakeVirtual->hide();
    PlaceTwips(*btnMakeVirtual, 3360, 960, 3600, 480);

    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setColumnCount(4);
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->header()->setStretchLastSection(false);
    ListView1->header()->setSectionsMovable(false);
    PlaceTwips(*ListView1, 3360, 2880, 6120, 4440);

    setTabOrder(cboView, TreeView1);
    setTabOrder(TreeView1, ListView1);
    setTabOrder(ListView1, btnMakeVirtual);
    setTabOrder(btnMakeVirtual, btnExport);
    setTabOrder(btnExport, btnClearDatabase);

    // Schools without internet, or that do not want the program to call
    // out, turn the weekly check off here.
    chkUpdateCheck = new QCheckBox(this);
    chkUpdateCheck->setObjectName(QStringLiteral("chkUpdateCheck"));
    PlaceTwips(*chkUpdateCheck, 240, 7440, 5700, 315);
    chkUpdateCheck->setChecked(updateCheck::Is_Update_Check_On(m_program));
    connect(chkUpdateCheck, &QCheckBox::toggled, this,
            [this](bool on) { updateCheck::Set_Update_Check_On(m_program, on); });
    setTabOrder(btnClearDatabase, chkUpdateCheck);

    // The share of phrases a learner should still recall when they come
    // due: higher means more reviews.
    lblRetention = new QLabel(this);
    lblRetention->setObjectName(QStringLiteral("lblRetention"));
    lblRetention->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PlaceTwips(*lblRetention, 6000, 7440, 2340, 315);
    spnRetention = new QSpinBox(this);
    spnRetention->setObjectName(QStringLiteral("spnRetention"));
    spnRetention->setRange(int(std::lround(fsrs::kLowestRetention * 100)),
                           int(std::lround(fsrs::kHighestRetention * 100)));
    spnRetention->setSuffix(QStringLiteral(" %"));
    spnRetention->setValue(learnerReviews::Desired_Retention_Percent(m_program));
    PlaceTwips(*spnRetention, 8400, 7410, 1080, 360);
    lblRetention->setBuddy(spnRetention);
    connect(spnRetention, &QSpinBox::valueChanged, this,
            [this](int percent) { spnRetention_Change(percent); });
    setTabOrder(chkUpdateCheck, spnRetention);

    // The class server: its settings, the source of the views (this
    // computer's rows, or the whole class's), and what the server last said.
    btnClassServer = new QPushButton(tr("Class server..."), this);
    btnClassServer->setObjectName(QStringLiteral("btnClassServer"));
    btnClassServer->setAccessibleName(tr("Class server"));
    btnClassServer->setAutoDefault(false);
    PlaceTwips(*btnClassServer, 240, 7920, 2280, 420);
    lblSource = new QLabel(tr("Source:"), this);
    lblSource->setObjectName(QStringLiteral("lblSource"));
    lblSource->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PlaceTwips(*lblSource, 2640, 7950, 1140, 360);
    cboSource = new QComboBox(this);
    cboSource->setObjectName(QStringLiteral("cboSource"));
    cboSource->addItems({tr("this computer"), tr("the whole class")});
    cboSource->setAccessibleName(tr("Source"));
    PlaceTwips(*cboSource, 3840, 7935, 2640, 390);
    lblSource->setBuddy(cboSource);
    lblClassStatus = new QLabel(this);
    lblClassStatus->setObjectName(QStringLiteral("lblClassStatus"));
    lblClassStatus->setWordWrap(true);
    lblClassStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblClassStatus->setAccessibleName(tr("State of the class server"));
    PlaceTwips(*lblClassStatus, 240, 8430, 9240, 540);
    setTabOrder(spnRetention, btnClassServer);
    setTabOrder(btnClassServer, cboSource);
    connect(btnClassServer, &QPushButton::clicked, this, [this] { btnClassServer_Click(); });
    connect(cboSource, &QComboBox::activated, this, [this] { cboSource_Click(); });

    AddClickSound(*btnClearDatabase, modMain::Button_Click(m_program));
    AddClickSound(*btnExport, modMain::Button_Click(m_program));
    connect(cboView, &QComboBox::activated, this, [this] { cboView_Click(); });
    connect(TreeView1, &TreeViewWidget::NodeClick, this, [this, tree](int index) {
        if (!tree->movingByKey)
            TreeView1_NodeClick(index);
    });
    tree->onEnter = [this] {
        if (const int selected = TreeView1->Nodes().Selected())
            TreeView1_NodeClick(selected);
    };
    connect(btnClearDatabase, &QPushButton::clicked, this, [this] { btnClearDatabase_Click(); });
    connect(btnExport, &QPushButton::clicked, this, [this] { btnExport_Click(); });
    AddClickSound(*btnMakeVirtual, modMain::Button_Click(m_program));
    connect(btnMakeVirtual, &QPushButton::clicked, this, [this] { btnMakeVirtual_Click(); });

    Form_Load();
}

frmAdmin::~frmAdmin() {
    // The export reads this window's views: it ends before they do.
    if (m_export)
        m_export->wait();
}

void frmAdmin::Form_Load() {
    const Captions &c = m_program.captions;
    update();
    ListView1->setHeaderLabels({QString(), c[47], c[48], c[49]});
    for (int i = 0; i < 4; ++i)
        ListView1->setColumnWidth(i, TwipsToPixels(kColumnWidths[i]));
    fitColumns();
    setWindowTitle(c[54]);
    btnClearDatabase->setText(c[56]);
    btnExport->setText(c[caption::ExportScores]);
    chkUpdateCheck->setText(c[caption::WeeklyUpdateCheck]);
    chkUpdateCheck->setAccessibleName(c[caption::WeeklyUpdateCheck]);
    lblRetention->setText(c[caption::DesiredRetention]);
    spnRetention->setAccessibleName(c[caption::DesiredRetention]);
    lblView->setText(c[52]);
    cboView->clear();
    for (int view = 0; view < scores::kViewChoices; ++view)
        cboView->addItem(viewCaption(view));
    // No view is chosen: the tree and the list start empty.
    cboView->setCurrentIndex(-1);

    ImageList2->Clear();
    for (int n = 1; n <= scores::kImageCount; ++n)
        ImageList2->Add(LoadPicture(QStringLiteral(":/faces/%1.png").arg(100 + n)));
    TreeView1->SetImageList(ImageList2);

    // Every control tells assistive technology what it is.
    cboView->setAccessibleName(c[52]);
    TreeView1->setAccessibleName(c[caption::ScoreTree]);
    ListView1->setAccessibleName(c[caption::ScoreList]);
    picProgress->setAccessibleName(c[caption::ScoreChart]);
    btnExport->setAccessibleName(c[caption::ExportScores]);
    btnClearDatabase->setAccessibleName(c[56]);
    btnMakeVirtual->setText(c[caption::MakeVirtualSubject]);
    btnMakeVirtual->setAccessibleName(c[caption::MakeVirtualSubject]);

    // A student database made from an older template gets the indexes that
    // make a click on a pair fast; without them the viewer is only slower.
    m_views.Ensure_Indexes();
}

void frmAdmin::cboView_Click() {
    const int view = cboView->currentIndex();
    if (view >= 0)
        Build_View(view);
}

namespace {

// A text's width as the sum of its letters' widths: never less than the
// list draws it (kerning only narrows it), and quick to find for thousands
// of rows, where shaping every text would cost more than reading them.
class LetterWidths {
public:
    explicit LetterWidths(const QFontMetrics &metrics) : m_metrics(metrics) {
        std::fill(std::begin(m_latin), std::end(m_latin), -1);
    }
    int of(const QString &text) {
        int width = 0;
        for (const QChar c : text) {
            const char16_t code = c.unicode();
            if (code < 256) {
                if (m_latin[code] < 0)
                    m_latin[code] = m_metrics.horizontalAdvance(c);
                width += m_latin[code];
            } else {
                auto known = m_others.constFind(code);
                if (known == m_others.constEnd())
                    known = m_others.insert(code, m_metrics.horizontalAdvance(c));
                width += *known;
            }
        }
        return width;
    }

private:
    QFontMetrics m_metrics;
    int m_latin[256];
    QHash<char16_t, int> m_others;
};

} // namespace

void frmAdmin::fitColumns() {
    // The widest text of each column, the heading among them (the Spanish
    // headings are longer than the English ones), measured as the list
    // draws it with its margins.
    const QFontMetrics metrics = ListView1->fontMetrics();
    const QFontMetrics headerMetrics = ListView1->header()->fontMetrics();
    LetterWidths letters(metrics);
    QStyleOptionViewItem option;
    option.initFrom(ListView1);
    option.widget = ListView1;
    option.font = ListView1->font();
    for (int column = 0; column < 4; ++column) {
        int widest = -1;
        int widestEstimate = 0;
        for (int row = 0; row < ListView1->topLevelItemCount(); ++row) {
            const int estimate = letters.of(ListView1->topLevelItem(row)->text(column));
            if (estimate > widestEstimate) {
                widestEstimate = estimate;
                widest = row;
            }
        }
        int needed =
            std::max(TwipsToPixels(kColumnWidths[column]),
                     headerMetrics.horizontalAdvance(ListView1->headerItem()->text(column)) + 16);
        if (widest >= 0) {
            const QModelIndex index = ListView1->model()->index(widest, column);
            const int drawn =
                metrics.horizontalAdvance(ListView1->topLevelItem(widest)->text(column));
            needed = std::max(
                needed, ListView1->itemDelegateForIndex(index)->sizeHint(option, index).width() +
                            std::max(0, widestEstimate - drawn) + 4);
        }
        // A column keeps a width it has (from longer texts before, or from
        // the administrator's hand) across pairs and views.
        ListView1->setColumnWidth(column, std::max(needed, ListView1->columnWidth(column)));
    }
}

void frmAdmin::clearScores() {
    m_shownPhrase = 0;
    ListView1->clear();
    picProgress->SetPoints({});
}

QString frmAdmin::viewCaption(int view) const {
    const Captions &c = m_program.captions;
    return view == scores::ByPhrase ? c[caption::ByPhrase] : c[scores::KindCaption(view)];
}

void frmAdmin::Build_View(int view) {
    if (view < 0 || view >= scores::kViewChoices)
        return;
    const Captions &c = m_program.captions;
    m_view = view;
    const BusyCursor busy;
    TreeView &nodes = TreeView1->Nodes();
    nodes.Clear();
    clearScores();
    m_phrases = {};
    const QStringList headings =
        view == scores::ByPhrase
            ? phraseViews::List_Headings(c)
            : QStringList{c[scores::KindCaption(scores::ColumnKind(view))], c[47], c[48], c[49]};
    for (int column = 0; column < 4; ++column)
        ListView1->headerItem()->setText(column, headings[column]);
    fitColumns();
    btnExport->setEnabled(!m_export);
    // A new view is read from its beginning.
    for (QAbstractScrollArea *area : {static_cast<QAbstractScrollArea *>(TreeView1),
                                      static_cast<QAbstractScrollArea *>(ListView1)}) {
        area->verticalScrollBar()->setValue(0);
        area->horizontalScrollBar()->setValue(0);
    }
    // The view by phrase has no chart; its place offers the virtual subject.
    picProgress->setVisible(view != scores::ByPhrase);
    btnMakeVirtual->setVisible(view == scores::ByPhrase && m_maker);
    btnMakeVirtual->setEnabled(false);
    if (view == scores::ByPhrase) {
        buildPhraseView();
        btnMakeVirtual->setEnabled(!m_phrases.phrases.isEmpty());
        return;
    }
    try {
        const scores::ViewTree tree = m_views.Build_View(view);
        for (const scores::ViewItem &item : tree.firstLevel) {
            const int index = nodes.Add(0, item.text, item.tag, item.image, item.selectedImage);
            nodes.SetBold(index, true);
        }
        // The administrator is the first student of the database.
        if (view == scores::ByStudent && !tree.firstLevel.isEmpty())
            nodes.SetForeColor(1, kAdministratorColor);
        if (tree.noData) {
            nodes.Add(0, c[scores::kNoDataCaption]);
            return;
        }
        const int parents = int(tree.firstLevel.size());
        for (int parent = 1; parent <= parents; ++parent)
            for (const scores::ViewItem &item : tree.secondLevel)
                nodes.Add(parent, item.text, item.tag, item.image, item.selectedImage);
    } catch (const std::exception &e) {
        modMain::Show_Error(m_program, QStringLiteral("Build_View"), e);
    }
}

void frmAdmin::buildPhraseView() {
    const Captions &c = m_program.captions;
    TreeView &nodes = TreeView1->Nodes();
    try {
        m_phrases = phraseViews::Read_Phrase_View(m_views.Path(), today(),
                                                  learnerReviews::Schedule_Parameters(m_program));
    } catch (const std::exception &e) {
        // Only this view reads the results: the others go on without it.
        modMain::Show_Error(m_program, QStringLiteral("Build_View"), e);
        return;
    }
    for (const phraseViews::PhraseRow &row : std::as_const(m_phrases.phrases))
        nodes.Add(0, phraseViews::Node_Text(row, c));
    if (m_phrases.phrases.isEmpty())
        nodes.Add(0, c[scores::kNoDataCaption]);
    if (m_phrases.unmatched > 0)
        nodes.Add(0, phraseViews::Unmatched_Text(m_phrases.unmatched, c));
}

QDate frmAdmin::today() const {
    return m_program.host().Now().date();
}

void frmAdmin::Show_Phrase(int index) {
    if (m_view != scores::ByPhrase || index < 1 || index > int(m_phrases.phrases.size()))
        return;
    clearScores();
    QList<QTreeWidgetItem *> items;
    for (const phraseViews::PhraseSchedule &student : m_phrases.phrases[index - 1].students)
        items << new QTreeWidgetItem(phraseViews::Student_Row(student, m_views.Forms()));
    ListView1->addTopLevelItems(items);
    fitColumns();
    m_shownPhrase = index;
}

void frmAdmin::SetVirtualSubjectMaker(subjectData::VirtualSubjectMaker *maker) {
    m_maker = maker;
    btnMakeVirtual->setVisible(m_view == scores::ByPhrase && m_maker);
}

void frmAdmin::btnMakeVirtual_Click() {
    if (!m_maker || m_view != scores::ByPhrase || m_phrases.phrases.isEmpty())
        return;
    frmMakeVirtualSubject choice(m_program, *m_maker, m_phrases.phrases, this);
    m_program.host().ShowModal(choice);
    btnMakeVirtual->setFocus();
}

void frmAdmin::spnRetention_Change(int percent) {
    learnerReviews::Save_Desired_Retention_Percent(m_program, percent);
    phraseViews::Move_Next_Reviews(m_phrases, learnerReviews::Schedule_Parameters(m_program));
    if (m_shownPhrase > 0)
        Show_Phrase(m_shownPhrase);
}

void frmAdmin::TreeView1_NodeClick(int index) {
    TreeView &nodes = TreeView1->Nodes();
    if (index < 1 || index > nodes.Count())
        return;
    if (m_view == scores::ByPhrase) {
        // The phrases come first; the lines after them only tell.
        Show_Phrase(index);
        return;
    }
    if (nodes.Text(index) == m_program.captions[scores::kNoDataCaption] &&
        nodes.Parent(index) == 0 && nodes.Children(index) == 0)
        return;
    if (nodes.Parent(index) == 0) {
        nodes.SetExpanded(index, !nodes.Expanded(index));
        return;
    }
    Show_Scores(index);
}

void frmAdmin::Show_Scores(int index) {
    TreeView &nodes = TreeView1->Nodes();
    const int parent = nodes.Parent(index);
    if (parent == 0 || m_view < 0)
        return;
    clearScores();
    const BusyCursor busy;
    try {
        const QVector<scores::ScoreRow> rows =
            m_views.Show_Scores(m_view, nodes.Text(parent), nodes.Text(index));
        QList<QTreeWidgetItem *> items;
        items.reserve(rows.size());
        for (const scores::ScoreRow &row : rows)
            items << new QTreeWidgetItem(
                QStringList{row.Column1(m_view), row.score, row.date, row.time});
        ListView1->addTopLevelItems(items);
        fitColumns();
        picProgress->SetPoints(scores::Chart_Points(rows, m_locale));
    } catch (const std::exception &e) {
        m_program.windows().ShowMessage(QString::fromUtf8(e.what()), 0);
    }
}

QString frmAdmin::exportFolder() const {
    // The folder of the last export while it exists; otherwise the user's
    // documents, or home: a dialog opened on a missing folder starts
    // somewhere unrelated.
    const QString remembered = m_program.Setting(kExportFolderValue);
    for (const QString &folder :
         {remembered, QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)})
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            return folder;
    return QDir::homePath();
}

void frmAdmin::btnExport_Click() {
    if (m_view < 0 || m_export)
        return;
    Program &p = m_program;
    const Captions &c = p.captions;
    const QString suggested =
        QDir(exportFolder())
            .filePath(c[54] + QStringLiteral(" - ") + viewCaption(m_view) + QStringLiteral(".csv"));
    const QStringList filters{c[caption::CsvFilter], scores::Spreadsheet_Filter()};
    int form = std::clamp(p.Setting(kExportFormValue).toInt(), 0, 1);
    Host &host = p.host();
    QString path = host.ChooseSaveFile(c[caption::ExportTitle], suggested, filters, &form,
                                       QStringLiteral("csv"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty() && !QFileInfo(path).isDir()) {
        // The dialog asked about the name as typed, not about this one.
        path += QStringLiteral(".csv");
        if (QFileInfo::exists(path) &&
            host.MsgBox(scores::Export_Replace(path),
                        vb::vbYesNo | vb::vbExclamation | vb::vbDefaultButton2) != vb::vbYes)
            return;
    }
    p.Save_Setting(kExportFolderValue, QFileInfo(path).absolutePath());
    p.Save_Setting(kExportFormValue, QString::number(form));

    // A large view takes a while to write: the window stays usable and
    // says it is busy meanwhile.
    auto error = std::make_shared<QString>();
    const scores::CsvForm csvForm = scores::CsvForm(form);
    const QDate at = today();
    const fsrs::Parameters parameters = learnerReviews::Schedule_Parameters(p);
    m_export.reset(QThread::create(
        [views = m_views, view = m_view, captions = c, path, csvForm, error, at, parameters] {
            try {
                if (view == scores::ByPhrase)
                    phraseViews::Export_Csv(
                        phraseViews::Read_Phrase_View(views.Path(), at, parameters), captions, path,
                        csvForm == scores::CsvForm::Spreadsheet ? scores::Spreadsheet_Forms()
                                                                : views.Forms(),
                        csvForm);
                else
                    views.Export_Csv(view, captions, path, csvForm);
            } catch (const std::exception &e) {
                *error = QString::fromUtf8(e.what());
            }
        }));
    m_exportError = error;
    m_exportPath = path;
    const int run = ++m_exportRun;
    connect(m_export.get(), &QThread::finished, this, [this, run] {
        if (m_export && run == m_exportRun)
            exportDone();
    });
    btnExport->setEnabled(false);
    setCursor(Qt::BusyCursor);
    m_export->start();
}

void frmAdmin::WaitForExport() {
    if (m_export)
        exportDone();
}

void frmAdmin::exportDone() {
    m_export->wait();
    m_export.reset();
    unsetCursor();
    btnExport->setEnabled(m_view >= 0);
    const QString error = *m_exportError;
    Host &host = m_program.host();
    if (error.isEmpty()) {
        host.MsgBox(scores::Export_Saved(m_exportPath), vb::vbInformation);
    } else {
        // Nothing was written: an existing file of that name is untouched.
        host.MsgBox(m_program.captions[caption::ExportNotWritten] + QStringLiteral("\r\n") +
                        QDir::toNativeSeparators(m_exportPath) + QStringLiteral("\r\n\r\n") + error,
                    vb::vbExclamation);
    }
    emit ExportFinished();
}

void frmAdmin::btnClearDatabase_Click() {
    Program &p = m_program;
    const Captions &c = p.captions;
    Host &host = p.host();
    const QString title = c[56];
    const QString &product = p.identity.productTitle;
    // A student database marked read-only is kept as someone meant it to
    // be: removing it would only need the folder to be writable.
    const QString users = p.usersPath();
    const QFileInfo usersFile(users);
    if (usersFile.exists() &&
        (!(usersFile.permissions() & QFileDevice::WriteOwner) || !usersFile.isWritable())) {
        host.MsgBox(c[caption::UsersReadOnly].arg(QDir::toNativeSeparators(users)),
                    vb::vbOKOnly | vb::vbExclamation, title);
        return;
    }
    // No answers Enter: clearing cannot be undone.
    const int style = vb::vbYesNo | vb::vbExclamation | vb::vbDefaultButton2;
    if (host.MsgBox(c[57] + QLatin1Char(' ') + product + QStringLiteral("\r\n\r\n") + c[58], style,
                    title) != vb::vbYes)
        return;
    if (host.MsgBox(product + QLatin1Char(' ') + c[59] + QStringLiteral("\r\n\r\n") + c[60], style,
                    title) != vb::vbYes)
        return;
    // An export still reading the file ends first.
    WaitForExport();
    try {
        modMain::Delete_Study_Files(p);
        const QString path = p.usersPath();
        QFile users(path);
        if (QFileInfo::exists(path) && !users.remove())
            throw std::runtime_error(
                (c[caption::UsersNotDeleted].arg(QDir::toNativeSeparators(path)) +
                 QLatin1Char(' ') + platformLanguage::System_Reason(users))
                    .toStdString());
        // Scores kept for the cleared database must not come back into the new one.
        QDir(scores::Pending_Folder(path)).removeRecursively();
    } catch (const std::exception &e) {
        host.MsgBox(QString::fromUtf8(e.what()), vb::vbOKOnly | vb::vbExclamation, title);
        return;
    }
    p.windows().ShowMessage(c[61], 0);
    // The next start copies the template again as an empty student database.
    p.End(0);
}

void frmAdmin::paintEvent(QPaintEvent *event) {
    // The tiles are laid once per window size: a click on a pair repaints
    // the list and the chart over them, and a thousand small pictures a
    // time would cost more than the rows.
    const qreal ratio = devicePixelRatioF();
    if (m_tiled.isNull() || m_tiled.deviceIndependentSize() != QSizeF(size())) {
        m_tiled = QPixmap(size() * ratio);
        m_tiled.setDevicePixelRatio(ratio);
        m_tiled.fill(palette().color(QPalette::Window));
        QPainter tiles(&m_tiled);
        try {
            tiling::TileBackground(tiles, size(), m_background);
        } catch (const std::exception &) {
            // Without its picture the window keeps its plain colour.
        }
    }
    // The region around the controls is many rectangles; copied one
    // rectangle at a time the picture is a plain copy, where the whole of
    // it through the region would go row by row.
    QPainter painter(this);
    for (const QRect &part : event->region()) {
        painter.setClipRect(part);
        painter.drawPixmap(part, m_tiled,
                           QRectF(QRectF(part).topLeft() * ratio, QSizeF(part.size()) * ratio));
    }
}

void frmAdmin::showEvent(QShowEvent *event) {
    CenterWindow(*this, parentWidget());
    QDialog::showEvent(event);
    cboView->setFocus();
}

classData::ClassLink *frmAdmin::classLink() {
    if (m_link)
        return m_link;
    const classData::ServerSettings settings = classData::Server_Settings(m_program);
    if (!settings.Named())
        return nullptr;
    if (!m_ownLink)
        m_ownLink = std::make_unique<classData::ClassLink>(
            m_program.usersPath(), m_program.folders.dataFolder + QStringLiteral("Class.dat"),
            m_program.templatePath(), settings);
    else
        m_ownLink->Set_Settings(settings);
    return m_ownLink.get();
}

void frmAdmin::cboSource_Click() {
    const int source = cboSource->currentIndex();
    if (source == ThisComputer) {
        lblClassStatus->clear();
        showSource(ThisComputer);
        return;
    }
    classData::ClassLink *link = classLink();
    if (!link) {
        cboSource->setCurrentIndex(m_source);
        lblClassStatus->setText(
            tr("No class server is named: set one with the class server button."));
        emit ClassShown(false);
        return;
    }
    lblClassStatus->setText(tr("Reading the whole class from the class server..."));
    cboSource->setEnabled(false);
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(link, &classData::ClassLink::ClassFileReady, this,
                          [this, link, connection](bool ok, const QString &message) {
                              disconnect(*connection);
                              cboSource->setEnabled(true);
                              const bool haveFile = QFileInfo(link->ClassPath()).isFile();
                              if (ok)
                                  lblClassStatus->setText(tr("The whole class, as the class "
                                                             "server holds it now."));
                              else if (haveFile)
                                  lblClassStatus->setText(
                                      tr("The class server is away (%1). The whole class as "
                                         "it was last read.")
                                          .arg(message));
                              else
                                  lblClassStatus->setText(message);
                              if (haveFile) {
                                  m_views = scores::ScoreViews(link->ClassPath(), m_views.Forms());
                                  showSource(WholeClass);
                              } else {
                                  cboSource->setCurrentIndex(m_source);
                              }
                              emit ClassShown(ok);
                          });
    link->Request_Class_File();
}

void frmAdmin::showSource(int source) {
    if (source == ThisComputer)
        m_views = scores::ScoreViews(m_program.usersPath(), m_views.Forms());
    m_source = source;
    cboSource->setCurrentIndex(source);
    if (m_view >= 0)
        Build_View(m_view);
}

void frmAdmin::btnClassServer_Click() {
    frmClassServer settings(m_program, this);
    m_program.host().ShowModal(settings);
    if (!settings.Saved())
        return;
    if (m_ownLink)
        m_ownLink->Set_Settings(classData::Server_Settings(m_program));
    emit ClassServerChanged();
}
