#include "platform/window_fit.h"

#include <algorithm>

bool FrameFits(const QRect &area, const QSize &frame) {
    return frame.width() <= area.width() && frame.height() <= area.height();
}

namespace {
int keepAlong(int areaStart, int areaLength, int frameLength, int start) {
    if (frameLength >= areaLength)
        return areaStart;
    return std::clamp(start, areaStart, areaStart + areaLength - frameLength);
}
} // namespace

QPoint KeepFrameIn(const QRect &area, const QSize &frame, QPoint corner) {
    return QPoint(keepAlong(area.left(), area.width(), frame.width(), corner.x()),
                  keepAlong(area.top(), area.height(), frame.height(), corner.y()));
}

QPoint FitFrame(const QRect &area, const QSize &frame) {
    const QPoint centred(area.left() + (area.width() - frame.width()) / 2,
                         area.top() + (area.height() - frame.height()) / 2);
    return KeepFrameIn(area, frame, centred);
}
