// Flight: loading, launch, the equations of motion with and without air, rockets on the pad, the
// trail ring, and projectiles far outside the picture.

#include <gtest/gtest.h>

#include <cmath>

#include "sim_fixture.h"

using namespace kestrum;
using namespace kestrum::testing;

namespace {

constexpr double kDt = 0.03;
constexpr double kG = 9.8;
constexpr double kRad = 3.14159265358979 / 180;

} // namespace

TEST(Flight, ShellWithoutAirIsTheSemiImplicitEulerCurveOfGravity) {
    SimMatch h("1", "n", "n");
    MatchState& st = h.st();
    // Charge 100 loads for 2 s: 66 steps leave 0.02 s, the 67th fires.
    h.place(0, 2, {100, 150, 60, 2});
    const double x0 = st.px[0][2];
    const float y0 = st.py[0][2];
    for (int n = 1; n < 67; ++n) {
        h.stepOf(0);
        ASSERT_EQ(st.state[0][2], 1);
        ASSERT_NEAR(st.param[0][2][3], 2 - n * kDt, 1e-5) << n;
        ASSERT_EQ(st.px[0][2], x0);
        ASSERT_EQ(st.py[0][2], y0);
        ASSERT_EQ(st.vy[0][2], 0.0f);
    }

    // The firing step: launch velocity, no gravity yet, position moved once with it.
    h.stepOf(0);
    EXPECT_EQ(st.param[0][2][3], 0.0f);
    const double vx0 = 150 * std::cos(60 * kRad), vy0 = 150 * std::sin(60 * kRad);
    EXPECT_NEAR(st.vx[0][2], vx0, 1e-4);
    EXPECT_NEAR(st.vy[0][2], vy0, 1e-4);
    EXPECT_EQ(st.ay[0][2], 0.0f);
    EXPECT_NEAR(st.py[0][2], y0 + kDt * vy0, 1e-3);

    // From then on: v_n = v0 - (n - 1) g dt, y_n = y0 + dt * (v_1 + ... + v_n), x moves evenly.
    double sumV = vy0;
    int n = 1;
    while (st.state[0][2] == 1) {
        h.stepOf(0);
        ++n;
        if (st.state[0][2] != 1) break; // burst: the position is the impact's business
        const double v = vy0 - (n - 1) * kG * kDt;
        sumV += v;
        ASSERT_NEAR(st.vy[0][2], v, 2e-4 * n) << n;
        ASSERT_NEAR(st.py[0][2], y0 + kDt * sumV, 2e-4 * n) << n;
        ASSERT_NEAR(st.px[0][2], x0 + n * kDt * vx0, 1e-6 * n) << n;
        ASSERT_EQ(st.ay[0][2], -9.8f);

        if (n == 40) {
            // Trail point drawn where the shell is; its label 5 pixels ahead along the motion,
            // above it while it climbs.
            EXPECT_EQ(st.trailx[h.trailEntry(2)], st.sx);
            EXPECT_EQ(st.traily[h.trailEntry(2)], st.sy);
            EXPECT_EQ(h.game->field().surfaceAt(int(st.sx), st.sy), colour::trail);
            const double speed = std::hypot(st.vx[0][2], double(st.vy[0][2]));
            const Rect& label = h.screen().orbitnumber[2].rect;
            EXPECT_EQ(label.left, int(std::floor(st.sx + 5 * st.vx[0][2] / speed)));
            EXPECT_EQ(label.top, int(std::floor(st.sy - 5 * st.vy[0][2] / speed - 10)));
        }
    }
    // A range of about 1990 m: a long flight, then a burst.
    EXPECT_GT(n, 300);
    EXPECT_GE(st.state[0][2], 3);
}

TEST(Flight, ShellWithoutLoadingTimeFallsFromTheLaunchPoint) {
    SimMatch h("1", "n", "n");
    MatchState& st = h.st();
    h.place(1, 0, {100, 150, 60, 0});
    const double x0 = st.px[1][0];
    int n = 0;
    while (st.state[1][0] == 1 && n < 1000) {
        h.stepOf(1);
        ++n;
        ASSERT_EQ(st.px[1][0], x0);
        ASSERT_EQ(st.vx[1][0], 0.0);
        if (st.state[1][0] == 1) {
            ASSERT_NEAR(st.vy[1][0], -n * kG * kDt, 1e-4 * n);
        }
    }
    EXPECT_GE(st.state[1][0], 3);
    EXPECT_EQ(st.px[1][0], x0);
}

