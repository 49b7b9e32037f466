#include "platform/qt_program_look.h"

#include <QApplication>
#include <QEvent>
#include <QFont>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

#include <memory>

namespace {
// The point size the windows' twips layouts were drawn with.
constexpr qreal kLayoutPointSize = 9;
} // namespace

QPalette ProgramPalette() {
    // Fusion's own palette: light, complete in every role and colour group,
    // and the same on every desktop.
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette palette = fusion ? fusion->standardPalette() : QPalette(Qt::lightGray);
    palette.setColor(QPalette::ToolTipBase, QColor(0xff, 0xff, 0xdc));
    palette.setColor(QPalette::ToolTipText, Qt::black);
    palette.setColor(QPalette::PlaceholderText, QColor(0x6e, 0x6e, 0x6e));
    return palette;
}

QFont ProgramFont(const QFont &desktopFont) {
    QFont font = desktopFont;
    if (font.pointSizeF() > kLayoutPointSize)
        font.setPointSizeF(kLayoutPointSize);
    else if (font.pointSizeF() <= 0 && font.pixelSize() > 12)
        font.setPixelSize(12);
    return font;
}

namespace {

const char *const kKinds[] = {
    "QPushButton",       "QCheckBox",      "QRadioButton",   "QToolButton", "QAbstractItemView",
    "QListView",         "QHeaderView",    "QLabel",         "QMenu",       "QMenuBar",
    "QMessageBox",       "QTipLabel",      "QComboMenuItem", "QComboLineEdit", "QStatusBar",
    "QMdiSubWindowTitleBar"};

void applyLook(QApplication &app) {
    if (app.palette() != ProgramPalette())
        app.setPalette(ProgramPalette());
    const QFont font = ProgramFont(QApplication::font());
    if (font != QApplication::font())
        QApplication::setFont(font);
    // A desktop theme may give kinds of controls fonts of their own (Qt's
    // names for them), which the default font does not reach.
    for (const char *kind : kKinds) {
        const QFont own = QApplication::font(kind);
        const QFont capped = ProgramFont(own);
        if (capped != own)
            QApplication::setFont(capped, kind);
    }
}

// Some desktop themes apply their palette and fonts once the event loop
// runs, and again whenever the user changes them: the look is put back
// each time.
class LookKeeper : public QObject {
public:
    explicit LookKeeper(QApplication &app) : QObject(&app), m_app(app) {
        setObjectName(QStringLiteral("tvxLookKeeper"));
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (watched == &m_app && !m_applying &&
            (event->type() == QEvent::ApplicationPaletteChange ||
             event->type() == QEvent::ApplicationFontChange)) {
            m_applying = true;
            applyLook(m_app);
            m_applying = false;
        }
        return false;
    }

private:
    QApplication &m_app;
    bool m_applying = false;
};

} // namespace

void UseProgramLook(QApplication &app) {
    applyLook(app);
    if (!app.findChild<QObject *>(QStringLiteral("tvxLookKeeper"), Qt::FindDirectChildrenOnly))
        app.installEventFilter(new LookKeeper(app));
}
