#pragma once
// A started match on a scripted battlefield, with helpers to place projectiles as a launch does.

#include <string>

#include "game_harness.h"

namespace kestrum::testing {

struct SimMatch : GameHarness {
    // `distance` metres between the bases (2000 m: 0.396 pixels per metre). plainBases swaps the drawn
    // fortresses for solid blocks of the owner's code, so hits land exactly where a test puts them.
    SimMatch(const std::string& mode, const std::string& air, const std::string& snd, bool plainBases = false,
             int distance = 2000) {
        start();
        for (int p = 0; plainBases && p < 2; ++p) {
            game->field().baseorigin[p] = Bitmap(100, 32, 0x404040u | uint32_t(p));
            game->field().groundBitmap[p] = Bitmap(100, 30, 0x008200u | uint32_t(p));
        }
        draws[0] = float((distance - 500 + 0.5) / 2500.0);
        game->setRandomSource([this] { return next < 3 ? draws[next++] : 0.5f; });
        answer(mode, air, snd);
    }
    // Ticks until one step of player p has run.
    void stepOf(int p) {
        do
            game->tick();
        while (st().turn != p);
    }
    // What a launch leaves: parameters copied, at rest 55 m inside the own base edge and 10 m below its top.
    void place(int p, int s, std::initializer_list<float> params) {
        MatchState& m = st();
        int k = 0;
        for (float v : params) {
            m.param[p][s][k] = v;
            m.setv[p][s][k++] = int16_t(v);
        }
        m.state[p][s] = 1;
        m.px[p][s] = p == 0 ? m.basex[0] + 55 : m.basex[1] - 55;
        m.py[p][s] = float(m.basealt[p] - 10);
        m.vx[p][s] = m.ax[p][s] = m.vy[p][s] = m.ay[p][s] = 0;
        screen().orbitnumber[s + 5 * p].visible = true;
    }
    // The trail entry slot s wrote in the last tick: the slots after it have moved the ring on.
    int trailEntry(int s) { return (st().trailn - (kSlots - 1 - s) + 19999) % 20000 + 1; }

    float draws[3] = {0, 0.2f, 0.3f}; // distance, then the two base altitudes
    int next = 0;
};

} // namespace kestrum::testing
