// Hundreds of whole matches with random hands on the keys, checking after every tick that the match
// state stays within its ranges. Run under the sanitizer build too, where it doubles as a memory and
// undefined-behaviour check of every path a random game reaches.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "game_harness.h"

using namespace kestrum;
using namespace kestrum::testing;

namespace {

constexpr int kMatchesPerShard = 50;
constexpr int kShards = 10;

// Where a whole-number shell speed at 45 degrees without air comes down, relative to the aim point.
double shellOvershoot(double x0, double y0, int dir, int speed, double aimX, double aimY) {
    const double c = std::cos(45 * 0.017453292), dt = 0.03;
    const double vx = speed * c * dir;
    double vy = speed * c, x = x0, y = y0;
    for (int n = 0; n < 20000; ++n) {
        if (n > 0) vy -= 9.8 * dt;
        x += vx * dt;
        y += vy * dt;
        if (vy < 0 && y < aimY) return dir * (x - aimX);
    }
    return 1e9;
}

int shellSpeedFor(double x0, double y0, int dir, double aimX, double aimY) {
    int lo = 1, hi = 1200;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (shellOvershoot(x0, y0, dir, mid, aimX, aimY) < 0) lo = mid + 1;
        else hi = mid;
    }
    return hi;
}

class Soak {
  public:
    explicit Soak(uint32_t seed) : rng_(seed) {}

    void playMatch(GameHarness& h) {
        const char* modes[] = {"1", "2"};
        const char* yn[] = {"y", "n", "Y", "N"};
        h.answer(modes[pick(2)], yn[pick(4)], yn[pick(4)]);
        ASSERT_FALSE(h.screen().selcon.visible);
        const bool aimed = pick(4) != 0; // most matches have gunners who aim; the rest only mash keys
        const long patience = 20000 + pick(40000); // ticks before the players give up on this match
        for (long t = 0; t < 1000000; ++t) {
            pressRandomKeys(h, aimed);
            if (t == patience) h.game->keyDown(vk::F2, kCtrlMask);
            if (!h.screen().selcon.visible && !h.screen().again.visible) h.game->tick();
            checkInvariants(h);
            if (::testing::Test::HasFatalFailure()) return;
            if (h.screen().again.visible) { // the match is over
                ++decided;
                h.game->setBoxText(Box::Againput, "y");
                return;
            }
            if (h.screen().selcon.visible) return; // abandoned with Ctrl+F2
        }
        ADD_FAILURE() << "a match neither ended nor was abandoned";
    }

    int decided = 0;

  private:
    int pick(int n) { return int(rng_() % uint32_t(n)); }

    void pressRandomKeys(GameHarness& h, bool aimed) {
        MatchState& st = h.st();
        static const int16_t firstKeys[] = {vk::W, vk::S, vk::Q, vk::E, vk::A, vk::D, vk::X, vk::Z, vk::C};
        for (int p = 0; p < 2; ++p) {
            if (aimed && st.mode == 0 && pick(50) == 0) fireAimed(h, p);
            if (pick(aimed ? 40 : 6) != 0) continue;
            const int16_t key = p == 0 ? firstKeys[pick(9)] : st.keys2[pick(9)];
            h.game->keyDown(key, int16_t(pick(8) == 0 ? kShiftMask : 0));
            if (pick(3) == 0) h.game->keyUp(key);
        }
        if (pick(300000) == 0) h.game->keyDown(vk::F2, kCtrlMask);
        if (pick(50000) == 0) h.game->keyDown(vk::F2, int16_t(kCtrlMask | kShiftMask)); // does nothing
        if ((!aimed || st.mode != 0) && pick(4000) == 0) h.game->keyDown(vk::F2, kCtrlMask);
    }

    // A player who has worked out a shot enters it in the selected slot and launches.
    void fireAimed(GameHarness& h, int p) {
        MatchState& st = h.st();
        const int s = st.slot[p];
        if (st.state[p][s] != 0) return;
        const int enemy = 1 - p, dir = p == 0 ? 1 : -1;
        const double column = 10 + pick(80);
        const double aimX = enemy == 0 ? column : st.basex[1] - column;
        const double x0 = p == 0 ? st.basex[0] + 55 : st.basex[1] - 55;
        st.param[p][s][0] = 150;
        st.param[p][s][1] = float(shellSpeedFor(x0, st.basealt[p] - 10, dir, aimX, st.basealt[enemy] - 20));
        st.param[p][s][2] = 45;
        st.param[p][s][3] = 3;
        h.game->keyDown(p == 0 ? vk::X : st.keys2[6], 0);
    }

    static void checkInvariants(GameHarness& h) {
        const MatchState& st = h.st();
        const int m = int(st.mode);
        auto in = [](int v, int lo, int hi) { return v >= lo && v <= hi; };
        ASSERT_TRUE((st.mode == 0 || st.mode == 1) && in(st.turn, 0, 1) && in(st.over, 0, 2));
        ASSERT_TRUE(in(st.trailn, 1, 20000)) << st.trailn;
        for (int p = 0; p < 2; ++p) {
            ASSERT_TRUE(in(st.phase[p], 0, 7) && in(st.wins[p], 0, 5) && in(st.damage[p], 0, 100));
            ASSERT_TRUE(in(st.slot[p], 0, 4) && in(st.cursor[p], 0, 2 * m + 3) && in(st.lastrow[p], 0, 5));
            ASSERT_TRUE(in(st.place[p], 0, st.maxplace[m][st.cursor[p]]) && in(st.lastshown[p], -1, 4));
            for (int s = 0; s < kSlots; ++s) {
                ASSERT_TRUE(in(st.state[p][s], 0, 100) && in(st.target[p][s], 0, 3)) << st.state[p][s];
                for (int k = 0; k < 2 * m + 3; ++k) ASSERT_TRUE(st.param[p][s][k] >= 0 && st.param[p][s][k] <= st.maxval[m][k]);
                ASSERT_TRUE(std::isfinite(st.px[p][s]) && std::isfinite(st.py[p][s]));
            }
            for (int16_t c : st.cells[p]) ASSERT_TRUE(in(c, 0, 1));
        }
        // The 16-bit drawing y of the last slot moved is its true value held in range, never wrapped
        // (unless the tick ended the match, which stops the slot loop early).
        const int last = st.state[st.turn][4];
        if ((last == 1 || last == 2) && st.over == 0 && !h.screen().selcon.visible) {
            const double y = double(st.groundy) - std::floor(double(st.py[st.turn][4] * st.scale));
            ASSERT_EQ(st.sy, int16_t(std::clamp(y, -32768.0, 32767.0)));
        }
    }

    std::mt19937 rng_;
};

class SoakShard : public ::testing::TestWithParam<int> {};

} // namespace

TEST_P(SoakShard, RandomHandsPlayWholeMatchesWithinBounds) {
    GameHarness h(" 0 \r\n10\r\n");
    h.start();
    h.game->seed(1000u + uint32_t(GetParam()));
    Soak soak(7919u * uint32_t(GetParam() + 1));
    for (int match = 0; match < kMatchesPerShard; ++match) {
        soak.playMatch(h);
        if (HasFatalFailure()) FAIL() << "match " << match;
        ASSERT_TRUE(h.screen().selcon.visible);
    }
    RecordProperty("decided", soak.decided);
    EXPECT_GE(soak.decided, kMatchesPerShard / 10) << "too few matches were played to the end";
}

INSTANTIATE_TEST_SUITE_P(Seeds, SoakShard, ::testing::Range(0, kShards));
