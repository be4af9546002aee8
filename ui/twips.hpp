#pragma once
// Window layouts are designed in twips; at 96 dots per inch 15 twips make one pixel.
#include <QRect>

namespace ferrowick::ui {

constexpr int Px(int twips) { return twips / 15; }

constexpr QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(Px(left), Px(top), Px(width), Px(height));
}

}  // namespace ferrowick::ui
