#pragma once
// How numbers become text on screen.

#include <cstdint>
#include <string>

namespace kestrum {

// A 32-bit float in its shortest form with up to 7 significant digits: "2500", "3.5", "-0.4".
std::string singleText(float value);
// A 64-bit float in its shortest form with up to 15 significant digits.
std::string doubleText(double value);
// Round half up to digits - 1 decimals: floor(value * 10^(digits-1) + 0.5) / 10^(digits-1).
double roundHalfUp(float value, int16_t digits);

} // namespace kestrum
