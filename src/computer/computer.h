#pragma once
// A computer opponent that plays one seat with that seat's nine keys, reading only what the window
// shows. It is stepped once per simulation tick and answers with at most one key event, so it types
// as a person types: one key at a time, holding the adjust keys while it watches the value change.

#include <array>
#include <cstdint>
#include <optional>
#include <random>
#include <string>

#include "computer/ballistics.h"
#include "computer/screen_view.h"
#include "keyboard/key_map.h"

namespace kestrum::computer {

// The ladder of strengths the settings offer: 強い plays at a person's pace, 最強 at a machine's.
enum class Strength : int16_t { Weak = 1, Normal = 2, Strong = 3, Strongest = 4 };
constexpr int kStrengths = 4;

// How a strength plays: the error of its first aim, how well it corrects, and its pace in ticks.
struct Style {
    double firstAimError; // standard deviation of the first aim of a round, as a share of the distance
    double correction;    // share of an observed miss taken out of the next aim
    double correctionNoise;
    double spread;      // standard deviation of every shot's aim, metres
    int startPause;     // ticks before it starts typing in a new round
    int shotPause;      // ticks after a launch before it touches a key again
    int keyGap;         // ticks between two keys
    int busySlots;      // how many slots it keeps busy
    int shellCharge[2]; // charge while ranging, charge once on target
    int rocketCharge[2];
    int angle[2];           // launch angles it picks from, degrees
    double mistakeRate = 0; // share of shots with one digit typed wrong
};
const Style& styleOf(Strength strength);

struct KeyEvent {
    int16_t code = 0;
    bool down = true;
    bool operator==(const KeyEvent&) const = default;
};

class Computer {
  public:
    // `side` 0 plays the left base, 1 the right; `keys` are that seat's keys in the order cursor up,
    // cursor down, place up, place down, decrease, increase, launch, launch, launch.
    Computer(int side, const KeyMap& keys, Strength strength, uint32_t seed);
    // A player of any style (the benchmarks model people with it); it reports itself as `strength`.
    Computer(int side, const KeyMap& keys, const Style& style, uint32_t seed,
             Strength strength = Strength::Weak);

    // The set-up prompts as they are answered (the computer remembers the air-resistance answer).
    void watch(const ScreenView& screen);
    // One tick: the key to press or release now, if any.
    std::optional<KeyEvent> act(const ScreenView& screen);

    int side() const { return side_; }
    Strength strength() const { return strength_; }
    const KeyMap& keys() const { return keys_; }

  private:
    enum class Hold { None, Value, Slot };
    struct Aim {
        bool valid = false;
        Shot shot;
        double targetX = 0; // where it should land, metres from the own base edge
        double offset = 0;  // the aim offset in force when it was worked out
    };

    std::optional<KeyEvent> press(int key);
    std::optional<KeyEvent> hold(int key, Hold kind);
    std::optional<KeyEvent> release();
    std::optional<KeyEvent> whileHeld(const ScreenView& screen);
    std::optional<KeyEvent> watchFlight(const ScreenView& screen, int slot);
    std::optional<KeyEvent> stepSlot(int slot);
    std::optional<KeyEvent> typeAndLaunch(const ScreenView& screen, int slot);
    void newRound();
    Aim workOut(int slot);
    void observe(int slot, double x, double y);
    double gauss(double sigma);
    int uniform(int lo, int hi);

    // Reading the screen.
    const SeatView& seat(const ScreenView& screen) const { return screen.seats[std::size_t(side_)]; }
    const std::string& panelSlot(const ScreenView& screen) const {
        return seat(screen).panelSlot[std::size_t(battle_)];
    }
    int rows() const { return battle_ == Battle::Rockets ? 5 : 3; }
    std::optional<int> valueOfRow(const ScreenView& screen, int row) const;

    int side_;
    KeyMap keys_;
    Strength strength_;
    Style style_;
    std::mt19937 rng_;

    long now_ = 0;
    long waitUntil_ = 0;
    int homing_ = 9; // keys still to press to bring the cursor and place home
    bool air_ = false;

    // What it has seen of the match.
    std::string roundKey_;
    Battle battle_ = Battle::Shells;
    double distance_ = 0; // between the bases' outer edges
    double height_ = 0;   // of the enemy base's top above the own launch point

    // Its hands: what it believes the panel shows, and the key it holds.
    int cursor_ = 0;
    int place_ = 0;
    int heldKey_ = -1;
    bool keyIsHeld_ = false;
    Hold holdKind_ = Hold::None;
    int holdRow_ = 0;
    int holdTarget_ = 0;
    int holdFromSlot_ = -1;
    long holdSince_ = 0;
    bool checkLaunch_ = false;
    int launchedSlot_ = -1;
    int pauseAfterRelease_ = 0;
    long lastEdit_ = -100;

    // Its plan for the round.
    bool onTarget_ = false;
    double offset_ = 0;
    int column_ = 0; // index into the columns it aims at
    int slotDir_ = 1;
    int angle_ = 45;
    bool moveOn_ = false; // on to the next slot once this one is away
    Aim pending_;
    int pendingSlot_ = -1;
    Aim fired_[5];
    int watchedSlot_ = -1;
    bool labelSeen_ = false;
    int impactWait_ = -1;
};

} // namespace kestrum::computer
