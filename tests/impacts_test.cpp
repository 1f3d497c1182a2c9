// Impacts: explosion sizes and frames, craters and damage columns, bases blowing up, rounds and the
// match decision.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "sim_fixture.h"

using namespace kestrum;
using namespace kestrum::testing;

namespace {

// A shell that stays exactly where it is put: still loading, so it neither moves nor falls.
void holdAt(SimMatch& h, int p, int s, float charge, double x, double y) {
    h.place(p, s, {charge, 100, 45, 1});
    h.st().px[p][s] = x;
    h.st().py[p][s] = float(y);
}

// An explosion of a slot that ends on its player's next step.
void endingBlast(SimMatch& h, int p, int s, int16_t target) {
    h.place(p, s, {150, 100, 45, 3});
    h.st().state[p][s] = 9;
    h.st().target[p][s] = target;
}

void destroyColumns(MatchState& st, int base, int count) {
    for (int c = 0; c < count; ++c)
        st.cells[base][c] = 1;
}

int countBans(const FakeSound& s, SoundId id) {
    int n = 0;
    for (SoundId p : s.played)
        n += p == id;
    return n;
}

} // namespace

TEST(Impacts, ExplosionDiameterFollowsTheCubeRootOfTheCharge) {
    SimMatch h("1", "n", "n");
    // 372 tells the exponent 0.33333 from a true third, which would give 51.
    const float charges[] = {1, 150, 350, 2500, 372};
    const int16_t sizes[] = {13, 39, 50, 90, 50};
    for (int s = 0; s < 5; ++s) {
        // Beyond the left edge, about to cross the zero line: a ground hit.
        h.place(0, s, {charges[s], 100, 45, 0});
        h.st().px[0][s] = -100;
        h.st().py[0][s] = 0.5f;
        h.st().vy[0][s] = -100;
    }
    h.stepOf(0);
    for (int s = 0; s < 5; ++s) {
        EXPECT_EQ(h.st().state[0][s], sizes[s]) << charges[s];
        EXPECT_EQ(h.st().target[0][s], 2);
    }
}

TEST(Impacts, SmallExplosionShrinksTenMetresPerStepThenReArmsWithItsSound) {
    SimMatch h("1", "n", "y");
    MatchState& st = h.st();
    const Battlefield& f = h.game->field();
    // Charge 150 dropped onto the ground strip in the middle of the field.
    h.place(1, 2, {150, 100, 45, 0});
    st.px[1][2] = 1000;
    st.py[1][2] = 5;
    st.param[1][2][1] = 7.25f; // worked on in flight: the launch copy comes back
    h.stepOf(1);
    ASSERT_EQ(st.state[1][2], 39);
    ASSERT_EQ(st.target[1][2], 2);
    EXPECT_FALSE(h.screen().orbitnumber[7].visible);

    // Drawn at 39, 29, 19 m and, on the last step, at 9 m and hidden at once.
    const int16_t after[] = {29, 19, 9, 0};
    const int widths[] = {15, 11, 7, 3}; // Int(D * 0.396)
    for (int k = 0; k < 4; ++k) {
        h.stepOf(1);
        const Sprite& e = f.explosion[7];
        EXPECT_EQ(st.state[1][2], after[k]) << k;
        EXPECT_EQ(e.width, widths[k]) << k;
        EXPECT_EQ(e.height, widths[k]);
        EXPECT_EQ(e.left, int(std::floor(double(0.396f) * 1000)) - widths[k] / 2);
        EXPECT_EQ(e.visible, k < 3);
        EXPECT_EQ(countBans(h.sound, SoundId::Ban), k < 3 ? 0 : 1);
    }
    EXPECT_EQ(st.param[1][2][1], 100.0f);
    EXPECT_EQ(st.lastshown[1], -1);
}

TEST(Impacts, ReArmingRestoresTheLaunchCopyWithHalvesToEven) {
    SimMatch h("1", "n", "n");
    MatchState& st = h.st();
    // Loading times 2.5 s and 1.5 s (charges 125 and 75), launched with the keys.
    const float charges[2] = {125, 75};
    const int16_t launchKey[2] = {vk::X, st.keys2[6]};
    for (int p = 0; p < 2; ++p) {
        st.param[p][0][0] = charges[p];
        st.param[p][0][1] = 100;
        st.param[p][0][2] = 45;
        st.param[p][0][3] = charges[p] / 50;
        h.game->keyDown(launchKey[p], 0);
        h.game->keyUp(launchKey[p]);
        ASSERT_EQ(st.state[p][0], 1) << p;
        st.state[p][0] = 9; // its explosion ends on the next step
        st.target[p][0] = 2;
    }
    h.stepOf(1);
    h.stepOf(0);
    EXPECT_EQ(st.state[0][0], 0);
    EXPECT_EQ(st.param[0][0][3], 2.0f);
    EXPECT_EQ(st.state[1][0], 0);
    EXPECT_EQ(st.param[1][0][3], 2.0f);
}

