#include "subjects/frm_import.h"

#include "frame/captions.h"
#include "frame/program.h"
#include "platform/host.h"
#include "platform/platform_language.h"
#include "subjects/phrase_recorder.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace {

constexpr int kPreviewRows = 8;

// Characters no file name may hold on any desktop the program runs on; "*"
// also separates the fields of the tree's node tags.
bool usableName(const QString &name) {
    static const QString forbidden = QStringLiteral("*/\\:?\"<>|");
    if (name.trimmed().isEmpty() || name.startsWith(QLatin1Char('.')))
        return false;
    for (const QChar c : name)
        if (forbidden.contains(c) || c.unicode() < 32)
            return false;
    return true;
}

} // namespace

frmImport::frmImport(Program &program, QWidget *parent) : QDialog(parent), m_program(program) {
    const Captions &c = program.captions;
    setObjectName(QStringLiteral("frmImport"));
    setWindowTitle(c[caption::ImportTitle]);
    m_cache = subjects::RecordingCache::DefaultFolder();

    lblFile = new QLabel(this);
    lblFile->setObjectName(QStringLiteral("lblFile"));
    btnChoose = new QPushButton(c[caption::ChooseWordList], this);
    btnChoose->setObjectName(QStringLiteral("btnChoose"));
    btnChoose->setAutoDefault(false);

    tblPreview = new QTableWidget(0, 3, this);
    tblPreview->setObjectName(QStringLiteral("tblPreview"));
    tblPreview->setAccessibleName(c[caption::ImportPreview]);
    tblPreview->setHorizontalHeaderLabels(
        {c[caption::ColumnPhrase], c[caption::ColumnTranslation], c[caption::ColumnTranslation2]});
    tblPreview->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    tblPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblPreview->setMinimumSize(560, 200);

    lblSummary = new QLabel(this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lstProblems = new QListWidget(this);
    lstProblems->setObjectName(QStringLiteral("lstProblems"));
    lstProblems->setAccessibleName(c[caption::ImportProblems]);
    lstProblems->setMaximumHeight(90);
    chkLeaveOut = new QCheckBox(c[caption::LeaveOutProblemRows], this);
    chkLeaveOut->setObjectName(QStringLiteral("chkLeaveOut"));

    auto *lblName = new QLabel(c[caption::ImportSubjectName], this);
    lblName->setObjectName(QStringLiteral("lblName"));
    txtName = new QLineEdit(this);
    txtName->setObjectName(QStringLiteral("txtName"));
    lblName->setBuddy(txtName);
    txtName->setAccessibleName(QString(c[caption::ImportSubjectName]).remove(QLatin1Char('&')));

    barRecording = new QProgressBar(this);
    barRecording->setObjectName(QStringLiteral("barRecording"));
    barRecording->setAccessibleName(c[caption::RecordingPhrases].arg(0).arg(0));
    barRecording->setValue(0);
    // Empty until the recording starts: "0%" would suggest work under way.
    barRecording->setTextVisible(false);

    btnImport = new QPushButton(c[caption::ImportButton], this);
    btnImport->setObjectName(QStringLiteral("btnImport"));
    btnImport->setDefault(true);
    btnCancel = new QPushButton(c[caption::ImportCancel], this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);

    auto *grid = new QGridLayout(this);
    grid->addWidget(btnChoose, 0, 0);
    grid->addWidget(lblFile, 0, 1, 1, 2);
    grid->addWidget(tblPreview, 1, 0, 1, 3);
    grid->addWidget(lblSummary, 2, 0, 1, 3);
    grid->addWidget(lstProblems, 3, 0, 1, 3);
    grid->addWidget(chkLeaveOut, 4, 0, 1, 3);
    grid->addWidget(lblName, 5, 0);
    grid->addWidget(txtName, 5, 1, 1, 2);
    grid->addWidget(barRecording, 6, 0, 1, 3);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnImport);
    buttons->addWidget(btnCancel);
    grid->addLayout(buttons, 7, 0, 1, 3);
    grid->setColumnStretch(2, 1);

    setTabOrder(btnChoose, tblPreview);
    setTabOrder(tblPreview, lstProblems);
    setTabOrder(lstProblems, chkLeaveOut);
    setTabOrder(chkLeaveOut, txtName);
    setTabOrder(txtName, btnImport);
    setTabOrder(btnImport, btnCancel);

    connect(btnChoose, &QPushButton::clicked, this, [this] { btnChoose_Click(); });
    connect(btnImport, &QPushButton::clicked, this, [this] { btnImport_Click(); });
    connect(&m_writing, &QFutureWatcher<QString>::finished, this, &frmImport::subjectWritten);
    connect(btnCancel, &QPushButton::clicked, this, [this] {
        if (m_busy)
            cancelImport();
        else
            QDialog::reject();
    });
    connect(chkLeaveOut, &QCheckBox::toggled, this, [this] { updateImportButton(); });
    connect(txtName, &QLineEdit::textChanged, this, [this] { updateImportButton(); });
    showList();
    btnChoose->setFocus();
}

