// Window positions and sizes are designed in twips (1/1440 inch). At the
// design resolution of 96 dots per inch a pixel is 15 twips; Qt scales
// device-independent pixels on high-resolution screens, so the factor stays.
#pragma once

#include <QRect>

inline constexpr int kTwipsPerPixel = 15;

// Rounds to the nearest pixel, halves away from zero.
constexpr int TwipsToPixels(int twips) {
    return (twips >= 0 ? twips + kTwipsPerPixel / 2 : twips - kTwipsPerPixel / 2) / kTwipsPerPixel;
}

constexpr int PixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

// A rectangle given as left, top, width and height in twips, in pixels.
constexpr QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                 TwipsToPixels(height));
}

// Places a widget (anything with setGeometry) at a design position in twips.
template <class Widget> void PlaceTwips(Widget &widget, int left, int top, int width, int height) {
    widget.setGeometry(TwipsRect(left, top, width, height));
}
