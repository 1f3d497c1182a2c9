// What happens when a projectile touches something: the explosion, the crater and damage of a base,
// the shrinking fireball, the re-arming of the slot, a base blowing up, and the match decision.

#include <algorithm>
#include <cmath>
#include <string>

#include "app/game.h"
#include "sim/drawing_y.h"

namespace kestrum {

namespace {

constexpr float kSizeExponent = 0.33333f;
constexpr int kFatalDamage = 70; // percent of the base's one-metre columns
constexpr int kRoundsToWin = 5;

int spriteCoordinate(double v) {
    return int(std::clamp(v, -1e9, 1e9));
}

} // namespace

// Diameter in metres of the fireball of a slot's charge.
int16_t Game::explosionSize(int slot) const {
    const float energy = st_.param[st_.turn][slot][0] * 229.0f;
    return int16_t(std::floor(std::pow(double(energy), double(kSizeExponent))) + 7);
}

void Game::groundHit(int slot) {
    const int p = st_.turn;
    st_.state[p][slot] = explosionSize(slot);
    st_.target[p][slot] = 2;
    screen_.orbitnumber[p * 5 + slot].visible = false;
}

void Game::baseHit(int slot, int player) {
    const int p = st_.turn;
    const int16_t size = explosionSize(slot);
    st_.state[p][slot] = size;
    const float radius = float(size) / 2.0f;
    const int radiusPixels = int(std::floor(st_.scale * radius));

    // The crater is sky-coloured, so later shots fly into it. The pedestal is never cratered.
    field_.punchCrater(player, st_.sx - st_.baseleft[player], double(st_.sy) - st_.basetop[player],
                       radiusPixels);

    // One-metre columns counted from the base's outer edge. A blast above the bottom line takes its
    // full width; one below it only the chord where its circle crosses the bottom line.
    const double fromEdge = std::abs(st_.px[p][slot] - st_.basex[player]);
    const double belowBottom = (st_.basealt[player] - st_.baseh[player]) - st_.py[p][slot];
    double halfWidth = radius;
    bool reaches = true;
    if (!(belowBottom < 0)) {
        st_.lift = float(double(radius) * double(radius) - belowBottom * belowBottom);
        reaches = st_.lift > 0;
        if (reaches) halfWidth = std::sqrt(double(st_.lift));
    }
    if (reaches) {
        const double first = std::max(std::floor(fromEdge - halfWidth), 0.0);
        const double last = std::min(std::floor(halfWidth + fromEdge), double(kCells - 1));
        for (int c = int(first); c <= int(last); ++c)
            st_.cells[player][c] = 1;
    }

    st_.target[p][slot] = int16_t(player);
    screen_.orbitnumber[p * 5 + slot].visible = false;
}

// One frame of a running explosion; false when a base's large explosion has ended the round.
bool Game::explosionFrame(int slot) {
    const int p = st_.turn;
    int16_t& state = st_.state[p][slot];
    Sprite& fireball = field_.explosion[p * 5 + slot];

    const int sizePixels = int(std::floor(float(state) * st_.scale));
    const int half = int(std::floor(sizePixels / 2.0));
    st_.sx = std::floor(double(st_.scale) * st_.px[p][slot]);
    st_.sy = drawingY(st_.groundy, st_.py[p][slot], st_.scale);
    fireball.visible = true;
    fireball.left = spriteCoordinate(st_.sx - half);
    fireball.top = st_.sy - half;
    fireball.width = fireball.height = sizePixels;

    state = int16_t(state - 10);
    if (state >= 3) return true;

    fireball.visible = false;
    const int16_t target = st_.target[p][slot];
    if (target == 3) {
        bigban();
        screen_.score[0].caption = std::to_string(st_.wins[0]);
        screen_.score[1].caption = std::to_string(st_.wins[1]);
        decideMatch();
        return false;
    }
    if (target == 0 || target == 1) {
        const int b = target;
        int16_t damage = 0;
        for (int c = 0; c < kCells; ++c)
            damage = int16_t(damage + st_.cells[b][c]);
        st_.damage[b] = damage;
        screen_.value[b * 10 + 2].caption = std::to_string(damage);
        // A base already blown up this round is not blown up again: a second blast that ends
        // during its large explosion would otherwise score the same round twice.
        const bool alreadyDestroyed = !field_.base[b].visible;
        if (damage >= kFatalDamage && !alreadyDestroyed) {
            // The owner's opponent scores, also when a player wrecked his own base.
            st_.wins[1 - b] = int16_t(st_.wins[1 - b] + 1);
            const int width = field_.baseorigin[0].width;
            state = int16_t(width);
            st_.px[p][slot] = st_.basex[b] + width * (b == 0 ? 1 : -1) / 2.0;
            st_.py[p][slot] = float(st_.basealt[b] - st_.baseh[b]);
            field_.base[b].visible = false;
            field_.ground[b].visible = false;
            st_.target[p][slot] = 3;
            return true;
        }
    }
    setteini(slot);
    ban();
    return true;
}

// Re-arm a slot of the player in turn from its launch copy: fuel refilled, fractions rounded.
void Game::setteini(int slot) {
    const int p = st_.turn;
    st_.state[p][slot] = 0;
    st_.lastshown[p] = -1;
    for (int k = 0; k < kParams; ++k)
        st_.param[p][slot][k] = st_.setv[p][slot][k];
}

void Game::decideMatch() {
    const bool leftDone = st_.wins[0] == kRoundsToWin, rightDone = st_.wins[1] == kRoundsToWin;
    auto write = [this](int x, int y, const char* text) { field_.print(x, y, text, 12, colour::black); };
    if (leftDone && rightDone) {
        write(288, 300, "引き分け");
        st_.over = 2;
    } else if (leftDone) {
        write(272, 400, "勝者");
        write(496, 400, "敗者");
        st_.over = 2;
    } else if (rightDone) {
        write(272, 400, "敗者");
        write(496, 400, "勝者");
        st_.over = 2;
    } else {
        st_.over = 1;
    }
}

} // namespace kestrum
