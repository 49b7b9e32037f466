#include "dictation_window.h"

#include "common/game_end.h"
#include "common/score_writer.h"
#include "common/stop_question.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace activity {

namespace {

// The window's buttons are a little lower than the other games': the
// letter buttons stand in a row under the answer.
constexpr int kButtonHeight = 34;

QStringList phrasesOf(const StudyFile &study) {
    QStringList texts;
    for (const StudyPhrase &phrase : study.phrases)
        texts << phrase.phrase;
    return texts;
}

// The character Alt goes with in a key press: a letter by its key, so that
// the layout's own Alt characters do not matter, or the sign typed.
QChar altKeyOf(const QKeyEvent &event) {
    const int key = event.key();
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return QChar(QLatin1Char(char('a' + (key - Qt::Key_A))));
    if (key == Qt::Key_Question)
        return QLatin1Char('?');
    if (key == Qt::Key_Exclam)
        return QLatin1Char('!');
    return QChar();
}

} // namespace

QString MarkedHtml(const QString &text, const QVector<Mark> &marks) {
    QString html;
    Mark open = Mark::Same;
    const auto style = [](Mark mark) {
        switch (mark) {
        case Mark::Wrong:
            return "color:#b3140c; font-weight:bold; text-decoration:underline;";
        case Mark::Accent:
            return "color:#b55d00; font-weight:bold; text-decoration:underline;";
        case Mark::Punctuation:
            return "color:#6e6e6e; background:#e4e4e4;";
        case Mark::Same:
            break;
        }
        return "";
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const Mark mark = i < marks.size() ? marks[i] : Mark::Same;
        if (mark != open) {
            if (open != Mark::Same)
                html += QStringLiteral("</span>");
            if (mark != Mark::Same)
                html += QStringLiteral("<span style=\"%1\">").arg(QLatin1String(style(mark)));
            open = mark;
        }
        html += QString(text[i]).toHtmlEscaped();
    }
    if (open != Mark::Same)
        html += QStringLiteral("</span>");
    return html;
}

