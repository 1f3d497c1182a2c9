#pragma once
// Every field of the match: one record that all handlers of the main window read and write.
// Widths are part of the behaviour: 16-bit fields are int16_t, 32-bit floats are float, and the
// general numeric cells hold the type of what the game assigns to them (noted per field).

#include <cstdint>
#include <string>

namespace kestrum {

constexpr int kPlayers = 2;
constexpr int kSlots = 5;
constexpr int kParams = 6;
constexpr int kCells = 100;
constexpr int kTrailSize = 20001; // entries 0..20000; the ring uses 1..20000
constexpr int kKeys = 9;

struct MatchState {
    // Settings and keys (from config.txt).
    int16_t kbtype = 0;
    int16_t opeval = 0;
    int16_t keys2[kKeys] = {}; // second player's keys, in the order W, S, Q, E, A, D, X, Z, C
    int16_t opponent = 0;      // who plays the second seat: 0 a person, 1..3 the computer's strength

    // Match options and flow.
    double mode = 0; // number: holds a 64-bit float, 0 shell battle, 1 rocket battle
    int16_t air = 0;
    int16_t sound = 0;
    int16_t turn = 0;
    int16_t dir = 0;
    int16_t phase[kPlayers] = {};
    int16_t over = 0;
    int16_t wins[kPlayers] = {};

    // Per-player input state.
    int16_t slot[kPlayers] = {};
    int16_t cursor[kPlayers] = {};
    int16_t place[kPlayers] = {};
    int16_t step[kPlayers] = {};
    int16_t lastshown[kPlayers] = {};
    int16_t lastrow[kPlayers] = {};
    std::string edittext;

    // Projectiles, per player and slot.
    int16_t state[kPlayers][kSlots] = {};
    float param[kPlayers][kSlots][kParams] = {};
    int16_t setv[kPlayers][kSlots][kParams] = {};
    double px[kPlayers][kSlots] = {}; // number: 64-bit
    float py[kPlayers][kSlots] = {};
    double vx[kPlayers][kSlots] = {}; // number: 64-bit
    float vy[kPlayers][kSlots] = {};
    double ax[kPlayers][kSlots] = {}; // number: 64-bit
    float ay[kPlayers][kSlots] = {};
    int16_t target[kPlayers][kSlots] = {};

    // Bases and battlefield.
    double basex[kPlayers] = {};    // number: 0 (16-bit) for the left base, a 32-bit float for the right
    double basealt[kPlayers] = {};  // number: 64-bit
    double baseleft[kPlayers] = {}; // number
    int16_t basetop[kPlayers] = {};
    float baseh[kPlayers] = {};
    int16_t damage[kPlayers] = {};
    int16_t cells[kPlayers][kCells] = {};
    float scale = 0;
    int16_t groundy = 0;
    float scrw = 0; // number holding a 32-bit float
    int16_t jimenw = 0;
    int16_t jimenh = 0;
    int16_t groundh[kPlayers] = {};

    // Trail ring and the projectile being drawn.
    double trailx[kTrailSize] = {}; // number
    int16_t traily[kTrailSize] = {};
    int16_t trailn = 0;
    double sx = 0; // number
    int16_t sy = 0;
    int16_t hit = 0;
    float lift = 0;

    // Constant tables, filled by the load step.
    float maxval[2][5] = {};
    int16_t maxplace[2][6] = {};
    int16_t rowtop[2][5] = {};
    float lblw = 0; // number holding a 32-bit float
    int16_t lblh = 0;
    int16_t lbld = 0;

    // Full path of config.txt.
    std::string cfgpath;
};

} // namespace kestrum
