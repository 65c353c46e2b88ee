#pragma once

#include <cmath>

// Window geometry is designed in twips (1440 to the inch) at the screen's logical DPI.
namespace twips {

inline constexpr double kPerInch = 1440.0;

inline int toPixels(float twipValue, double dpi) {
    return int(std::lround(double(twipValue) * dpi / kPerInch));
}

inline float fromPixels(int pixels, double dpi) {
    return float(double(pixels) * kPerInch / dpi);
}

} // namespace twips
