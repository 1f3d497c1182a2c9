#include <gtest/gtest.h>

#include <algorithm>

#include "sim_fixture.h"

using namespace kestrum;
using namespace kestrum::testing;

TEST(Layout, DesignSizeExampleDigitForDigit) {
    SimMatch h;
    h.round(0.6f, 0.395f, 0.0f);
    const MatchState& st = h.st();
    const Battlefield& f = h.game->field();
    EXPECT_EQ(std::tuple(st.basex[1], st.scale, st.basealt[0], st.basetop[0]),
              std::tuple(2000.0, 0.396f, 300.0, 457));
    EXPECT_EQ(f.jimen, (Sprite{&f.jimenBitmap, true, 0, 547, 1187, 28}));
    EXPECT_EQ(f.base[0], (Sprite{&f.baseprocess[0], true, 0, 457, 39, 12, true}));
    EXPECT_EQ(f.ground[0], (Sprite{&f.groundBitmap[0], true, 0, 469, 39, 11}));
    // A draw of 0 gives 32 m, raised to the strip's top (70.7 m): 71, never sunk into the strip.
    EXPECT_EQ(std::pair(st.basealt[1], f.base[1].left), std::pair(71.0, 753));
    const Label* v = h.screen().value;
    EXPECT_EQ(v[0].caption + " " + v[1].caption + " " + v[10].caption + " " + v[11].caption,
              "2000 -229 2000 229");
}

TEST(Layout, EveryDistanceAndAltitudeFitsTheWindow) {
    SimMatch h;
    int shortCount = 0, first = 0;
    for (int d = 500; d <= 2999; ++d) {
        const float r = float(d % 7) / 7.0f;
        h.round(distanceDraw(d), r, 1.0f - r);
        const MatchState& st = h.st();
        const Battlefield& f = h.game->field();
        // 32-bit products: for some distances the right base ends one pixel short of the edge.
        const int rightEdge = f.base[1].left + f.base[1].width;
        ASSERT_TRUE(st.basex[1] == d && (rightEdge == 792 || rightEdge == 791) &&
                    f.jimen.top + f.jimen.height == 575)
            << d;
        if (rightEdge == 791 && shortCount++ == 0) first = d;
        for (int p = 0; p < 2; ++p) // never sunk into the strip; no row of ground above a base's yard
            ASSERT_TRUE(st.basealt[p] >= f.jimen.height / st.scale && f.base[p].top <= f.jimen.top) << d;
    }
    EXPECT_EQ(std::pair(shortCount, first), std::pair(149, 527));
}

TEST(Layout, NewRoundResetsTheRoundAndKeepsTheMatch) {
    SimMatch h("1");
    MatchState& st = h.st();
    st.cursor[1] = 2, st.place[0] = 1, st.step[1] = -10, st.slot[0] = 4, st.damage[1] = 40;
    st.cells[0][7] = 1, st.state[1][3] = 39, st.target[0][2] = 1, st.trailx[5] = 100, st.traily[20000] = 9;
    st.trailn = 1234, st.param[0][0][0] = 25, st.wins[1] = 3;
    const Bitmap fresh = h.game->field().baseprocess[0];
    h.game->field().punchCrater(0, 10, 5, 6);
    int draws = 0;
    h.game->setRandomSource([&] { return ++draws == 1 ? distanceDraw(2000) : 0.5f; });
    h.game->syokika3();
    EXPECT_EQ(draws, 3);
    for (int p = 0; p < 2; ++p) {
        EXPECT_EQ(
            std::tuple(st.cursor[p], st.place[p], st.step[p], st.slot[p], st.damage[p], st.lastshown[p]),
            std::tuple(0, 0, 0, 0, 0, -1))
            << "cursor, place, step, slot, damage, last shown";
        EXPECT_TRUE(std::ranges::count(st.state[p], 0) == kSlots &&
                    std::ranges::count(st.target[p], 2) == kSlots);
    }
    EXPECT_EQ(std::tuple(st.cells[0][7], st.trailx[5], st.traily[20000]), std::tuple(0, 0.0, 0));
    EXPECT_EQ(h.game->field().baseprocess[0], fresh) << "last round's craters are gone";
    EXPECT_EQ(std::tuple(st.trailn, st.param[0][0][0], st.wins[1]), std::tuple(1234, 25.0f, 3))
        << "not the round's to reset";
}
