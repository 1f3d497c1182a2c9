// Whole matches through the entry points: two scripted gunners aim and fire until one has won five rounds.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "sim_fixture.h"

using namespace kestrum;
using namespace kestrum::testing;

namespace {

// A whole-number angle and speed that come down within 5 m of the aim point; speed 0 if none.
std::pair<int, int> aim(double x0, double y0, int dir, double aimX, double aimY) {
    std::pair<int, int> best{0, 0};
    double bestMiss = 5;
    for (int angle = 15; angle <= 75; ++angle)
        for (int speed = speedFor(x0, y0, dir, angle, aimX, aimY), k = 0; k < 2; ++k, --speed)
            if (const double miss = std::abs(overshoot(x0, y0, dir, angle, speed, aimX, aimY));
                miss < bestMiss)
                bestMiss = miss, best = {angle, speed};
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
                float* param = st.param[p][s];
                st.slot[p] = int16_t(s), param[0] = 150, param[1] = float(speed), param[2] = float(angle),
                param[3] = 3;
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
    EXPECT_TRUE(h.platform.tickInterval == 0 && h.screen().focus == Focus::Againput);
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
    EXPECT_TRUE(h.screen().selcon.visible && h.screen().focus == Focus::Selw &&
                h.game->field().texts().empty());
    h.answer("1", "n", "n");
    EXPECT_EQ(h.screen().score[0].caption + h.screen().score[1].caption, "00");
    ASSERT_NO_FATAL_FAILURE(playMatch(h));
    h.game->setBoxText(Box::Againput, "n");
    EXPECT_EQ(h.platform.quitCalls * 10 + h.platform.quitStatus, 10);
}

TEST(Match, TickPeriodBelowOneRunsAtOneAndAnUnnamedKeyIsNobodys) {
    // A period of 0 would stop the timer for good; below 1 the match runs as fast as a timer can.
    SimMatch h;
    h.st().opeval = 0;
    h.answer("1", "n", "n");
    EXPECT_EQ(h.platform.tickInterval, 1);

    // Before the settings name the second player's keys their table is all zeros: a key the window
    // could not name (code 0) must not act as any of that player's keys.
    SimMatch loose("1");
    std::fill(std::begin(loose.st().keys2), std::end(loose.st().keys2), int16_t(0));
    loose.st().cursor[1] = 2;
    loose.game->keyDown(0, 0);
    EXPECT_EQ(loose.st().cursor[1], 2) << "code 0 moved the cursor up";
}
