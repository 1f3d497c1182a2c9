#include "computer/computer.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "physics/flight.h"
#include "physics/panel_limits.h"

namespace kestrum::computer {

namespace {

// The panel's rules as a player learns them: the highest digit place of each cursor row (the slot
// row first) and the largest value of each parameter row.
int highestPlace(int mode, int row) {
    return physics::kHighestPlace[mode][row];
}
int largest(int mode, int row) {
    return int(physics::kLargestValue[mode][row]);
}

// Where on the enemy base it aims, in metres from its outer edge: the middle first, then the wings,
// so that a few craters take out most of its 100 columns.
constexpr int kColumns[] = {50, 20, 80, 35, 65, 12, 88};

// A rocket's fuel and burn stay fixed (few keys to type); the gas-jet speed sets the range.
constexpr int kRocketFuel = 100;
constexpr int kRocketBurn = 50;

// Beyond this a miss sends it back to ranging, one watched shot at a time.
constexpr double kOnTarget = 25;
constexpr double kLost = 70;

// It aims where the walls stand: the top of a base is a keep on its outer side and a lower wall
// towards the field. Shots must come down at least this steeply, or they skim over.
constexpr double kBelowTop = 12;
constexpr double kSteepEnough = 0.7;
constexpr int kSteepestAngle = 75;

constexpr const char* kShellTitle = "砲弾状況";
constexpr const char* kRocketTitle = "ミサイル状況";

std::optional<double> number(const std::string& text) {
    if (text.empty()) return std::nullopt;
    double v = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    const auto [ptr, ec] = std::from_chars(first, last, v);
    if (ec != std::errc() || ptr != last) return std::nullopt;
    return v;
}

int power10(int place) {
    int v = 1;
    while (place-- > 0)
        v *= 10;
    return v;
}

// The digit place to hold a key at: the highest one whose step still brings the value closer and
// stays inside the row's range (the panel refuses a step past either end).
int placeFor(int current, int wanted, int highest, int largest) {
    const int diff = wanted - current;
    for (int p = highest; p > 0; --p) {
        const int step = power10(p);
        const int next = current + (diff > 0 ? step : -step);
        if (2 * std::abs(diff) > step && next >= 0 && next <= largest) return p;
    }
    return 0;
}

const Style kStyles[kStrengths] = {
    // weak: a wild first guess, half-hearted corrections, slow hands, two slots, small charges
    {0.25, 0.5, 0.2, 40, 500, 450, 8, 2, {50, 80}, {100, 150}, {30, 65}},
    // normal
    {0.12, 0.7, 0.15, 25, 250, 250, 6, 2, {50, 120}, {100, 250}, {35, 55}},
    // strong: a practised person's pace and aim, three slots
    {0.03, 1.0, 0.05, 6, 150, 60, 40, 5, {100, 150}, {200, 350}, {42, 50}, 0.02},
    // strongest: a close first guess, sure corrections, quick hands, every slot, the largest craters
    {0.03, 1.0, 0.03, 4, 60, 10, 1, 5, {100, 150}, {200, 350}, {42, 50}},
};

} // namespace

const Style& styleOf(Strength strength) {
    return kStyles[std::clamp(int(strength), 1, kStrengths) - 1];
}

Computer::Computer(int side, const KeyMap& keys, Strength strength, uint32_t seed)
    : Computer(side, keys, styleOf(strength), seed, strength) {}

Computer::Computer(int side, const KeyMap& keys, const Style& style, uint32_t seed, Strength strength)
    : side_(side), keys_(keys), strength_(strength), style_(style), rng_(seed) {}

void Computer::watch(const ScreenView& screen) {
    const std::string& a = screen.airAnswer;
    if (a == "y" || a == "Y") air_ = true;
    if (a == "n" || a == "N") air_ = false;
}

double Computer::gauss(double sigma) {
    if (sigma <= 0) return 0;
    return std::normal_distribution<double>(0.0, sigma)(rng_);
}

int Computer::uniform(int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng_);
}

std::optional<int> Computer::valueOfRow(const ScreenView& screen, int row) const {
    const auto v = number(seat(screen).panelValues[std::size_t(battle_)][std::size_t(row)]);
    if (!v) return std::nullopt;
    return int(std::lround(*v));
}

std::optional<KeyEvent> Computer::press(int key) {
    heldKey_ = key;
    keyIsHeld_ = true;
    holdKind_ = Hold::None;
    return KeyEvent{keys_.codes[std::size_t(key)], true};
}

