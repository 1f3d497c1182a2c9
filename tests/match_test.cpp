// Whole matches through the game's entry points: two scripted gunners aim with the laws of the
// flight, fire with their launch keys, and play until one of them has won five rounds.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "game_harness.h"

using namespace kestrum;
using namespace kestrum::testing;

namespace {

constexpr double kDt = 0.03;
constexpr double kG = 9.8;
constexpr double kRad = 3.14159265358979 / 180;

// A shell's flight without air: the launch step moves with the launch velocity, gravity acts from
// the next. Returns how far past the aim point (along the direction of fire) the shell comes down
// through the aim altitude; negative when short, +inf when it is still above the aim point there.
double overshoot(double x0, double y0, int dir, int angle, int speed, double aimX, double aimY) {
    const double vx = speed * std::cos(angle * kRad) * dir;
    double vy = speed * std::sin(angle * kRad);
    double x = x0 + vx * kDt, y = y0 + vy * kDt;
    bool wasAbove = y >= aimY;
    for (int n = 0; n < 100000; ++n) {
        if (dir * (x - aimX) > 0 && y >= aimY) return std::numeric_limits<double>::infinity();
        vy -= kG * kDt;
        x += vx * kDt;
        y += vy * kDt;
        if (y >= aimY) wasAbove = true;
        if (vy < 0 && y < aimY) return wasAbove ? dir * (x - aimX) : -std::numeric_limits<double>::infinity();
    }
    return -std::numeric_limits<double>::infinity();
}

struct Shot {
    int angle = 0;
    int speed = 0;
    double miss = std::numeric_limits<double>::infinity();
};

// The whole-number angle and speed (what the panel lets a player enter) that come closest.
Shot aim(double x0, double y0, int dir, double aimX, double aimY) {
    Shot best;
    for (int angle = 15; angle <= 75; ++angle) {
        int lo = 1, hi = 1200; // the first speed that is not short
        if (overshoot(x0, y0, dir, angle, hi, aimX, aimY) < 0) continue;
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            if (overshoot(x0, y0, dir, angle, mid, aimX, aimY) < 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        for (int speed : {hi - 1, hi}) {
            const double miss = std::abs(overshoot(x0, y0, dir, angle, speed, aimX, aimY));
            if (miss < best.miss) best = {angle, speed, miss};
        }
    }
    return best;
}

struct Gunners {
    explicit Gunners(GameHarness& h) : h(h) {}

    // Player p fires slot s at its next aim point on the enemy base, with the launch key.
    void fire(int p, int s) {
        MatchState& st = h.st();
        const int enemy = 1 - p, dir = p == 0 ? 1 : -1;
        // Spread the hits over the base: columns counted from its outer edge, a little below the top.
        const int columns[] = {30, 70, 50, 85, 15};
        const int column = columns[next[p]++ % 5];
        const double aimX = enemy == 0 ? column : st.basex[1] - column;
        const double aimY = st.basealt[enemy] - 16;
        const double x0 = p == 0 ? st.basex[0] + 55 : st.basex[1] - 55;
        const Shot shot = aim(x0, st.basealt[p] - 10, dir, aimX, aimY);
        ASSERT_LT(shot.miss, 5.0) << "no shot reaches " << aimX << ", " << aimY;

        st.slot[p] = int16_t(s);
        float* param = st.param[p][s];
        param[0] = 150;
        param[1] = float(shot.speed);
        param[2] = float(shot.angle);
        param[3] = 3;
        const int16_t key = p == 0 ? vk::X : st.keys2[6];
        h.game->keyDown(key, 0);
        h.game->keyUp(key);
        ASSERT_EQ(st.state[p][s], 1);
        ++shots;
    }

    // Plays until the match is over; the left gunner fires pairs, the right one single shells.
    void playMatch() {
        MatchState& st = h.st();
        for (int t = 0; t < 200000 && h.platform.tickInterval != 0; ++t) {
            for (int p = 0; p < 2; ++p)
                for (int s = 0; s < (p == 0 ? 2 : 1); ++s)
                    if (st.state[p][s] == 0 && h.game->field().base[1 - p].visible) {
                        fire(p, s);
                        if (::testing::Test::HasFatalFailure()) return;
                    }
            int16_t before[2][kSlots];
            for (int p = 0; p < 2; ++p)
                for (int s = 0; s < kSlots; ++s)
                    before[p][s] = st.state[p][s];
            h.game->tick();
            // Where did each shell that burst in this tick land?
            for (int p = 0; p < 2; ++p)
                for (int s = 0; s < kSlots; ++s)
                    if ((before[p][s] == 1 || before[p][s] == 2) && st.state[p][s] >= 3)
                        ++landed[p][st.target[p][s]];
        }
    }

    GameHarness& h;
    int next[2] = {0, 0};
    int shots = 0;
    int landed[2][4] = {}; // [shooter][own base, enemy base..., ground] by target code
};

void expectResult(GameHarness& h) {
    const MatchState& st = h.st();
    const auto& texts = h.game->field().texts();
    ASSERT_TRUE(st.wins[0] == 5 || st.wins[1] == 5);
    ASSERT_FALSE(texts.empty());
    if (st.wins[0] == 5 && st.wins[1] == 5) {
        EXPECT_EQ(texts, (std::vector<PrintedText>{{288, 300, "引き分け", 12, 0}}));
    } else {
        const char* left = st.wins[0] == 5 ? "勝者" : "敗者";
        const char* right = st.wins[0] == 5 ? "敗者" : "勝者";
        EXPECT_EQ(texts, (std::vector<PrintedText>{{272, 400, left, 12, 0}, {496, 400, right, 12, 0}}));
    }
    EXPECT_EQ(h.screen().score[0].caption, std::to_string(st.wins[0]));
    EXPECT_EQ(h.screen().score[1].caption, std::to_string(st.wins[1]));
    EXPECT_EQ(h.platform.tickInterval, 0);
    EXPECT_TRUE(h.screen().again.visible);
    EXPECT_EQ(h.screen().focus, Focus::Againput);
    EXPECT_EQ(h.game->boxText(Box::Againput), "");
}

} // namespace

TEST(Match, TwoGunnersPlayToFiveRoundsThenAgainAndThenQuit) {
    GameHarness h;
    h.start();
    h.game->seed(2024);
    h.answer("1", "n", "y");
    Gunners g(h);

    g.playMatch();
    expectResult(h);
    // Every round ended with a base blown up by the enemy's fire.
    EXPECT_EQ(g.landed[0][0], 0);
    EXPECT_EQ(g.landed[1][1], 0);
    EXPECT_GE(g.landed[0][1] + g.landed[1][0], 10);
    EXPECT_GE(std::count(h.sound.played.begin(), h.sound.played.end(), SoundId::BigBan), 5);

    // Game keys do nothing while the restart prompt has the focus.
    const int16_t before = h.st().state[0][0];
    h.game->keyDown(vk::X, 0);
    EXPECT_EQ(h.st().state[0][0], before);

    // "y": the set-up prompts again, on a cleared battlefield.
    h.game->setBoxText(Box::Againput, "y");
    EXPECT_TRUE(h.screen().selcon.visible);
    EXPECT_FALSE(h.screen().again.visible);
    EXPECT_EQ(h.screen().focus, Focus::Selw);
    EXPECT_TRUE(h.game->field().texts().empty());

    // A second match starts from 0 : 0 and is played out too; then "n" ends the program.
    h.answer("1", "n", "n");
    EXPECT_EQ(h.screen().score[0].caption, "0");
    EXPECT_EQ(h.platform.tickInterval, 10);
    g.playMatch();
    expectResult(h);
    EXPECT_EQ(h.platform.quitCalls, 0);
    h.game->setBoxText(Box::Againput, "n");
    EXPECT_EQ(h.platform.quitCalls, 1);
    EXPECT_EQ(h.platform.quitStatus, 0);
}
