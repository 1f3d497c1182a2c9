#pragma once
// A small raster of 24-bit colours (blue*65536 + green*256 + red).

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrum {

struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // row-major

    Bitmap() = default;
    Bitmap(int w, int h, uint32_t fill) : width(w), height(h), pixels(size_t(w) * size_t(h), fill) {}
    uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    void set(int x, int y, uint32_t c) { pixels[size_t(y) * size_t(width) + size_t(x)] = c; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    bool operator==(const Bitmap&) const = default;
};

} // namespace kestrum
