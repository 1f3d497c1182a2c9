#pragma once
// Screen positions of flying things, kept inside the 16-bit range the game stores them in.

#include <cmath>
#include <cstdint>

#include "numbers/int16.h"

namespace kestrum {

// Drawing y of an altitude: altitude 0 lies on groundy; the product is taken in single precision.
inline int16_t drawingY(int16_t groundy, float py, float scale) {
    return clampToInt16(double(groundy) - std::floor(double(py * scale)));
}

} // namespace kestrum
