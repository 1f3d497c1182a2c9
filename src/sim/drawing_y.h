#pragma once
// Screen positions of flying things, kept inside the 16-bit range the game stores them in.

#include <cmath>
#include <cstdint>

namespace kestrum {

// A steep fast shot climbs tens of kilometres, far above the picture, where groundy - Int(py * scale)
// no longer fits 16 bits. Such a position is clamped to -32768 .. 32767: it still lies far outside the
// picture, so it reads as sky, and the trail point stored for it is never drawn.
inline int16_t clampToInt16(double v) {
    if (!(v >= -32768.0)) return -32768; // NaN included: off the picture all the same
    if (v > 32767.0) return 32767;
    return int16_t(v);
}

// Drawing y of an altitude: altitude 0 lies on groundy; the product is taken in single precision.
inline int16_t drawingY(int16_t groundy, float py, float scale) {
    return clampToInt16(double(groundy) - std::floor(double(py * scale)));
}

} // namespace kestrum
