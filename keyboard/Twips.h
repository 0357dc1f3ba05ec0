#pragma once

#include <QRect>

// Layout figures are kept in twips, 15 to the device-independent pixel; Qt's
// high-DPI scaling takes it from there.
constexpr int TwipsPerPixel = 15;

constexpr int twipsToPixels(int twips) {
    return (twips + (twips >= 0 ? TwipsPerPixel / 2 : -TwipsPerPixel / 2)) / TwipsPerPixel;
}

struct TwipsRect {
    int left;
    int top;
    int width;
    int height;

    QRect toPixels() const {
        return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                     twipsToPixels(height));
    }
};
