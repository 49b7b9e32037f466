// The administrator's window that turns a word list into an installed subject:
// choose the file, look at the first rows with their columns, name the
// subject, and wait while the phrases are recorded. The recording and the
// writing run on a thread of their own, so the window stays responsive;
// Cancel stops them, and no subject file is left behind.
#pragma once

#include "subjects/word_list.h"

#include <QDialog>

#include <atomic>

class Program;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableWidget;

class frmImport : public QDialog {
    Q_OBJECT
public:
    explicit frmImport(Program &program, QWidget *parent = nullptr);

    // Asks for the word list through the host's open dialog and shows it.
    void btnChoose_Click();
    // Records the phrases and writes the subject; true when it was written.
    // The window's events go on meanwhile; Cancel (or Escape) stops the
    // import, which then returns false and leaves no subject file.
    bool btnImport_Click();

    // Where recordings are kept between imports, by voice and text.
    void setRecordingCache(const QString &folder) { m_cache = folder; }
    // The path of the subject written, empty until an import succeeded.
    const QString &importedFile() const { return m_imported; }

    // Words a problem of the list in the learner's language.
    QString Describe_Problem(const subjects::WordListProblem &problem) const;

    // Controls, named for tests and assistive technology.
    QLabel *lblFile;
    QPushButton *btnChoose;
    QTableWidget *tblPreview;
    QLabel *lblSummary;
    QListWidget *lstProblems;
    QCheckBox *chkLeaveOut;
    QLineEdit *txtName;
    QProgressBar *barRecording;
    QPushButton *btnImport;
    QPushButton *btnCancel;

protected:
    // The window stays while phrases are being recorded (Escape, close box).
    void reject() override;
    void closeEvent(QCloseEvent *event) override;

private:
    void showList();
    void updateImportButton();
    void showProgress(int done, int total);
    void cancelImport();

    Program &m_program;
    QString m_path;
    subjects::WordList m_list;
    QString m_cache;
    QString m_imported;
    bool m_busy = false;
    std::atomic<bool> m_cancel{false};
};
