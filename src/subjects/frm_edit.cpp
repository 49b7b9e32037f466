#include "subjects/frm_edit.h"

#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/ado.h"
#include "platform/host.h"
#include "platform/pictures.h"
#include "platform/qt_button_sounds.h"
#include "platform/qt_window_placement.h"
#include "platform/tiled_background.h"
#include "platform/twips.h"
#include "subjects/phrase_edit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frmEdit::frmEdit(Program &program, const subjectData::Phrase &phrase, QWidget *parent)
    : QDialog(parent), m_program(program), m_phrase(phrase),
      m_background(LoadPicture(QStringLiteral(":/tiles/background.png"))) {
    setObjectName(QStringLiteral("frmEdit"));
    setWindowTitle(QStringLiteral("Edit Phrase"));
    setFixedSize(TwipsToPixels(6000), TwipsToPixels(4200));

    auto label = [this](const char *name, const QString &text, int top) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        PlaceTwips(*l, 240, top, 5520, 285);
        return l;
    };
    auto box = [this](const char *name, int top) {
        auto *t = new QLineEdit(this);
        t->setObjectName(QLatin1String(name));
        t->setAccessibleName(QLatin1String(name));
        PlaceTwips(*t, 240, top, 5520, 345);
        return t;
    };
    lblPhrase = label("lblPhrase", QStringLiteral("Phrase "), 180);
    txtPhrase = box("txtPhrase", 465);
    lblTranslation = label("lblTranslation", QStringLiteral("Translation"), 900);
    txtTranslation = box("txtTranslation", 1185);
    Label1 = label("Label1", QStringLiteral("Translation"), 1620);
    txtTranslation2 = box("txtTranslation2", 1905);
    lblWarning = new QLabel(this);
    lblWarning->setObjectName(QStringLiteral("lblWarning"));
    lblWarning->setWordWrap(true);
    lblWarning->setText(QStringLiteral(
        "Please note that only text can be edited within this window. Use the Tolvanex Subject "
        "Editor if you want more advanced EDIT options."));
    PlaceTwips(*lblWarning, 240, 2400, 5520, 900);
    btnOK = new QPushButton(QStringLiteral("sOK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    PlaceTwips(*btnOK, 1560, 3480, 1320, 420);
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("sCancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    PlaceTwips(*btnCancel, 3120, 3480, 1320, 420);
    for (QPushButton *b : {btnOK, btnCancel})
        AddClickSound(*b, modMain::Button_Click(m_program));
    connect(btnOK, &QPushButton::clicked, this, &frmEdit::btnOK_Click);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    Form_Load();
    m_rowRead = readRow();
}

bool frmEdit::readRow() {
    // The boxes show the file's own row, which may have changed since the
    // tree read it.
    try {
        const phraseEdit::PhraseTexts texts = phraseEdit::Read(m_program, m_phrase);
        m_readPhrase = texts.phrase;
        m_readTranslation = texts.translation;
        m_readTranslation2 = texts.translation2;
    } catch (const std::exception &e) {
        m_program.host().MsgBoxWithDetails(
            m_phrase.sourceFile.toUpper() + modMain::Safe_Caption(m_program, 6) +
                QStringLiteral("\r\n\r\n") + QString::fromUtf8(e.what()),
            vb::vbExclamation, modMain::Safe_Caption(m_program, 103), ado::DetailsOf(e));
        return false;
    }
    txtPhrase->setText(m_readPhrase);
    txtTranslation->setText(m_readTranslation);
    txtTranslation2->setText(m_readTranslation2);
    return true;
}

void frmEdit::Form_Load() {
    const Captions &c = m_program.captions;
    setWindowTitle(c[111]);
    lblPhrase->setText(c[109]);
    lblTranslation->setText(c[110]);
    // Named by their labels for screen readers; the second translation's
    // label keeps its design text, so its box says which one it is.
    txtPhrase->setAccessibleName(c[109]);
    txtTranslation->setAccessibleName(c[110]);
    txtTranslation2->setAccessibleName(c[110] + QStringLiteral(" 2"));
    lblPhrase->setBuddy(txtPhrase);
    lblTranslation->setBuddy(txtTranslation);
    Label1->setBuddy(txtTranslation2);
    // Its design text stays on screen in every build; a screen reader reads
    // what its box is called.
    Label1->setAccessibleName(txtTranslation2->accessibleName());
    lblWarning->setText(c[108]);
    btnOK->setText(c[8]);
    btnCancel->setText(c[9]);
}

void frmEdit::btnOK_Click() {
    // A box left as it was read is not written (an empty text leaves its
    // column as it is), so a text from elsewhere that this window would
    // refuse stays untouched unless it is changed.
    const auto changed = [](const QLineEdit *box, const QString &read) {
        return box->text() == read ? QString() : box->text();
    };
    const phraseEdit::PhraseTexts typed{changed(txtPhrase, m_readPhrase),
                                        changed(txtTranslation, m_readTranslation),
                                        changed(txtTranslation2, m_readTranslation2)};
    // Refused texts stay in the boxes to be corrected.
    const QString refusal = phraseEdit::Refusal(m_program, typed);
    if (!refusal.isEmpty()) {
        m_program.host().MsgBox(refusal, vb::vbExclamation, m_program.captions[103]);
        return;
    }
    try {
        m_savedPhrase = phraseEdit::Save(m_program, m_phrase, typed);
    } catch (const std::exception &e) {
        // Nothing was written; the window stays open with what was typed.
        m_program.host().MsgBoxWithDetails(
            m_program.captions[caption::PhraseNotSaved] + QStringLiteral("\r\n\r\n") +
                QString::fromUtf8(e.what()),
            vb::vbExclamation, m_program.captions[103], ado::DetailsOf(e));
        return;
    }
    m_saved = true;
    accept();
}

void frmEdit::paintEvent(QPaintEvent *) {
    tiling::PaintWindowBackground(*this, m_background);
}

void frmEdit::showEvent(QShowEvent *event) {
    CenterWindow(*this, parentWidget());
    QDialog::showEvent(event);
}
