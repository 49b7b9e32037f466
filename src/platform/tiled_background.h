// Every window paints its background by repeating a small picture. The step
// is half the picture's size in HiMetric units (0.01 mm) taken as twips, so
// neighbouring tiles overlap by about 12 %.
#pragma once

#include <QPixmap>
#include <QSize>

class QPainter;
class QWidget;

namespace tiling {

// Step between tiles in pixels for a picture dimension in pixels (96 DPI).
double TileStepPixels(int picturePixels);

// Draws the picture over a window of the given size; a window of width or
// height 0 draws nothing, a window smaller than one tile gets one tile at
// (0, 0). Throws std::runtime_error when there is no picture.
void TileBackground(QPainter &painter, const QSize &windowSize, const QPixmap &picture);

// Paints a window's background for its paint event; without its picture the
// window keeps its plain colour, since a dialog must stay usable.
void PaintWindowBackground(QWidget &window, const QPixmap &picture);

} // namespace tiling
