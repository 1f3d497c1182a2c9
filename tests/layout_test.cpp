#include <gtest/gtest.h>

#include <deque>

#include "game_harness.h"

using namespace kestrum;
using namespace kestrum::testing;

namespace {

// A started match whose next random draws are scripted.
struct ScriptedRound : GameHarness {
    ScriptedRound() {
        start();
        game->setRandomSource([this] {
            if (draws.empty()) return 0.5f;
            const float r = draws.front();
            draws.pop_front();
            return r;
        });
    }
    void round(float distance, float leftAlt, float rightAlt) {
        draws = {distance, leftAlt, rightAlt};
        game->syokika3();
    }
    std::deque<float> draws;
};

// The random number that gives a distance of exactly d metres.
float distanceDraw(int d) { return float((d - 500 + 0.5) / 2500.0); }

} // namespace

TEST(Layout, DesignSizeExampleDigitForDigit) {
    ScriptedRound h;
    h.round(0.6f, 0.395f, 0.0f);
    const MatchState& st = h.st();
    const Battlefield& f = h.game->field();

    EXPECT_EQ(st.basex[0], 0);
    EXPECT_EQ(st.basex[1], 2000);
    EXPECT_EQ(st.scale, 0.396f);
    EXPECT_EQ(f.jimen, (Sprite{&f.jimenBitmap, true, 0, 547, 1187, 28}));

    // Left base at altitude 300: top at 457, ground piece 39 x 11 under it.
    EXPECT_EQ(st.basealt[0], 300);
    EXPECT_EQ(f.base[0], (Sprite{&f.baseprocess[0], true, 0, 457, 39, 12, true}));
    EXPECT_EQ(f.ground[0], (Sprite{&f.groundBitmap[0], true, 0, 469, 39, 11}));
    EXPECT_EQ(st.baseleft[0], 0);
    EXPECT_EQ(st.basetop[0], 457);
    EXPECT_EQ(st.baseh[0], 32.0f);

    // Right base: a draw of 0 gives 32 m, raised to the strip's top (70.7 m -> 71, never sunk into it).
    EXPECT_EQ(st.basealt[1], 71);
    EXPECT_EQ(f.base[1].left, 753);
    EXPECT_EQ(f.base[1].width, 39);
    EXPECT_EQ(f.ground[1].left, 753);

    EXPECT_EQ(h.screen().value[0].caption, "2000");
    EXPECT_EQ(h.screen().value[10].caption, "2000");
    EXPECT_EQ(h.screen().value[1].caption, "-229");
    EXPECT_EQ(h.screen().value[11].caption, "229");
    EXPECT_EQ(h.screen().value[2].caption, "0");
    EXPECT_EQ(h.screen().value[12].caption, "0");
}

TEST(Layout, RightBaseEndsOnePixelShortForSomeDistances) {
    ScriptedRound h;
    int shortCount = 0, first = 0;
    for (int d = 500; d <= 2999; ++d) {
        h.round(distanceDraw(d), 0.5f, 0.5f);
        ASSERT_EQ(h.st().basex[1], d);
        const Sprite& b = h.game->field().base[1];
        const int rightEdge = b.left + b.width;
        ASSERT_TRUE(rightEdge == 792 || rightEdge == 791) << d;
        if (rightEdge == 791 && shortCount++ == 0) first = d;
    }
    EXPECT_EQ(shortCount, 149);
    EXPECT_EQ(first, 527);
}

TEST(Layout, AltitudesStayBetweenStripAndHalfTheHeight) {
    ScriptedRound h;
    for (float r : {0.0f, 0.25f, 0.5f, 0.999999f}) {
        for (int d : {500, 1400, 2999}) {
            h.round(distanceDraw(d), r, 1.0f - r);
            const MatchState& st = h.st();
            const Battlefield& f = h.game->field();
            const double stripMetres = f.jimen.height / st.scale;
            for (int p = 0; p < 2; ++p) {
                EXPECT_GE(st.basealt[p], stripMetres) << d;
                EXPECT_EQ(st.basealt[p], std::floor(st.basealt[p]));
                // No row of ground strip above a base: its shells can leave the yard.
                EXPECT_LE(f.base[p].top, f.jimen.top) << d << " " << r;
            }
            EXPECT_EQ(h.screen().value[1].caption.substr(h.screen().value[1].caption[0] == '-'),
                      h.screen().value[11].caption.substr(h.screen().value[11].caption[0] == '-'));
            EXPECT_GE(f.jimen.width, 792);
            EXPECT_EQ(f.jimen.top + f.jimen.height, 575);
        }
    }
}

TEST(Layout, NewRoundResetsEverythingOfTheRound) {
    ScriptedRound h;
    h.answer("1", "n", "n");
    MatchState& st = h.st();
    st.cursor[1] = 2;
    st.place[0] = 1;
    st.step[1] = -10;
    st.slot[0] = 4;
    st.damage[1] = 40;
    st.cells[0][7] = 1;
    st.state[1][3] = 39;
    st.target[0][2] = 1;
    st.trailx[5] = 100;
    st.traily[20000] = 9;
    st.trailn = 1234;
    st.param[0][0][0] = 25;
    st.wins[1] = 3;
    h.round(0.3f, 0.3f, 0.3f);
    for (int p = 0; p < 2; ++p) {
        EXPECT_EQ(st.cursor[p] | st.place[p] | st.step[p] | st.slot[p] | st.damage[p], 0);
        EXPECT_EQ(st.lastshown[p], -1);
        for (int s = 0; s < kSlots; ++s) {
            EXPECT_EQ(st.state[p][s], 0);
            EXPECT_EQ(st.target[p][s], 2);
        }
    }
    EXPECT_EQ(st.cells[0][7], 0);
    EXPECT_EQ(st.trailx[5], 0);
    EXPECT_EQ(st.traily[20000], 0);
    // Not the round's: the ring position, the parameters and the score.
    EXPECT_EQ(st.trailn, 1234);
    EXPECT_EQ(st.param[0][0][0], 25);
    EXPECT_EQ(st.wins[1], 3);
}

TEST(Layout, EachRoundDrawsExactlyThreeNumbersInOrder) {
    GameHarness h;
    h.start();
    int draws = 0;
    h.game->setRandomSource([&] { return float(++draws) / 10.0f; });
    h.game->syokika3();
    EXPECT_EQ(draws, 3);
    EXPECT_EQ(h.st().basex[1], std::floor(0.1f * 2500.0) + 500);
}

TEST(Layout, CratersOfTheLastRoundAreGone) {
    ScriptedRound h;
    h.round(0.6f, 0.4f, 0.4f);
    Battlefield& f = h.game->field();
    const Bitmap fresh = f.baseprocess[0];
    f.punchCrater(0, 10, 5, 6);
    ASSERT_NE(f.baseprocess[0], fresh);
    h.round(0.6f, 0.4f, 0.4f);
    EXPECT_EQ(f.baseprocess[0], fresh);
}
