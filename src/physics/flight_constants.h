#pragma once
// The laws of motion of every flight, shared by the simulation and by the computer's aim (which may
// know the rules, but not the match). Single precision, as the game keeps them; they enter 64-bit
// expressions with their single-precision values.

namespace kestrum {

constexpr float kStep = 0.03f; // seconds per simulation step
constexpr float kGravity = 9.8f;
constexpr float kDegree = 0.017453292f; // radians per degree
constexpr float kRocketDrag = 0.002f;
constexpr float kShellDrag = 0.004f;
constexpr float kAreaExponent = 0.66666f; // drag area from mass

} // namespace kestrum