std::optional<KeyEvent> Computer::hold(int key, Hold kind) {
    press(key);
    holdKind_ = kind;
    holdSince_ = now_;
    return KeyEvent{keys_.codes[std::size_t(key)], true};
}

std::optional<KeyEvent> Computer::release() {
    keyIsHeld_ = false;
    holdKind_ = Hold::None;
    waitUntil_ = std::max(waitUntil_, now_ + style_.keyGap + pauseAfterRelease_);
    pauseAfterRelease_ = 0;
    return KeyEvent{keys_.codes[std::size_t(heldKey_)], false};
}

std::optional<KeyEvent> Computer::act(const ScreenView& screen) {
    ++now_;
    watch(screen);

    // No match on screen: hands off the keys.
    const SeatView& me = seat(screen);
    const std::string& title = me.heading;
    if (title != kShellTitle && title != kRocketTitle) {
        if (keyIsHeld_) return release();
        return std::nullopt;
    }

    // A new score or a new enemy position means a new round: the panel starts over.
    const std::string round = screen.seats[0].score + "|" + screen.seats[1].score + "|" + me.enemyDistance +
                              "|" + me.enemyHeight + "|" + title;
    if (round != roundKey_) {
        roundKey_ = round;
        battle_ = title == kRocketTitle ? Battle::Rockets : Battle::Shells;
        distance_ = number(me.enemyDistance).value_or(0);
        // The enemy top above the own top, seen from the launch point below the own top.
        height_ = number(me.enemyHeight).value_or(0) + physics::kLaunchDrop;
        std::optional<KeyEvent> up;
        if (keyIsHeld_) up = release();
        newRound();
        if (up) return up;
    }

    if (keyIsHeld_) return whileHeld(screen);
    if (now_ < waitUntil_) return std::nullopt;

    // Taking over a seat mid-match: release the adjust keys, cursor to the slot row, place to units.
    if (homing_ > 0) {
        --homing_;
        if (homing_ == 8) return KeyEvent{keys_[SeatKey::Decrease], false};
        cursor_ = 0, place_ = 0;
        return press(homing_ >= 3 ? 0 : 3);
    }

    const bool panel = !panelSlot(screen).empty();
    const auto shown = number(panel ? panelSlot(screen) : seat(screen).statusSlot);
    if (!shown || *shown < 1 || *shown > 5) return std::nullopt;
    const int slot = int(*shown) - 1;

    if (checkLaunch_) {
        checkLaunch_ = false;
        // Still the same idle slot: the launch was refused and the cursor jumped; find home again.
        if (panel && slot == launchedSlot_) {
            fired_[slot].valid = false;
            homing_ = 8;
            return std::nullopt;
        }
    }
    if (!panel) return watchFlight(screen, slot);
    return typeAndLaunch(screen, slot);
}

std::optional<KeyEvent> Computer::whileHeld(const ScreenView& screen) {
    if (holdKind_ == Hold::None) return release();
    const bool up = heldKey_ == 5;
    if (now_ - holdSince_ > 200) return release(); // nothing moves: let go and look again

    const bool panel = !panelSlot(screen).empty();
    if (holdKind_ == Hold::Slot) {
        const auto shown = number(panel ? panelSlot(screen) : seat(screen).statusSlot);
        if (shown && int(*shown) - 1 != holdFromSlot_) return release();
        return std::nullopt;
    }

    if (!panel) return release();
    const auto current = valueOfRow(screen, holdRow_);
    if (!current) return release();
    const int diff = holdTarget_ - *current;
    const int step = power10(place_);
    const int next = *current + (up ? step : -step);
    if (2 * std::abs(diff) <= step || (diff > 0) != up || next < 0 ||
        next > largest(int(battle_), holdRow_)) {
        lastEdit_ = now_;
        return release();
    }
    return std::nullopt;
}

