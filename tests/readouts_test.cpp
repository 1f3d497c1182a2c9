#include <gtest/gtest.h>

#include "game_harness.h"
#include "ui/number_text.h"

using namespace kestrum;
using namespace kestrum::testing;

namespace {

struct Match : GameHarness {
    explicit Match(const char* mode) {
        start();
        answer(mode, "n", "n");
    }
    // One refresh of player p as the tick does it: the player's phase advances first.
    void refresh(int p, int times = 1) {
        for (int i = 0; i < times; ++i) {
            st().turn = int16_t(p);
            st().phase[p] = int16_t((st().phase[p] + 1) & 7);
            game->suutihyouji();
        }
    }
    // Refreshes until the next one that applies a held key (phase 0), that one included.
    void nextChange(int p) {
        do {
            refresh(p);
        } while (st().phase[p] != 0);
    }
    const Label& esta(int i) { return screen().estavalue[i]; }
};

} // namespace

TEST(Readouts, HeldChargeChangesOnceAndStopsAtTheLimit) {
    Match h("1");
    h.st().param[0][0][0] = 25;
    h.refresh(0);
    EXPECT_TRUE(h.screen().establish[0].visible);
    EXPECT_EQ(h.esta(0).caption, "25");
    EXPECT_EQ(h.esta(3).caption, "0.5");

    h.game->keyDown(vk::S, 0);
    h.game->keyDown(vk::Q, 0);
    h.game->keyDown(vk::Q, 0);
    h.game->keyDown(vk::D, 0);
    ASSERT_EQ(h.st().step[0], 100);
    const Rect before = h.screen().estafigure[0].rect;
    h.nextChange(0);

    EXPECT_EQ(h.st().param[0][0][0], 125.0f);
    EXPECT_EQ(h.st().edittext, "125");
    EXPECT_EQ(h.screen().inputvalue[0].caption, "1");
    EXPECT_TRUE(h.screen().estafigure[0].visible);
    EXPECT_EQ(h.screen().estafigure[0].rect, (Rect{120, 24, before.width, before.height}));
    EXPECT_EQ(h.esta(0).caption, "125");
    EXPECT_EQ(h.esta(0).foreColor, colour::editGreen);
    EXPECT_EQ(h.esta(3).caption, "0.5"); // derived before the change
    h.refresh(0);
    EXPECT_EQ(h.esta(3).caption, "2.5");
    h.nextChange(0);
    EXPECT_EQ(h.st().param[0][0][0], 125.0f);

    // The limit itself can be reached, and 0 too.
    h.game->keyDown(vk::E, 0);
    h.game->keyDown(vk::D, 0);
    ASSERT_EQ(h.st().step[0], 10);
    h.st().param[0][0][0] = 140;
    h.nextChange(0);
    h.nextChange(0);
    EXPECT_EQ(h.st().param[0][0][0], 150.0f);
    h.game->keyDown(vk::A, 0);
    for (int i = 0; i < 16; ++i)
        h.nextChange(0);
    EXPECT_EQ(h.st().param[0][0][0], 0.0f);
    EXPECT_EQ(h.esta(0).caption, "0");
    EXPECT_EQ(h.screen().inputvalue[0].caption, "0");

    // Moving to the next row takes the highlight along.
    h.game->keyUp(vk::A);
    h.game->keyDown(vk::S, 0);
    h.nextChange(0);
    EXPECT_EQ(h.esta(0).foreColor, colour::text);
    EXPECT_EQ(h.esta(1).foreColor, colour::editGreen);
    EXPECT_EQ(h.screen().estafigure[0].rect.top, 48);
}

TEST(Readouts, DigitBoxLeftOfShortValuesShowsZeros) {
    struct Case {
        int16_t place;
        const char* label;
        const char* digit;
        int left;
    };
    for (const Case& c : {Case{3, "025", "0", 112}, Case{2, "25", "0", 120}, Case{0, "25", "5", 136}}) {
        Match h("1");
        h.st().param[0][0][1] = 25;
        h.refresh(0);
        h.st().cursor[0] = 2;
        h.st().place[0] = c.place;
        h.nextChange(0);
        EXPECT_EQ(h.esta(1).caption, c.label) << c.place;
        EXPECT_EQ(h.screen().inputvalue[0].caption, c.digit) << c.place;
        EXPECT_EQ(h.screen().estafigure[0].rect.left, c.left) << c.place;
        EXPECT_EQ(h.st().param[0][0][1], 25.0f);
    }
}

TEST(Readouts, RocketPanelsShowTotalWeightInFull) {
    Match h("2");
    h.st().param[0][0][0] = 100;
    h.st().param[0][0][1] = 2500;
    h.st().param[1][0][0] = 350;
    h.st().param[1][0][1] = 9999;
    h.refresh(0);
    h.refresh(1);
    EXPECT_TRUE(h.screen().establish[2].visible);
    EXPECT_TRUE(h.screen().establish[3].visible);
    EXPECT_EQ(h.esta(8 + 1).caption, "2500");
    EXPECT_EQ(h.esta(8 + 5).caption, "2600");
    EXPECT_EQ(h.esta(14 + 5).caption, "10349");
    EXPECT_EQ(h.st().param[0][0][5], 2600.0f);
    EXPECT_EQ(h.screen().estanumber[3].caption, "1");
}

