// The splash window shown while the start-up loads texts, subjects and
// activities; loaders put their progress lines in front of txtStatus.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <QTimer>

class QLabel;
class QPlainTextEdit;
class Program;

class frmSplash : public QDialog {
    Q_OBJECT
public:
    frmSplash(Program &program, const QPixmap &logo, QWidget *parent = nullptr);

    QLabel *imgLogo;
    QLabel *lblVersion;
    QLabel *lblCatchyWord[2];
    QLabel *lblLoading;
    QPlainTextEdit *txtStatus;
    QLabel *lblCopyRight;

    // The catch line: caption 25, a blank, the product title from its 10th
    // character on, and "!".
    static QString CatchLine(const QString &caption25, const QString &productTitle);
    static QString VersionText(int major, int minor, int revision);

    // Puts text in front of the box's lines, at the next turn of the event
    // loop.
    void Prepend(const QString &text);
    void SetStatus(const QString &text);
    // The box's lines, those still waiting for the next turn included.
    QString StatusText();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    Program &m_program;
    QPixmap m_background;
    bool m_fatalErrorReported = false;
    QString m_pending; // lines Prepend was given since the last insertion, newest first
    QTimer m_insertPending;

    void insertPending();
};
