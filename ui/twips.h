// Window geometry is stored in twips (1/1440 inch): 15 twips per pixel at 96 dpi.
#pragma once

#include <cmath>

namespace ui {

inline int twipsPerPixel(double logicalDpi) { return logicalDpi > 0 ? static_cast<int>(std::lround(1440.0 / logicalDpi)) : 15; }
inline int pixelsFromTwips(int twips, double logicalDpi = 96.0) {
    return static_cast<int>(std::lround(twips * (logicalDpi > 0 ? logicalDpi : 96.0) / 1440.0));
}
inline int twipsFromPixels(int pixels, double logicalDpi = 96.0) {
    return static_cast<int>(std::lround(pixels * 1440.0 / (logicalDpi > 0 ? logicalDpi : 96.0)));
}

}  // namespace ui
