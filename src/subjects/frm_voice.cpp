#include "subjects/frm_voice.h"

#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/host.h"
#include "platform/platform_language.h"
#include "platform/private_folder.h"
#include "platform/sound.h"
#include "subjects/phrase_sound.h"
#include "subjects/voice_module.h"

#include <QFile>
#include <QHBoxLayout>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cmath>
#include <stdexcept>

// --- VoiceView ---

VoiceView::VoiceView(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("picVoices"));
    setMinimumSize(640, 260);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

void VoiceView::SetComparison(const voice::Comparison *comparison, const QString &modelLabel,
                              const QString &mineLabel) {
    m_comparison = comparison;
    m_modelLabel = modelLabel;
    m_mineLabel = mineLabel;
    update();
}

namespace {

// The tune in semitones against the speaker's own median, an octave up and
// down over the band's height: a woman's and a man's voice saying the phrase
// with the same melody draw the same line.
double tuneHeight(float semitones) {
    return std::clamp(0.5 + semitones / 24.0, 0.0, 1.0);
}

// One recording in its band: frames[x] is the frame shown at column x; the
// columns whose frame lies in one of the marked stretches are shaded.
void drawVoice(QPainter &painter, const QRect &band, const voice::Analysis &a,
               const std::vector<int> &frames, const QColor &colour, const QString &label,
               const std::vector<std::pair<int, int>> &marked = {}) {
    const QColor markColour(250, 200, 120);
    for (int x = 0; x < static_cast<int>(frames.size()); ++x) {
        const int f = frames[x];
        const bool inMark = std::any_of(marked.begin(), marked.end(), [f](const auto &stretch) {
            return f >= stretch.first && f <= stretch.second;
        });
        if (inMark) {
            painter.setPen(markColour);
            painter.drawLine(band.left() + x, band.top(), band.left() + x, band.bottom());
        }
    }
    painter.setPen(QColor(220, 220, 220));
    painter.drawLine(band.left(), band.center().y(), band.right(), band.center().y());
    float loudest = 0;
    for (float l : a.loudness)
        loudest = std::max(loudest, l);
    if (loudest > 0) {
        painter.setPen(colour.lighter(130));
        const int half = band.height() / 2 - 4;
        for (int x = 0; x < static_cast<int>(frames.size()); ++x) {
            const int h = static_cast<int>(half * a.loudness[frames[x]] / loudest);
            painter.drawLine(band.left() + x, band.center().y() - h, band.left() + x,
                             band.center().y() + h);
        }
    }
    QPen pitchPen(QColor(200, 40, 40));
    pitchPen.setWidth(2);
    painter.setPen(pitchPen);
    QPainterPath path;
    bool drawing = false;
    const std::vector<float> tune = voice::Tune(a);
    for (int x = 0; x < static_cast<int>(frames.size()); ++x) {
        if (a.pitch[frames[x]] <= 0) {
            drawing = false;
            continue;
        }
        const QPointF at(band.left() + x,
                         band.bottom() - 4 - tuneHeight(tune[frames[x]]) * (band.height() - 8));
        if (drawing)
            path.lineTo(at);
        else
            path.moveTo(at);
        drawing = true;
    }
    painter.drawPath(path);
    painter.setPen(Qt::black);
    painter.drawText(band.adjusted(6, 4, 0, 0), Qt::AlignLeft | Qt::AlignTop, label);
}

} // namespace

void VoiceView::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!m_comparison)
        return;
    const voice::Comparison &c = *m_comparison;
    const int width = std::max(1, this->width());
    const QRect top(0, 0, width, height() / 2 - 2);
    const QRect bottom(0, height() / 2 + 2, width, height() / 2 - 2);
    std::vector<int> modelFrames(static_cast<size_t>(width));
    std::vector<int> mineFrames(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) {
        if (!c.path.empty()) {
            const auto &pair = c.path[static_cast<size_t>(x) * c.path.size() / width];
            modelFrames[x] = pair.first;
            mineFrames[x] = pair.second;
        } else {
            // Nothing to align: each on its own time line.
            modelFrames[x] = std::max(0, c.model.frames() - 1) * x / width;
            mineFrames[x] = std::max(0, c.mine.frames() - 1) * x / width;
        }
    }
    if (c.model.frames() > 0)
        drawVoice(painter, top, c.model, modelFrames, QColor(40, 90, 170), m_modelLabel,
                  c.differing);
    if (c.mine.frames() > 0)
        drawVoice(painter, bottom, c.mine, mineFrames, QColor(40, 140, 70), m_mineLabel);
    painter.setPen(QColor(160, 160, 160));
    painter.drawLine(0, height() / 2, width, height() / 2);
}

