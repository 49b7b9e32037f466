// The phrase editor: the three texts of one installed phrase, corrected and
// written back to its subject file with OK.
#pragma once

#include <QDialog>
#include <QPixmap>

class QLabel;
class QLineEdit;
class QPushButton;
class Program;

class frmEdit : public QDialog {
    Q_OBJECT
public:
    // nodeTag: the tag of the phrase node being edited.
    frmEdit(Program &program, const QString &nodeTag, QWidget *parent = nullptr);

    void Form_Load();
    void btnOK_Click();

    // False when the phrase's row could not be read from its subject file
    // (the user has been told why); the window is then not to be shown.
    bool Row_Read() const { return m_rowRead; }

    // After OK: the tag of what the file now holds, for the phrase node.
    bool Saved() const { return m_saved; }
    const QString &Saved_Tag() const { return m_savedTag; }

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
    QString m_tag; // the window's Tag: which row OK writes
    QString m_savedTag;
    bool m_saved = false;
    bool m_rowRead = false;
    // The texts as read from the file: OK writes only what was changed.
    QString m_readPhrase;
    QString m_readTranslation;
    QString m_readTranslation2;
    bool readRow();
    QPixmap m_background;
};