frmImport::~frmImport() {
    // A window closed with the program mid-import stops the writing first.
    m_cancel = true;
    m_writing.waitForFinished();
}

QString frmImport::Describe_Problem(const subjects::WordListProblem &p) const {
    using subjects::WordListProblemKind;
    const Captions &c = m_program.captions;
    QString text;
    switch (p.kind) {
    case WordListProblemKind::Unreadable:
        return c[caption::ProblemUnreadable].arg(QDir::toNativeSeparators(m_path),
                                                 platformLanguage::System_Reason(p.detail));
    case WordListProblemKind::NoRows:
        return c[caption::ProblemNoRows];
    case WordListProblemKind::UnclosedQuote:
        text = c[caption::ProblemUnclosedQuote];
        break;
    case WordListProblemKind::EmptyPhrase:
        text = c[caption::ProblemEmptyPhrase];
        break;
    case WordListProblemKind::Star:
        text = c[caption::ProblemStar].arg(p.detail);
        break;
    case WordListProblemKind::LineBreak:
        text = c[caption::ProblemLineBreak].arg(p.detail);
        break;
    case WordListProblemKind::DuplicatePhrase:
        text = c[caption::ProblemDuplicate].arg(p.detail).arg(p.other);
        break;
    case WordListProblemKind::TooManyRows:
        text = c[caption::ProblemTooMany].arg(subjects::kMaxSubjectPhrases).arg(p.other);
        break;
    }
    return p.line > 0 ? c[caption::ProblemLine].arg(p.line).arg(text) : text;
}

// Escape and the close box stop an import under way, like Cancel; the
// window stays, so the user sees that nothing was imported.
void frmImport::reject() {
    if (m_busy)
        cancelImport();
    else
        QDialog::reject();
}

void frmImport::closeEvent(QCloseEvent *event) {
    if (m_busy) {
        cancelImport();
        event->ignore();
    } else {
        QDialog::closeEvent(event);
    }
}

void frmImport::cancelImport() {
    m_cancel = true;
    if (m_recorder)
        m_recorder->cancel();
}

void frmImport::btnChoose_Click() {
    const Captions &c = m_program.captions;
    const QString path = m_program.host().GetOpenFileName(
        c[caption::ImportTitle],
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
        c[caption::WordListFilter] + QStringLiteral(" (*.csv *.tsv *.txt)"));
    if (path.isEmpty())
        return;
    m_path = path;
    m_list = subjects::ReadWordList(path);
    txtName->setText(QFileInfo(path).completeBaseName());
    showList();
}

void frmImport::showList() {
    lblFile->setText(QDir::toNativeSeparators(m_path));
    tblPreview->setRowCount(0);
    const qsizetype shown = std::min<qsizetype>(m_list.rows.size(), kPreviewRows);
    tblPreview->setRowCount(int(shown));
    for (int r = 0; r < shown; ++r) {
        const subjects::WordListRow &row = m_list.rows[r];
        const QString texts[3] = {row.phrase, row.translation, row.translation2};
        for (int col = 0; col < 3; ++col)
            tblPreview->setItem(r, col, new QTableWidgetItem(texts[col]));
    }
    lstProblems->clear();
    for (const subjects::WordListProblem &p : std::as_const(m_list.problems))
        lstProblems->addItem(Describe_Problem(p));
    lstProblems->setVisible(!m_list.problems.isEmpty());
    chkLeaveOut->setVisible(!m_list.problems.isEmpty() && !m_list.rows.isEmpty());
    chkLeaveOut->setChecked(false);
    lblSummary->setText(m_path.isEmpty()
                            ? QString()
                            : m_program.captions[caption::PhrasesReady].arg(m_list.rows.size()));
    updateImportButton();
}

void frmImport::updateImportButton() {
    const bool ready = !m_list.rows.isEmpty() &&
                       (m_list.problems.isEmpty() || chkLeaveOut->isChecked()) &&
                       !txtName->text().trimmed().isEmpty();
    btnImport->setEnabled(ready && !m_busy);
}