TEST(Flight, AirResistanceFollowsVelocityAndChargeToThePowerOfTwoThirdsRoughly) {
    // Shell: drag -0.004 * A * v with A = charge^0.66666 (not 2/3: 125^(2/3) would be 25 exactly).
    {
        SimMatch h("1", "y", "n");
        MatchState& st = h.st();
        h.place(0, 0, {125, 300, 45, 0});
        st.px[0][0] = 1000;
        st.py[0][0] = 400;
        st.vx[0][0] = 100;
        st.vy[0][0] = 50;
        h.stepOf(0);
        const double a = std::pow(125.0, 0.66666);
        const double vx = 100 - 0.004 * a * 100 * kDt, vy = 50 + (-0.004 * a * 50 - kG) * kDt;
        EXPECT_NEAR(st.vx[0][0], vx, 1e-7);
        EXPECT_GT(std::abs(vx - (100 - 0.004 * 25 * 100 * kDt)), 1e-6); // the check tells the two apart
        EXPECT_NEAR(st.vy[0][0], vy, 1e-4);
        EXPECT_NEAR(st.px[0][0], 1000 + vx * kDt, 1e-7);
        EXPECT_NEAR(st.py[0][0], 400 + vy * kDt, 1e-4);
    }
    // Rocket of the right player in flight: thrust from the fuel left after this step's burn, drag
    // with A = (launch fuel + charge)^0.66666, heading left.
    {
        SimMatch h("2", "y", "n");
        MatchState& st = h.st();
        h.place(1, 3, {100, 500, 50, 2000, 60, 600});
        st.state[1][3] = 2;
        st.px[1][3] = 1000;
        st.py[1][3] = 400;
        st.vx[1][3] = -100;
        st.vy[1][3] = 50;
        h.stepOf(1);
        EXPECT_EQ(st.param[1][3][1], 498.5f);
        const double thrust = 50.0 * 2000 / (498.5 + 100), a = std::pow(600.0, 0.66666);
        const double ax = -thrust * std::cos(60 * kRad) - 0.002 * a * -100;
        const double ay = thrust * std::sin(60 * kRad) - kG - 0.002 * a * 50;
        EXPECT_NEAR(st.vx[1][3], -100 + ax * kDt, 1e-5);
        EXPECT_NEAR(st.vy[1][3], 50 + ay * kDt, 1e-3);
        EXPECT_EQ(st.state[1][3], 2);
    }
}

TEST(Flight, RocketsLiftOffOnlyAboveGravityAndBurnOutWithoutThrust) {
    SimMatch h("2", "n", "y");
    MatchState& st = h.st();
    // Too weak to lift: stands still, and when the fuel is gone it is back in the rack, silently.
    h.place(0, 1, {100, 10, 100, 1, 45, 110});
    const double x0 = st.px[0][1];
    const float y0 = st.py[0][1];
    for (int n = 1; n <= 4; ++n) {
        h.stepOf(0);
        ASSERT_EQ(st.px[0][1], x0);
        ASSERT_EQ(st.py[0][1], y0);
        // At rest the label's corner is on the rocket itself.
        ASSERT_EQ(h.screen().orbitnumber[1].rect.left, int(st.sx));
        ASSERT_EQ(h.screen().orbitnumber[1].rect.top, st.sy);
        if (n < 4) {
            ASSERT_EQ(st.state[0][1], 1);
            ASSERT_NEAR(st.param[0][1][1], 10 - 3 * n, 1e-4);
        }
    }
    EXPECT_EQ(st.state[0][1], 0);
    EXPECT_EQ(st.param[0][1][1], 10.0f); // refilled
    EXPECT_EQ(st.lastshown[0], -1);
    EXPECT_TRUE(h.screen().orbitnumber[1].visible);
    EXPECT_FALSE(h.game->field().explosion[1].visible);
    EXPECT_TRUE(h.sound.played.empty());

    // Strong: lifts off on the first step without moving yet; climbs from the second.
    h.place(0, 2, {100, 1000, 100, 2000, 90, 1100});
    h.stepOf(0);
    EXPECT_EQ(st.state[0][2], 2);
    EXPECT_EQ(st.vy[0][2], 0.0f);
    h.stepOf(0);
    EXPECT_NEAR(st.vy[0][2], (100.0 * 2000 / (994 + 100) - kG) * kDt, 1e-3);

    // Fuel for one step only: lifts off, and on the step the fuel runs out the thrust is already 0.
    h.place(0, 3, {100, 6, 100, 2000, 90, 106});
    h.stepOf(0);
    EXPECT_EQ(st.state[0][3], 2);
    h.stepOf(0);
    EXPECT_EQ(st.param[0][3][1], 0.0f);
    EXPECT_NEAR(st.vy[0][3], -kG * kDt, 1e-6);
}

