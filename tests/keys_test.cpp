#include <gtest/gtest.h>

#include <filesystem>

#include "game_harness.h"

using namespace kestrum;
using namespace kestrum::testing;

namespace {

// Keypad codes of the second player with the keyboard type the harness starts with.
constexpr int16_t kPadUp = 104, kPadDown = 101, kPadPlaceUp = 103, kPadDecrease = 100, kPadIncrease = 102,
                  kPadLaunch1 = 97, kPadLaunch2 = 98, kPadLaunch3 = 99;

// A match under way: the prompts answered, the first round laid out.
struct Match : GameHarness {
    explicit Match(const char* mode) {
        start();
        answer(mode, "n", "n");
    }
    void press(int16_t key, int times = 1) {
        for (int i = 0; i < times; ++i)
            game->keyDown(key, 0);
    }
    // One refresh of player p as the tick does it: the player's phase advances first.
    void refresh(int p, int times = 1) {
        for (int i = 0; i < times; ++i) {
            st().turn = int16_t(p);
            st().phase[p] = int16_t((st().phase[p] + 1) & 7);
            game->suutihyouji();
        }
    }
    void ticks(int n) {
        for (int i = 0; i < n; ++i)
            game->tick();
    }
    void fill(int p, int s, std::initializer_list<float> values) {
        int k = 0;
        for (float v : values)
            st().param[p][s][k++] = v;
    }
};

} // namespace

TEST(Keys, HeldFuelLoadGrowsByThePlaceAmountThenLaunches) {
    Match h("2");
    h.fill(0, 0, {50, 0, 100, 2000, 45});
    h.ticks(16); // the round's first refresh only draws the panel; the phase comes round to 0

    h.press(vk::S, 2);
    h.press(vk::Q, 3);
    EXPECT_EQ(h.st().cursor[0], 2);
    EXPECT_EQ(h.st().place[0], 3);
    h.press(vk::D);
    EXPECT_EQ(h.st().step[0], 1000);

    // One change per sixteen timer ticks, and none past the row's largest value.
    for (int thousands = 1; thousands <= 9; ++thousands) {
        h.ticks(15);
        EXPECT_EQ(h.st().param[0][0][1], 1000.0f * float(thousands - 1));
        h.ticks(1);
        EXPECT_EQ(h.st().param[0][0][1], 1000.0f * float(thousands));
    }
    h.ticks(32);
    EXPECT_EQ(h.st().param[0][0][1], 9000.0f);
    h.game->keyUp(vk::D);
    EXPECT_EQ(h.st().step[0], 0);

    h.press(vk::X);
    const MatchState& st = h.st();
    EXPECT_EQ(st.state[0][0], 1);
    const int16_t copied[6] = {50, 9000, 100, 2000, 45, 9050};
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(st.setv[0][0][k], copied[k]) << k;
    EXPECT_EQ(st.cursor[0], 0);
    EXPECT_EQ(st.px[0][0], 55.0);
    EXPECT_EQ(st.py[0][0], float(st.basealt[0] - 10));
    EXPECT_TRUE(h.screen().orbitnumber[0].visible);
    EXPECT_FALSE(h.screen().orbitnumber[5].visible);
}

TEST(Keys, LaunchRefusalsAndRepeats) {
    Match rocket("2");
    // Fuel consumption and angle empty: the cursor reports the lowest empty row and the slot stays free.
    rocket.fill(0, 0, {50, 100, 0, 2000, 0});
    rocket.press(vk::Z);
    EXPECT_EQ(rocket.st().cursor[0], 3);
    EXPECT_EQ(rocket.st().state[0][0], 0);
    EXPECT_FALSE(rocket.screen().orbitnumber[0].visible);

    // The second player's launch keys all act, with their own slot and base.
    Match shell("1");
    shell.st().slot[1] = 3;
    shell.fill(1, 3, {125, 300, 45});
    shell.refresh(1); // derives the loading time 2.5
    shell.press(kPadLaunch1);
    EXPECT_EQ(shell.st().state[1][3], 1);
    EXPECT_EQ(shell.st().setv[1][3][3], 2); // 2.5 rounds to the even neighbour
    EXPECT_EQ(shell.st().px[1][3], shell.st().basex[1] - 55);
    EXPECT_TRUE(shell.screen().orbitnumber[8].visible);

    // A slot in play ignores further launches: nothing is copied again.
    shell.st().param[1][3][0] = 75;
    shell.st().cursor[1] = 2;
    shell.press(kPadLaunch2);
    shell.press(kPadLaunch3);
    EXPECT_EQ(shell.st().setv[1][3][0], 125);
    EXPECT_EQ(shell.st().cursor[1], 2);

    // 1.5 also rounds to 2.
    shell.fill(0, 0, {75, 300, 45, 1.5f});
    shell.press(vk::C);
    EXPECT_EQ(shell.st().setv[0][0][3], 2);
}