DictationWindow::DictationWindow(const StudyFile &study, const ActivityTexts &texts,
                                 QWidget *parent)
    : QWidget(parent), m_study(study), m_texts(texts), m_game(phrasesOf(study)),
      m_letters(AccentLettersFor(study.targetLanguage)) {
    setObjectName(QStringLiteral("DictationWindow"));
    setWindowTitle(WindowTitle(m_texts(Text::DictationName), m_study.subjectTitle));
    setAccessibleName(m_texts(Text::DictationName));
    setMinimumSize(620, 480);

    m_sound.preload(m_study.soundFiles());
    lblSoundProblem = MakeSoundProblemLine(this, m_sound, m_study, m_texts);
    lblProgress = MakeGameLabel(this, "lblProgress", m_texts(Text::ProgressName));

    auto *game = new QWidget(this);
    lblPrompt = MakeGameLabel(game, "lblPrompt", m_texts(Text::WriteWhatYouHear));
    lblPrompt->setText(m_texts(Text::WriteWhatYouHear));
    ScaleFont(lblPrompt, 1.3, true);
    btnListen = MakeGameButton(game, QStringLiteral("btnListen"), m_texts(Text::DictationListen),
                               m_texts(Text::ListenAgainName), kButtonHeight);
    btnSlow = MakeGameButton(game, QStringLiteral("btnSlow"), m_texts(Text::ListenSlowly),
                             m_texts(Text::ListenSlowlyName), kButtonHeight);
    txtAnswer = new QLineEdit(game);
    txtAnswer->setObjectName(QStringLiteral("txtAnswer"));
    txtAnswer->setAccessibleName(m_texts(Text::AnswerName));
    txtAnswer->setMinimumHeight(40);
    ScaleFont(txtAnswer, 1.4);
    txtAnswer->installEventFilter(this);

    // The accented letters, as buttons that leave the focus in the answer.
    auto *accentRow = new QHBoxLayout;
    accentRow->addStretch(1);
    for (int i = 0; i < m_letters.size(); ++i) {
        const AccentLetter &l = m_letters[i];
        QPushButton *button = MakeGameButton(
            game, QStringLiteral("btnAccent%1").arg(i + 1), l.letter,
            m_texts(Text::AccentLetterName).arg(l.letter, QString(l.key.toUpper())), kButtonHeight);
        button->setFocusPolicy(Qt::NoFocus);
        button->setToolTip(QStringLiteral("Alt+%1").arg(l.key.toUpper()));
        button->setMinimumWidth(40);
        button->setMaximumWidth(48);
        ScaleFont(button, 1.3);
        connect(button, &QPushButton::clicked, this, [this, letter = l.letter] {
            const bool upper = QApplication::keyboardModifiers() & Qt::ShiftModifier;
            writeAccent(upper && letter != QStringLiteral("ß") ? letter.toUpper() : letter);
            m_altPosition = -1;
        });
        accentRow->addWidget(button);
        btnAccent << button;
    }
    accentRow->addStretch(1);
    lblAccentHint = MakeGameLabel(game, "lblAccentHint", m_texts(Text::AccentLettersHint));
    lblAccentHint->setText(m_texts(Text::AccentLettersHint));
    lblAccentHint->setStyleSheet(QStringLiteral("color: #5a534c;"));
    lblAccentHint->setVisible(!m_letters.isEmpty());

    btnCheck = MakeGameButton(game, QStringLiteral("btnCheck"), m_texts(Text::CheckAnswer),
                              m_texts(Text::CheckAnswerName), kButtonHeight);
    lblVerdict = MakeGameLabel(game, "lblVerdict", m_texts(Text::FeedbackName));
    ScaleFont(lblVerdict, 1.25, true);
    lblPhraseCaption = MakeGameLabel(game, "lblPhraseCaption", m_texts(Text::ThePhrase));
    lblPhraseCaption->setText(m_texts(Text::ThePhrase));
    lblMarkedPhrase =
        MakeGameLabel(game, "lblMarkedPhrase", m_texts(Text::MarkedPhraseName), Qt::RichText);
    ScaleFont(lblMarkedPhrase, 1.5);
    lblAnswerCaption = MakeGameLabel(game, "lblAnswerCaption", m_texts(Text::YouWrote));
    lblAnswerCaption->setText(m_texts(Text::YouWrote));
    lblMarkedAnswer =
        MakeGameLabel(game, "lblMarkedAnswer", m_texts(Text::MarkedAnswerName), Qt::RichText);
    ScaleFont(lblMarkedAnswer, 1.3);
    lblLegend = MakeGameLabel(game, "lblLegend", m_texts(Text::MarksLegend));
    lblLegend->setText(m_texts(Text::MarksLegend));
    lblLegend->setStyleSheet(QStringLiteral("color: #5a534c;"));
    btnNext = MakeGameButton(game, QStringLiteral("btnNext"), m_texts(Text::Next),
                             m_texts(Text::NextPhraseName), kButtonHeight);
    for (QPushButton *button : {btnListen, btnSlow, btnCheck, btnNext})
        button->setMinimumWidth(button->sizeHint().width() + 28);

    auto *gameLayout = new QVBoxLayout(game);
    gameLayout->addWidget(lblPrompt);
    auto *listenRow = new QHBoxLayout;
    listenRow->addStretch(1);
    listenRow->addWidget(btnListen);
    listenRow->addWidget(btnSlow);
    listenRow->addStretch(1);
    gameLayout->addLayout(listenRow);
    gameLayout->addSpacing(6);
    gameLayout->addWidget(txtAnswer);
    gameLayout->addLayout(accentRow);
    gameLayout->addWidget(lblAccentHint);
    gameLayout->addWidget(btnCheck, 0, Qt::AlignHCenter);
    gameLayout->addSpacing(6);
    gameLayout->addWidget(lblVerdict);
    gameLayout->addWidget(lblPhraseCaption);
    gameLayout->addWidget(lblMarkedPhrase);
    gameLayout->addWidget(lblAnswerCaption);
    gameLayout->addWidget(lblMarkedAnswer);
    gameLayout->addWidget(lblLegend);
    gameLayout->addStretch(1);
    gameLayout->addWidget(btnNext, 0, Qt::AlignRight);

    const GameWindowFrame frame =
        MakeGameWindowFrame(this, game, lblProgress, lblSoundProblem, m_texts, m_study);
    pages = frame.pages;
    endPage = frame.endPage;
    stopQuestion = frame.stopQuestion;

    // Listen with Shift held is Slowly, as Shift+Space is in the shell.
    connect(btnListen, &QPushButton::clicked, this,
            [this] { play(QApplication::keyboardModifiers() & Qt::ShiftModifier); });
    connect(btnSlow, &QPushButton::clicked, this, [this] { play(true); });
    connect(btnCheck, &QPushButton::clicked, this, &DictationWindow::checkAnswer);
    connect(btnNext, &QPushButton::clicked, this, &DictationWindow::next);
    connect(txtAnswer, &QLineEdit::textChanged, this,
            [this] { btnCheck->setEnabled(m_game.canCheck(txtAnswer->text())); });

    // Window-wide keys: letters belong to the answer, so the sound keys
    // take Ctrl.
    auto *listenKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), this);
    connect(listenKey, &QShortcut::activated, this, [this] { play(false); });
    auto *slowKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R), this);
    connect(slowKey, &QShortcut::activated, this, [this] { play(true); });
    auto *stopKey = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(stopKey, &QShortcut::activated, stopQuestion, &StopQuestion::ask);
    gameEnd = new GameEnd(this, m_study, pages, endPage, lblProgress);
    for (const int key : {int(Qt::Key_Return), int(Qt::Key_Enter)}) {
        auto *shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, this, &DictationWindow::advance);
        gameEnd->addGameKey(shortcut);
    }
    for (QShortcut *key : {listenKey, slowKey, stopKey})
        gameEnd->addGameKey(key);

    showPhrase();
    play(false);
    gameEnd->results().asked(m_game.current());
    // Scores that earlier games could not save yet.
    endPage->saver->writeKeptScores();
}

