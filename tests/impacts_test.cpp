// Impacts: explosion sizes and frames, damage columns, bases blowing up, rounds and the match decision.

#include <gtest/gtest.h>

#include "sim_fixture.h"

using namespace kestrum;
using namespace kestrum::testing;

// An explosion of slot s on `target` that ends on its player's next step.
static void endingBlast(SimMatch& h, int p, int s, int16_t target) {
    h.place(p, s, {150, 100, 45, 3}), h.st().state[p][s] = 9, h.st().target[p][s] = target;
}

TEST(Impacts, ExplosionSizeFollowsTheChargeAndShrinksTenMetresAStep) {
    SimMatch h("1");
    MatchState& st = h.st();
    // Ground hits beyond the left edge. 372 tells the exponent 0.33333 from a true third (51).
    const float cases[][2] = {{1, 13}, {150, 39}, {350, 50}, {372, 50}, {2500, 90}};
    for (int s = 0; s < 5; ++s)
        h.place(0, s, {cases[s][0], 100, 45, 0}), st.px[0][s] = -100, st.py[0][s] = 0.5f, st.vy[0][s] = -100;
    h.stepOf(0);
    for (int s = 0; s < 5; ++s)
        EXPECT_TRUE(st.state[0][s] == cases[s][1] && st.target[0][s] == 2) << cases[s][0];
    const Sprite& e = h.game->field().explosion[1]; // charge 150: drawn at 39, 29, 19 m, re-armed at 9
    for (int k = 0; k < 4; ++k) {                   // Int(D * 0.396) pixels
        h.stepOf(0);
        EXPECT_EQ(std::pair(int(st.state[0][1]), e.visible ? e.width : 0),
                  k < 3 ? std::pair(29 - 10 * k, 15 - 4 * k) : std::pair(0, 0))
            << k;
    }
}

TEST(Impacts, ReArmingRestoresTheLaunchCopyWithHalvesToEven) {
    SimMatch h("1");
    MatchState& st = h.st();
    for (int p = 0; p < 2; ++p) { // launched; the explosion ends on the next step
        h.place(p, 0, {100, 100, 45, p == 0 ? 2.5f : 1.5f}), st.state[p][0] = 0;
        h.press(p == 0 ? vk::X : st.keys2[6]), st.state[p][0] = 9, st.target[p][0] = 2;
    }
    h.stepOf(1), h.stepOf(0);
    EXPECT_EQ(std::pair(st.param[0][0][3], st.param[1][0][3]), std::pair(2.0f, 2.0f));
}

TEST(Impacts, BaseHitDestroysTheColumnsUnderTheBlast) {
    SimMatch h("1", "n", "n", true);
    MatchState& st = h.st();
    // R = 19.5 m: 10 m from the left base's edge; 12 m below the right one's bottom, a 15.37 m half-chord.
    h.place(1, 0, {150, 100, 45, 1}), st.px[1][0] = 10, st.py[1][0] = float(st.basealt[0] - 29);
    h.place(0, 0, {150, 100, 45, 1}), st.px[0][0] = st.basex[1] - 10, st.py[0][0] = float(st.basealt[1] - 44);
    h.stepOf(1), h.stepOf(0);
    for (int b = 0; b < 2; ++b)
        for (int c = 0; c < 100; ++c)
            EXPECT_EQ(st.cells[b][c], c <= (b == 0 ? 29 : 25) ? 1 : 0) << b << ": " << c;
}

TEST(Impacts, SeventyPercentBlowsABaseUpOnceAndDecidesTheRound) {
    SimMatch h("1", "n", "y");
    MatchState& st = h.st();
    const Battlefield& f = h.game->field();
    auto played = [&](SoundId id) { return std::count(h.sound.played.begin(), h.sound.played.end(), id); };
    std::fill_n(st.cells[1], 69, int16_t(1)), endingBlast(h, 0, 0, 1), h.stepOf(0);
    EXPECT_EQ(std::tuple(st.state[0][0], st.wins[0], f.base[1].visible), std::tuple(0, 0, true));

    // Two blasts end on it at 70 %: the second only re-arms, with the small sound.
    st.cells[1][69] = 1, endingBlast(h, 0, 3, 1), endingBlast(h, 0, 4, 1), h.stepOf(0);
    EXPECT_EQ(std::tuple(st.wins[0], st.state[0][3], st.target[0][3]), std::tuple(1, 100, 3));
    EXPECT_EQ(std::tuple(st.state[0][4], played(SoundId::Ban), f.base[1].visible), std::tuple(0, 2, false));
    for (int s = 0; s < 3; ++s) // edited, or a rocket's fuel burnt: the new round restores the launch copy
        st.param[1][s][1] = 0.5f, st.setv[1][s][1] = int16_t(100 + s), st.param[0][s][0] = 0.5f;
    // Frames 100, 90, ..., 10: the round ends, with the big sound, on the step that draws 10.
    for (int d = 100; d >= 10; d -= 10) {
        h.stepOf(0);
        EXPECT_EQ(std::pair(int(played(SoundId::BigBan)), f.explosion[3].width * f.explosion[3].visible),
                  std::pair(int(d == 10), d > 10 ? int(d * 0.396f) : 0))
            << d;
    }
    EXPECT_EQ(std::tuple(f.base[1].visible, st.damage[1], st.state[0][3]),
              std::tuple(true, 0, 0)); // new round
    for (int i = 0; i < 2 * kSlots; ++i)
        EXPECT_TRUE(std::ranges::equal(st.param[i / kSlots][i % kSlots], st.setv[i / kSlots][i % kSlots]))
            << i;

    // Wrecking the own base gives the round away; both reaching five is a draw.
    st.wins[0] = st.wins[1] = 4;
    for (int b = 0; b < 2; ++b) // the second on the shooter's own base
        std::fill_n(st.cells[b], 70, int16_t(1)), endingBlast(h, 0, b, int16_t(1 - b));
    h.stepOf(0);
    ASSERT_EQ(std::pair(st.wins[0], st.wins[1]), std::pair(int16_t(5), int16_t(5)));
    for (int k = 0; k < 10; ++k)
        h.stepOf(0);
    EXPECT_EQ(f.texts(), (std::vector<PrintedText>{{288, 300, "引き分け", 12, 0}}));
    EXPECT_EQ(played(SoundId::BigBan), 2); // one per round: not the second base's
}
