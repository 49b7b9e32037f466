#include "subjects/frm_voice.h"

#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/host.h"
#include "platform/platform_language.h"
#include "platform/private_folder.h"
#include "platform/sound.h"
#include "subjects/phrase_sound.h"

#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

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

// Pitch from 60 to 500 Hz on a logarithmic scale, as the ear hears it.
double pitchHeight(float hz) {
    return std::clamp(std::log(hz / 60.0) / std::log(500.0 / 60.0), 0.0, 1.0);
}

// One recording in its band: frames[x] is the frame shown at column x.
void drawVoice(QPainter &painter, const QRect &band, const voice::Analysis &a,
               const std::vector<int> &frames, const QColor &colour, const QString &label) {
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
    for (int x = 0; x < static_cast<int>(frames.size()); ++x) {
        const float hz = a.pitch[frames[x]];
        if (hz <= 0) {
            drawing = false;
            continue;
        }
        const QPointF at(band.left() + x,
                         band.bottom() - 4 - pitchHeight(hz) * (band.height() - 8));
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
        drawVoice(painter, top, c.model, modelFrames, QColor(40, 90, 170), m_modelLabel);
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

bool frmRecord::Progress(int elapsedMs, int totalMs, float level) {
    const int left = std::max(0, (totalMs - elapsedMs + 999) / 1000);
    lblCountdown->setText(m_program.captions[caption::SpeakNow].arg(left));
    barLevel->setValue(static_cast<int>(std::lround(std::clamp(level, 0.0f, 1.0f) * 100)));
    m_program.host().DoEvents();
    return !m_stop;
}

void frmRecord::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape) {
        m_stop = true;
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmRecord::reject() {
    // Closing the window stops the recording; what was said so far is kept.
    m_stop = true;
}

// --- frmCompare ---

frmCompare::frmCompare(Program &program, const QString &phrase, const QByteArray &model,
                       const QByteArray &mine, QWidget *parent)
    : QDialog(parent), m_program(program), m_model(model), m_mine(mine),
      m_comparison(voice::Compare(voice::Read_Wave(model), voice::Read_Wave(mine))) {
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
    lblCloseness = new QLabel(c[caption::Closeness].arg(m_comparison.closeness), this);
    lblCloseness->setObjectName(QStringLiteral("lblCloseness"));
    QFont figure = lblCloseness->font();
    figure.setPointSize(figure.pointSize() + 4);
    figure.setBold(true);
    lblCloseness->setFont(figure);
    lblMeaning = new QLabel(c[caption::ClosenessMeaning], this);
    lblMeaning->setObjectName(QStringLiteral("lblMeaning"));
    lblMeaning->setWordWrap(true);
    layout->addWidget(lblPhrase);
    layout->addWidget(picVoices, 1);
    layout->addWidget(lblCloseness);
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
    Host &host = program.host();
    connect(btnModel, &QPushButton::clicked, this,
            [this, &host] { host.PlaySoundMemory(m_model, false); });
    connect(btnMine, &QPushButton::clicked, this,
            [this, &host] { host.PlaySoundMemory(m_mine, false); });
    connect(btnBoth, &QPushButton::clicked, this, [this, &host] {
        host.PlaySoundMemory(m_model, false);
        host.PlaySoundMemory(m_mine, false);
    });
    connect(btnAgain, &QPushButton::clicked, this, [this] {
        m_again = true;
        accept();
    });
    resize(760, 480);
}

// --- the flow ---

namespace voiceWindows {

QString Recording_Name(const Program &program) {
    return QStringLiteral("~tvxvoice") + program.handleTag + QStringLiteral(".wav");
}

QString Recording_Path(const Program &program) {
    return program.Temporary_Folder() + Recording_Name(program);
}

void Record_And_Compare(Program &program, const subjectData::Phrase &phrase, QWidget *parent) {
    Host &host = program.host();
    const QString &text = phrase.phrase;
    try {
        const QString modelPath =
            phraseSound::Write_Phrase_Sound(program, phrase.sourceFile, phrase.number);
        if (modelPath.isEmpty())
            return;
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
            return;
        }
        const int total = voice::Read_Wave(model).milliseconds() + 2000;
        for (;;) {
            host.PlaySoundMemory(model, false);
            QByteArray mine;
            bool recorded = false;
            {
                frmRecord recorder(program, parent);
                recorder.setWindowModality(Qt::ApplicationModal);
                recorder.show();
                recorder.Progress(0, total, 0);
                recorded = host.RecordWave(total, mine, [&](int elapsedMs, float level) {
                    return recorder.Progress(elapsedMs, total, level);
                });
            }
            if (!recorded) {
                host.MsgBox(program.captions[caption::NoMicrophone], vb::vbExclamation);
                return;
            }
            QFile file(Recording_Path(program));
            if (!privateFolder::OpenNew(file) || file.write(mine) != mine.size() || !file.flush())
                throw std::runtime_error(
                    program.captions[caption::FileNotWritten]
                        .arg(file.fileName(), platformLanguage::System_Reason(file))
                        .toStdString());
            file.close();
            frmCompare window(program, text, model, mine, parent);
            host.ShowModal(window);
            if (!window.Again())
                return;
        }
    } catch (const std::exception &e) {
        modMain::Show_Error(program, QStringLiteral("Record_And_Compare"), e);
    }
}

} // namespace voiceWindows
