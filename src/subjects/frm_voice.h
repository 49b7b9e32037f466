// Recording a learner saying a phrase and holding it against the model: a
// small window counts down and shows the level while the microphone listens
// (Esc stops early), then the comparison window shows both recordings with
// their pitch, aligned syllable under syllable, and how close they are.
#pragma once

#include "subject_data/phrase.h"
#include "subjects/voice_compare.h"

#include <QDialog>
#include <QFutureWatcher>
#include <QString>
#include <QTimer>

#include <memory>
#include <stdexcept>

class MicrophoneCapture;
class Program;
class QLabel;
class QProgressBar;
class QPushButton;

// The two recordings, drawn one above the other on a common time line: the
// alignment decides which moment of mine stands under each moment of the
// model. Each shows its loudness as a waveform outline and its pitch as a line.
class VoiceView : public QWidget {
    Q_OBJECT
public:
    explicit VoiceView(QWidget *parent = nullptr);
    void SetComparison(const voice::Comparison *comparison, const QString &modelLabel,
                       const QString &mineLabel);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const voice::Comparison *m_comparison = nullptr;
    QString m_modelLabel;
    QString m_mineLabel;
};

// Shown while the microphone listens, and while the recording is compared.
class frmRecord : public QDialog {
    Q_OBJECT
public:
    frmRecord(Program &program, QWidget *parent = nullptr);
    // Shows what is left of the time and the latest level.
    void Progress(int elapsedMs, int totalMs, float level);
    // Says that the recording is being compared with the model.
    void Comparing();

    QLabel *lblCountdown;
    QProgressBar *barLevel;

signals:
    // Esc or the close box: the learner has said enough.
    void StopRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void reject() override;

private:
    Program &m_program;
};

class frmCompare : public QDialog {
    Q_OBJECT
public:
    // lastFigures: the figures of this phrase so far in this run of the
    // program, this one's last.
    frmCompare(Program &program, const QString &phrase, const QByteArray &model,
               const QByteArray &mine, voice::Comparison comparison,
               const QList<int> &lastFigures = {}, QWidget *parent = nullptr);

    // True when the learner asked to record again.
    bool Again() const { return m_again; }
    const voice::Comparison &Result() const { return m_comparison; }

    QLabel *lblPhrase;
    VoiceView *picVoices;
    QLabel *lblCloseness; // the figure, or why there is none
    QLabel *lblBand;      // the figure in words
    QLabel *lblLastFigures;
    QLabel *lblMeaning;
    QPushButton *btnModel;
    QPushButton *btnMine;
    QPushButton *btnBoth;
    QPushButton *btnAgain;

private:
    // The buttons play in the background: the window answers meanwhile, and
    // the next button replaces what is still playing.
    void play(const QByteArray &wave);

    Program &m_program;
    QByteArray m_model;
    QByteArray m_mine;
    voice::Comparison m_comparison;
    bool m_again = false;
    // "Both": the learner's recording once the model has been heard.
    QTimer m_thenMine;
};

// One go of the learner at a phrase: the model heard, the recording, the
// comparison window, as often as the learner records again. It runs from
// the event loop and deletes itself at its end.
class VoiceSession : public QObject {
    Q_OBJECT
public:
    // key names the phrase among the figures kept for this run of the program.
    VoiceSession(Program &program, QString key, QString text, QByteArray model, QWidget *parent);
    ~VoiceSession() override;
    void Start();

signals:
    void Ended();

private:
    void record();
    void recorded(const QByteArray &mine);
    void compared();
    void fail(const std::exception &e);
    void end();
    void closeWindow();

    Program &m_program;
    QString m_key;
    QString m_text;
    QByteArray m_model;
    QWidget *m_parent;
    int m_total = 0;
    std::unique_ptr<frmRecord> m_window;
    std::unique_ptr<MicrophoneCapture> m_capture;
    QByteArray m_mine;
    // What the analysis beside the window gives: the comparison, or why the
    // voice module could not make it.
    struct Analysed {
        voice::Comparison comparison;
        QString problem;
    };
    QFutureWatcher<Analysed> m_analysis;
};

namespace voiceWindows {

// "~tvxvoice" + handle tag + ".wav", and its full path in the program's
// temporary folder: the learner's latest recording, deleted with the other
// temporary files at shut-down.
QString Recording_Name(const Program &program);
QString Recording_Path(const Program &program);

// Plays the model (the phrase's recording, from the installed subject file),
// records the learner for its length plus two seconds and opens the
// comparison window, as often as the learner records again. Returns once the
// model has been heard and the recording runs: the session that goes on is
// returned (a child of parent), null when none started. Without a
// microphone the learner is told so and nothing else happens. A phrase whose
// source file is gone does nothing; other failures get the error box.
VoiceSession *Record_And_Compare(Program &program, const subjectData::Phrase &phrase,
                                 QWidget *parent);

} // namespace voiceWindows
