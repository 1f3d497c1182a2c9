#include <gtest/gtest.h>

#include <algorithm>

#include "sim_fixture.h"

using namespace kestrum;
using namespace kestrum::testing;

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
