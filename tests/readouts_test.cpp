// Readouts: the input panels while a key is held, the flight view, and stepping through the slots.

#include <gtest/gtest.h>

#include "numbers/number_text.h"
#include "sim_fixture.h"

using namespace kestrum;
using namespace kestrum::testing;
using namespace std::string_literals;

struct Panels : SimMatch {
    using SimMatch::SimMatch;
    // Refreshes of player p by the tick: the tick hands the turn to p, advances p's phase and refreshes
    // p's panels before anything of p's moves.
    void refresh(int p, int times = 1) {
        for (int i = 0; i < times; ++i)
            match().turn = int16_t(1 - p), game->tick();
    }
    void nextChange(int p) { refresh(p, 8 - player(p).phase); } // up to the refresh that applies a held key
    const Label& panelValue(int i) { return screen().panelValues[i]; }
    // Player p's flight readouts at `rows`, each followed by a space.
    std::string values(int p, std::initializer_list<int> rows) {
        std::string text;
        for (int r : rows)
            text += screen().statusValue(p, r).caption + " ";
        return text;
    }
};

TEST(Readouts, HeldChargeChangesOnceAndStopsAtTheLimit) {
    Panels h("1");
    float* param = h.projectile(0, 0).params;
    param[0] = 25;
    h.press(vk::S), h.press(vk::Q, 2), h.press(vk::D);
    h.nextChange(0);
    const Rect& box = h.screen().digitCursors[0].rect;
    EXPECT_EQ(std::tuple(param[0], h.panelValue(0).caption, h.panelValue(0).foreColor,
                         h.screen().cursorDigits[0].caption, box.left, box.top),
              std::tuple(125.0f, "125", colour::editGreen, "1", 120, 24));
    const std::string loading = h.panelValue(3).caption; // derived before the change
    h.refresh(0);
    EXPECT_EQ(loading + " " + h.panelValue(3).caption, "0.5 2.5");
    h.nextChange(0);
    EXPECT_EQ(param[0], 125.0f); // 225 would pass the limit of 150
}

TEST(Readouts, DigitBoxLeftOfAShortValueShowsZeros) {
    for (auto [place, shown] : {std::pair{3, "025 0 112"}, {2, "25 0 120"}, {0, "25 5 136"}}) {
        Panels h("1");
        InputPanel& panel = h.player(0).panel;
        h.projectile(0, 0).params[1] = 25, panel.cursor = 2, panel.place = int16_t(place), h.nextChange(0);
        EXPECT_EQ(h.panelValue(1).caption + " " + h.screen().cursorDigits[0].caption + " " +
                      std::to_string(h.screen().digitCursors[0].rect.left),
                  shown);
    }
}

TEST(Readouts, FlightViewRightAfterLaunch) {
    Panels h("1");
    for (int p = 0; p < 2; ++p)
        std::ranges::copy(std::array{100.0f, 300.0f, 45.0f, 2.0f}, h.projectile(p, 0).params);
    h.press(vk::X), h.press(98);
    for (int p = 0; p < 2; ++p) { // distance from and height above the launch point
        h.refresh(p);
        EXPECT_EQ(h.values(p, {4, 5, 9}), "55 0 2 ") << p;
    }
    // Sign and one decimal, halves up.
    Projectile& shell = h.projectile(0, 0);
    shell.motion.vx = -3, shell.motion.vy = -12.25f, shell.params[3] = 0.25f;
    h.refresh(0);
    EXPECT_EQ(h.values(0, {6, 7, 8, 9}), "3 -12.2 12.6 0.3 ");
}

TEST(Readouts, SlotRowStepsWithinOneToFiveAndTextForms) {
    Panels h("1");
    for (auto [from, step, to] : {std::tuple{4, 1, 4}, {0, -1, 0}, {2, 1, 3}, {2, -1, 1}}) {
        InputPanel& panel = h.player(0).panel;
        panel.slot = int16_t(from), panel.step = int16_t(step), h.nextChange(0);
        EXPECT_EQ(panel.slot, to) << from << step;
    }
    EXPECT_EQ(singleText(9999999) + " " + singleText(1e7f) + " " + singleText(-0.4f) + " " +
                  doubleText(0.1 + 0.2),
              "9999999 1E+07 -0.4 0.3");
    // Half up, on the float actually stored: 0.35f lies just below 0.35.
    EXPECT_EQ(doubleText(roundHalfUp(2.25f, 2)) + " " + doubleText(roundHalfUp(0.35f, 2)) + " " +
                  doubleText(roundHalfUp(-0.5f, 1)),
              "2.3 0.3 0");
}

TEST(Readouts, RocketShowsItsTotalWeightThenTheFuelLeftInFlight) {
    Panels h("2");
    for (int p = 0; p < 2; ++p)
        std::ranges::copy(std::array{350.0f, 9999.0f, 50.0f, 5100.0f, 90.0f}, h.projectile(p, 0).params),
            h.refresh(p);
    EXPECT_EQ(std::pair(h.panelValue(13).caption, h.panelValue(19).caption),
              std::pair("10349"s, "10349"s)); // in full
    h.press(vk::X), h.press(98);
    for (int n = 0; n < 5; ++n) // 1.5 kg a step: 9991.5 left
        h.stepOf(0), h.stepOf(1);
    for (int p = 0; p < 2; ++p) { // fuel in whole kilograms, halves up; the charge
        h.refresh(p);
        EXPECT_EQ(h.values(p, {9, 3}) + h.screen().lastRowCaption(p).caption +
                      h.screen().lastRowUnit(p).caption,
                  "9992 350 燃料残量(Kg)")
            << p;
    }
}
