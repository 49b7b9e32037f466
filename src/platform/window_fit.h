// Where a window goes on the part of the screen windows may take (the screen
// without its panels), reckoned with the window's whole frame: title bar and
// borders included.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Whether a window of this outer size shows whole inside the area.
bool FrameFits(const QRect &area, const QSize &frame);

// Moves a frame's top-left corner as little as needed for the frame to lie
// inside the area; along a side where the frame is longer than the area, to
// the area's left or top edge, so that the title bar with its buttons stays
// on screen and reachable and as much of the window shows as the area allows.
QPoint KeepFrameIn(const QRect &area, const QSize &frame, QPoint corner);

// The top-left corner of a frame centred in the area, kept in it as above.
QPoint FitFrame(const QRect &area, const QSize &frame);