// --- frmRecord ---

frmRecord::frmRecord(Program &program, QWidget *parent) : QDialog(parent), m_program(program) {
    setObjectName(QStringLiteral("frmRecord"));
    setWindowTitle(program.captions[caption::RecordAndCompare]);
    auto *layout = new QVBoxLayout(this);
    lblCountdown = new QLabel(this);
    lblCountdown->setObjectName(QStringLiteral("lblCountdown"));
    QFont font = lblCountdown->font();
    font.setPointSize(font.pointSize() + 4);
    lblCountdown->setFont(font);
    barLevel = new QProgressBar(this);
    barLevel->setObjectName(QStringLiteral("barLevel"));
    barLevel->setRange(0, 100);
    barLevel->setTextVisible(false);
    layout->addWidget(lblCountdown);
    layout->addWidget(barLevel);
    resize(420, 110);
}

void frmRecord::Progress(int elapsedMs, int totalMs, float level) {
    const int left = std::max(0, (totalMs - elapsedMs + 999) / 1000);
    lblCountdown->setText(m_program.captions[caption::SpeakNow].arg(left));
    barLevel->setValue(static_cast<int>(std::lround(std::clamp(level, 0.0f, 1.0f) * 100)));
}

void frmRecord::Comparing() {
    lblCountdown->setText(m_program.captions[caption::Comparing]);
    barLevel->setValue(0);
}