void DictationWindow::play(bool slowly) {
    if (m_game.finished())
        return;
    const QString &file = m_study.phrases[m_game.current()].soundFile;
    if (slowly)
        m_sound.playSlowly(file);
    else
        m_sound.play(file);
}

void DictationWindow::advance() {
    if (m_game.finished())
        return;
    if (m_game.checked())
        next();
    else
        checkAnswer();
}

void DictationWindow::checkAnswer() {
    if (!m_game.answer(txtAnswer->text()))
        return; // nothing written yet
    gameEnd->results().graded(m_game.current(), m_game.check().grade);
    showPhrase();
    btnNext->setFocus();
}

void DictationWindow::next() {
    if (m_game.finished() || !m_game.checked())
        return;
    m_game.next();
    if (m_game.finished()) {
        finish();
        return;
    }
    txtAnswer->clear();
    showPhrase();
    play(false);
    gameEnd->results().asked(m_game.current());
}

// Shows the current phrase, before or after its check.
void DictationWindow::showPhrase() {
    const bool checked = m_game.checked();
    lblProgress->setText(
        m_texts(Text::PhraseOfPhrases)
            .arg(QString::number(m_game.current() + 1), QString::number(m_game.phraseCount())));
    txtAnswer->setReadOnly(checked);
    for (QPushButton *button : std::as_const(btnAccent))
        button->setEnabled(!checked);
    btnCheck->setEnabled(m_game.canCheck(txtAnswer->text()));
    btnNext->setEnabled(checked);
    for (QWidget *w :
         {static_cast<QWidget *>(lblVerdict), static_cast<QWidget *>(lblPhraseCaption),
          static_cast<QWidget *>(lblMarkedPhrase), static_cast<QWidget *>(lblAnswerCaption),
          static_cast<QWidget *>(lblMarkedAnswer), static_cast<QWidget *>(lblLegend)})
        w->setVisible(checked);
    if (!checked) {
        lblVerdict->clear();
        lblMarkedPhrase->clear();
        lblMarkedAnswer->clear();
        m_altPosition = -1;
        txtAnswer->setFocus();
        return;
    }
    const AnswerCheck &c = m_game.check();
    const Text verdicts[] = {Text::GradeMore, Text::GradeOneWord, Text::GradeAccents,
                             Text::GradeExact};
    lblVerdict->setText(m_texts(verdicts[qBound(1, c.grade, 4) - 1]));
    lblVerdict->setStyleSheet(c.grade >= 3 ? QStringLiteral("color: #10451f;")
                                           : QStringLiteral("color: #5c1010;"));
    lblMarkedPhrase->setText(MarkedHtml(c.phrase, c.phraseMarks));
    lblMarkedAnswer->setText(MarkedHtml(c.answer, c.answerMarks));
    // An exact answer needs no second line, nor the colours explained.
    lblAnswerCaption->setVisible(c.grade < 4);
    lblMarkedAnswer->setVisible(c.grade < 4);
    lblLegend->setVisible(c.grade < 4);
}

void DictationWindow::writeAccent(const QString &letter) {
    if (m_game.finished() || m_game.checked() || letter.isEmpty())
        return;
    txtAnswer->insert(letter);
    txtAnswer->setFocus();
}

bool DictationWindow::eventFilter(QObject *watched, QEvent *event) {
    if (watched != txtAnswer || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (!(key->modifiers() & Qt::AltModifier) || (key->modifiers() & Qt::ControlModifier))
        return QWidget::eventFilter(watched, event);
    const QChar base = altKeyOf(*key);
    if (base.isNull() || txtAnswer->isReadOnly())
        return QWidget::eventFilter(watched, event);
    const bool upper = (key->modifiers() & Qt::ShiftModifier) && base.isLetter();
    const int at = txtAnswer->cursorPosition();
    QString previous;
    if (base == m_altKey && at == m_altPosition && at > 0 && !txtAnswer->hasSelectedText())
        previous = txtAnswer->text().mid(at - 1, 1);
    const QString letter = NextAccentLetter(m_letters, base, previous, upper);
    if (letter.isEmpty())
        return QWidget::eventFilter(watched, event);
    if (!previous.isEmpty())
        txtAnswer->backspace();
    writeAccent(letter);
    m_altKey = base;
    m_altPosition = txtAnswer->cursorPosition();
    return true;
}

void DictationWindow::finish() {
    const int percent = m_game.scorePercent();
    const ScoreRow row = MakeScoreRow(m_study, m_texts(Text::DictationName), percent, QString());
    gameEnd->finish(m_texts(Text::DictationResult)
                        .arg(QString::number(m_game.rightCount()),
                             QString::number(m_game.phraseCount()),
                             QString::number(m_game.exactCount()), QString::number(percent)),
                    row);
}

} // namespace activity
