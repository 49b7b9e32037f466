#include "subjects/frm_import.h"

#include "frame/captions.h"
#include "frame/program.h"
#include "platform/host.h"
#include "platform/platform_language.h"
#include "subjects/deck_sound.h"
#include "subjects/phrase_recorder.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
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

// A column counted from 1; 0 shows as "automatic": the file decides.
class ColumnBox : public QSpinBox {
public:
    using QSpinBox::QSpinBox;

protected:
    QString textFromValue(int value) const override {
        return value == 0 ? frmImport::tr("automatic") : QSpinBox::textFromValue(value);
    }
};

QString fileKindName(subjects::FileKind kind) {
    using subjects::FileKind;
    switch (kind) {
    case FileKind::Xml:
        return frmImport::tr("an XML file");
    case FileKind::Html:
        return frmImport::tr("a web page (HTML)");
    case FileKind::Zip:
        return frmImport::tr("a zip archive");
    case FileKind::ExcelWorkbook:
        return frmImport::tr("an Excel workbook (.xlsx)");
    case FileKind::OpenDocumentSheet:
        return frmImport::tr("an OpenDocument spreadsheet (.ods)");
    case FileKind::WordDocument:
        return frmImport::tr("a Word document (.docx)");
    case FileKind::OfficeBinary:
        return frmImport::tr("an older Office file (.xls or .doc)");
    case FileKind::Pdf:
        return frmImport::tr("a PDF document");
    case FileKind::Sqlite:
        return frmImport::tr("an SQLite database");
    case FileKind::Rtf:
        return frmImport::tr("an RTF document");
    case FileKind::Binary:
        return frmImport::tr("a binary file");
    }
    return {};
}

