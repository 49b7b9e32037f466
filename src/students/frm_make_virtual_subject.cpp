#include "students/frm_make_virtual_subject.h"

#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/ado.h"
#include "platform/host.h"
#include "study_data/learner_reviews.h"
#include "subject_data/subject_file.h"
#include "subject_data/virtual_subject_maker.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

frmMakeVirtualSubject::frmMakeVirtualSubject(Program &program,
                                             subjectData::VirtualSubjectMaker &maker,
                                             QVector<phraseViews::PhraseRow> rows,
                                             QWidget *parent)
    : QDialog(parent), m_program(program), m_maker(maker), m_rows(std::move(rows)),
      m_files(phraseViews::Source_Files(m_rows)) {
    const Captions &c = program.captions;
    setObjectName(QStringLiteral("frmMakeVirtualSubject"));
    setWindowTitle(c[caption::MakeVirtualSubject]);

    lblSource = new QLabel(c[caption::PhrasesOf], this);
    cboSource = new QComboBox(this);
    cboSource->setObjectName(QStringLiteral("cboSource"));
    cboSource->addItem(c[caption::WholeClass]);
    for (int i = 0; i < m_files.size(); ++i)
        cboSource->addItem(sourceTitle(i + 1));
    lblSource->setBuddy(cboSource);

    lblPhrases = new QLabel(c[caption::PhrasesToPractise], this);
    lstPhrases = new QListWidget(this);
    lstPhrases->setObjectName(QStringLiteral("lstPhrases"));
    lblPhrases->setBuddy(lstPhrases);

    lblFolder = new QLabel(c[caption::VirtualFolderLabel], this);
    cboFolder = new QComboBox(this);
    cboFolder->setObjectName(QStringLiteral("cboFolder"));
    cboFolder->setEditable(true);
    cboFolder->setInsertPolicy(QComboBox::NoInsert);
    cboFolder->addItems(m_maker.Folder_Names());
    lblFolder->setBuddy(cboFolder);

    lblName = new QLabel(c[caption::VirtualSubjectName], this);
    txtName = new QLineEdit(this);
    txtName->setObjectName(QStringLiteral("txtName"));
    lblName->setBuddy(txtName);

    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(c[caption::MakeVirtualSubject]);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { cmdMake_Click(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    for (QLabel *label : {lblSource, lblPhrases, lblFolder, lblName})
        if (QWidget *buddy = label->buddy())
            buddy->setAccessibleName(label->text().remove(QLatin1Char(':')).trimmed());

    auto *layout = new QVBoxLayout(this);
    for (QWidget *w : std::initializer_list<QWidget *>{lblSource, cboSource, lblPhrases, lstPhrases,
                                                       lblFolder, cboFolder, lblName, txtName,
                                                       buttons})
        layout->addWidget(w);
    resize(560, 520);

    connect(cboSource, &QComboBox::currentIndexChanged, this, [this] { cboSource_Click(); });
    cboSource_Click();
}

QString frmMakeVirtualSubject::sourceTitle(int choice) const {
    if (choice <= 0 || choice > m_files.size())
        return m_program.captions[caption::WholeClass];
    const QString &file = m_files[choice - 1];
    try {
        return subjectFile::Proper_Title(m_program, file).trimmed();
    } catch (const std::exception &) {
        return file; // a subject gone since: its file's name tells which
    }
}

void frmMakeVirtualSubject::cboSource_Click() {
    const int choice = cboSource->currentIndex();
    const QString file = choice > 0 ? m_files.value(choice - 1) : QString();
    m_listed = phraseViews::Worst_Phrases(m_rows, learnerReviews::kMostPhrases, file);
    lstPhrases->clear();
    for (const phraseViews::PhraseRow &row : std::as_const(m_listed)) {
        auto *item = new QListWidgetItem(row.translation + QStringLiteral("  -  ") + row.phrase,
                                         lstPhrases);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    if (lstPhrases->count() > 0)
        lstPhrases->setCurrentRow(0);
    txtName->setText(m_program.captions[caption::PhrasesToPractise] + QStringLiteral(" - ") +
                     sourceTitle(choice));
}

QVector<subjectData::Phrase> frmMakeVirtualSubject::tickedPhrases() const {
    QVector<subjectData::Phrase> phrases;
    for (int i = 0; i < lstPhrases->count() && i < m_listed.size(); ++i)
        if (lstPhrases->item(i)->checkState() == Qt::Checked)
            phrases << phraseViews::Source_Phrase(m_listed[i]);
    return phrases;
}

void frmMakeVirtualSubject::cmdMake_Click() {
    const Captions &c = m_program.captions;
    Host &host = m_program.host();
    const QString title = c[caption::MakeVirtualSubject];
    const QVector<subjectData::Phrase> phrases = tickedPhrases();
    const QString folder = cboFolder->currentText().trimmed();
    const QString name = txtName->text().trimmed();
    QString problem;
    QWidget *fix = nullptr;
    if (phrases.isEmpty()) {
        problem = c[caption::ChooseAPhrase];
        fix = lstPhrases;
    } else if (const QString why = m_maker.Folder_Name_Problem(folder); !why.isEmpty()) {
        problem = why;
        fix = cboFolder;
    } else if (name.isEmpty()) {
        problem = c[caption::VirtualSubjectName];
        fix = txtName;
    }
    if (!problem.isEmpty()) {
        host.MsgBox(problem, vb::vbOKOnly | vb::vbExclamation, title);
        fix->setFocus();
        return;
    }
    try {
        m_maker.Make_Subject(folder, name, phrases);
    } catch (const std::exception &e) {
        host.MsgBoxWithDetails(ado::DescriptionOf(e), vb::vbExclamation, title, ado::DetailsOf(e));
        return;
    }
    host.MsgBox(c[caption::VirtualSubjectMade].arg(name).arg(phrases.size()).arg(folder),
                vb::vbOKOnly | vb::vbInformation, title);
    accept();
}
