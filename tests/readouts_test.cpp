// Readouts: the input panels while a key is held, the flight view, and stepping through the slots.

#include <gtest/gtest.h>

#include "numbers/number_text.h"
#include "sim_fixture.h"

using namespace kestrum;
using namespace kestrum::testing;
using namespace std::string_literals;

struct Match : SimMatch {
    using SimMatch::SimMatch;
    // Refreshes of player p as the tick does them: the player's phase advances first.
    void refresh(int p, int times = 1) {
        for (int i = 0; i < times; ++i)
            st().turn = int16_t(p), st().phase[p] = int16_t((st().phase[p] + 1) & 7), game->suutihyouji();
    }
    void nextChange(int p) { refresh(p, 8 - st().phase[p]); } // up to the refresh that applies a held key
    const Label& esta(int i) { return screen().estavalue[i]; }
    // Player p's flight readouts at `rows`, each followed by a space.
    std::string values(int p, std::initializer_list<int> rows) {
        std::string text;
        for (int r : rows)
            text += screen().value[10 * p + r].caption + " ";
        return text;
    }
};

TEST(Readouts, HeldChargeChangesOnceAndStopsAtTheLimit) {
    Match h("1");
    h.st().param[0][0][0] = 25;
    h.press(vk::S), h.press(vk::Q, 2), h.press(vk::D);
    h.nextChange(0);
    const Rect& box = h.screen().estafigure[0].rect;
    EXPECT_EQ(std::tuple(h.st().param[0][0][0], h.esta(0).caption, h.esta(0).foreColor,
                         h.screen().inputvalue[0].caption, box.left, box.top),
              std::tuple(125.0f, "125", colour::editGreen, "1", 120, 24));
    const std::string loading = h.esta(3).caption; // derived before the change
    h.refresh(0);
    EXPECT_EQ(loading + " " + h.esta(3).caption, "0.5 2.5");
    h.nextChange(0);
    EXPECT_EQ(h.st().param[0][0][0], 125.0f); // 225 would pass the limit of 150
}

TEST(Readouts, DigitBoxLeftOfAShortValueShowsZeros) {
    for (auto [place, shown] : {std::pair{3, "025 0 112"}, {2, "25 0 120"}, {0, "25 5 136"}}) {
        Match h("1");
        h.st().param[0][0][1] = 25, h.st().cursor[0] = 2, h.st().place[0] = int16_t(place), h.nextChange(0);
        EXPECT_EQ(h.esta(1).caption + " " + h.screen().inputvalue[0].caption + " " +
                      std::to_string(h.screen().estafigure[0].rect.left),
                  shown);
    }
}

TEST(Readouts, FlightViewRightAfterLaunch) {
    Match h("1");
    MatchState& st = h.st();
    for (int p = 0; p < 2; ++p)
        std::ranges::copy(std::array{100.0f, 300.0f, 45.0f, 2.0f}, st.param[p][0]);
    h.press(vk::X), h.press(98);
    for (int p = 0; p < 2; ++p) { // distance from and height above the launch point
        h.refresh(p);
        EXPECT_EQ(h.values(p, {4, 5, 9}), "55 0 2 ") << p;
    }
    st.vx[0][0] = -3, st.vy[0][0] = -12.25f, st.param[0][0][3] = 0.25f; // sign and one decimal, halves up
    h.refresh(0);
    EXPECT_EQ(h.values(0, {6, 7, 8, 9}), "3 -12.2 12.6 0.3 ");
}

TEST(Readouts, SlotRowStepsWithinOneToFiveAndTextForms) {
    Match h("1");
    for (auto [from, step, to] : {std::tuple{4, 1, 4}, {0, -1, 0}, {2, 1, 3}, {2, -1, 1}}) {
        h.st().slot[0] = int16_t(from), h.st().step[0] = int16_t(step), h.nextChange(0);
        EXPECT_EQ(h.st().slot[0], to) << from << step;
    }
    EXPECT_EQ(singleText(9999999) + " " + singleText(1e7f) + " " + singleText(-0.4f) + " " +
                  doubleText(0.1 + 0.2),
              "9999999 1E+07 -0.4 0.3");
    // Half up, on the float actually stored: 0.35f lies just below 0.35.
    EXPECT_EQ(doubleText(shisya(2.25f, 2)) + " " + doubleText(shisya(0.35f, 2)) + " " +
                  doubleText(shisya(-0.5f, 1)),
              "2.3 0.3 0");
}

TEST(Readouts, RocketShowsItsTotalWeightThenTheFuelLeftInFlight) {
    Match h("2");
    for (int p = 0; p < 2; ++p)
        std::ranges::copy(std::array{350.0f, 9999.0f, 50.0f, 5100.0f, 90.0f}, h.st().param[p][0]),
            h.refresh(p);
    EXPECT_EQ(std::pair(h.esta(13).caption, h.esta(19).caption), std::pair("10349"s, "10349"s)); // in full
    h.press(vk::X), h.press(98);
    for (int n = 0; n < 5; ++n) // 1.5 kg a step: 9991.5 left
        h.stepOf(0), h.stepOf(1);
    for (int p = 0; p < 2; ++p) { // fuel in whole kilograms, halves up; the charge
        h.refresh(p);
        EXPECT_EQ(h.values(p, {9, 3}) + h.screen().changetitle[2 + p].caption +
                      h.screen().changetitle[4 + p].caption,
                  "9992 350 燃料残量(Kg)")
            << p;
    }
}