// The subject file in folder whose name equals name but for letter case:
// the tree would show both alike, and their scores could not be told apart.
QString sameNameIgnoringCase(const QString &folder, const QString &fileName) {
    for (const QString &existing : QDir(folder).entryList(QDir::Files))
        if (existing.compare(fileName, Qt::CaseInsensitive) == 0)
            return existing;
    return {};
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

    lblDeck = new QLabel(tr("&Deck:"), this);
    lblDeck->setObjectName(QStringLiteral("lblDeck"));
    cboDeck = new QComboBox(this);
    cboDeck->setObjectName(QStringLiteral("cboDeck"));
    cboDeck->setAccessibleName(tr("Deck to import"));
    lblDeck->setBuddy(cboDeck);
    lblDeck->setVisible(false);
    cboDeck->setVisible(false);

    // The columns as tvx-subject's --phrase-column and its kin choose them.
    auto *columns = new QHBoxLayout;
    const auto columnBox = [this, columns](const char *name, const QString &label) {
        auto *box = new ColumnBox(this);
        box->setObjectName(QLatin1String(name));
        box->setRange(0, 99);
        box->setAccessibleName(QString(label).remove(QLatin1Char('&')));
        auto *caption = new QLabel(label, this);
        caption->setObjectName(QString::fromLatin1(name).replace(0, 3, QStringLiteral("lbl")));
        caption->setBuddy(box);
        columns->addWidget(caption);
        columns->addWidget(box, 1);
        return box;
    };
    spnPhraseColumn = columnBox("spnPhraseColumn", tr("&Phrase column:"));
    spnTranslationColumn = columnBox("spnTranslationColumn", tr("&Translation column:"));
    spnTranslation2Column = columnBox("spnTranslation2Column", tr("&Second translation:"));
    btnSwapColumns = new QPushButton(tr("S&wap phrase and translation"), this);
    btnSwapColumns->setObjectName(QStringLiteral("btnSwapColumns"));
    btnSwapColumns->setAutoDefault(false);
    // Nothing to choose among before a file is read.
    for (QWidget *w :
         {static_cast<QWidget *>(spnPhraseColumn), static_cast<QWidget *>(spnTranslationColumn),
          static_cast<QWidget *>(spnTranslation2Column), static_cast<QWidget *>(btnSwapColumns)})
        w->setEnabled(false);

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
    grid->addWidget(lblDeck, 1, 0);
    grid->addWidget(cboDeck, 1, 1, 1, 2);
    columns->addWidget(btnSwapColumns);
    grid->addLayout(columns, 2, 0, 1, 3);
    grid->addWidget(tblPreview, 3, 0, 1, 3);
    grid->addWidget(lblSummary, 4, 0, 1, 3);
    grid->addWidget(lstProblems, 5, 0, 1, 3);
    grid->addWidget(chkLeaveOut, 6, 0, 1, 3);
    grid->addWidget(lblName, 7, 0);
    grid->addWidget(txtName, 7, 1, 1, 2);
    grid->addWidget(barRecording, 8, 0, 1, 3);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnImport);
    buttons->addWidget(btnCancel);
    grid->addLayout(buttons, 9, 0, 1, 3);
    grid->setColumnStretch(2, 1);

    setTabOrder(btnChoose, cboDeck);
    setTabOrder(cboDeck, spnPhraseColumn);
    setTabOrder(spnPhraseColumn, spnTranslationColumn);
    setTabOrder(spnTranslationColumn, spnTranslation2Column);
    setTabOrder(spnTranslation2Column, btnSwapColumns);
    setTabOrder(btnSwapColumns, tblPreview);
    setTabOrder(tblPreview, lstProblems);
    setTabOrder(lstProblems, chkLeaveOut);
    setTabOrder(chkLeaveOut, txtName);
    setTabOrder(txtName, btnImport);
    setTabOrder(btnImport, btnCancel);

    connect(btnChoose, &QPushButton::clicked, this, [this] { btnChoose_Click(); });
    connect(btnImport, &QPushButton::clicked, this, [this] { btnImport_Click(); });
    connect(&m_writing, &QFutureWatcher<QString>::finished, this, &frmImport::subjectWritten);
    connect(&m_decoding, &QFutureWatcher<OwnRecordings>::finished, this, [this] {
        const OwnRecordings own = m_decoding.result();
        if (own.cancelled || m_cancel) {
            endImport(Outcome::Cancelled);
            return;
        }
        m_waves = own.waves;
        m_failures = own.failures;
        startRecording();
    });
    for (QSpinBox *box : {spnPhraseColumn, spnTranslationColumn, spnTranslation2Column})
        connect(box, &QSpinBox::valueChanged, this, [this] { readList(true); });
    connect(btnSwapColumns, &QPushButton::clicked, this, [this] {
        const int phrase = spnPhraseColumn->value();
        const QSignalBlocker blockPhrase(spnPhraseColumn), blockTranslation(spnTranslationColumn);
        spnPhraseColumn->setValue(spnTranslationColumn->value());
        spnTranslationColumn->setValue(phrase);
        readList(true);
    });
    connect(cboDeck, &QComboBox::activated, this, [this] {
        // A name the user has not changed follows the deck: its last part,
        // or the file's name for every deck.
        const QString name = cboDeck->currentIndex() > 0
                                 ? cboDeck->currentText().section(QStringLiteral("::"), -1)
                                 : QFileInfo(m_path).completeBaseName();
        if (txtName->text() == m_suggestedName) {
            txtName->setText(name);
            m_suggestedName = name;
        }
        readList(true);
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

frmImport::~frmImport() {
    // A window closed with the program mid-import stops the writing first.
    m_cancel = true;
    m_decoding.waitForFinished();
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
    case WordListProblemKind::ControlCharacter:
        text = tr("\"%1\" contains a control character, which is not allowed").arg(p.detail);
        break;
    case WordListProblemKind::CommentRow:
        text = tr("the row \"%1\" starts with '#' after the header lines and is left out")
                   .arg(p.detail);
        break;
    case WordListProblemKind::UnsupportedFile:
        return tr("This is %1, not a word list. Save it as CSV (or as Unicode text), or use a "
                  "flash-card package (.apkg, .colpkg) or a vocabulary file (.kvtml).")
            .arg(fileKindName(subjects::FileKind(p.other)));
    case WordListProblemKind::NoSuchDeck:
        return tr("The file holds no deck named \"%1\".").arg(p.detail);
    }
    if (p.line <= 0)
        return text;
    if (m_list.unit == subjects::RowUnit::Line)
        return c[caption::ProblemLine].arg(p.line).arg(text);
    return subjects::DescribeUnit(m_list.unit, p.line) + QStringLiteral(": ") + text;
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
    // The documents folder when there is one; the dialog would otherwise
    // offer its name as the file to open.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QFileInfo(folder).isDir())
        folder = QDir::homePath();
    const QString path = m_program.host().GetOpenFileName(
        c[caption::ImportTitle], folder,
        c[caption::WordListFilter] +
            QStringLiteral(" (*.csv *.tsv *.txt *.apkg *.colpkg *.kvtml)"));
    if (path.isEmpty())
        return;
    m_path = path;
    cboDeck->clear();
    readList(false);
    m_suggestedName = QFileInfo(path).completeBaseName();
    txtName->setText(m_suggestedName);
}

void frmImport::readList(bool columnsChosen) {
    if (m_path.isEmpty() || m_busy)
        return;
    subjects::WordListOptions options;
    options.targetLanguage = m_program.identity.targetLanguage;
    options.learnerLanguage = m_program.identity.learnerLanguage;
    if (columnsChosen) {
        options.phraseColumn = spnPhraseColumn->value();
        options.translationColumn = spnTranslationColumn->value();
        options.translation2Column = spnTranslation2Column->value();
    }
    if (cboDeck->currentIndex() > 0)
        options.deck = cboDeck->currentText();
    m_list = subjects::ReadImportFile(m_path, options);
    if (cboDeck->count() == 0 && m_list.decks.size() > 1) {
        cboDeck->addItem(tr("All decks"));
        cboDeck->addItems(m_list.decks);
    }
    cboDeck->setVisible(cboDeck->count() > 0);
    lblDeck->setVisible(cboDeck->count() > 0);
    for (QWidget *w :
         {static_cast<QWidget *>(spnPhraseColumn), static_cast<QWidget *>(spnTranslationColumn),
          static_cast<QWidget *>(spnTranslation2Column), static_cast<QWidget *>(btnSwapColumns)})
        w->setEnabled(true);
    // The boxes show the columns in use, whoever chose them.
    const std::pair<QSpinBox *, int> shown[] = {{spnPhraseColumn, m_list.phraseColumn},
                                                {spnTranslationColumn, m_list.translationColumn},
                                                {spnTranslation2Column, m_list.translation2Column}};
    for (const auto &[box, column] : shown) {
        const QSignalBlocker block(box);
        box->setValue(column + 1);
    }
    showList();
}

void frmImport::showList() {
    lblFile->setText(QDir::toNativeSeparators(m_path));
    tblPreview->setRowCount(0);
    const qsizetype shown = std::min<qsizetype>(m_list.rows.size(), kPreviewRows);
    tblPreview->setRowCount(int(shown));
    // Rows are numbered as the file's lines (or notes), so that a row named
    // in the problems is found in the file.
    QStringList numbers;
    for (int r = 0; r < shown; ++r)
        numbers << QString::number(m_list.rows[r].line);
    tblPreview->setVerticalHeaderLabels(numbers);
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
    const QString folder = p.folders.installedSubjectsFolder;
    const QString file = QDir(folder).filePath(name + QLatin1Char('.') + p.identity.shortCode);
    const QString existing = sameNameIgnoringCase(folder, QFileInfo(file).fileName());
    if (!existing.isEmpty()) {
        host.MsgBox(c[caption::ImportedSubjectExists].arg(QFileInfo(existing).completeBaseName()),
                    vb::vbExclamation);
        txtName->setFocus();
        return false;
    }
    // An unwritable folder is found now, not after minutes of recording.
    {
        QFile probe(file + QStringLiteral(".part"));
        if (!probe.open(QIODevice::WriteOnly)) {
            host.MsgBox(c[caption::ImportNotWritten].arg(
                            QDir::toNativeSeparators(file),
                            platformLanguage::System_Reason(probe.errorString())),
                        vb::vbCritical);
            return false;
        }
        probe.close();
        probe.remove();
    }

    // Without espeak-ng the phrases that bring no recording cannot be spoken:
    // said now, before anything is decoded.
    const bool speaks = !m_list.media || std::any_of(m_list.rows.cbegin(), m_list.rows.cend(),
                                                     [](const subjects::WordListRow &row) {
                                                         return row.sound.isEmpty();
                                                     });
    if (speaks && QStandardPaths::findExecutable(QStringLiteral("espeak-ng")).isEmpty()) {
        host.MsgBox(c[caption::RecordingFailed].arg(
                        QCoreApplication::translate("wordList",
                                                    "cannot start espeak-ng (is it installed?): %1")
                            .arg(platformLanguage::System_Reason(
                                QStringLiteral("No such file or directory")))),
                    vb::vbCritical);
        return false;
    }

    m_busy = true;
    m_cancel = false;
    m_file = file;
    // Cancel stays: while importing it stops the import.
    for (QWidget *w : choiceControls())
        w->setEnabled(false);
    btnImport->setEnabled(false);
    btnCancel->setFocus();

    m_failures.clear();
    m_waves = QVector<QByteArray>(m_list.rows.size());
    if (!m_list.media) {
        startRecording();
        return true;
    }
    const subjects::WordList list = m_list;
    m_decoding.setFuture(QtConcurrent::run([this, list]() {
        OwnRecordings own;
        try {
            own.waves = subjects::ReadDeckRecordings(list, &own.failures,
                                                     [this] { return m_cancel.load(); });
        } catch (const subjects::WordListCancelled &) {
            own.cancelled = true;
        }
        return own;
    }));
    return true;
}

void frmImport::startRecording() {
    Program &p = m_program;
    QStringList texts;
    m_spoken.clear();
    for (int i = 0; i < m_list.rows.size(); ++i)
        if (m_waves.value(i).isEmpty()) {
            texts << m_list.rows[i].phrase;
            m_spoken << i;
        }
    m_recorder = std::make_unique<subjects::PhraseRecorder>(
        subjects::EspeakVoice(p.identity.targetLanguage), m_cache);
    connect(m_recorder.get(), &subjects::PhraseRecorder::progress, this, &frmImport::showProgress);
    connect(m_recorder.get(), &subjects::PhraseRecorder::finished, this, &frmImport::writeSubject);
    connect(m_recorder.get(), &subjects::PhraseRecorder::failed, this,
            [this](const QString &problem) { endImport(Outcome::NotRecorded, problem); });
    connect(m_recorder.get(), &subjects::PhraseRecorder::cancelled, this,
            [this] { endImport(Outcome::Cancelled); });
    m_recorder->start(texts);
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
    QVector<QByteArray> waves = m_waves;
    const QVector<QByteArray> &spoken = m_recorder->waves();
    for (int k = 0; k < m_spoken.size(); ++k)
        waves[m_spoken[k]] = spoken.value(k);
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
    for (QWidget *w : choiceControls())
        w->setEnabled(true);
    updateImportButton();
    const Captions &c = m_program.captions;
    switch (outcome) {
    case Outcome::Written:
        m_imported = m_file;
        // The phrases whose own recording could not be read were spoken.
        if (!m_failures.isEmpty())
            m_program.host().MsgBox(m_failures.join(QLatin1Char('\n')), vb::vbInformation);
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

QList<QWidget *> frmImport::choiceControls() const {
    return {btnChoose,
            txtName,
            chkLeaveOut,
            cboDeck,
            spnPhraseColumn,
            spnTranslationColumn,
            spnTranslation2Column,
            btnSwapColumns};
}

void frmImport::showProgress(int done, int total) {
    // A report still queued from an import that has ended changes nothing.
    if (!m_busy)
        return;
    // The file's own recordings are ready before espeak-ng starts.
    const int own = int(m_list.rows.size() - m_spoken.size());
    done += own;
    total += own;
    const QString state = m_program.captions[caption::RecordingPhrases].arg(done).arg(total);
    barRecording->setMaximum(total);
    barRecording->setValue(done);
    barRecording->setFormat(state);
    barRecording->setTextVisible(true);
    barRecording->setAccessibleName(state);
}
