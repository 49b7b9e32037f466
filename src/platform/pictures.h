// The program's pictures come at two densities: name.png, and name@2x.png
// drawn at twice the size for high-density screens. Every picture a window
// shows as a pixmap (labels, tiled backgrounds, image lists) is loaded here,
// so that on such a screen it is drawn from the larger picture instead of
// being enlarged from the smaller one. (Icons loaded by file name and style
// sheet pictures find the @2x file by themselves.)
#pragma once

#include <QPixmap>
#include <QString>

// The @2x companion of a picture's path: ":/tree/1.png" -> ":/tree/1@2x.png".
QString DoubleDensityPath(const QString &path);

// Loads the picture for a screen of the given device pixel ratio: above 1 the
// @2x picture when there is one, marked with its ratio of 2 so that it takes
// the place of the 1x picture; otherwise the picture itself. A null pixmap
// when neither loads.
QPixmap LoadPicture(const QString &path, qreal devicePixelRatio);

// The same for the screens the program runs on (the highest ratio among
// them, so a window moved to the denser screen stays sharp).
QPixmap LoadPicture(const QString &path);
