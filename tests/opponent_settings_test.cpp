// Who plays the second seat: the optional third line of config.txt (and the fourth, round results), and
// the game taking the choice at start-up and at once after Ctrl+F1, with the game's seed; Pause.

#include <gtest/gtest.h>

#include "game/screen_view.h"
#include "game_harness.h"
#include "settings/config_file.h"
#include "settings/settings_form.h"

namespace kestrum {
namespace {

using namespace testing;

TEST(ConfigThirdLine, OnlyOneToFourIsTheComputerAndNothingMakesTheReadingFail) {
    const std::pair<std::string, int> cases[] = {
        {" 1 \r\n10\r\n", 0},        {" 1 \r\n10\r\n 3 \r\n", 3}, {"1\r\n10\r\n2", 2},
        {"1\n10\n1\n", 1},           {"1\r\n10\r\n0\r\n", 0},     {"1\r\n10\r\n4\r\n", 4},
        {"1\r\n10\r\n5\r\n", 0},     {"1\r\n10\r\n-1\r\n", 0},    {"1\r\n10\r\nx\r\n", 0},
        {"1\r\n10\r\n99999\r\n", 0}, {"1\r\n10\r\n2.5\r\n", 2},   {"1\r\n10\r\n,3", 0},
        {"1\r\n10\r\n\r\n\r\n3", 3}};
    for (const auto& [text, opponent] : cases) {
        const ConfigReading r = parseConfig(text);
        EXPECT_EQ(std::tuple(r.ok, *r.keyboardType, *r.handlingPeriod, r.opponent),
                  std::tuple(true, 1, 10, opponent))
            << text;
    }
    // A third field cut off by the reading cap is no reason to doubt the first two.
    TempFolder folder;
    folder.write("config.txt", " 0 \r\n25\r\n" + std::string(70000, '2'));
    const ConfigReading r = readConfig(folder.file("config.txt"));
    EXPECT_EQ(std::tuple(r.ok, *r.handlingPeriod, r.opponent), std::tuple(true, 25, 0));
}

TEST(ConfigThirdLine, RoundResultsAreAFourthLineOnlyWhenChosen) {
    EXPECT_EQ(configText(0, "25", 0, true), " 0 \r\n25\r\n 0 \r\n 1 \r\n");
    EXPECT_EQ(configText(0, "25", 2, true), " 0 \r\n25\r\n 2 \r\n 1 \r\n");
    const std::pair<std::string, bool> cases[] = {{" 0 \r\n25\r\n 0 \r\n 1 \r\n", true},
                                                  {" 0 \r\n25\r\n 3 \r\n 1 \r\n", true},
                                                  {" 0 \r\n25\r\n 3 \r\n", false},
                                                  {" 0 \r\n25\r\n 3 \r\n 2 \r\n", false},
                                                  {" 0 \r\n25\r\n", false}};
    for (const auto& [text, on] : cases)
        EXPECT_EQ(parseConfig(text).roundResults, on) << text;
    TempFolder folder;
    folder.write("config.txt", " 0 \r\n25\r\n 0 \r\n 1 \r\n");
    SettingsForm form(folder.file("config.txt"));
    form.load();
    EXPECT_TRUE(form.roundResults);
    form.restoreDefaults();
    EXPECT_FALSE(form.roundResults);
}

TEST(Opponent, TakenAtStartUpAndAtOnceAfterCtrlF1WithACaptionThatSaysSo) {
    GameHarness h(" 1 \r\n10\r\n 3 \r\n");
    // Strength, seat and first key of the computer ("none" for a person), and the caption on screen.
    auto who = [&] {
        const auto* o = h.game->opponent();
        const Label& caption = h.screen().opponentCaption;
        return (o ? std::to_string(int(o->strength())) + " " + std::to_string(o->side()) + " " +
                        std::to_string(o->keys().codes[0])
                  : "none") +
               " " + (caption.visible ? caption.caption : "-");
    };
    h.start();
    EXPECT_EQ(who(), "3 1 104 -"); // keypad 8; no match yet
    h.answer("1", "n", "n");
    EXPECT_EQ(who(), "3 1 104 コンピュータ（強い）");
    // The dialog saves: letter keys and the weak computer; then a person; then the normal computer and
    // a spoiled file, whose failed reading keeps what was chosen.
    std::string next;
    h.platform.onDialog = [&] { return h.folder.write("config.txt", next), true; };
    for (const auto& [text, expected] :
         {std::pair{" 0 \r\n10\r\n 1 \r\n", "1 1 80 コンピュータ（弱い）"},
          {" 0 \r\n10\r\n", "none -"},
          {" 0 \r\n10\r\n 4 \r\n", "4 1 80 コンピュータ（最強）"},
          {" 0 \r\n10\r\n 2 \r\n", "2 1 80 コンピュータ（普通）"},
          {"spoiled", "2 1 80 コンピュータ（普通）"},
          {" 1 \r\n10\r\n 2 \r\n", "2 1 104 コンピュータ（普通）"}}) { // keyboard alone
        next = text;
        h.game->keyDown(vk::F1, kCtrlMask);
        EXPECT_EQ(who(), expected) << text;
    }
}

TEST(Opponent, PlaysAsAComputerGivenTheGamesSeedWould) {
    // The seated computer, and one with the game's seed driven from outside on a person's seat, tick for
    // tick on the same battlefield: the same keys, so the same screen.
    for (uint32_t seed : {7u, 8u}) {
        GameHarness seated(" 1 \r\n10\r\n 2 \r\n"), outside;
        seated.start(), outside.start();
        seated.game->seed(seed), outside.game->seed(seed);
        computer::Computer computer(1, outside.match().settings.secondSeatKeys, computer::Strength::Normal,
                                    seed);
        for (auto [box, text] : {std::pair{Box::Mode, "1"}, {Box::Air, "y"}, {Box::Sound, "n"}}) {
            seated.game->setBoxText(box, text), outside.game->setBoxText(box, text);
            computer.watch(viewOf(outside.screen()));
        }
        long keys = 0;
        for (int t = 0; t < 6000; ++t) {
            if (const auto key = computer.act(viewOf(outside.screen())))
                ++keys, key->down ? outside.game->keyDown(key->code, 0) : outside.game->keyUp(key->code);
            outside.game->tick(), seated.game->tick();
            outside.screen().opponentCaption = seated.screen().opponentCaption; // only the seat names it
            ASSERT_TRUE(seated.screen() == outside.screen()) << "seed " << seed << " tick " << t;
        }
        EXPECT_GT(keys, 20);
    }
}

TEST(Opponent, TheSeatPressesNothingForAPersonNorForTheComputerWhileADialogIsOpen) {
    for (const char* config : {" 1 \r\n10\r\n", " 1 \r\n10\r\n 3 \r\n"})
        for (const char* mode : {"1", "2"}) {
            GameHarness h(config);
            h.start();
            h.answer(mode, "n", "n");
            const bool computer = h.game->opponent() != nullptr;
            EXPECT_EQ(computer, std::string_view(config).ends_with(" 3 \r\n"));
            if (!computer) {
                EXPECT_FALSE(h.screen().opponentCaption.visible);
            }
            const Screen before = h.screen();
            const int panel = 2 * (mode[0] - '1') + 1;
            // Whether anything of the second seat moved: its panel, its slots, its readouts.
            auto touched = [&] {
                const Player& second = h.player(1);
                float sum = second.panel.cursor + second.panel.place + second.panel.step + second.panel.slot;
                for (const Projectile& shot : second.projectiles)
                    sum += float(shot.state) + std::accumulate(shot.params, std::end(shot.params), 0.0f);
                return sum != 0 || h.screen().statusValues[2].caption != "0" ||
                       h.screen().panelSlots[panel].caption != before.panelSlots[panel].caption ||
                       !h.screen().inputPanels[panel].visible;
            };
            auto ticks = [&](int n) {
                for (int t = 0; t < n; ++t)
                    h.game->tick();
            };
            // The settings dialog stays open for 20000 ticks: the timers run on, no key is pressed.
            h.platform.onDialog = [&] {
                ticks(20000);
                EXPECT_FALSE(touched()) << config << mode;
                return true;
            };
            h.game->keyDown(vk::F1, kCtrlMask);
            ticks(computer ? 2000 : 20000);
            EXPECT_EQ(touched(), computer) << config << mode << ": the computer plays once it is closed";
        }
}

// Pause stops the tick (and with it the computer) and lets go of held keys; the settings keep it paused;
// a second Pause resumes; leaving the match ends the pause.
TEST(Opponent, PauseStopsTheTickAndTheComputerUntilPressedAgain) {
    GameHarness h(" 1 \r\n10\r\n 4 \r\n");
    h.start();
    h.answer("1", "n", "n");
    h.platform.onDialog = [] { return true; };
    auto state = [&] {
        return std::tuple(h.platform.tickInterval, h.player(0).panel.step, h.screen().pauseCaption.visible);
    };
    h.game->keyDown(vk::D, 0);
    ASSERT_EQ(state(), std::tuple(10, 1, false));
    h.game->keyDown(vk::Pause, 0);
    EXPECT_EQ(state(), std::tuple(0, 0, true));
    h.game->keyDown(vk::F1, kCtrlMask);
    EXPECT_EQ(state(), std::tuple(0, 0, true)) << "the settings do not resume the match";
    h.game->keyDown(vk::Pause, kShiftMask);
    EXPECT_EQ(state(), std::tuple(10, 0, false));
    h.game->keyDown(vk::Pause, 0), h.game->keyDown(vk::F2, kCtrlMask);
    EXPECT_FALSE(h.screen().pauseCaption.visible);
    h.answer("2", "n", "n");
    EXPECT_EQ(state(), std::tuple(10, 0, false));
}

} // namespace
} // namespace kestrum
