#pragma once
// The laws of motion of the game, as a player who knows them works a shot out on paper: the same
// step, the same forces and the same number widths as the flight on the battlefield, so a worked-out
// shot flies the way it was worked out.
//
// Positions are measured as the readouts show them: x from the own base's outer edge towards the
// enemy, y from the launch point (10 m below the own base's top) upwards.

#include <vector>

namespace kestrum::computer {

enum class Battle { Shells, Rockets };

// The values entered in a slot's panel rows: shells charge, speed, angle; rockets charge, fuel
// load, fuel consumption, gas-jet speed, angle.
struct Shot {
    Battle battle = Battle::Shells;
    bool air = false;
    int values[5] = {};
};

struct FlightPoint {
    double x = 0;
    float y = 0;
};

struct Flight {
    std::vector<FlightPoint> points; // one per step of the player, from the first step on
    bool lifted = true;              // false: a rocket that burned out on its pad
    bool outlasted = false;          // still above the floor after the last step worked out
};

// The flight step by step until it comes down through the height `floorY`, or `maxSteps` have run.
Flight fly(const Shot& shot, float floorY, int maxSteps = 20000);

// Where the flight comes down through the height `y` (descending), or nullopt-like: `reached` false
// when it never does (too short, or a rocket that never left its pad).
struct Crossing {
    bool reached = false;
    double x = 0;
    double steepness = 0; // metres down per metre across, where it crosses
};
Crossing crossing(const Flight& flight, float y);

} // namespace kestrum::computer
