#pragma once
// What a slot's input panel lets a player enter, per battle mode (0 shells, 1 rockets). Row 0 of the panel
// is the slot number; the parameter rows follow: shells charge (kg), launch speed (m/s), angle (degrees);
// rockets charge (kg), fuel load (kg), fuel burn (kg/s), gas-jet speed (m/s), launch angle (degrees).

#include <cstdint>

namespace kestrum::physics {

// Parameter rows a player fills in before a launch.
constexpr int parameterRows(int mode) {
    return 2 * mode + 3;
}

// The largest value of each parameter row; 0 is the smallest.
constexpr float kLargestValue[2][5] = {{150, 1200, 90, 0, 0}, {350, 9999, 9999, 5100, 90}};

// The highest digit place the adjust keys reach on each panel row (row 0, the slot, edits units only):
// one below the number of digits of the row's largest value.
constexpr int16_t kHighestPlace[2][6] = {{0, 2, 3, 1, 0, 0}, {0, 2, 3, 3, 3, 1}};

} // namespace kestrum::physics
