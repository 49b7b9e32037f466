// The phrase editor: the three texts of one installed phrase, corrected and
// written back to its subject file with OK.
#pragma once

#include "subject_data/phrase.h"

#include <QDialog>
#include <QPixmap>

class QLabel;
class QLineEdit;
class QPushButton;
class Program;

class frmEdit : public QDialog {
    Q_OBJECT
public:
    // phrase: the phrase of the node being edited; its place (source file
    // and number) says which row OK writes.
    frmEdit(Program &program, const subjectData::Phrase &phrase, QWidget *parent = nullptr);

    void Form_Load();
    void btnOK_Click();

    // False when the phrase's row could not be read from its subject file
    // (the user has been told why); the window is then not to be shown.
    bool Row_Read() const { return m_rowRead; }

    // After OK: the phrase as the file now holds it, for the phrase node.
    bool Saved() const { return m_saved; }
    const subjectData::Phrase &Saved_Phrase() const { return m_savedPhrase; }

    QLabel *lblPhrase;
    QLineEdit *txtPhrase;
    QLabel *lblTranslation;
    QLineEdit *txtTranslation;
    QLabel *Label1;
    QLineEdit *txtTranslation2;
    QLabel *lblWarning;
    QPushButton *btnOK;
    QPushButton *btnCancel;

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    Program &m_program;
    subjectData::Phrase m_phrase; // the window's Tag: which row OK writes
    subjectData::Phrase m_savedPhrase;
    bool m_saved = false;
    bool m_rowRead = false;
    // The texts as read from the file: OK writes only what was changed.
    QString m_readPhrase;
    QString m_readTranslation;
    QString m_readTranslation2;
    bool readRow();
    QPixmap m_background;
};
