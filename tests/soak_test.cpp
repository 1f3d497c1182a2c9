// Whole matches with random hands on the keys, checking the match state's ranges after every tick and the
// result of every match played to the end.
// Under the sanitizer build it also checks memory and undefined behaviour on every path reached.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "settings/config_file.h"
#include "sim_fixture.h"

using namespace kestrum;
using namespace kestrum::testing;
using namespace std::string_literals;

namespace {

// Shards from 100 on put the computer on the second seat (strengths 1..3 by turns) against random hands.
struct SoakShard : ::testing::TestWithParam<int> {
    const bool computerSeat = GetParam() >= 100;
    GameHarness h{configText(0, "10", computerSeat ? GetParam() % 3 + 1 : 0)};
    std::mt19937 rng{7919u * uint32_t(GetParam() + 1)};
    int decided = 0;
    float fuel[2][kSlots] = {}; // of each rocket up after the last tick, -1 for none

    int pick(int n) { return int(rng() % uint32_t(n)); }

    // One match: answered at random; most have gunners (shells aimed, rockets anyhow), the rest only mash
    // keys, until they give up.
    void playMatch() {
        const char* yn[] = {"y", "n", "Y", "N"};
        h.answer(pick(2) ? "2" : "1", yn[pick(4)], yn[pick(4)]);
        ASSERT_EQ(
            std::tuple(h.screen().selcon.visible, h.screen().score[0].caption, h.screen().score[1].caption),
            std::tuple(false, "0"s, "0"s));
        const bool aimed = pick(4) != 0;
        std::fill_n(&fuel[0][0], 2 * kSlots, -1.0f);
        // Against the computer a match takes a while: the first player is slower to give up.
        const long patience = computerSeat       ? 200000 + pick(40000)
                              : h.st().mode == 1 ? 10000 + pick(10000)
                                                 : 20000 + pick(40000);
        for (long t = 0; t < 1000000; ++t) {
            pressRandomKeys(aimed);
            if (t == patience) h.game->keyDown(vk::F2, kCtrlMask);
            if (!h.screen().selcon.visible && !h.screen().again.visible) h.game->tick();
            checkInvariants();
            if (HasFatalFailure()) return;
            if (h.screen().again.visible)
                return ++decided, checkResult(), h.game->setBoxText(Box::Againput, "y");
            if (h.screen().selcon.visible) return; // abandoned with Ctrl+F2
        }
        ADD_FAILURE() << "a match neither ended nor was abandoned";
    }

    void pressRandomKeys(bool aimed) {
        MatchState& st = h.st();
        static const int16_t firstKeys[] = {vk::W, vk::S, vk::Q, vk::E, vk::A, vk::D, vk::X, vk::Z, vk::C};
        for (int p = 0; p < (computerSeat ? 1 : 2); ++p) {
            if (aimed && pick(50) == 0) fire(p);
            if (pick(aimed ? 40 : 6) != 0) continue;
            const int16_t key = p == 0 ? firstKeys[pick(9)] : st.keys2[pick(9)];
            h.game->keyDown(key, int16_t(pick(8) == 0 ? kShiftMask : 0));
            if (pick(3) == 0) h.game->keyUp(key);
        }
        if (pick(300000) == 0) h.game->keyDown(vk::F2, kCtrlMask);
        if (pick(50000) == 0) h.game->keyDown(vk::F2, int16_t(kCtrlMask | kShiftMask)); // does nothing
        if (!computerSeat && !aimed && pick(4000) == 0) h.game->keyDown(vk::F2, kCtrlMask);
    }

    // A gunner enters a shot in the selected slot and launches: a shell on a worked-out 45-degree parabola,
    // or a rocket with any mix of charge, fuel, burn rate, jet speed and angle, weak ones too.
    void fire(int p) {
        MatchState& st = h.st();
        float* param = st.param[p][st.slot[p]];
        if (st.state[p][st.slot[p]] != 0) return;
        if (st.mode == 1) {
            for (int k = 0; k < 5; ++k)
                param[k] = float(1 + pick(std::array{350, 3000, 300, 5100, 90}[size_t(k)]));
            return h.game->keyDown(p == 0 ? vk::Z : st.keys2[7], 0);
        }
        const int column = 10 + pick(80), enemy = 1 - p;
        const double aimX = enemy == 0 ? column : st.basex[1] - column,
                     x0 = st.basex[p] + (p == 0 ? 55 : -55);
        param[0] = 150, param[2] = 45, param[3] = 3;
        // The parabola through the aim point: the steps of 0.03 s land within a few metres of it.
        const double dx = std::abs(aimX - x0), dy = st.basealt[enemy] - st.basealt[p] - 10;
        const double speed = std::round(std::sqrt(9.8 * dx * dx / (dx - dy)));
        if (!(speed <= 1200)) return; // out of reach at 45 degrees
        param[1] = float(speed);
        h.game->keyDown(p == 0 ? vk::X : st.keys2[6], 0);
    }