TEST(Impacts, BaseHitCratersAndDestroysColumnsByTheChordRule) {
    SimMatch h("1", "n", "y", true);
    MatchState& st = h.st();
    Battlefield& f = h.game->field();

    // Charge 150 (R = 19.5) 10 m from the left base's outer edge, above its bottom line.
    holdAt(h, 1, 0, 150, 10, st.basealt[0] - 29);
    h.stepOf(1);
    ASSERT_EQ(st.state[1][0], 39);
    ASSERT_EQ(st.target[1][0], 0);
    EXPECT_FALSE(h.screen().orbitnumber[5].visible);
    for (int c = 0; c < 100; ++c)
        EXPECT_EQ(st.cells[0][c], c <= 29 ? 1 : 0) << c;
    // The crater is sky in the base picture; the readout waits for the end of the explosion.
    const int cx = int(st.sx - st.baseleft[0]),
              cy = std::min(st.sy - st.basetop[0], f.baseprocess[0].height - 1);
    EXPECT_EQ(f.baseprocess[0].at(cx, cy), Battlefield::kSeeThrough);
    EXPECT_EQ(h.screen().value[2].caption, "0");

    // The same blast 12 m below the right base's bottom line, in its pedestal: chord of
    // sqrt(380.25 - 144) = 15.37 on each side.
    holdAt(h, 0, 0, 150, st.basex[1] - 10, st.basealt[1] - 32 - 12);
    const Bitmap pedestal = *f.ground[1].bitmap;
    h.stepOf(0);
    ASSERT_EQ(st.target[0][0], 1);
    for (int c = 0; c < 100; ++c)
        EXPECT_EQ(st.cells[1][c], c <= 25 ? 1 : 0) << c;
    EXPECT_EQ(*f.ground[1].bitmap, pedestal);

    // Deeper than the radius: a crater, but no column.
    holdAt(h, 0, 1, 150, st.basex[1] - 60, st.basealt[1] - 32 - 20);
    h.stepOf(0);
    ASSERT_EQ(st.target[0][1], 1);
    EXPECT_EQ(st.cells[1][60], 0);

    // Readouts at the end of each explosion: 30 % and 26 %, the columns counted once each.
    for (int k = 0; k < 4; ++k) {
        h.stepOf(1);
        h.stepOf(0);
    }
    EXPECT_EQ(h.screen().value[2].caption, "30");
    EXPECT_EQ(h.screen().value[12].caption, "26");
    holdAt(h, 1, 1, 150, 12, st.basealt[0] - 29);
    for (int k = 0; k < 5; ++k)
        h.stepOf(1);
    EXPECT_EQ(st.state[1][1], 0);
    EXPECT_EQ(st.damage[0], 32);
}

TEST(Impacts, SeventyPercentBlowsTheBaseUpAndEndsTheRound) {
    SimMatch h("1", "n", "y");
    MatchState& st = h.st();
    Battlefield& f = h.game->field();

    destroyColumns(st, 1, 69);
    endingBlast(h, 0, 0, 1);
    h.stepOf(0);
    EXPECT_EQ(st.damage[1], 69);
    EXPECT_EQ(h.screen().value[12].caption, "69");
    EXPECT_EQ(st.state[0][0], 0);
    EXPECT_EQ(st.wins[0], 0);
    EXPECT_TRUE(f.base[1].visible);
    EXPECT_EQ(countBans(h.sound, SoundId::Ban), 1);

    st.cells[1][69] = 1;
    endingBlast(h, 0, 3, 1);
    st.setv[0][3][0] = 42; // every slot's parameters come back from the launch copies at the new round
    h.place(1, 0, {150, 100, 45, 3});
    st.state[1][0] = 250; // a fireball of the other side, still burning when the round ends
    st.param[1][4][2] = 7;
    h.stepOf(0);
    EXPECT_EQ(st.damage[1], 70);
    EXPECT_EQ(st.wins[0], 1);
    EXPECT_EQ(st.state[0][3], 100);
    EXPECT_EQ(st.target[0][3], 3);
    EXPECT_EQ(st.px[0][3], st.basex[1] - 50);
    EXPECT_EQ(st.py[0][3], float(st.basealt[1] - 32));
    EXPECT_FALSE(f.base[1].visible);
    EXPECT_FALSE(f.ground[1].visible);
    EXPECT_EQ(countBans(h.sound, SoundId::Ban), 1); // no sound yet
    EXPECT_EQ(h.screen().score[0].caption, "0");

    // Frames 100, 90, ..., 10; the end comes on the step that draws the frame of 10.
    for (int d = 100; d >= 10; d -= 10) {
        EXPECT_TRUE(h.sound.played.empty() || h.sound.played.back() != SoundId::BigBan) << d;
        h.stepOf(0);
        if (d > 10) {
            EXPECT_EQ(f.explosion[3].width, int(std::floor(d * 0.396f))) << d;
            EXPECT_TRUE(f.explosion[3].visible);
        }
    }
    EXPECT_EQ(h.sound.played.back(), SoundId::BigBan);
    EXPECT_EQ(st.state[1][0], 0);
    EXPECT_EQ(h.screen().score[0].caption, "1");
    EXPECT_EQ(h.screen().score[1].caption, "0");

    // A new round at once: fresh battlefield, parameters back from the launch copies.
    EXPECT_EQ(st.over, 0);
    EXPECT_TRUE(f.base[1].visible);
    EXPECT_EQ(st.state[0][3], 0);
    EXPECT_EQ(st.damage[1], 0);
    EXPECT_EQ(st.cells[1][0], 0);
    EXPECT_EQ(st.param[0][3][0], 42.0f);
    EXPECT_EQ(st.param[1][4][2], 0.0f);
    for (int n = 0; n < 10; ++n) {
        EXPECT_FALSE(h.screen().orbitnumber[n].visible) << n;
        EXPECT_FALSE(f.explosion[n].visible) << n;
    }
    EXPECT_TRUE(f.texts().empty());
}