std::optional<KeyEvent> Computer::watchFlight(const ScreenView& screen, int slot) {
    if (watchedSlot_ != slot) {
        watchedSlot_ = slot;
        labelSeen_ = false;
        impactWait_ = -1;
    }
    // The slot number flies with the projectile and vanishes where it bursts.
    if (!seat(screen).slotLabels[std::size_t(slot)].empty()) {
        labelSeen_ = true;
        impactWait_ = -1;
        if (moveOn_) return stepSlot(slot);
        return std::nullopt;
    }
    if (labelSeen_) {
        // The readouts show the burst point from the next refresh of this side on.
        if (impactWait_ < 0) impactWait_ = 2;
        if (--impactWait_ > 0) return std::nullopt;
        labelSeen_ = false;
        const auto x = number(seat(screen).flightDistance), y = number(seat(screen).flightHeight);
        if (x && y) observe(slot, *x, *y);
        if (onTarget_ && style_.busySlots > 1) moveOn_ = true;
        return std::nullopt;
    }
    if (moveOn_) return stepSlot(slot);
    return std::nullopt; // bursting: it comes back to the rack shortly
}

std::optional<KeyEvent> Computer::stepSlot(int slot) {
    if (cursor_ != 0) {
        --cursor_;
        place_ = std::min(place_, highestPlace(int(battle_), cursor_));
        return press(0);
    }
    const int last = std::min(style_.busySlots, 5) - 1;
    int next = slot + slotDir_;
    if (next > last) slotDir_ = -1, next = slot - 1;
    if (next < 0) slotDir_ = 1, next = std::min(slot + 1, last);
    if (next == slot) {
        moveOn_ = false;
        return std::nullopt;
    }
    moveOn_ = false;
    holdFromSlot_ = slot;
    return hold(next > slot ? 5 : 4, Hold::Slot);
}

std::optional<KeyEvent> Computer::typeAndLaunch(const ScreenView& screen, int slot) {
    watchedSlot_ = -1;
    // Taking over a seat that was left mid-way: several slots may wait, but start with this one.
    if (moveOn_ && !onTarget_) moveOn_ = false;
    if (pendingSlot_ != slot || !pending_.valid) {
        pending_ = workOut(slot);
        pendingSlot_ = slot;
    }
    const int m = int(battle_);
    for (int k = 0; k < rows(); ++k) {
        const auto current = valueOfRow(screen, k);
        if (!current) return std::nullopt;
        const int wanted = pending_.shot.values[k];
        if (*current == wanted) continue;
        const int row = k + 1;
        if (cursor_ != row) {
            const bool down = cursor_ < row;
            cursor_ += down ? 1 : -1;
            place_ = std::min(place_, highestPlace(m, cursor_));
            return press(down ? 1 : 0);
        }
        const int p = placeFor(*current, wanted, highestPlace(m, row), largest(m, k));
        if (place_ < p) return ++place_, press(2);
        if (place_ > p) return --place_, press(3);
        holdRow_ = k;
        holdTarget_ = wanted;
        return hold(wanted > *current ? 5 : 4, Hold::Value);
    }

    // Every row holds what it worked out; the derived row follows one refresh later.
    if (now_ - lastEdit_ < 4) return std::nullopt;
    fired_[slot] = pending_;
    pending_.valid = false;
    pendingSlot_ = -1;
    cursor_ = 0;
    place_ = 0;
    moveOn_ = onTarget_ && style_.busySlots > 1;
    checkLaunch_ = true;
    launchedSlot_ = slot;
    pauseAfterRelease_ = std::max(style_.shotPause, 4);
    return press(6 + uniform(0, 2));
}

void Computer::newRound() {
    cursor_ = 0;
    place_ = 0;
    onTarget_ = false;
    offset_ = gauss(style_.firstAimError * distance_);
    column_ = 0;
    slotDir_ = 1;
    pending_.valid = false;
    pendingSlot_ = -1;
    for (Aim& a : fired_)
        a.valid = false;
    watchedSlot_ = -1;
    labelSeen_ = false;
    impactWait_ = -1;
    moveOn_ = false;
    checkLaunch_ = false;
    angle_ = uniform(style_.angle[0], style_.angle[1]);
    waitUntil_ = std::max(waitUntil_, now_ + style_.startPause);
}

