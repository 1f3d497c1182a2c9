// Keys: held amounts, launching, the unnamed key and the Ctrl chords. (The cursor, place and step
// each key gives are pinned, key by key, by the behaviour lock's players.)

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <utility>

#include "game/replay_hashes.h"
#include "sim_fixture.h"

using namespace kestrum;
using namespace kestrum::testing;

// The second player's keypad codes with the keyboard type the harness starts with.
constexpr int16_t kPadDown = 101, kPadIncrease = 102;

TEST(Keys, HeldFuelLoadGrowsByThePlaceAmountThenLaunches) {
    SimMatch h("2");
    float* param = h.projectile(0, 0).params;
    param[0] = 50, param[2] = 100, param[3] = 2000, param[4] = 45;
    for (int t = 0; t < 16; ++t) // the round's first refresh only draws the panel; the phase comes round
        h.game->tick();
    h.press(vk::S, 2), h.press(vk::Q, 3), h.press(vk::D);
    for (int t = 1; t <= 16 * 11; ++t) { // one change per sixteen ticks, none past the row's largest value
        h.game->tick();
        ASSERT_EQ(param[1], 1000.0f * float(std::min(t / 16, 9))) << t;
    }
    h.game->keyUp(vk::D), h.press(vk::X);
    EXPECT_EQ(std::to_array(h.projectile(0, 0).launchCopy),
              (std::array<int16_t, 6>{50, 9000, 100, 2000, 45, 9050}));
    EXPECT_TRUE(h.player(0).panel.cursor == 0 && h.screen().slotLabel(0, 0).visible);
}

TEST(Keys, UnnamedKeyIsNobodysCtrlChordsNeedCtrlAloneAndThePeriodNeverStopsTheTick) {
    SimMatch h("1");
    // Before the settings name the second player's keys their table is all zeros: a key the window
    // could not name (code 0) must not act as the first of them, cursor up.
    std::ranges::fill(h.match().settings.secondSeatKeys.codes, int16_t(0));
    h.player(1).panel.cursor = 2;
    h.press(0);
    EXPECT_EQ(h.player(1).panel.cursor, 2) << "code 0 moved the cursor up";

    for (int16_t key : {vk::F1, vk::F2})
        for (int modifiers : {0, kCtrlMask | kShiftMask, kCtrlMask | kAltMask, int(kAltMask)})
            h.game->keyDown(key, int16_t(modifiers));
    EXPECT_FALSE(h.platform.dialogsShown || h.screen().setupPanel.visible) << "only Ctrl alone opens them";
    // (What Ctrl+F1 and Ctrl+F2 then do, the behaviour lock pins.)

    // A period of 0 would stop the timer for good; below 1 the match runs as fast as a timer can.
    SimMatch fast;
    fast.match().settings.handlingPeriod = 0, fast.answer("1", "n", "n");
    EXPECT_EQ(fast.platform.tickInterval, 1);
}

TEST(Keys, HeldAmountsEndWhenTheSettingsDialogTakesTheKeyboard) {
    // A key let go while the settings dialog had the keyboard sends its key-up elsewhere: the amount
    // must not go on climbing. (Another window taking the keyboard is the window test's.)
    SimMatch h("1");
    const float* amount[] = {&h.projectile(0, 0).params[0], &h.projectile(1, 0).params[0]};
    auto ticks = [&](int n) {
        while (n--)
            h.game->tick();
        return std::pair(*amount[0], *amount[1]);
    };
    h.platform.onDialog = [] { return true; };
    ticks(16);
    h.press(vk::S), h.press(vk::D), h.press(kPadDown), h.press(kPadIncrease);
    const auto [left, right] = ticks(32);
    ASSERT_TRUE(left > 0 && right > 0) << "both amounts are held";
    h.game->keyDown(vk::F1, kCtrlMask); // D and keypad 6 are let go while the dialog is open
    EXPECT_EQ(h.platform.lastOccasion, SettingsOccasion::DuringMatch);
    const auto then = ticks(0);
    EXPECT_EQ(ticks(64), then) << "no key is held after the dialog";
    h.press(vk::D); // held again afterwards, it counts again
    EXPECT_GT(ticks(32).first, then.first);
}

TEST(Keys, TicksPromisedQuietChangeNothingShownUntilTheNextKey) {
    // A window runs the ticks the game calls quiet late, in one go before the next key: each of them
    // must leave the screen and the battlefield as they were. Cursor, place and held keys of both
    // seats, and a shell from each side whose trail the ring erases 4000 ticks later.
    SimMatch h("1");
    const KeyMap& right = h.match().settings.secondSeatKeys;
    auto launch = [&](int p) { // loading time 0.02 s, steep enough to stay over the field
        float* param = h.projectile(p, 1).params;
        param[0] = 1, param[1] = 120, param[2] = 78, param[3] = 0.02f;
        h.player(p).panel.slot = 1;
        h.press(p == 0 ? vk::X : right[SeatKey::Launch]);
    };
    const std::pair<int, std::function<void()>> script[] = {
        {40, [&] { h.press(vk::S); }},
        {75, [&] { h.press(vk::Q); }},
        {120, [&] { h.press(vk::D); }},
        {180, [&] { h.game->keyUp(vk::D); }},
        {200, [&] { launch(0); }},
        {220, [&] { launch(1); }},
        {300, [&] { h.press(right[SeatKey::Down]); }},
        {301, [&] { h.press(right[SeatKey::Increase]); }},
        {361, [&] { h.game->keyUp(right[SeatKey::Increase]); }},
        {900, [&] { h.press(vk::W); }},
        {2500, [&] { h.press(right[SeatKey::Up]), h.press(right[SeatKey::PlaceUp]); }}};
    int promisedUntil = 0, promised = 0;
    Screen before;
    uint64_t raster = 0;
    for (int t = 0; t < 6000; ++t) {
        for (const auto& [at, input] : script)
            if (t == at) input(), promisedUntil = 0;
        if (const int ahead = h.game->quietTicksAhead(50); ahead > 0 && promisedUntil <= t) {
            before = h.screen(), raster = rasterHash(h.game->field());
            promisedUntil = t + ahead;
        }
        h.game->tick();
        if (t < promisedUntil) {
            ++promised;
            ASSERT_TRUE(h.screen() == before && rasterHash(h.game->field()) == raster) << "tick " << t;
        }
    }
    EXPECT_TRUE(h.projectile(0, 1).state == ProjectileState::Idle && h.projectile(1, 1).launchCopy[1] == 120);
    EXPECT_GT(promised, 2500) << "too few ticks were promised quiet to test anything";
}
