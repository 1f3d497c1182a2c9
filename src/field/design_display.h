#pragma once
// The display the window was designed on: 15 twips per pixel, a client area of 792 x 575 pixels,
// which is also the battlefield raster.

namespace kestrum {

constexpr int kTwipsPerPixel = 15;
constexpr int kDesignWidth = 792;
constexpr int kDesignHeight = 575;

// Design twips to whole pixels of the design display (rounding down, as the window's layout does).
constexpr int twips(int t) {
    return t / kTwipsPerPixel;
}

} // namespace kestrum
