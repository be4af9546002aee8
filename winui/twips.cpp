#include "winui/twips.hpp"

#include <cmath>

namespace ferrowick::winui {

int TwipsToPixels(int twips, int dpi) {
    return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / 1440.0));
}

PixelRect ToPixels(const TwipsRect& rect, int dpi) {
    // Edges are rounded, not sizes, so neighbours that touch in twips touch in pixels.
    const int left = TwipsToPixels(rect.left, dpi);
    const int top = TwipsToPixels(rect.top, dpi);
    return {left, top, TwipsToPixels(rect.left + rect.width, dpi) - left,
            TwipsToPixels(rect.top + rect.height, dpi) - top};
}

int FontHeight(double points, int dpi) { return -static_cast<int>(std::lround(points * dpi / 72.0)); }

}  // namespace ferrowick::winui
