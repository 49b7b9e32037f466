#include "platform/qt_program_palette.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

#include <memory>

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

void UseProgramPalette(QApplication &app) {
    app.setPalette(ProgramPalette());
}
