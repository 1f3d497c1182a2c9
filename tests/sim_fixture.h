#pragma once
// A started match on a scripted battlefield, with helpers to put projectiles into the air the way a
// launch does and to advance one player's steps.

#include <deque>
#include <string>

#include "game_harness.h"

namespace kestrum::testing {

// The random number that gives a distance of exactly d metres between the bases.
inline float distanceDraw(int d) {
    return float((d - 500 + 0.5) / 2500.0);
}

struct SimMatch : GameHarness {
    // mode "1" shells / "2" rockets; air and sound "y" / "n". The battlefield of the first round is
    // `distance` metres wide (2000 m: 0.396 pixels per metre) with the base tops at the given draws.
    SimMatch(const std::string& mode, const std::string& air, const std::string& snd, bool plainBases = false,
             int distance = 2000, float leftAlt = 0.2f, float rightAlt = 0.3f) {
        start();
        if (plainBases) {
            // Solid blocks instead of the drawn fortresses: every pixel of a base and its pedestal
            // carries the owner's code, so hits land exactly where a test puts them.
            Battlefield& f = game->field();
            for (int p = 0; p < 2; ++p) {
                f.baseorigin[p] = Bitmap(100, 32, 0x404040u | uint32_t(p));
                f.groundBitmap[p] = Bitmap(100, 30, 0x008200u | uint32_t(p));
            }
        }
        draws = {distanceDraw(distance), leftAlt, rightAlt};
        game->setRandomSource([this] {
            if (draws.empty()) return 0.5f;
            const float r = draws.front();
            draws.pop_front();
            return r;
        });
        answer(mode, air, snd);
    }

    // Ticks until one step of player p has run.
    void stepOf(int p) {
        do
            game->tick();
        while (st().turn != p);
    }

    // What a launch leaves behind: parameters copied, the projectile 55 m inside the own base edge
    // and 10 m below its top, at rest, its label shown.
    void place(int p, int s, std::initializer_list<float> params) {
        MatchState& m = st();
        int k = 0;
        for (float v : params) {
            m.param[p][s][k] = v;
            m.setv[p][s][k] = int16_t(v);
            ++k;
        }
        m.state[p][s] = 1;
        m.px[p][s] = p == 0 ? m.basex[0] + 55 : m.basex[1] - 55;
        m.py[p][s] = float(m.basealt[p] - 10);
        m.vx[p][s] = m.ax[p][s] = 0;
        m.vy[p][s] = m.ay[p][s] = 0;
        screen().orbitnumber[s + 5 * p].visible = true;
    }

    // The trail entry a slot wrote in the last tick: the slots after it have moved the ring on.
    int trailEntry(int s) {
        const int n = st().trailn - (kSlots - 1 - s);
        return n >= 1 ? n : n + 20000;
    }

    std::deque<float> draws;
};

} // namespace kestrum::testing
