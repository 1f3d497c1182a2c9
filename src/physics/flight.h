#pragma once
// The laws of motion of every flight: one step of 0.03 s, the same for a projectile on the battlefield
// and for a shot the computer works out on paper, so a worked-out shot flies the way it was worked out.
//
// Precision is part of the game: vertical quantities (y, vy, ay, lift, thrust) are 32-bit floats,
// horizontal ones (x, vx, ax) 64-bit. The constants are single precision and enter 64-bit expressions
// with their single-precision values.

#include <cstdint>

namespace kestrum::physics {

constexpr float kStep = 0.03f; // seconds per simulation step
constexpr float kGravity = 9.8f;
constexpr float kDegree = 0.017453292f; // radians per degree
constexpr float kRocketDrag = 0.002f;
constexpr float kShellDrag = 0.004f;
constexpr float kAreaExponent = 0.66666f; // drag area from mass

// Where a projectile is and how it moves, in metres: x along the ground, y up.
struct Motion {
    double x = 0;
    float y = 0;
    double vx = 0;
    float vy = 0;
    double ax = 0;
    float ay = 0;
};

// The launch: 55 m inside the outer edge of the own base, 10 m below its top.
constexpr double kLaunchInset = 55;
constexpr double kLaunchDrop = 10;

// A shell waits this long in its base before it fires: one second per 50 kg of charge.
constexpr float loadingTime(float charge) {
    return charge / 50;
}

// A shell's forces for one step. While `loading` counts down nothing moves; when it runs out the shell
// fires at `speed` and `angle` (degrees) towards `direction` (+1 right, -1 left); after that gravity and,
// with `air` 1, drag act on it.
void shellForces(Motion& m, float& loading, float charge, float speed, float angle, double air,
                 int16_t direction);

// A rocket's forces for one step: it burns fuel and returns the upward part of its thrust. On the pad
// only that lift is worked out (the rocket leaves the pad once the lift beats gravity); in the air the
// thrust, gravity and drag act on it. `fuelLoad` is the fuel it was launched with.
float rocketForces(Motion& m, float& fuel, float charge, float fuelLoad, float burn, float jet, float angle,
                   double air, int16_t direction, bool onPad);

// Semi-implicit Euler: the velocity first, then the position with the new velocity.
void integrate(Motion& m);

} // namespace kestrum::physics