TEST(Keys, CursorAndPlaceLimits) {
    Match shell("1");
    shell.press(vk::W);
    EXPECT_EQ(shell.st().cursor[0], 0);
    shell.press(vk::Q);
    EXPECT_EQ(shell.st().place[0], 0); // the slot row edits units only
    shell.press(vk::S, 6);
    EXPECT_EQ(shell.st().cursor[0], 3);

    // Speed row at the thousands; the angle row has two digits, and going back keeps the lowered place.
    shell.press(vk::W);
    shell.press(vk::Q, 5);
    EXPECT_EQ(shell.st().place[0], 3);
    shell.press(vk::A);
    EXPECT_EQ(shell.st().step[0], -1000);
    shell.press(vk::S);
    EXPECT_EQ(shell.st().place[0], 1);
    shell.press(vk::W);
    EXPECT_EQ(shell.st().place[0], 1);
    shell.press(vk::E, 3);
    EXPECT_EQ(shell.st().place[0], 0);

    Match rocket("2");
    rocket.press(kPadDown, 9);
    EXPECT_EQ(rocket.st().cursor[1], 5);
    rocket.press(kPadPlaceUp, 4);
    EXPECT_EQ(rocket.st().place[1], 1);
    rocket.press(kPadUp, 9);
    EXPECT_EQ(rocket.st().cursor[1], 0);
    EXPECT_EQ(rocket.st().place[1], 0);
}

TEST(Keys, CursorDownWaitsForAFreeSlot) {
    Match h("1");
    h.fill(0, 0, {10, 100, 45});
    h.press(vk::X);
    ASSERT_EQ(h.st().state[0][0], 1);
    h.press(vk::S);
    EXPECT_EQ(h.st().cursor[0], 0);

    // Holding D while the selected projectile is in play picks the next slot, which is free.
    h.press(vk::D);
    h.refresh(0, 8);
    ASSERT_EQ(h.st().slot[0], 1);
    h.press(vk::S);
    EXPECT_EQ(h.st().cursor[0], 1);
}

TEST(Keys, CtrlF2AbandonsTheMatchOnlyWithCtrlAlone) {
    Match h("1");
    ASSERT_EQ(h.platform.tickInterval, 10);
    h.refresh(1);
    ASSERT_TRUE(h.screen().establish[1].visible);
    h.game->keyDown(vk::F2, 0);
    h.game->keyDown(vk::F2, kCtrlMask | kShiftMask);
    h.game->keyDown(vk::F2, kCtrlMask | kAltMask);
    EXPECT_EQ(h.platform.tickInterval, 10);
    EXPECT_FALSE(h.screen().selcon.visible);

    h.game->keyDown(vk::F2, kCtrlMask);
    EXPECT_EQ(h.platform.tickInterval, 0);
    EXPECT_EQ(h.st().turn, 0);
    EXPECT_TRUE(h.screen().selcon.visible);
    EXPECT_EQ(h.screen().focus, Focus::Selw);
    EXPECT_FALSE(h.screen().establish[1].visible);
    EXPECT_TRUE(h.game->boxText(Box::Selw).empty());

    // What is typed now belongs to the prompt, not to the players.
    h.press(vk::S);
    h.press(kPadDown);
    EXPECT_EQ(h.st().cursor[0], 0);
    EXPECT_EQ(h.st().cursor[1], 0);
}

TEST(Keys, CtrlF1RereadsTheSettings) {
    Match h("1");
    h.platform.onDialog = [&] { h.folder.write("config.txt", " 0 \r\n25\r\n"); };
    h.game->keyDown(vk::F1, 0);
    h.game->keyDown(vk::F1, kCtrlMask | kShiftMask);
    EXPECT_EQ(h.platform.dialogsShown, 0);

    h.game->keyDown(vk::F1, kCtrlMask);
    EXPECT_EQ(h.platform.dialogsShown, 1);
    EXPECT_EQ(h.st().kbtype, 0);
    EXPECT_EQ(h.platform.tickInterval, 25);
    // The letter block takes over at once: P moves the second player's cursor.
    h.st().cursor[1] = 2;
    h.press(80);
    EXPECT_EQ(h.st().cursor[1], 1);
    h.press(kPadUp);
    EXPECT_EQ(h.st().cursor[1], 1);
}

TEST(Keys, FailedRereadKeepsTheOldSettings) {
    for (const char* broken : {"", " 0 \r\n"}) {
        Match h("1");
        h.platform.setTickInterval(0); // a stopped tick is started again
        h.platform.onDialog = [&] {
            if (*broken) {
                h.folder.write("config.txt", broken);
            } else {
                std::filesystem::remove(h.folder.file("config.txt"));
            }
        };
        h.game->keyDown(vk::F1, kCtrlMask);
        EXPECT_EQ(h.st().kbtype, 1) << broken;
        EXPECT_EQ(h.st().opeval, 10);
        EXPECT_EQ(h.st().keys2[0], kPadUp);
        EXPECT_EQ(h.platform.tickInterval, 10);
    }
}

TEST(Keys, KeypadTableAndReleases) {
    Match h("2");
    // With the keypad chosen, the letter block is nobody's.
    for (int16_t letter : {80, 79, 76, 186, 187, 191})
        h.press(letter);
    EXPECT_EQ(h.st().cursor[1], 0);
    EXPECT_EQ(h.st().step[1], 0);

    h.press(kPadDown, 2);
    h.press(kPadPlaceUp, 2);
    h.press(kPadDecrease);
    EXPECT_EQ(h.st().step[1], -100);
    h.press(kPadIncrease);
    EXPECT_EQ(h.st().step[1], 100);
    h.game->keyUp(vk::D); // the first player's release leaves the second player's key alone
    EXPECT_EQ(h.st().step[1], 100);
    h.game->keyUp(kPadDecrease);
    EXPECT_EQ(h.st().step[1], 0);

    // Releasing A while D is still down stops the change all the same.
    h.press(vk::D);
    ASSERT_EQ(h.st().step[0], 1);
    h.game->keyUp(vk::A);
    EXPECT_EQ(h.st().step[0], 0);
}
