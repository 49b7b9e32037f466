// Window positions are designed in twips (1/1440 inch): 15 twips per pixel at
// 96 DPI; Qt scales pixels on high-DPI screens.
#pragma once

#include <QRect>
#include <QWidget>

namespace twips {

inline constexpr int kPerPixel = 15;

inline constexpr int ToPixels(int twips) { return twips / kPerPixel; }
inline constexpr int ToTwips(int pixels) { return pixels * kPerPixel; }

inline QRect Rect(int left, int top, int width, int height)
{
    return QRect(ToPixels(left), ToPixels(top), ToPixels(width), ToPixels(height));
}

// Places a control at its design position (left, top, width, height in twips).
inline void Place(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(Rect(left, top, width, height));
}

} // namespace twips
