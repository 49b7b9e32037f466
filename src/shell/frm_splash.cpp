#include "shell/frm_splash.h"

#include "frame/mod_main.h"
#include "frame/program.h"
#include "platform/host.h"
#include "platform/pictures.h"
#include "platform/tiled_background.h"
#include "platform/twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

frmSplash::frmSplash(Program &program, const QPixmap &logo, QWidget *parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_program(program),
      m_background(LoadPicture(QStringLiteral(":/tiles/splash.png"))) {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(program.identity.productTitle);
    resize(TwipsToPixels(4695), TwipsToPixels(4080));

    imgLogo = new QLabel(this);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    PlaceTwips(*imgLogo, 480, 360, 3750, 1200);
    imgLogo->setPixmap(logo);
    imgLogo->setScaledContents(true);

    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    PlaceTwips(*lblVersion, 2160, 1350, 1845, 450);
    lblVersion->setStyleSheet(QStringLiteral("color: #5c5c5c;"));
    const ProgramSettings &s = program.settings();
    lblVersion->setText(VersionText(s.versionMajor, s.versionMinor, s.versionRevision));

    const QString catchLine =
        CatchLine(modMain::Safe_Caption(program, 25), program.identity.productTitle);
    const char *colours[2] = {"#505050", "#ffffff"};
    const int positions[2][2] = {{375, 1650}, {360, 1635}};
    for (int i = 0; i < 2; ++i) {
        lblCatchyWord[i] = new QLabel(catchLine, this);
        lblCatchyWord[i]->setObjectName(QStringLiteral("lblCatchyWord%1").arg(i));
        PlaceTwips(*lblCatchyWord[i], positions[i][0], positions[i][1], 3885, 1080);
        lblCatchyWord[i]->setAlignment(Qt::AlignCenter);
        lblCatchyWord[i]->setWordWrap(true);
        lblCatchyWord[i]->setStyleSheet(
            QStringLiteral("color: %1; font-size: 17pt; font-weight: bold;")
                .arg(QLatin1String(colours[i])));
    }

    lblLoading = new QLabel(modMain::Safe_Caption(program, 53), this);
    lblLoading->setObjectName(QStringLiteral("lblLoading"));
    PlaceTwips(*lblLoading, 480, 2520, 3765, 225);

    m_insertPending.setSingleShot(true);
    m_insertPending.setInterval(0);
    connect(&m_insertPending, &QTimer::timeout, this, &frmSplash::insertPending);

    txtStatus = new QPlainTextEdit(this);
    txtStatus->setObjectName(QStringLiteral("txtStatus"));
    PlaceTwips(*txtStatus, 420, 2760, 3840, 870);
    txtStatus->setReadOnly(true);
    // The progress lines are what the "loading" line above them announces.
    txtStatus->setAccessibleName(lblLoading->text());
    txtStatus->setStyleSheet(QStringLiteral("background: white; font-size: 8pt;"));

    lblCopyRight = new QLabel(modMain::Safe_Caption(program, caption::LegalNotice), this);
    lblCopyRight->setObjectName(QStringLiteral("lblCopyRight"));
    PlaceTwips(*lblCopyRight, 0, 3720, 4695, 210);
    lblCopyRight->setAlignment(Qt::AlignCenter);
    lblCopyRight->setStyleSheet(QStringLiteral("font-size: 7pt; color: #404040;"));
}

QString frmSplash::CatchLine(const QString &caption25, const QString &productTitle) {
    return caption25 + QLatin1Char(' ') + productTitle.mid(9) + QLatin1Char('!');
}

QString frmSplash::VersionText(int major, int minor, int revision) {
    return QStringLiteral("v.%1.%2.%3").arg(major).arg(minor).arg(revision);
}

namespace {
QString plainLines(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}
} // namespace

void frmSplash::Prepend(const QString &text) {
    // The lines go in together at the next turn of the event loop, which is
    // when the window can be drawn again: a thousand subjects' lines, each
    // inserted alone, would each cost the box a round of layout.
    m_pending.prepend(plainLines(text));
    m_insertPending.start();
}

void frmSplash::SetStatus(const QString &text) {
    m_pending.clear();
    m_insertPending.stop();
    txtStatus->setPlainText(plainLines(text));
}

QString frmSplash::StatusText() {
    insertPending();
    return txtStatus->toPlainText();
}

void frmSplash::insertPending() {
    m_insertPending.stop();
    if (m_pending.isEmpty())
        return;
    // Inserting at the start costs the same however many lines the box
    // holds; reading the whole text back and setting it again would not. A
    // cursor made on the first block, editing inside an edit block, never
    // lays a line out to learn where it stands.
    QTextCursor start(txtStatus->document()->begin());
    start.beginEditBlock();
    start.insertText(m_pending);
    start.endEditBlock();
    m_pending.clear();
}

void frmSplash::keyPressEvent(QKeyEvent *event) {
    event->accept();
    close();
}

void frmSplash::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    try {
        tiling::TileBackground(painter, size(), m_background);
    } catch (const std::exception &e) {
        if (m_fatalErrorReported)
            return;
        m_fatalErrorReported = true;
        // Reported after the paint event: a message box opened inside it
        // would paint this window again, and fail again, behind it.
        const QString description = QString::fromUtf8(e.what());
        QTimer::singleShot(0, this, [this, description] {
            m_program.host().MsgBox(modMain::Safe_Caption(m_program, 149) +
                                        QStringLiteral("\r\n\r\nTileBackground: ") + description,
                                    vb::vbCritical, windowTitle());
            m_program.End(1);
        });
    }
}
