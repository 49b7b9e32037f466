#include "subjects/frm_import.h"

#include "frame/captions.h"
#include "frame/program.h"
#include "platform/host.h"
#include "platform/platform_language.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
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
#include <QThread>

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
    m_cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
              QStringLiteral("/recordings");

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
    connect(btnImport, &QPushButton::clicked, this, [this] {
        if (btnImport_Click())
            accept();
    });
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
    // Cancel stays: while importing it stops the import.
    for (QWidget *w : {static_cast<QWidget *>(btnChoose), static_cast<QWidget *>(btnImport),
                       static_cast<QWidget *>(txtName), static_cast<QWidget *>(chkLeaveOut)})
        w->setEnabled(false);
    btnCancel->setFocus();

    enum class Outcome { Written, Cancelled, RecordingFailed, NotWritten };
    Outcome outcome = Outcome::Written;
    QString problem;
    QStringList texts;
    for (const subjects::WordListRow &row : std::as_const(m_list.rows))
        texts << row.phrase;
    const QString voice = subjects::EspeakVoice(p.identity.targetLanguage);
    const QString code = p.identity.languageCode;
    const QVector<subjects::WordListRow> rows = m_list.rows;
    const QString cache = m_cache;
    const subjects::CancelCheck cancelled = [this] { return m_cancel.load(); };

    // espeak-ng takes minutes for a long list: the work runs on a thread of
    // its own and reports through the window's event queue.
    QThread *worker = QThread::create([&] {
        subjects::PhraseRecorder recorder(voice, cache);
        recorder.setCancelCheck(cancelled);
        recorder.setProgress([this](int done, int total) {
            QMetaObject::invokeMethod(
                this, [this, done, total] { showProgress(done, total); }, Qt::QueuedConnection);
        });
        QVector<QByteArray> waves;
        try {
            waves = recorder.record(texts);
        } catch (const subjects::WordListCancelled &) {
            outcome = Outcome::Cancelled;
            return;
        } catch (const subjects::WordListError &e) {
            outcome = Outcome::RecordingFailed;
            problem = e.message();
            return;
        }
        try {
            subjects::WriteWordListSubject(file, code, rows, waves, false, cancelled);
        } catch (const subjects::WordListCancelled &) {
            outcome = Outcome::Cancelled;
        } catch (const subjects::WordListError &e) {
            outcome = Outcome::NotWritten;
            problem = e.message();
        }
    });
    QEventLoop loop;
    connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec();
    // The loop also ends when the program quits: the import stops first.
    if (!worker->isFinished())
        m_cancel = true;
    worker->wait();
    delete worker;

    m_busy = false;
    for (QWidget *w : {static_cast<QWidget *>(btnChoose), static_cast<QWidget *>(txtName),
                       static_cast<QWidget *>(chkLeaveOut)})
        w->setEnabled(true);
    updateImportButton();
    switch (outcome) {
    case Outcome::Written:
        m_imported = file;
        return true;
    case Outcome::Cancelled:
        // Back to where the user was before pressing Import.
        barRecording->setValue(0);
        barRecording->setTextVisible(false);
        barRecording->setAccessibleName(c[caption::RecordingPhrases].arg(0).arg(0));
        btnImport->setFocus();
        return false;
    case Outcome::RecordingFailed:
        host.MsgBox(c[caption::RecordingFailed].arg(problem), vb::vbCritical);
        return false;
    case Outcome::NotWritten:
        host.MsgBox(c[caption::ImportNotWritten].arg(QDir::toNativeSeparators(file), problem),
                    vb::vbCritical);
        return false;
    }
    return false;
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
