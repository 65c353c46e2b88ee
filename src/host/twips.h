#pragma once

#include <QRect>
#include <cmath>

// Window geometry is designed in twips (1440 to the inch) at the screen's logical DPI.
namespace twips {

inline constexpr double kPerInch = 1440.0;

struct Rect {
    float left = 0, top = 0, width = 0, height = 0;
};

inline int toPixels(float twipValue, double dpi) {
    return int(std::lround(double(twipValue) * dpi / kPerInch));
}

inline QRect toPixels(const Rect& r, double dpi) {
    return {toPixels(r.left, dpi), toPixels(r.top, dpi), toPixels(r.width, dpi),
            toPixels(r.height, dpi)};
}

inline float fromPixels(int pixels, double dpi) {
    return float(double(pixels) * kPerInch / dpi);
}

} // namespace twips
