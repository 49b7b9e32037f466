#include "end_page.h"

#include "stop_question.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace activity {

EndPage::EndPage(const ActivityTexts &texts, const QString &databasePath, QWidget *parent)
    : QWidget(parent) {
    saver = new ScoreSaver(databasePath, texts, this);
    lblResult = new QLabel(this);
    lblResult->setObjectName(QStringLiteral("lblResult"));
    lblResult->setAccessibleName(texts(Text::ResultName));
    lblResult->setAlignment(Qt::AlignCenter);
    lblResult->setWordWrap(true);
    lblResult->setTextFormat(Qt::PlainText);
    ScaleFont(lblResult, 1.6, true);

    lblSaved = new QLabel(this);
    lblSaved->setObjectName(QStringLiteral("lblSaved"));
    lblSaved->setAccessibleName(texts(Text::SavedName));
    lblSaved->setAlignment(Qt::AlignCenter);
    lblSaved->setWordWrap(true);
    lblSaved->setTextFormat(Qt::PlainText);

    btnRetry = new QPushButton(texts(Text::Retry), this);
    btnRetry->setObjectName(QStringLiteral("btnRetry"));
    btnRetry->setAccessibleName(texts(Text::RetryName));
    btnRetry->setAutoDefault(false);
    btnRetry->hide();
    connect(btnRetry, &QPushButton::clicked, saver, &ScoreSaver::retry);

    btnClose = new QPushButton(texts(Text::Close), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setAccessibleName(texts(Text::CloseName));
    btnClose->setAutoDefault(false);
    connect(btnClose, &QPushButton::clicked, this, &EndPage::closeRequested);
    connect(saver, &ScoreSaver::stateChanged, this, &EndPage::showSaving);

    auto *layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addWidget(lblResult);
    layout->addSpacing(12);
    layout->addWidget(lblSaved);
    layout->addStretch(1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnRetry);
    buttons->addWidget(btnClose);
    buttons->addStretch(1);
    layout->addLayout(buttons);
}

void EndPage::showResult(const QString &result, const ScoreRow &row) {
    lblResult->setText(result);
    saver->save(row);
}

void EndPage::showSaving() {
    lblSaved->setText(saver->message());
    // Retry appears with the first try that fails and stays, through the
    // tries that follow, until the score is saved: a button that comes and
    // goes would take the focus with it.
    if (saver->state() == ScoreSaver::State::Saved) {
        if (btnRetry->hasFocus())
            btnClose->setFocus();
        btnRetry->hide();
    } else if (saver->canRetry()) {
        btnRetry->show();
    }
}

QLabel *MakeGameLabel(QWidget *parent, const QString &name, const QString &accessibleName,
                      Qt::TextFormat format) {
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setAccessibleName(accessibleName);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    label->setTextFormat(format);
    return label;
}

QPushButton *MakeGameButton(QWidget *parent, const QString &name, const QString &text,
                            const QString &accessibleName, int minimumHeight) {
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAccessibleName(accessibleName);
    button->setMinimumHeight(minimumHeight);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QString WindowTitle(const QString &activityName, const QString &subject) {
    return activityName + QStringLiteral(" — ") + subject;
}

void ScaleFont(QWidget *widget, double factor, bool bold) {
    QFont font = widget->font();
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * factor);
    else
        font.setPixelSize(qRound(font.pixelSize() * factor));
    font.setBold(bold);
    widget->setFont(font);
}

QLabel *MakeSoundProblemLine(QWidget *parent, PhraseSound &sound, const StudyFile &study,
                             const ActivityTexts &texts) {
    auto *line = new QLabel(parent);
    line->setObjectName(QStringLiteral("lblSoundProblem"));
    line->setAccessibleName(texts(Text::SoundProblemName));
    line->setAlignment(Qt::AlignCenter);
    line->setWordWrap(true);
    line->setStyleSheet(QStringLiteral("color: #8a2c0d;"));
    line->hide();
    QVector<StudyPhrase> phrases = study.phrases;
    const QString text = texts(Text::SoundNotPlayable);
    sound.setRefusedReport([line, phrases, text](const QString &waveFile) {
        QString phrase = waveFile;
        for (const StudyPhrase &p : phrases)
            if (p.soundFile == waveFile) {
                phrase = p.phrase;
                break;
            }
        line->setText(text.arg(phrase));
        line->show();
    });
    return line;
}

GameWindowFrame MakeGameWindowFrame(QWidget *window, QWidget *game, QLabel *progress,
                                    QLabel *soundProblem, const ActivityTexts &texts,
                                    const StudyFile &study) {
    GameWindowFrame frame;
    frame.endPage = new EndPage(texts, study.databasePath, window);
    frame.stopQuestion = new StopQuestion(window, texts);
    frame.pages = new QStackedWidget(window);
    frame.pages->addWidget(game);
    frame.pages->addWidget(frame.endPage);

    auto *layout = new QVBoxLayout(window);
    layout->addWidget(progress);
    layout->addWidget(frame.pages, 1);
    layout->addWidget(soundProblem);
    return frame;
}

} // namespace activity
