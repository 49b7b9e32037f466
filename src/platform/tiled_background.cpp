#include "platform/tiled_background.h"

#include <QCoreApplication>
#include <QPainter>
#include <QWidget>

#include <stdexcept>

namespace tiling {

namespace {
constexpr double kTwipsPerPixel = 15.0;
constexpr double kHiMetricPerPixel = 2540.0 / 96.0;
} // namespace

double TileStepPixels(int picturePixels) {
    const int himetric = static_cast<int>(picturePixels * kHiMetricPerPixel + 0.5);
    return (himetric / 2) / kTwipsPerPixel;
}

void TileBackground(QPainter &painter, const QSize &windowSize, const QPixmap &picture) {
    if (picture.isNull())
        throw std::runtime_error(
            QCoreApplication::translate("tiling", "The window has no background picture.")
                .toStdString());
    const QSize size = picture.deviceIndependentSize().toSize();
    const double stepX = TileStepPixels(size.width());
    const double stepY = TileStepPixels(size.height());
    if (stepX <= 0 || stepY <= 0)
        throw std::runtime_error(
            QCoreApplication::translate("tiling", "The background picture is empty.")
                .toStdString());
    for (double y = 0; y < windowSize.height(); y += stepY)
        for (double x = 0; x < windowSize.width(); x += stepX)
            painter.drawPixmap(QPointF(x, y), picture);
}

void PaintWindowBackground(QWidget &window, const QPixmap &picture) {
    QPainter painter(&window);
    try {
        TileBackground(painter, window.size(), picture);
    } catch (const std::exception &) {
    }
}

} // namespace tiling
