// The splash window shown while the start-up loads texts, subjects and
// activities; loaders put their progress lines in front of txtStatus.
#pragma once

#include <QDialog>
#include <QPixmap>

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

    void Prepend(const QString &text);
    void SetStatus(const QString &text);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    Program &m_program;
    QPixmap m_background;
    bool m_fatalErrorReported = false;
};
