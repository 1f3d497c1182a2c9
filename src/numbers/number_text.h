#pragma once
// How numbers become text on screen.

#include <cstdint>
#include <string>

namespace kestrum {

// A 32-bit float in its shortest form with up to 7 significant digits: "2500", "3.5", "-0.4".
std::string singleText(float value);
// A 64-bit float in its shortest form with up to 15 significant digits.
std::string doubleText(double value);
// Round half up to keta - 1 decimals: Int(atai * 10^(keta-1) + 0.5) / 10^(keta-1).
double shisya(float atai, int16_t keta);

} // namespace kestrum
