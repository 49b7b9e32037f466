// The administrator's window that turns a word list, a flash-card package or
// a vocabulary file into an installed subject: choose the file, look at the
// first rows with their file line numbers, choose or swap the columns and the
// deck, name the subject, and wait while the phrases are recorded. A phrase
// the file brings a recording for keeps it; espeak-ng speaks the others. The
// recordings are decoded and the subject file is written on worker threads,
// espeak-ng runs in processes of its own, so the window stays responsive;
// Cancel stops them, and no subject file is left behind.
#pragma once

#include "subjects/word_list.h"

#include <QDialog>
#include <QFutureWatcher>

#include <atomic>
#include <memory>

class Program;
class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace subjects {
class PhraseRecorder;
}

class frmImport : public QDialog {
    Q_OBJECT
public:
    explicit frmImport(Program &program, QWidget *parent = nullptr);
    ~frmImport() override;

    // Asks for the word list, package or vocabulary file through the host's
    // open dialog and shows it.
    void btnChoose_Click();
    // Starts the import: the file's own recordings are decoded, the other
    // phrases recorded and the subject written; true when it started, and
    // importEnded() follows. A name that differs from an installed subject's
    // only in letter case, an unwritable folder or a missing espeak-ng is
    // said at once and nothing starts. Cancel (or Escape) stops the import,
    // which then leaves no subject file. A written subject closes the window
    // as accepted.
    bool btnImport_Click();
    bool isImporting() const { return m_busy; }

    // Where recordings are kept between imports, by voice and text.
    void setRecordingCache(const QString &folder) { m_cache = folder; }
    // The path of the subject written, empty until an import succeeded.
    const QString &importedFile() const { return m_imported; }

    // Words a problem of the list in the learner's language.
    QString Describe_Problem(const subjects::WordListProblem &problem) const;

    // Controls, named for tests and assistive technology.
    QLabel *lblFile;
    QPushButton *btnChoose;
    QLabel *lblDeck;
    QComboBox *cboDeck; // shown for a file of several decks; item 0: all of them
    // Columns counted from 1, as tvx-subject's options; 0: the file decides.
    QSpinBox *spnPhraseColumn;
    QSpinBox *spnTranslationColumn;
    QSpinBox *spnTranslation2Column;
    QPushButton *btnSwapColumns;
    QTableWidget *tblPreview;
    QLabel *lblSummary;
    QListWidget *lstProblems;
    QCheckBox *chkLeaveOut;
    QLineEdit *txtName;
    QProgressBar *barRecording;
    QPushButton *btnImport;
    QPushButton *btnCancel;

signals:
    // The import that btnImport_Click() started is over: written says whether
    // the subject file is in place. Any message about it was shown before.
    void importEnded(bool written);

protected:
    // The window stays while phrases are being recorded (Escape, close box).
    void reject() override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Reads the chosen file again with the columns and deck chosen.
    void readList(bool columnsChosen);
    void showList();
    void startRecording();
    // What the user chooses before importing, locked while importing.
    QList<QWidget *> choiceControls() const;
    void updateImportButton();
    void showProgress(int done, int total);
    void cancelImport();
    enum class Outcome { Written, Cancelled, NotRecorded, NotWritten };
    void writeSubject();
    void subjectWritten();
    void endImport(Outcome outcome, const QString &problem = {});

    Program &m_program;
    QString m_path;
    subjects::WordList m_list;
    QString m_cache;
    QString m_imported;
    QString m_suggestedName; // the subject name the window proposed
    QString m_file;          // the subject file being written
    bool m_busy = false;
    std::unique_ptr<subjects::PhraseRecorder> m_recorder;
    // The writing's failure, worded in English; empty when it was written.
    QFutureWatcher<QString> m_writing;
    // The file's own recordings, decoded before espeak-ng speaks the rest.
    struct OwnRecordings {
        QVector<QByteArray> waves;
        QStringList failures;
        bool cancelled = false;
    };
    QFutureWatcher<OwnRecordings> m_decoding;
    QVector<QByteArray> m_waves; // by row: own recordings, then espeak-ng's
    QVector<int> m_spoken;       // rows espeak-ng speaks
    QStringList m_failures;
    std::atomic<bool> m_cancel{false};
};
