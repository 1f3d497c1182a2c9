#pragma once
// Screen positions of flying things, kept inside the 16-bit range the game stores them in.

#include <cmath>
#include <cstdint>

#include "numbers/int16.h"

namespace kestrum {

// Drawing y of an altitude: altitude 0 lies on the ground line; the product is taken in single precision.
inline int16_t drawingY(int16_t groundLine, float y, float scale) {
    return clampToInt16(double(groundLine) - std::floor(double(y * scale)));
}

} // namespace kestrum
