#pragma once
// Window layouts are designed in twips (1/1440 inch): 15 twips make one pixel at 96 dots
// per inch, fewer at higher resolutions. Fonts are designed in points.
namespace ferrowick::winui {

struct TwipsRect {
    int left, top, width, height;
};

struct PixelRect {
    int left, top, width, height;
};

// Rounds to the nearest pixel; negative positions (bands that start off the window) too.
int TwipsToPixels(int twips, int dpi);
PixelRect ToPixels(const TwipsRect& rect, int dpi);
// The LOGFONT height of a font of the given size: negative, the character height in pixels.
int FontHeight(double points, int dpi);

}  // namespace ferrowick::winui
