#pragma once
// The game keeps many numbers in 16-bit fields. Two ways in: rounding a value the game computes,
// and clamping a screen position that may lie far outside the picture.

#include <cmath>
#include <cstdint>
#include <limits>

namespace kestrum {

// Round to a 16-bit integer, halves to the even neighbour (values outside the range saturate).
inline int16_t toInt16(double value) {
    if (std::isnan(value)) return 0;
    const double r = std::nearbyint(value); // round-half-even in the default rounding mode
    if (r > std::numeric_limits<int16_t>::max()) return std::numeric_limits<int16_t>::max();
    if (r < std::numeric_limits<int16_t>::min()) return std::numeric_limits<int16_t>::min();
    return int16_t(r);
}

// A steep fast shot climbs tens of kilometres, far above the picture, where a screen y no longer fits
// 16 bits. Such a position is clamped to -32768 .. 32767: it still lies far outside the picture, so it
// reads as sky, and the trail point stored for it is never drawn.
inline int16_t clampToInt16(double v) {
    if (!(v >= -32768.0)) return -32768; // NaN included: off the picture all the same
    if (v > 32767.0) return 32767;
    return int16_t(v);
}

} // namespace kestrum
