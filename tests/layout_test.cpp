#include <gtest/gtest.h>

#include <algorithm>

#include "sim_fixture.h"

using namespace kestrum;
using namespace kestrum::testing;

// The worked example of the layout on the 792 x 575 design area, digit for digit.
TEST(Layout, DesignSizeExampleDigitForDigit) {
    SimMatch h;
    h.round(0.6f, 0.395f, 0.0f);
    const Match& match = h.match();
    const Battlefield& f = h.game->field();
    EXPECT_EQ(std::tuple(match.players[1].base.edge, match.measures.scale, match.players[0].base.altitude,
                         match.players[0].base.top),
              std::tuple(2000.0, 0.396f, 300.0, 457));
    EXPECT_EQ(f.groundStrip, (Sprite{&f.groundStripBitmap, true, 0, 547, 1187, 28}));
    EXPECT_EQ(f.base[0], (Sprite{&f.baseBuffer[0], true, 0, 457, 39, 12, true}));
    EXPECT_EQ(f.ground[0], (Sprite{&f.groundPieceBitmap[0], true, 0, 469, 39, 11}));
    // A draw of 0 gives 32 m, raised to the strip's top (70.7 m): 71, never sunk into the strip.
    EXPECT_EQ(std::pair(match.players[1].base.altitude, f.base[1].left), std::pair(71.0, 753));
    const Label* v = h.screen().statusValues;
    EXPECT_EQ(v[0].caption + " " + v[1].caption + " " + v[10].caption + " " + v[11].caption,
              "2000 -229 2000 229");
}

TEST(Layout, EveryDistanceAndAltitudeFitsTheWindow) {
    SimMatch h;
    int shortCount = 0, first = 0;
    for (int d = 500; d <= 2999; ++d) {
        const float r = float(d % 7) / 7.0f;
        h.round(distanceDraw(d), r, 1.0f - r);
        const Match& match = h.match();
        const Battlefield& f = h.game->field();
        // 32-bit products: for some distances the right base ends one pixel short of the edge.
        const int rightEdge = f.base[1].left + f.base[1].width;
        ASSERT_TRUE(match.players[1].base.edge == d && (rightEdge == 792 || rightEdge == 791) &&
                    f.groundStrip.top + f.groundStrip.height == 575)
            << d;
        if (rightEdge == 791 && shortCount++ == 0) first = d;
        for (int p = 0; p < 2; ++p) // never sunk into the strip; no row of ground above a base's yard
            ASSERT_TRUE(match.players[p].base.altitude >= f.groundStrip.height / match.measures.scale &&
                        f.base[p].top <= f.groundStrip.top)
                << d;
    }
    EXPECT_EQ(std::pair(shortCount, first), std::pair(149, 527));
}
