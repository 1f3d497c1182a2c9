#pragma once
// A started game on a scripted battlefield.

#include <cmath>
#include <deque>
#include <string>

#include "game_harness.h"

namespace kestrum::testing {

// The random number that gives a distance of exactly d metres.
inline float distanceDraw(int d) {
    return float((d - 500 + 0.5) / 2500.0);
}

struct SimMatch : GameHarness {
    // Without a mode the prompts stay open. `distance` metres between the bases (2000: 0.396 pixels per
    // metre); plainBases swaps the fortresses for solid blocks of the owner's code.
    explicit SimMatch(const char* mode = nullptr, const char* air = "n", const char* snd = "n",
                      bool plainBases = false, int distance = 2000) {
        start();
        for (int p = 0; plainBases && p < 2; ++p) {
            game->field().baseTemplate[p] = Bitmap(100, 32, 0x404040u | uint32_t(p));
            game->field().groundPieceBitmap[p] = Bitmap(100, 30, 0x008200u | uint32_t(p));
        }
        game->setRandomSource([this] {
            const float r = draws.empty() ? 0.5f : draws.front();
            if (!draws.empty()) draws.pop_front();
            return r;
        });
        draws = {distanceDraw(distance), 0.2f, 0.3f}; // distance, then the two base altitudes
        if (mode) answer(mode, air, snd);
    }
    void round(float distance, float leftAlt, float rightAlt) {
        draws = {distance, leftAlt, rightAlt};
        game->newRound();
    }
    void press(int16_t key, int times = 1) {
        while (times-- > 0)
            game->keyDown(key, 0);
    }
    // Ticks until one step of player p has run.
    void stepOf(int p) {
        do
            game->tick();
        while (match().turn != p);
    }
    // What a launch leaves: parameters copied, at rest 55 m inside the own base edge and 10 m below its top.
    void place(int p, int s, std::initializer_list<float> params) {
        Projectile& shot = projectile(p, s);
        int k = 0;
        for (float v : params)
            shot.params[k] = v, shot.launchCopy[k++] = int16_t(v);
        shot.state = ProjectileState::Loading;
        shot.motion.x = p == 0 ? player(0).base.edge + 55 : player(1).base.edge - 55;
        shot.motion.y = float(player(p).base.altitude - 10);
        shot.motion.vx = shot.motion.ax = shot.motion.vy = shot.motion.ay = 0;
        screen().slotLabel(p, s).visible = true;
    }
    // The trail entry slot s wrote in the last tick: the slots after it have moved the ring on.
    int trailEntry(int s) { return (match().trail.newest - (kSlots - 1 - s) + 19999) % 20000 + 1; }

    std::deque<float> draws;
};

} // namespace kestrum::testing
