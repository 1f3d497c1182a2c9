// What happens when a projectile touches something: the explosion, the crater and damage of a base,
// the shrinking fireball, the re-arming of the slot, a base blowing up, and the match decision.

#include <algorithm>
#include <cmath>
#include <string>

#include "game/drawing_y.h"
#include "game/game.h"

namespace kestrum {

namespace {

constexpr float kSizeExponent = 0.33333f;
constexpr int kFatalDamage = 70; // percent of the base's one-metre columns
constexpr int kRoundsToWin = 5;
constexpr int16_t kFireballEnd = 3; // a fireball smaller than this has burned out

int spriteCoordinate(double v) {
    return int(std::clamp(v, -1e9, 1e9));
}

} // namespace

// Diameter in metres of the fireball of a slot's charge.
int16_t Game::explosionSize(int slot) const {
    const float energy = projectileOf(slot).params[0] * 229.0f;
    return int16_t(std::floor(std::pow(double(energy), double(kSizeExponent))) + 7);
}

void Game::groundHit(int slot) {
    Projectile& projectile = projectileOf(slot);
    projectile.state = ProjectileState::Exploding;
    projectile.fireball = explosionSize(slot);
    projectile.struck = Struck::Ground;
    screen_.slotLabel(match_.turn, slot).visible = false;
}

void Game::baseHit(int slot, int player) {
    Projectile& projectile = projectileOf(slot);
    Base& base = match_.players[player].base;
    const DrawPoint& at = match_.point;
    const int16_t size = explosionSize(slot);
    projectile.state = ProjectileState::Exploding;
    projectile.fireball = size;
    const float radius = float(size) / 2.0f;
    const int radiusPixels = int(std::floor(match_.measures.scale * radius));

    // The crater is sky-coloured, so later shots fly into it. The pedestal is never cratered.
    field_.punchCrater(player, at.x - base.left, double(at.y) - base.top, radiusPixels);

    // One-metre columns counted from the base's outer edge. A blast above the bottom line takes its
    // full width; one below it only the chord where its circle crosses the bottom line.
    const double fromEdge = std::abs(projectile.motion.x - base.edge);
    const double belowBottom = (base.altitude - base.height) - projectile.motion.y;
    double halfWidth = radius;
    bool reaches = true;
    if (!(belowBottom < 0)) {
        // The square of the half chord, kept in single precision.
        const float halfChordSquared = float(double(radius) * double(radius) - belowBottom * belowBottom);
        reaches = halfChordSquared > 0;
        if (reaches) halfWidth = std::sqrt(double(halfChordSquared));
    }
    if (reaches) {
        const double first = std::max(std::floor(fromEdge - halfWidth), 0.0);
        const double last = std::min(std::floor(halfWidth + fromEdge), double(kColumns - 1));
        for (int c = int(first); c <= int(last); ++c)
            base.columns[c] = 1;
    }

    projectile.struck = baseOf(player);
    screen_.slotLabel(match_.turn, slot).visible = false;
}

// One frame of a running explosion; false when a base's large explosion has ended the round.
bool Game::explosionFrame(int slot) {
    Projectile& projectile = projectileOf(slot);
    Sprite& sprite = field_.explosion[match_.turn * kSlots + slot];
    placeFireball(sprite, projectile.motion, projectile.fireball);

    projectile.fireball = int16_t(projectile.fireball - 10);
    if (projectile.fireball >= kFireballEnd) return true;

    sprite.visible = false;
    if (projectile.struck == Struck::BaseBlowingUp) {
        // The large explosion is over and the slot is empty until the next round re-arms it.
        projectile.state = ProjectileState::Idle;
        baseExplosionSound();
        for (int p = 0; p < kPlayers; ++p)
            screen_.score[p].caption = std::to_string(match_.players[p].wins);
        decideMatch();
        return false;
    }
    if (projectile.struck == Struck::LeftBase || projectile.struck == Struck::RightBase) {
        const int owner = int(projectile.struck);
        Base& base = match_.players[owner].base;
        int16_t damage = 0;
        for (int16_t column : base.columns)
            damage = int16_t(damage + column);
        base.damage = damage;
        screen_.statusValue(owner, status::kDamage).caption = std::to_string(damage);
        // A base already blown up this round is not blown up again: a second blast that ends
        // during its large explosion would otherwise score the same round twice.
        const bool alreadyDestroyed = !field_.base[owner].visible;
        if (damage >= kFatalDamage && !alreadyDestroyed) {
            blowUpBase(slot, owner);
            return true;
        }
    }
    rearm(slot);
    explosionSound();
    return true;
}

// A fireball of `size` metres centred on a projectile.
void Game::placeFireball(Sprite& sprite, const physics::Motion& motion, int16_t size) {
    const Measures& m = match_.measures;
    DrawPoint& at = match_.point;
    const int sizePixels = int(std::floor(float(size) * m.scale));
    const int half = int(std::floor(sizePixels / 2.0));
    at.x = std::floor(double(m.scale) * motion.x);
    at.y = drawingY(m.groundLine, motion.y, m.scale);
    sprite.visible = true;
    sprite.left = spriteCoordinate(at.x - half);
    sprite.top = at.y - half;
    sprite.width = sprite.height = sizePixels;
}

// The base's large explosion takes over the slot's fireball, centred on the base's bottom.
void Game::blowUpBase(int slot, int owner) {
    Projectile& projectile = projectileOf(slot);
    const Base& base = match_.players[owner].base;
    // The owner's opponent scores, also when a player wrecked his own base.
    Player& scorer = match_.players[1 - owner];
    match_.roundWinner = int16_t(1 - owner);
    match_.baseExplosion = int16_t(match_.turn * kSlots + slot);
    scorer.wins = int16_t(scorer.wins + 1);
    const int width = field_.baseTemplate[0].width;
    projectile.fireball = int16_t(width);
    projectile.motion.x = base.edge + width * (owner == 0 ? 1 : -1) / 2.0;
    projectile.motion.y = float(base.altitude - base.height);
    field_.base[owner].visible = false;
    field_.ground[owner].visible = false;
    projectile.struck = Struck::BaseBlowingUp;
}

// Re-arm a slot of the player in turn from its launch copy: fuel refilled, fractions rounded.
void Game::rearm(int slot) {
    Projectile& projectile = projectileOf(slot);
    projectile.state = ProjectileState::Idle;
    inTurn().panel.shownSlot = -1;
    for (int k = 0; k < kParams; ++k)
        projectile.params[k] = projectile.launchCopy[k];
}

void Game::decideMatch() {
    const bool leftDone = match_.players[0].wins == kRoundsToWin;
    const bool rightDone = match_.players[1].wins == kRoundsToWin;
    auto write = [this](int x, int y, const char* text) { field_.print(x, y, text, 12, colour::black); };
    if (leftDone && rightDone) {
        write(288, 300, "引き分け");
        match_.roundEnd = RoundEnd::MatchOver;
    } else if (leftDone) {
        write(272, 400, "勝者");
        write(496, 400, "敗者");
        match_.roundEnd = RoundEnd::MatchOver;
    } else if (rightDone) {
        write(272, 400, "敗者");
        write(496, 400, "勝者");
        match_.roundEnd = RoundEnd::MatchOver;
    } else {
        match_.roundEnd = RoundEnd::NextRound;
    }
}

} // namespace kestrum
