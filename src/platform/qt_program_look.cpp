#include "platform/qt_program_look.h"

#include <QApplication>
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

void UseProgramLook(QApplication &app) {
    app.setPalette(ProgramPalette());
    QApplication::setFont(ProgramFont(QApplication::font()));
}
