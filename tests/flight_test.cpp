// Flight: loading, launch, motion with and without air, rockets on the pad, the trail ring, high shots.

#include <gtest/gtest.h>

#include <algorithm>

#include "sim_fixture.h"

using namespace kestrum;
using namespace kestrum::testing;

TEST(Flight, ShellWithoutAirFollowsTheClosedFormOfItsSteps) {
    SimMatch h("1");
    MatchState& st = h.st();
    h.place(0, 2, {100, 150, 60, 2}); // 66 steps leave 0.02 s of loading, the 67th fires
    const double x0 = st.px[0][2], y0 = st.py[0][2];
    for (int n = 1; n < 67; ++n) {
        h.stepOf(0);
        ASSERT_TRUE(st.px[0][2] == x0 && st.py[0][2] == y0) << n;
    }
    const double vx0 = 150 * std::cos(60 * kRad), vy0 = 150 * std::sin(60 * kRad);
    int n = 1; // steps since the launch step: v = v0 - (n - 1) g dt, and y sums those velocities
    for (h.stepOf(0); st.state[0][2] == 1 && n < 2000; h.stepOf(0), ++n) {
        ASSERT_NEAR(st.vy[0][2], vy0 - (n - 1) * kG * kDt, 2e-4 * n) << n;
        ASSERT_NEAR(st.py[0][2], y0 + kDt * (n * vy0 - kG * kDt * n * (n - 1) / 2), 2e-4 * n) << n;
        ASSERT_NEAR(st.px[0][2], x0 + n * kDt * vx0, 1e-6 * n) << n;
    }
    EXPECT_GT(n, 300); // some 1990 m downrange
    EXPECT_GE(st.state[0][2], 3);

    // No loading time: never launched, it drops from where it stands.
    h.place(1, 0, {100, 150, 60, 0});
    for (n = 1, h.stepOf(1); st.state[1][0] == 1 && n < 1000; h.stepOf(1), ++n) {
        ASSERT_EQ(st.px[1][0], st.basex[1] - 55);
        ASSERT_NEAR(st.vy[1][0], -n * kG * kDt, 1e-4 * n);
    }
    EXPECT_GE(st.state[1][0], 3);
}

TEST(Flight, AirDragUsesTheChargeToThePower066666) {
    SimMatch h("1", "y", "n");
    MatchState& st = h.st();
    h.place(0, 0, {125, 300, 45, 0});
    st.px[0][0] = 1000, st.py[0][0] = 400, st.vx[0][0] = 100, st.vy[0][0] = 50;
    h.stepOf(0);
    const double a = std::pow(125.0, 0.66666); // a true 2/3 would give 25 exactly
    EXPECT_NEAR(st.vx[0][0], 100 - 0.004 * a * 100 * kDt, 1e-7);
    EXPECT_NEAR(st.vy[0][0], 50 + (-0.004 * a * 50 - kG) * kDt, 1e-4);
}

TEST(Flight, RocketTooWeakToLiftIsReArmedSilentlyWhenItsFuelIsGone) {
    SimMatch h("2", "n", "y");
    MatchState& st = h.st();
    h.place(0, 1, {100, 10, 100, 1, 45, 110}); // burns 3 kg a step; never above 9.8 m/s² of lift
    const double x0 = st.px[0][1], y0 = st.py[0][1];
    for (int n = 1; n <= 4; ++n) {
        h.stepOf(0);
        ASSERT_TRUE(st.px[0][1] == x0 && st.py[0][1] == y0) << n;
        ASSERT_EQ(st.state[0][1], n < 4 ? 1 : 0) << n;
    }
    EXPECT_EQ(st.param[0][1][1], 10.0f); // refilled from the launch copy
    EXPECT_TRUE(!h.game->field().explosion[1].visible && h.sound.played.empty());
}

TEST(Flight, TrailRingWrapsAndIdleSlotsStillErase) {
    SimMatch h("1");
    MatchState& st = h.st();
    const int entries[] = {20000, 1, 2, 3, 4, 0}; // entry 0 lies outside the ring
    for (int k = 0; k < 6; ++k)
        st.trailx[entries[k]] = 100 + 10 * k, st.traily[entries[k]] = 50,
        h.game->field().setPoint(100 + 10 * k, 50, colour::trail);
    st.trailn = 19999;
    h.game->tick(); // every slot idle
    EXPECT_EQ(st.trailn, 4);
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(h.game->field().point(100 + 10 * k, 50),
                  int64_t(k < 5 ? colour::screenCyan : colour::trail));
}

TEST(Flight, ShotFarAboveThePictureClampsItsDrawingYAndReadsAsSky) {
    SimMatch h("1", "n", "n", false, 500); // 1.584 pixels per metre: 73 km up is ~116000 pixels
    MatchState& st = h.st();
    h.place(0, 0, {150, 1200, 90, 0.03f});
    int lowestY = 0, steps = 0;
    for (h.stepOf(0); st.state[0][0] == 1 && steps < 20000; h.stepOf(0), ++steps) {
        lowestY = std::min<int>({lowestY, st.sy, h.screen().orbitnumber[0].rect.top});
        ASSERT_TRUE(st.sy != -32768 || st.traily[h.trailEntry(0)] == -32768); // the trail keeps it too
    }
    EXPECT_EQ(lowestY, -32768);
    EXPECT_GT(steps, 8000); // up and down again in about 245 s, bursting where it started
    EXPECT_GE(st.state[0][0], 3);
}
