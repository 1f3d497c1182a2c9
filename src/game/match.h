#pragma once
// A match: two players, each with an input panel, five projectiles and a base, on one battlefield.
// Widths are part of the behaviour: 16-bit fields are int16_t, 32-bit floats are float and 64-bit
// ones double, exactly where the arithmetic of the game needs them.

#include <cstdint>
#include <string>

#include "keyboard/key_map.h"
#include "physics/flight.h"

namespace kestrum {

constexpr int kPlayers = 2;
constexpr int kSlots = 5;         // projectiles per player
constexpr int kParams = 6;        // a slot's parameters (see Projectile::params)
constexpr int kColumns = 100;     // a base's one-metre columns
constexpr int kTrailSize = 20001; // entries 0..20000; the ring uses 1..20000

enum class BattleMode : int16_t { Shells = 0, Rockets = 1 };

enum class ProjectileState : int16_t {
    Idle = 0,      // in the rack: its panel can be edited
    Loading = 1,   // launched: a shell being loaded, a rocket on its pad
    Flying = 2,    // a rocket in the air (a shell counts as loading until it lands)
    Exploding = 3, // its fireball shrinks; `fireball` holds the size left
};

// What an explosion struck. A base is struck by the index of its player.
enum class Struck : int16_t { LeftBase = 0, RightBase = 1, Ground = 2, BaseBlowingUp = 3 };

constexpr Struck baseOf(int player) {
    return Struck(player);
}

// How the last tick ended.
enum class RoundEnd : int16_t { None = 0, NextRound = 1, MatchOver = 2 };

struct Projectile {
    ProjectileState state = ProjectileState::Idle;
    int16_t fireball = 0; // while exploding: the fireball's size in metres, shrinking by 10 a step
    // What the panel holds. Shells: charge, launch speed, angle, loading time (counting down in flight).
    // Rockets: charge, fuel load (burning down in flight), fuel burn, gas-jet speed, angle, total mass.
    float params[kParams] = {};
    int16_t launchCopy[kParams] = {}; // the parameters as launched; the slot is re-armed from them
    physics::Motion motion;
    Struck struck = Struck::LeftBase;
};

// The panel a player edits the selected slot with.
struct InputPanel {
    int16_t slot = 0;      // selected slot, 0..4
    int16_t cursor = 0;    // row: 0 the slot number, 1.. the parameters
    int16_t place = 0;     // digit place the adjust keys change: 10^place
    int16_t step = 0;      // the amount an adjust key held down adds at each change
    int16_t shownSlot = 0; // the slot the panel showed last; -1 for none (draw it afresh)
    int16_t editedRow = 0; // the parameter row edited last
};

struct Base {
    double edge = 0;     // outer edge, metres from the left base's edge: 0 (16-bit) or a 32-bit float
    double altitude = 0; // of its top, metres
    double left = 0;     // pixels
    int16_t top = 0;     // pixels
    float height = 0;    // metres
    int16_t damage = 0;  // percent: columns destroyed
    int16_t columns[kColumns] = {}; // 1 where destroyed, counted from the outer edge
};

struct Player {
    InputPanel panel;
    Projectile projectiles[kSlots];
    Base base;
    int16_t wins = 0;
    int16_t phase = 0; // 0..7: the panel applies a held key when it comes round to 0
};

// What config.txt says.
struct Settings {
    int16_t keyboardType = 0;
    int16_t handlingPeriod = 0; // milliseconds per tick
    KeyMap secondSeatKeys;
    int16_t opponent = 0;      // who plays the second seat: 0 a person, 1..4 the computer's strength
    bool roundResults = false; // a round's end stays on screen for two seconds with who won it
};

// Measures of the battlefield and its pictures, and of the slot labels' offsets.
struct Measures {
    float fieldWidth = 0;   // pixels, held as a 32-bit float
    int16_t groundLine = 0; // drawing y of altitude 0
    float scale = 0;        // pixels per metre in this round
    int16_t stripWidth = 0; // the ground strip's picture
    int16_t stripHeight = 0;
    int16_t groundPieceHeight[kPlayers] = {};
    float labelWidth = 0; // a slot label's allowance, held as a 32-bit float
    int16_t labelHeight = 0;
    int16_t labelDistance = 0; // how far a slot label stands off its projectile
};

// The last 20000 points drawn; each slot's step erases the oldest.
struct Trail {
    double x[kTrailSize] = {};
    int16_t y[kTrailSize] = {};
    int16_t newest = 0;
};

// Where the projectile being moved is drawn.
struct DrawPoint {
    double x = 0;
    int16_t y = 0;
};

struct Match {
    Settings settings;

    // The set-up answers.
    BattleMode mode = BattleMode::Shells;
    int16_t air = 0;
    int16_t sound = 0;

    int16_t turn = 0;      // the player whose projectiles this tick moves
    int16_t direction = 0; // +1 for the left player's shots, -1 for the right's
    RoundEnd roundEnd = RoundEnd::None;
    bool paused = false;       // the Pause key stopped the tick
    int resultTicks = 0;       // ticks the end of the last round stays on screen
    int16_t roundWinner = 0;   // the player who won the last round
    int16_t baseExplosion = 0; // the fireball that showed its base blowing up: player * 5 + slot
    Player players[kPlayers];

    Measures measures;
    Trail trail;
    DrawPoint point;
    std::string editText; // the value being edited, with the leading zeros the place implies

    std::string settingsPath; // config.txt
};

} // namespace kestrum