Computer::Aim Computer::workOut(int /*slot*/) {
    Aim aim;
    aim.valid = true;
    aim.offset = offset_;
    const int column = onTarget_ ? kColumns[column_++ % int(std::size(kColumns))] : kColumns[0];
    aim.targetX = distance_ - column;
    const double aimX = aim.targetX + offset_ + gauss(style_.spread);
    const float aimY = float(height_ - kBelowTop);

    Shot& shot = aim.shot;
    shot.battle = battle_;
    shot.air = air_;
    const int* charges = battle_ == Battle::Rockets ? style_.rocketCharge : style_.shellCharge;
    int charge = charges[onTarget_ ? 1 : 0];
    if (onTarget_) charge = std::max(charges[0], charge - 10 * uniform(0, 2)); // a crater of its own size

    // The value of one row that brings the shot down nearest the aim: the range grows with it.
    auto solve = [&](int row, int lo, int hi) {
        // A flight still up when the reckoning stops has gone far beyond any base.
        auto landing = [&](int value) {
            shot.values[row] = value;
            const Flight f = fly(shot, aimY - 1);
            const Crossing c = crossing(f, aimY);
            return c.reached ? c.x : f.outlasted && f.lifted ? 1e9 : -1e9;
        };
        int a = lo, b = hi;
        if (landing(b) < aimX) return false;
        while (a < b) {
            const int mid = (a + b) / 2;
            if (landing(mid) < aimX)
                a = mid + 1;
            else
                b = mid;
        }
        const double over = landing(b) - aimX;
        shot.values[row] = b > lo && aimX - landing(b - 1) < over ? b - 1 : b;
        return true;
    };
    // A shot that comes in flat skims over the low walls and lands far beyond: lob it higher.
    auto steep = [&] {
        const Crossing c = crossing(fly(shot, aimY - 1), aimY);
        return c.reached && c.steepness >= kSteepEnough;
    };

    int fuel = kRocketFuel;
    for (int attempt = 0; attempt < 10; ++attempt) {
        bool solved;
        if (battle_ == Battle::Rockets) {
            shot.values[0] = charge;
            shot.values[1] = fuel;
            shot.values[2] = kRocketBurn;
            shot.values[4] = angle_;
            solved = solve(3, 1, largest(1, 3));
            if (!solved) fuel = std::min(fuel * 2, largest(1, 1));
        } else {
            shot.values[0] = charge;
            shot.values[2] = angle_;
            solved = solve(1, 1, largest(0, 1));
            if (!solved) charge = std::max(1, charge / 2); // less drag
        }
        if (solved && (steep() || angle_ >= kSteepestAngle)) break;
        if (solved) angle_ = std::min(angle_ + 5, kSteepestAngle);
    }
    if (style_.mistakeRate > 0 && std::uniform_real_distribution<double>(0, 1)(rng_) < style_.mistakeRate) {
        // One digit typed wrong: a row of the shot off by one at one of its places.
        const int m = int(battle_);
        const int row = uniform(0, rows() - 1);
        const int step = power10(uniform(0, highestPlace(m, row + 1)));
        int& value = shot.values[row];
        value = std::clamp(value + (uniform(0, 1) ? step : -step), 1, std::max(1, largest(m, row)));
    }
    return aim;
}

void Computer::observe(int slot, double x, double y) {
    Aim& aim = fired_[slot];
    if (!aim.valid) return;
    aim.valid = false;

    // Where the shot would have come down through the enemy's top, by its own reckoning corrected by
    // how far the real burst lay from the reckoned track; and how well each air setting explains it.
    struct Reading {
        double projected;
        double residual;
    };
    const float aimY = float(height_ - kBelowTop);
    auto reckon = [&](bool air) {
        Shot shot = aim.shot;
        shot.air = air;
        const Flight f = fly(shot, float(std::min(y, height_) - 60));
        if (f.points.empty()) return Reading{x, 1e9};
        double best = 1e18;
        double nearestX = x;
        for (const FlightPoint& p : f.points) {
            const double d = (p.x - x) * (p.x - x) + (double(p.y) - y) * (double(p.y) - y);
            if (d < best) best = d, nearestX = p.x;
        }
        const Crossing c = crossing(f, aimY);
        return Reading{c.reached ? c.x + (x - nearestX) : x, std::sqrt(best)};
    };
    Reading r = reckon(air_);
    const Reading other = reckon(!air_);
    if (other.residual + 10 < 0.5 * r.residual) {
        air_ = !air_; // the shots fly as they would with the other air setting
        r = other;
    }
    double miss = r.projected - aim.targetX;
    if (x > distance_ + 10 && miss < kOnTarget) {
        // It crossed the right height at the right place and still flew on over the base: too flat.
        angle_ = std::min(angle_ + 8, kSteepestAngle);
        miss = kOnTarget;
    }
    offset_ = aim.offset - (style_.correction + gauss(style_.correctionNoise)) * miss;
    if (std::abs(miss) < kOnTarget) onTarget_ = true;
    if (std::abs(miss) > kLost) onTarget_ = false;
}

} // namespace kestrum::computer