    // Who won, where it is printed, and the score; the tick has stopped and the restart prompt waits.
    void checkResult() {
        const MatchState& st = h.st();
        auto text = [](int x, int y, const char* s) { return PrintedText{x, y, s, 12, 0}; };
        auto title = [&](int p) { return st.wins[p] == 5 ? "勝者" : "敗者"; };
        const std::vector<PrintedText> result =
            st.wins[0] == st.wins[1] ? std::vector{text(288, 300, "引き分け")}
                                     : std::vector{text(272, 400, title(0)), text(496, 400, title(1))};
        EXPECT_EQ(h.game->field().texts(), result);
        EXPECT_EQ(std::tuple(h.screen().score[0].caption, h.screen().score[1].caption,
                             h.platform.tickInterval, h.screen().focus),
                  std::tuple(std::to_string(st.wins[0]), std::to_string(st.wins[1]), 0, Focus::Againput));
    }

    void checkInvariants() {
        const MatchState& st = h.st();
        const int m = int(st.mode);
        // A value outside its range fails by its name.
        auto in = [](const char* name, double v, double lo, double hi) {
            return (v >= lo && v <= hi) ||
                   (ADD_FAILURE() << name << " = " << v << ", not in " << lo << ".." << hi, 0);
        };
        ASSERT_TRUE(in("mode", st.mode, 0, 1) && st.mode == m && in("turn", st.turn, 0, 1) &&
                    in("over", st.over, 0, 2) && in("trailn", st.trailn, 1, 20000));
        for (int p = 0; p < 2; ++p) {
            ASSERT_TRUE(in("phase", st.phase[p], 0, 7) && in("wins", st.wins[p], 0, 5) &&
                        in("damage", st.damage[p], 0, 100) && in("slot", st.slot[p], 0, 4) &&
                        in("cursor", st.cursor[p], 0, 2 * m + 3) && in("lastrow", st.lastrow[p], 0, 5) &&
                        in("place", st.place[p], 0, st.maxplace[m][st.cursor[p]]) &&
                        in("lastshown", st.lastshown[p], -1, 4))
                << "player " << p;
            for (int s = 0; s < kSlots; ++s) {
                ASSERT_TRUE(in("state", st.state[p][s], 0, 100) && in("target", st.target[p][s], 0, 3))
                    << "player " << p << " slot " << s;
                for (int k = 0; k < 2 * m + 3; ++k)
                    ASSERT_TRUE(in("param", st.param[p][s][k], 0, st.maxval[m][k])) << p << s << k;
                ASSERT_TRUE(std::isfinite(st.px[p][s]) && std::isfinite(st.py[p][s]));
                ASSERT_TRUE(st.state[p][s] != 2 || m == 1) << "only rockets fly in state 2";
                const bool flying = m == 1 && (st.state[p][s] == 1 || st.state[p][s] == 2);
                ASSERT_TRUE(!flying || fuel[p][s] < 0 || st.param[p][s][1] <= fuel[p][s])
                    << "fuel only burns";
                fuel[p][s] = flying ? st.param[p][s][1] : -1;
            }
            ASSERT_TRUE(std::ranges::all_of(st.cells[p], [&](int c) { return in("cell", c, 0, 1); }));
        }
        // The last slot moved has its 16-bit drawing y held in range, never wrapped (unless the match ended).
        const int last = st.state[st.turn][4];
        if ((last == 1 || last == 2) && st.over == 0 && !h.screen().selcon.visible) {
            const double y = double(st.groundy) - std::floor(double(st.py[st.turn][4] * st.scale));
            ASSERT_EQ(st.sy, int16_t(std::clamp(y, -32768.0, 32767.0)));
        }
    }
};

} // namespace

TEST_P(SoakShard, RandomHandsPlayWholeMatchesWithinBounds) {
    h.start();
    h.game->seed(1000u + uint32_t(GetParam()));
    const int matches = computerSeat ? 4 : 50;
    for (int match = 0; match < matches; ++match) {
        ASSERT_NO_FATAL_FAILURE(playMatch()) << "match " << match;
        ASSERT_TRUE(h.screen().selcon.visible);
    }
    EXPECT_GE(decided, computerSeat ? 1 : 3) << "too few matches were played to the end";
}

INSTANTIATE_TEST_SUITE_P(Seeds, SoakShard, ::testing::Range(0, 10));
INSTANTIATE_TEST_SUITE_P(ComputerSeat, SoakShard, ::testing::Range(100, 106));
