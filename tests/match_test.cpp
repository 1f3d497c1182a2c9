// Whole matches through the game's entry points: two scripted gunners aim with the laws of the flight,
// fire with their launch keys, and play until one of them has won five rounds.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "game_harness.h"

using namespace kestrum;
using namespace kestrum::testing;

namespace {

constexpr double kDt = 0.03, kG = 9.8, kRad = 3.14159265358979 / 180;

// How far past aimX (along the line of fire) a shell without air comes down through the altitude aimY;
// negative when short. The launch step moves with the launch velocity, gravity acts from the next.
double overshoot(double x0, double y0, int dir, int angle, int speed, double aimX, double aimY) {
    const double vx = speed * std::cos(angle * kRad) * dir;
    double vy = speed * std::sin(angle * kRad), x = x0 + vx * kDt, y = y0 + vy * kDt;
    bool above = y >= aimY;
    while (vy >= 0 || y >= aimY) {
        vy -= kG * kDt, x += vx * kDt, y += vy * kDt;
        above = above || y >= aimY;
    }
    return above ? dir * (x - aimX) : -1e9;
}

// Whole-number angle and speed (what the panel takes) within 5 m of the aim point, tried around the speed
// of the smooth parabola; speed 0 if none.
std::pair<int, int> aim(double x0, double y0, int dir, double aimX, double aimY) {
    std::pair<int, int> best{0, 0};
    double bestMiss = 5;
    for (int angle = 15; angle <= 75; ++angle) {
        const double d = std::abs(aimX - x0), lift = d * std::tan(angle * kRad) - (aimY - y0);
        if (lift <= 0) continue;
        const int v = int(std::lround(d / std::cos(angle * kRad) * std::sqrt(kG / (2 * lift))));
        for (int speed = v - 3; speed <= v + 3; ++speed) {
            const double miss = std::abs(overshoot(x0, y0, dir, angle, speed, aimX, aimY));
            if (miss < bestMiss) bestMiss = miss, best = {angle, speed};
        }
    }
    return best;
}

// Plays to the end: the left gunner fires pairs, the right one single shells, spread over the enemy base.
void playMatch(GameHarness& h) {
    MatchState& st = h.st();
    const int columns[] = {30, 70, 50, 85, 15}; // from the base's outer edge
    int shots[2] = {0, 0};
    for (int t = 0; t < 200000 && h.platform.tickInterval != 0; ++t) {
        for (int p = 0; p < 2; ++p)
            for (int s = 0; s < 2 - p; ++s) {
                if (st.state[p][s] != 0 || !h.game->field().base[1 - p].visible) continue;
                const int dir = p == 0 ? 1 : -1, column = columns[shots[p]++ % 5];
                const double aimX = p == 0 ? st.basex[1] - column : column;
                const auto [angle, speed] =
                    aim(st.basex[p] + 55 * dir, st.basealt[p] - 10, dir, aimX, st.basealt[1 - p] - 16);
                ASSERT_GT(speed, 0) << "no shot reaches " << aimX;
                st.slot[p] = int16_t(s);
                float* param = st.param[p][s];
                param[0] = 150, param[1] = float(speed), param[2] = float(angle), param[3] = 3;
                h.game->keyDown(p == 0 ? vk::X : st.keys2[6], 0);
                ASSERT_EQ(st.state[p][s], 1);
            }
        h.game->tick();
    }
    const std::string left = st.wins[0] == 5 ? "勝者" : "敗者", right = st.wins[1] == 5 ? "勝者" : "敗者";
    EXPECT_EQ(h.game->field().texts(),
              (std::vector<PrintedText>{{272, 400, left, 12, 0}, {496, 400, right, 12, 0}}));
    EXPECT_EQ(h.screen().score[0].caption + h.screen().score[1].caption,
              std::to_string(st.wins[0]) + std::to_string(st.wins[1]));
    EXPECT_EQ(h.platform.tickInterval, 0);
    EXPECT_EQ(h.screen().focus, Focus::Againput);
}

} // namespace

TEST(Match, TwoGunnersPlayToFiveRoundsThenAgainAndThenQuit) {
    GameHarness h;
    h.start();
    h.game->seed(2024);
    h.answer("1", "n", "y");
    ASSERT_NO_FATAL_FAILURE(playMatch(h));
    EXPECT_GE(std::count(h.sound.played.begin(), h.sound.played.end(), SoundId::BigBan), 5);

    // "y": the set-up prompts again, on a cleared battlefield; the second match starts from 0 : 0.
    h.game->setBoxText(Box::Againput, "y");
    EXPECT_TRUE(h.screen().selcon.visible);
    EXPECT_EQ(h.screen().focus, Focus::Selw);
    EXPECT_TRUE(h.game->field().texts().empty());
    h.answer("1", "n", "n");
    EXPECT_EQ(h.screen().score[0].caption + h.screen().score[1].caption, "00");
    ASSERT_NO_FATAL_FAILURE(playMatch(h));
    h.game->setBoxText(Box::Againput, "n");
    EXPECT_EQ(h.platform.quitCalls, 1);
    EXPECT_EQ(h.platform.quitStatus, 0);
}