void frmRecord::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape) {
        emit StopRequested();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmRecord::reject() {
    // Closing the window stops the recording; what was said so far is kept.
    emit StopRequested();
}

// --- frmCompare ---

frmCompare::frmCompare(Program &program, const QString &phrase, const QByteArray &model,
                       const QByteArray &mine, voice::Comparison comparison,
                       const QList<int> &lastFigures, QWidget *parent)
    : QDialog(parent), m_program(program), m_model(model), m_mine(mine),
      m_comparison(std::move(comparison)) {
    setObjectName(QStringLiteral("frmCompare"));
    const Captions &c = program.captions;
    setWindowTitle(c[caption::CompareTitle]);
    auto *layout = new QVBoxLayout(this);
    lblPhrase = new QLabel(phrase, this);
    lblPhrase->setObjectName(QStringLiteral("lblPhrase"));
    // A phrase is text, whatever signs it holds.
    lblPhrase->setTextFormat(Qt::PlainText);
    QFont big = lblPhrase->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    lblPhrase->setFont(big);
    lblPhrase->setWordWrap(true);
    picVoices = new VoiceView(this);
    picVoices->SetComparison(&m_comparison, c[caption::ModelLabel], c[caption::MineLabel]);
    const bool hasFigure = m_comparison.verdict == voice::Verdict::Figure;
    lblCloseness = new QLabel(this);
    lblCloseness->setObjectName(QStringLiteral("lblCloseness"));
    lblCloseness->setWordWrap(true);
    QFont figure = lblCloseness->font();
    figure.setPointSize(figure.pointSize() + 4);
    figure.setBold(true);
    lblCloseness->setFont(figure);
    lblBand = new QLabel(this);
    lblBand->setObjectName(QStringLiteral("lblBand"));
    lblBand->setFont(figure);
    switch (m_comparison.verdict) {
    case voice::Verdict::NothingHeard:
        lblCloseness->setText(c[caption::NothingHeard]);
        break;
    case voice::Verdict::TooNoisy:
        lblCloseness->setText(c[caption::TooNoisy]);
        break;
    case voice::Verdict::Figure: {
        lblCloseness->setText(c[caption::Closeness].arg(m_comparison.closeness));
        const voice::Band band = voice::BandOf(m_comparison.closeness);
        const int words = band == voice::Band::VeryClose ? caption::VeryClose
                          : band == voice::Band::Close   ? caption::CloseBand
                                                         : caption::KeepPractising;
        const QColor colour = band == voice::Band::VeryClose ? QColor(30, 120, 50)
                              : band == voice::Band::Close   ? QColor(40, 90, 170)
                                                             : QColor(170, 90, 20);
        lblBand->setText(c[words]);
        QPalette palette = lblBand->palette();
        palette.setColor(QPalette::WindowText, colour);
        lblBand->setPalette(palette);
        break;
    }
    }
    lblBand->setVisible(hasFigure);
    lblLastFigures = new QLabel(this);
    lblLastFigures->setObjectName(QStringLiteral("lblLastFigures"));
    QStringList figures;
    for (const int f : lastFigures)
        figures << QString::number(f);
    lblLastFigures->setText(c[caption::LastFigures].arg(figures.join(QStringLiteral(", "))));
    // One figure is the one above: a list starts with the second.
    lblLastFigures->setVisible(lastFigures.size() > 1);
    lblMeaning = new QLabel(c[caption::ClosenessMeaning], this);
    lblMeaning->setObjectName(QStringLiteral("lblMeaning"));
    lblMeaning->setWordWrap(true);
    layout->addWidget(lblPhrase);
    layout->addWidget(picVoices, 1);
    auto *result = new QHBoxLayout;
    result->addWidget(lblCloseness, 1);
    result->addWidget(lblBand);
    layout->addLayout(result);
    layout->addWidget(lblLastFigures);
    layout->addWidget(lblMeaning);

    // Keys that do not depend on the language: M, I, B and R.
    auto *buttons = new QHBoxLayout;
    auto button = [&](const char *name, int text, Qt::Key key, const QString &keyName) {
        auto *b =
            new QPushButton(c[text] + QStringLiteral(" (") + keyName + QLatin1Char(')'), this);
        b->setObjectName(QLatin1String(name));
        b->setShortcut(QKeySequence(key));
        buttons->addWidget(b);
        return b;
    };
    btnModel = button("btnModel", caption::PlayModel, Qt::Key_M, QStringLiteral("M"));
    btnMine = button("btnMine", caption::PlayMine, Qt::Key_I, QStringLiteral("I"));
    btnBoth = button("btnBoth", caption::PlayBoth, Qt::Key_B, QStringLiteral("B"));
    btnAgain = button("btnAgain", caption::RecordAgain, Qt::Key_R, QStringLiteral("R"));
    layout->addLayout(buttons);
    m_thenMine.setSingleShot(true);
    connect(&m_thenMine, &QTimer::timeout, this,
            [this] { m_program.host().PlaySoundMemory(m_mine, true); });
    connect(btnModel, &QPushButton::clicked, this, [this] { play(m_model); });
    connect(btnMine, &QPushButton::clicked, this, [this] { play(m_mine); });
    connect(btnBoth, &QPushButton::clicked, this, [this] {
        play(m_model);
        m_thenMine.start(voice::Read_Wave(m_model).milliseconds());
    });
    connect(btnAgain, &QPushButton::clicked, this, [this] {
        m_again = true;
        accept();
    });
    resize(760, 480);
}

void frmCompare::play(const QByteArray &wave) {
    m_thenMine.stop();
    m_program.host().PlaySoundMemory(wave, true);
}

// --- the flow ---

VoiceSession::VoiceSession(Program &program, QString key, QString text, QByteArray model,
                           QWidget *parent)
    : QObject(parent), m_program(program), m_key(std::move(key)), m_text(std::move(text)),
      m_model(std::move(model)),
      m_parent(parent), m_total(voice::Read_Wave(m_model).milliseconds() + 2000) {
    setObjectName(QStringLiteral("voiceSession"));
    connect(&m_analysis, &QFutureWatcher<Analysed>::finished, this, &VoiceSession::compared);
}

VoiceSession::~VoiceSession() {
    // The analysis works on copies of the sounds; it only has to end.
    m_analysis.waitForFinished();
}

void VoiceSession::Start() {
    record();
}

void VoiceSession::record() {
    Host &host = m_program.host();
    // Heard to its end first, so that the microphone hears only the learner.
    host.PlaySoundMemory(m_model, false);
    m_capture = host.StartCapture(m_total);
    if (!m_capture) {
        host.MsgBox(m_program.captions[caption::NoMicrophone], vb::vbExclamation);
        end();
        return;
    }
    m_window = std::make_unique<frmRecord>(m_program, m_parent);
    m_window->setWindowModality(Qt::ApplicationModal);
    m_window->show();
    m_window->Progress(0, m_total, 0);
    connect(m_capture.get(), &MicrophoneCapture::Progress, m_window.get(),
            [this](int elapsedMs, float level) { m_window->Progress(elapsedMs, m_total, level); });
    connect(m_window.get(), &frmRecord::StopRequested, m_capture.get(), &MicrophoneCapture::Stop);
    connect(m_capture.get(), &MicrophoneCapture::Finished, this, &VoiceSession::recorded);
}

void VoiceSession::recorded(const QByteArray &mine) {
    // The capture is still inside its own signal.
    m_capture.release()->deleteLater();
    m_mine = mine;
    try {
        QFile file(voiceWindows::Recording_Path(m_program));
        if (!privateFolder::OpenNew(file) || file.write(mine) != mine.size() || !file.flush())
            throw std::runtime_error(
                m_program.captions[caption::FileNotWritten]
                    .arg(file.fileName(), platformLanguage::System_Reason(file))
                    .toStdString());
    } catch (const std::exception &e) {
        fail(e);
        return;
    }
    m_window->Comparing();
    // The module is loaded here, beside the window, the first time.
    m_analysis.setFuture(QtConcurrent::run([model = m_model, mine] {
        Analysed analysed;
        const voiceModule::Entry *module = voiceModule::Load(&analysed.problem);
        if (module)
            analysed.comparison = module->compare(voice::Read_Wave(model), voice::Read_Wave(mine));
        return analysed;
    }));
}

namespace {

// The figures each phrase got in this run of the program, the latest last:
// the comparison window shows the last five.
QHash<QString, QList<int>> &figuresOfThisRun() {
    static QHash<QString, QList<int>> figures;
    return figures;
}
constexpr int kFiguresShown = 5;

} // namespace

void VoiceSession::compared() {
    closeWindow();
    bool again = false;
    try {
        const Analysed analysed = m_analysis.result();
        if (!analysed.problem.isEmpty()) {
            m_program.host().MsgBox(voiceModule::Unavailable_Text(analysed.problem),
                                    vb::vbExclamation, m_program.identity.productTitle);
            end();
            return;
        }
        const voice::Comparison &comparison = analysed.comparison;
        QList<int> &figures = figuresOfThisRun()[m_key];
        if (comparison.verdict == voice::Verdict::Figure) {
            figures.append(comparison.closeness);
            if (figures.size() > kFiguresShown)
                figures.removeFirst();
        }
        frmCompare window(m_program, m_text, m_model, m_mine, comparison, figures, m_parent);
        m_program.host().ShowModal(window);
        again = window.Again();
    } catch (const std::exception &e) {
        fail(e);
        return;
    }
    if (again)
        QTimer::singleShot(0, this, [this] { record(); });
    else
        end();
}

void VoiceSession::fail(const std::exception &e) {
    closeWindow();
    modMain::Show_Error(m_program, QStringLiteral("Record_And_Compare"), e);
    end();
}

void VoiceSession::end() {
    closeWindow();
    emit Ended();
    deleteLater();
}

void VoiceSession::closeWindow() {
    // The window may be inside its own key event (Esc) just now.
    if (m_window) {
        m_window->hide();
        m_window.release()->deleteLater();
    }
}

namespace voiceWindows {

QString Recording_Name(const Program &program) {
    return QStringLiteral("~tvxvoice") + program.handleTag + QStringLiteral(".wav");
}

QString Recording_Path(const Program &program) {
    return program.Temporary_Folder() + Recording_Name(program);
}

VoiceSession *Record_And_Compare(Program &program, const subjectData::Phrase &phrase,
                                 QWidget *parent) {
    Host &host = program.host();
    const QString &text = phrase.phrase;
    // Without the voice module nothing could be compared: the learner is
    // told before speaking, not after.
    if (!voiceModule::Present()) {
        QString problem;
        voiceModule::Load(&problem);
        host.MsgBox(voiceModule::Unavailable_Text(problem), vb::vbExclamation,
                    program.identity.productTitle);
        return nullptr;
    }
    try {
        const QString modelPath =
            phraseSound::Write_Phrase_Sound(program, phrase.sourceFile, phrase.number);
        if (modelPath.isEmpty())
            return nullptr;
        QFile modelFile(modelPath);
        if (!modelFile.open(QIODevice::ReadOnly))
            throw std::runtime_error(
                platformLanguage::File_Not_Read(modelPath, modelFile.errorString()).toStdString());
        const QByteArray model = modelFile.readAll();
        modelFile.close();
        // A damaged model would be compared as silence: the learner is told.
        if (!IsPlayableWave(model)) {
            host.MsgBox(program.captions[caption::SoundNotPlayable].arg(text), vb::vbExclamation,
                        program.identity.productTitle);
            return nullptr;
        }
        auto *session = new VoiceSession(
            program, phrase.sourceFile + QLatin1Char('\n') + QString::number(phrase.number), text,
            model, parent);
        session->Start();
        return session;
    } catch (const std::exception &e) {
        modMain::Show_Error(program, QStringLiteral("Record_And_Compare"), e);
        return nullptr;
    }
}

} // namespace voiceWindows
