// Who plays the second seat: the optional third line of config.txt, the settings form, and the game
// taking the choice at start-up and at once after Ctrl+F1.

#include <gtest/gtest.h>

#include <fstream>

#include "game_harness.h"
#include "settings/config_file.h"
#include "settings/settings_form.h"

namespace kestrum {
namespace {

using namespace testing;

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(ConfigThirdLine, OnlyOneToThreeIsTheComputerAndNothingMakesTheReadingFail) {
    const std::pair<std::string, int> cases[] = {
        {" 1 \r\n10\r\n", 0},      {" 1 \r\n10\r\n 3 \r\n", 3}, {"1\r\n10\r\n2", 2},
        {"1\n10\n1\n", 1},         {"1\r\n10\r\n0\r\n", 0},     {"1\r\n10\r\n4\r\n", 0},
        {"1\r\n10\r\n-1\r\n", 0},  {"1\r\n10\r\nx\r\n", 0},     {"1\r\n10\r\n99999\r\n", 0},
        {"1\r\n10\r\n2.5\r\n", 2}, {"1\r\n10\r\n,3", 0},        {"1\r\n10\r\n\r\n\r\n3", 3}};
    for (const auto& [text, opponent] : cases) {
        const ConfigReading r = parseConfig(text);
        EXPECT_TRUE(r.ok) << text;
        EXPECT_EQ(*r.first * 100 + *r.second, 110) << text;
        EXPECT_EQ(r.opponent, opponent) << text;
    }
    // A third field cut off by the reading cap is no reason to doubt the first two.
    TempFolder folder;
    folder.write("config.txt", " 0 \r\n25\r\n" + std::string(70000, '2'));
    const ConfigReading r = readConfig(folder.file("config.txt"));
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(*r.second, 25);
    EXPECT_EQ(r.opponent, 0);
}

TEST(ConfigThirdLine, WrittenOnlyWhenTheComputerPlays) {
    EXPECT_EQ(configText(1, "10"), " 1 \r\n10\r\n");
    for (int person : {0, -1, 4})
        EXPECT_EQ(configText(0, "25", person), " 0 \r\n25\r\n") << person;
    for (int strength : {1, 2, 3})
        EXPECT_EQ(configText(1, "10", strength), " 1 \r\n10\r\n " + std::to_string(strength) + " \r\n");
}

TEST(SettingsForm, OpponentRoundTripsAndAPersonLeavesTheTwoLinesAsTheyWere) {
    TempFolder folder;
    const std::string path = folder.file("config.txt");
    folder.write("config.txt", " 0 \r\n25\r\n");
    SettingsForm form(path);
    form.load();
    EXPECT_EQ(form.opponent, 0);
    ASSERT_EQ(form.save(), SettingsForm::SaveOutcome::Saved);
    EXPECT_EQ(slurp(path), " 0 \r\n25\r\n");

    form.opponent = 2;
    ASSERT_EQ(form.save(), SettingsForm::SaveOutcome::Saved);
    EXPECT_EQ(slurp(path), " 0 \r\n25\r\n 2 \r\n");
    SettingsForm again(path);
    again.load();
    EXPECT_EQ(again.opponent, 2);
    EXPECT_EQ(again.opevalText, "25");

    again.restoreDefaults();
    EXPECT_EQ(again.opponent, 0);
    again.tenkey = false, again.opevalText = "25";
    ASSERT_EQ(again.save(), SettingsForm::SaveOutcome::Saved);
    EXPECT_EQ(slurp(path), " 0 \r\n25\r\n");
}

TEST(Opponent, TakenAtStartUpAndAtOnceAfterCtrlF1) {
    GameHarness h(" 1 \r\n10\r\n 3 \r\n");
    h.start();
    ASSERT_NE(h.game->opponent(), nullptr);
    EXPECT_EQ(h.game->opponent()->strength(), computer::Strength::Strong);
    EXPECT_EQ(h.game->opponent()->side(), 1);
    EXPECT_EQ(h.game->opponent()->keys()[0], 104); // keypad 8

    h.answer("1", "n", "n");
    // The dialog saves: letter keys and the weak computer; then a person; then a spoiled file.
    std::string next;
    h.platform.onDialog = [&] { return h.folder.write("config.txt", next), true; };
    next = " 0 \r\n10\r\n 1 \r\n";
    h.game->keyDown(vk::F1, kCtrlMask);
    ASSERT_NE(h.game->opponent(), nullptr);
    EXPECT_EQ(h.game->opponent()->strength(), computer::Strength::Weak);
    EXPECT_EQ(h.game->opponent()->keys()[0], 80); // P

    next = " 0 \r\n10\r\n";
    h.game->keyDown(vk::F1, kCtrlMask);
    EXPECT_EQ(h.game->opponent(), nullptr);

    next = " 0 \r\n10\r\n 2 \r\n";
    h.game->keyDown(vk::F1, kCtrlMask);
    next = "spoiled";
    h.game->keyDown(vk::F1, kCtrlMask); // a failed reading keeps what was chosen
    ASSERT_NE(h.game->opponent(), nullptr);
    EXPECT_EQ(h.game->opponent()->strength(), computer::Strength::Normal);
}

TEST(Opponent, APersonsSeatDoesNothingByItself) {
    for (const char* mode : {"1", "2"}) {
        GameHarness h(" 1 \r\n10\r\n");
        h.start();
        h.answer(mode, "n", "n");
        EXPECT_EQ(h.game->opponent(), nullptr);
        const Screen before = h.screen();
        for (int t = 0; t < 20000; ++t)
            h.game->tick();
        const MatchState& st = h.st();
        EXPECT_EQ(st.cursor[1] + st.place[1] + st.step[1] + st.slot[1], 0);
        for (int s = 0; s < kSlots; ++s) {
            EXPECT_EQ(st.state[1][s], 0);
            for (float v : st.param[1][s])
                EXPECT_EQ(v, 0);
        }
        EXPECT_EQ(h.screen().value[2].caption, "0");
        const int panel = 2 * (mode[0] - '1') + 1;
        EXPECT_EQ(h.screen().estanumber[panel].caption, before.estanumber[panel].caption);
        EXPECT_TRUE(h.screen().establish[panel].visible);
    }
}

TEST(Opponent, ChangesNothingForTwoPeople) {
    // The same seed, the same keys: a match with a person on the second seat goes exactly as before.
    auto play = [](const std::string& config) {
        GameHarness h(config);
        h.start();
        h.game->seed(5);
        h.answer("1", "n", "n");
        for (int t = 0; t < 3000; ++t) {
            if (t == 10) h.game->keyDown(vk::S, 0), h.game->keyDown(vk::D, 0);
            if (t == 400) h.game->keyUp(vk::D);
            h.game->tick();
        }
        return h.screen();
    };
    EXPECT_EQ(play(" 1 \r\n10\r\n"), play(" 1 \r\n10\r\n 0 \r\n"));
}

} // namespace
} // namespace kestrum
