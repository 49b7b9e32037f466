// Recording a learner saying a phrase and holding it against the model: a
// small window counts down and shows the level while the microphone listens
// (Esc stops early), then the comparison window shows both recordings with
// their pitch, aligned syllable under syllable, and how close they are.
#pragma once

#include "subject_data/phrase.h"
#include "subjects/voice_compare.h"

#include <QDialog>
#include <QString>

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

// Shown while the microphone listens.
class frmRecord : public QDialog {
    Q_OBJECT
public:
    frmRecord(Program &program, QWidget *parent = nullptr);
    // Shows what is left of the time and the latest level; false once the
    // learner asked to stop.
    bool Progress(int elapsedMs, int totalMs, float level);

    QLabel *lblCountdown;
    QProgressBar *barLevel;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void reject() override;

private:
    Program &m_program;
    bool m_stop = false;
};

class frmCompare : public QDialog {
    Q_OBJECT
public:
    frmCompare(Program &program, const QString &phrase, const QByteArray &model,
               const QByteArray &mine, QWidget *parent = nullptr);

    // True when the learner asked to record again.
    bool Again() const { return m_again; }
    const voice::Comparison &Result() const { return m_comparison; }

    QLabel *lblPhrase;
    VoiceView *picVoices;
    QLabel *lblCloseness;
    QLabel *lblMeaning;
    QPushButton *btnModel;
    QPushButton *btnMine;
    QPushButton *btnBoth;
    QPushButton *btnAgain;

private:
    Program &m_program;
    QByteArray m_model;
    QByteArray m_mine;
    voice::Comparison m_comparison;
    bool m_again = false;
};

namespace voiceWindows {

// "~tvxvoice" + handle tag + ".wav", and its full path in the program's
// temporary folder: the learner's latest recording, deleted with the other
// temporary files at shut-down.
QString Recording_Name(const Program &program);
QString Recording_Path(const Program &program);

// Plays the model (the phrase's recording, from the installed subject file),
// records the learner for its length plus two seconds and opens the
// comparison window, as often as the learner records again. Without a
// microphone the learner is told so and nothing else happens. A phrase whose
// source file is gone does nothing; other failures get the error box.
void Record_And_Compare(Program &program, const subjectData::Phrase &phrase, QWidget *parent);

} // namespace voiceWindows