TEST(Readouts, FlightView) {
    Match h("1");
    for (int p = 0; p < 2; ++p) {
        float* param = h.st().param[p][0];
        param[0] = 100;
        param[1] = 300;
        param[2] = 45;
    }
    h.refresh(0); // derives the loading times
    h.refresh(1);
    h.game->keyDown(vk::X, 0);
    h.game->keyDown(98, 0);
    h.refresh(0);
    h.refresh(1);
    const Label* v = h.screen().value;
    EXPECT_FALSE(h.screen().establish[0].visible);
    EXPECT_EQ(h.screen().number[0].caption, "1");
    for (int p = 0; p < 2; ++p) {
        EXPECT_EQ(v[10 * p + 3].caption, "100") << p;
        EXPECT_EQ(v[10 * p + 4].caption, "55") << p;
        EXPECT_EQ(v[10 * p + 5].caption, "0") << p;
        EXPECT_EQ(v[10 * p + 7].caption, "0") << p;
        EXPECT_EQ(v[10 * p + 9].caption, "2") << p;
    }

    // Vertical velocity keeps its sign and one decimal; halves round upwards.
    MatchState& st = h.st();
    st.vx[0][0] = -3;
    st.vy[0][0] = -12.25f;
    st.param[0][0][3] = 0.25f;
    h.refresh(0);
    EXPECT_EQ(v[6].caption, "3");
    EXPECT_EQ(v[7].caption, "-12.2");
    EXPECT_EQ(v[8].caption, "12.6");
    EXPECT_EQ(v[9].caption, "0.3");
    st.vy[0][0] = 4;
    h.refresh(0);
    EXPECT_EQ(v[7].caption, "4");
    EXPECT_EQ(v[8].caption, "5");
}

TEST(Readouts, RocketFlightShowsFuelLeftInWholeKilograms) {
    Match h("2");
    h.st().param[0][0][0] = 50;
    h.st().param[0][0][1] = 1234.5f;
    h.st().state[0][0] = 2;
    h.refresh(0);
    EXPECT_EQ(h.screen().value[9].caption, "1235");
}

TEST(Readouts, SlotRowStepsWithinOneToFive) {
    struct Case {
        int16_t from, step, to;
    };
    for (const Case& c : {Case{4, 1, 4}, Case{0, -1, 0}, Case{2, 1, 3}, Case{2, -1, 1}}) {
        Match h("1");
        h.st().slot[0] = c.from;
        h.refresh(0);
        h.st().step[0] = c.step;
        h.nextChange(0);
        EXPECT_EQ(h.st().slot[0], c.to) << c.from << c.step;
        EXPECT_EQ(h.screen().estanumber[0].foreColor, colour::digitBlue);
        // A new slot is redrawn plainly on the next refresh, whatever is held.
        h.st().param[0][c.to][0] = 7;
        h.refresh(0);
        EXPECT_EQ(h.screen().estanumber[0].caption, std::to_string(c.to + 1));
        EXPECT_EQ(h.esta(0).caption, c.from == c.to ? "0" : "7");
    }

    // A slot in play hides its panel and the held key selects the next slot.
    Match h("1");
    h.st().slot[0] = 4;
    h.st().state[0][4] = 5;
    h.st().step[0] = 1;
    h.nextChange(0);
    EXPECT_EQ(h.st().slot[0], 4);
    h.st().step[0] = -1;
    h.nextChange(0);
    EXPECT_EQ(h.st().slot[0], 3);
    EXPECT_EQ(h.screen().number[0].caption, "5");
}

TEST(Readouts, NoPanelBeforeTheFirstMatch) {
    GameHarness h;
    h.start();
    h.st().phase[0] = 0;
    h.game->suutihyouji();
    h.game->suutihyouji();
    EXPECT_FALSE(h.screen().establish[0].visible);
}

TEST(NumberText, Forms) {
    EXPECT_EQ(singleText(2500), "2500");
    EXPECT_EQ(singleText(3.5f), "3.5");
    EXPECT_EQ(singleText(0.5f), "0.5");
    EXPECT_EQ(singleText(-0.4f), "-0.4");
    EXPECT_EQ(singleText(0.1f), "0.1");
    EXPECT_EQ(singleText(9999999), "9999999");
    EXPECT_EQ(singleText(1e7f), "1E+07");
    EXPECT_EQ(singleText(123456789), "1.234568E+08");
    EXPECT_EQ(doubleText(0.1 + 0.2), "0.3");

    // Half up, in the 32-bit value as stored: 2.45f lies just above 2.45, 0.35f just below 0.35.
    EXPECT_EQ(shisya(2.45f, 2), 2.5);
    EXPECT_EQ(shisya(0.35f, 2), 0.3);
    EXPECT_EQ(shisya(2.5f, 1), 3);
    EXPECT_EQ(shisya(-2.5f, 1), -2);
    EXPECT_EQ(doubleText(shisya(0.25f, 2)), "0.3");
    EXPECT_EQ(doubleText(shisya(-0.04f, 2)), "0");

    EXPECT_EQ(toInt16(2.5), 2);
    EXPECT_EQ(toInt16(1.5), 2);
    EXPECT_EQ(toInt16(-2.5), -2);
}