TEST(Flight, TrailRingErasesOnePointPerSlotAndWraps) {
    SimMatch h("1", "n", "n");
    MatchState& st = h.st();
    Battlefield& f = h.game->field();
    // Five old points at the end and the start of the ring, and one in the unused entry 0.
    const int entries[] = {20000, 1, 2, 3, 4};
    for (int k = 0; k < 5; ++k) {
        st.trailx[entries[k]] = 100 + 10 * k;
        st.traily[entries[k]] = 50;
        f.setPoint(100 + 10 * k, 50, colour::trail);
    }
    st.trailx[0] = 300;
    st.traily[0] = 50;
    f.setPoint(300, 50, colour::trail);
    st.trailn = 19999;

    h.game->tick(); // every slot idle: each still takes one step around the ring
    EXPECT_EQ(st.trailn, 4);
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(f.surfaceAt(100 + 10 * k, 50), colour::screenCyan) << k;
    EXPECT_EQ(f.surfaceAt(300, 50), colour::trail);
}

TEST(Flight, StraightUpAtFullSpeedLeavesThe16BitRangeAndStillReadsAsSky) {
    // 500 m between the bases: 1.584 pixels per metre, so 73 km up is some 116000 pixels above.
    SimMatch h("1", "n", "n", false, 500);
    MatchState& st = h.st();
    h.place(0, 0, {150, 1200, 90, 0.03f});
    const double x0 = st.px[0][0];
    float highest = 0;
    int16_t lowestY = 0, lowestLabel = 0;
    int steps = 0;
    while (st.state[0][0] == 1 && steps < 20000) {
        h.stepOf(0);
        ++steps;
        if (st.state[0][0] != 1) break;
        highest = std::max(highest, st.py[0][0]);
        lowestY = std::min(lowestY, st.sy);
        lowestLabel = int16_t(std::min<int>(lowestLabel, h.screen().orbitnumber[0].rect.top));
        if (st.sy == -32768) {
            ASSERT_EQ(st.traily[h.trailEntry(0)], -32768);
        }
    }
    EXPECT_GT(highest, 70000.0f);
    EXPECT_EQ(lowestY, -32768);
    EXPECT_EQ(lowestLabel, -32768);
    // Up and down again in about 245 s, bursting where it started.
    EXPECT_GT(steps, 8000);
    EXPECT_GE(st.state[0][0], 3);
    EXPECT_NEAR(st.px[0][0], x0, 1.0);
    EXPECT_LT(st.py[0][0], st.basealt[0]);
}

TEST(Flight, WhatLiesInTheWay) {
    SimMatch h("1", "n", "n");
    MatchState& st = h.st();
    // Beyond the left edge of the picture: sky, until the altitude drops below 0; then it bursts on
    // the zero line, and the point of that step is still stored.
    h.place(0, 0, {150, 100, 45, 0});
    st.px[0][0] = -200;
    st.py[0][0] = 1;
    st.vy[0][0] = -100;
    h.stepOf(0);
    EXPECT_EQ(st.state[0][0], 39);
    EXPECT_EQ(st.target[0][0], 2);
    EXPECT_EQ(st.py[0][0], 0.0f);
    EXPECT_FALSE(h.screen().orbitnumber[0].visible);
    EXPECT_EQ(st.trailx[h.trailEntry(0)], std::floor(0.396f * -200.0));

    // A running fireball is solid ground for everyone else.
    h.place(1, 4, {150, 100, 45, 0});
    st.px[1][4] = 1000;
    st.py[1][4] = 300;
    st.state[1][4] = 60;
    h.stepOf(1); // draws the fireball (60 m, 23 pixels) around (1000 m, 300 m)
    ASSERT_TRUE(h.game->field().explosion[9].visible);
    h.place(0, 1, {20, 100, 45, 0});
    st.px[0][1] = 1000;
    st.py[0][1] = 300;
    h.stepOf(0);
    EXPECT_EQ(st.target[0][1], 2);
    EXPECT_EQ(st.state[0][1], 23); // charge 20: Int(4580^0.33333) + 7
}