TEST(Impacts, WreckingTheOwnBaseGivesTheRoundAway) {
    SimMatch h("1", "n", "n");
    MatchState& st = h.st();
    destroyColumns(st, 1, 80);
    endingBlast(h, 1, 2, 1);
    h.stepOf(1);
    EXPECT_EQ(st.wins[0], 1);
    EXPECT_EQ(st.wins[1], 0);
    EXPECT_EQ(st.px[1][2], st.basex[1] - 50);
}

TEST(Impacts, ABaseBlowsUpOnceEvenWhenTwoBlastsOnItEnd) {
    SimMatch h("1", "n", "y");
    MatchState& st = h.st();
    destroyColumns(st, 1, 75);
    endingBlast(h, 0, 0, 1);
    endingBlast(h, 0, 1, 1);
    h.stepOf(0);
    EXPECT_EQ(st.wins[0], 1);
    EXPECT_EQ(st.state[0][0], 100);
    EXPECT_EQ(st.state[0][1], 0); // an ordinary end: re-armed with the small sound
    EXPECT_EQ(countBans(h.sound, SoundId::Ban), 1);
    for (int k = 0; k < 10; ++k)
        h.stepOf(0);
    EXPECT_EQ(h.screen().score[0].caption, "1");
}

TEST(Impacts, FifthRoundDecidesTheMatch) {
    struct Case {
        int16_t wins[2];
        int base; // the base blown up
        std::vector<PrintedText> texts;
    };
    const Case cases[] = {
        {{4, 0}, 1, {{272, 400, "勝者", 12, 0}, {496, 400, "敗者", 12, 0}}},
        {{0, 4}, 0, {{272, 400, "敗者", 12, 0}, {496, 400, "勝者", 12, 0}}},
        {{3, 4}, 1, {}},
    };
    for (const Case& c : cases) {
        SimMatch h("1", "n", "n");
        MatchState& st = h.st();
        st.wins[0] = c.wins[0];
        st.wins[1] = c.wins[1];
        destroyColumns(st, c.base, 100);
        endingBlast(h, 0, 4, int16_t(c.base));
        for (int k = 0; k < 11; ++k)
            h.stepOf(0);
        if (c.texts.empty()) {
            EXPECT_EQ(st.over, 0); // the round was played out and the next has begun
            EXPECT_EQ(h.platform.tickInterval, 10);
            EXPECT_EQ(h.screen().focus, Focus::None);
            continue;
        }
        EXPECT_EQ(h.game->field().texts(), c.texts);
        EXPECT_EQ(st.over, 2);
        EXPECT_EQ(h.platform.tickInterval, 0);
        EXPECT_TRUE(h.screen().again.visible);
        EXPECT_EQ(h.screen().focus, Focus::Againput);
        EXPECT_EQ(h.game->boxText(Box::Againput), "");
    }
}

TEST(Impacts, BothReachingFiveBeforeTheLargeExplosionEndsIsADraw) {
    SimMatch h("1", "n", "y");
    MatchState& st = h.st();
    st.wins[0] = st.wins[1] = 4;
    destroyColumns(st, 0, 70);
    destroyColumns(st, 1, 70);
    endingBlast(h, 0, 0, 1);
    endingBlast(h, 0, 1, 0); // the shooter's own base
    h.stepOf(0);
    ASSERT_EQ(st.wins[0], 5);
    ASSERT_EQ(st.wins[1], 5);
    for (int k = 0; k < 10; ++k)
        h.stepOf(0);

    EXPECT_EQ(h.game->field().texts(), (std::vector<PrintedText>{{288, 300, "引き分け", 12, 0}}));
    EXPECT_EQ(h.screen().score[0].caption, "5");
    EXPECT_EQ(h.screen().score[1].caption, "5");
    EXPECT_EQ(countBans(h.sound, SoundId::BigBan), 1);
    EXPECT_EQ(st.state[0][1], 10); // the loop stopped before the second large explosion's frame
    EXPECT_EQ(h.platform.tickInterval, 0);
    EXPECT_EQ(h.screen().focus, Focus::Againput);
}