bool frmImport::btnImport_Click() {
    if (m_busy || !btnImport->isEnabled())
        return false;
    Program &p = m_program;
    const Captions &c = p.captions;
    Host &host = p.host();
    const QString name = txtName->text().trimmed();
    if (!usableName(name)) {
        host.MsgBox(c[caption::UnusableSubjectName], vb::vbExclamation);
        txtName->setFocus();
        return false;
    }
    const QString file = QDir(p.folders.installedSubjectsFolder)
                             .filePath(name + QLatin1Char('.') + p.identity.shortCode);
    if (QFileInfo::exists(file)) {
        host.MsgBox(c[caption::ImportedSubjectExists].arg(name), vb::vbExclamation);
        txtName->setFocus();
        return false;
    }

    m_busy = true;
    m_cancel = false;
    m_file = file;
    // Cancel stays: while importing it stops the import.
    for (QWidget *w : {static_cast<QWidget *>(btnChoose), static_cast<QWidget *>(btnImport),
                       static_cast<QWidget *>(txtName), static_cast<QWidget *>(chkLeaveOut)})
        w->setEnabled(false);
    btnCancel->setFocus();

    QStringList texts;
    for (const subjects::WordListRow &row : std::as_const(m_list.rows))
        texts << row.phrase;
    m_recorder = std::make_unique<subjects::PhraseRecorder>(
        subjects::EspeakVoice(p.identity.targetLanguage), m_cache);
    connect(m_recorder.get(), &subjects::PhraseRecorder::progress, this, &frmImport::showProgress);
    connect(m_recorder.get(), &subjects::PhraseRecorder::finished, this, &frmImport::writeSubject);
    connect(m_recorder.get(), &subjects::PhraseRecorder::failed, this,
            [this](const QString &problem) { endImport(Outcome::NotRecorded, problem); });
    connect(m_recorder.get(), &subjects::PhraseRecorder::cancelled, this,
            [this] { endImport(Outcome::Cancelled); });
    m_recorder->start(texts);
    return true;
}

// A subject of thousands of phrases takes a while to write: a worker thread
// does it, and the window hears the outcome through the watcher.
void frmImport::writeSubject() {
    if (m_cancel) {
        endImport(Outcome::Cancelled);
        return;
    }
    const QString file = m_file;
    const QString code = m_program.identity.languageCode;
    const QVector<subjects::WordListRow> rows = m_list.rows;
    const QVector<QByteArray> waves = m_recorder->waves();
    m_writing.setFuture(QtConcurrent::run([this, file, code, rows, waves]() -> QString {
        try {
            subjects::WriteWordListSubject(file, code, rows, waves, false,
                                           [this] { return m_cancel.load(); });
        } catch (const subjects::WordListCancelled &) {
            return {};
        } catch (const subjects::WordListError &e) {
            return e.message();
        }
        return {};
    }));
}

void frmImport::subjectWritten() {
    const QString problem = m_writing.result();
    if (!problem.isEmpty())
        endImport(Outcome::NotWritten, problem);
    else
        endImport(QFileInfo::exists(m_file) ? Outcome::Written : Outcome::Cancelled);
}

void frmImport::endImport(Outcome outcome, const QString &problem) {
    // The recorder stays until the next import: this may run inside its signal.
    m_busy = false;
    for (QWidget *w : {static_cast<QWidget *>(btnChoose), static_cast<QWidget *>(txtName),
                       static_cast<QWidget *>(chkLeaveOut)})
        w->setEnabled(true);
    updateImportButton();
    const Captions &c = m_program.captions;
    switch (outcome) {
    case Outcome::Written:
        m_imported = m_file;
        break;
    case Outcome::Cancelled:
        // Back to where the user was before pressing Import.
        barRecording->setValue(0);
        barRecording->setTextVisible(false);
        barRecording->setAccessibleName(c[caption::RecordingPhrases].arg(0).arg(0));
        btnImport->setFocus();
        break;
    case Outcome::NotRecorded:
        m_program.host().MsgBox(c[caption::RecordingFailed].arg(problem), vb::vbCritical);
        break;
    case Outcome::NotWritten:
        m_program.host().MsgBox(
            c[caption::ImportNotWritten].arg(QDir::toNativeSeparators(m_file), problem),
            vb::vbCritical);
        break;
    }
    const bool written = outcome == Outcome::Written;
    emit importEnded(written);
    if (written)
        accept();
}

void frmImport::showProgress(int done, int total) {
    // A report still queued from an import that has ended changes nothing.
    if (!m_busy)
        return;
    const QString state = m_program.captions[caption::RecordingPhrases].arg(done).arg(total);
    barRecording->setMaximum(total);
    barRecording->setValue(done);
    barRecording->setFormat(state);
    barRecording->setTextVisible(true);
    barRecording->setAccessibleName(state);
}
