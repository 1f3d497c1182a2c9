// The computer opponent: it plays through its seat's keys only, reads only what the window shows,
// aims with the game's own laws of motion, and wins rounds against a player who does nothing.

#include <gtest/gtest.h>

#include <vector>

#include "computer/computer.h"
#include "game/screen_view.h"
#include "settings/config_file.h"
#include "sim_fixture.h"

using namespace kestrum;
using namespace kestrum::testing;
using computer::Computer;
using computer::KeyEvent;
using computer::ScreenView;
using computer::Strength;

namespace {

// Computers driven from outside the game, on either seat, as the test's own players. Every key they
// send is checked: owned by their seat, and one key at a time.
struct Seats : GameHarness {
    explicit Seats(int keyboardType) : GameHarness(configText(keyboardType, "10", 0)) { start(); }

    void seat(int side, Strength strength, uint32_t seed) {
        players[side].emplace(side, side == 0 ? kFirstSeatKeys : match().settings.secondSeatKeys, strength,
                              seed);
    }
    void answer(const std::string& mode, const std::string& air) {
        for (auto [box, text] :
             {std::pair{Box::Mode, mode}, {Box::Air, air}, {Box::Sound, std::string("n")}}) {
            game->setBoxText(box, text);
            for (auto& p : players)
                if (p) p->watch(viewOf(screen()));
        }
    }
    void tick() {
        game->tick();
        const ScreenView view = viewOf(screen());
        for (int side = 0; side < 2; ++side) {
            if (!players[side]) continue;
            const std::optional<KeyEvent> key = players[side]->act(view);
            if (record && side == 1) log.emplace_back(view, key);
            if (!key) continue;
            const auto& own = players[side]->keys().codes;
            ASSERT_NE(std::find(own.begin(), own.end(), key->code), own.end()) << "key " << key->code;
            // One key at a time: nothing held when one goes down, and only the held one comes up.
            ASSERT_EQ(down[side], key->down ? 0 : down[side] ? key->code : 0) << "key " << key->code;
            down[side] = key->down ? key->code : 0;
            key->down ? game->keyDown(key->code, 0) : game->keyUp(key->code);
        }
    }
    // Ticks until a match is over; the rounds each side won.
    std::pair<int, int> playMatch(long limit) {
        for (long t = 0; t < limit && !screen().restartPanel.visible; ++t) {
            tick();
            if (::testing::Test::HasFatalFailure()) break;
        }
        return {player(0).wins, player(1).wins};
    }

    std::optional<Computer> players[2];
    int16_t down[2] = {};
    bool record = false;
    std::vector<std::pair<ScreenView, std::optional<KeyEvent>>> log;
};

} // namespace

// ---- Playing ---------------------------------------------------------------------------------------

TEST(Computer, EveryStrengthDestroysAPassiveBaseInEveryModeWithAndWithoutAir) {
    for (const char* mode : {"1", "2"})
        for (const char* air : {"n", "y"})
            for (int strength = 1; strength <= 4; ++strength) {
                SCOPED_TRACE(::testing::Message()
                             << "mode " << mode << " air " << air << " strength " << strength);
                GameHarness h(configText(1, "10", strength));
                h.start();
                h.game->seed(7);
                h.answer(mode, air, "n");
                for (long t = 0; t < 100000 && h.player(1).wins == 0; ++t)
                    h.game->tick();
                EXPECT_EQ(h.player(1).wins, 1);
                // The first player's panel and slots were never touched.
                int touched = h.player(0).panel.cursor + h.player(0).panel.place;
                for (int slot = 0; slot < kSlots; ++slot)
                    touched += h.projectile(0, slot).launchCopy[0] != 0;
                EXPECT_EQ(touched, 0);
            }
}

TEST(Computer, StrongBeatsWeakPlayingOnlyItsOwnSeatsKeys) {
    // Both seats are played by computers, on the letter block and the keypad, so every key either
    // sends is checked.
    int strongWins = 0;
    for (uint32_t seed = 1; seed <= 6; ++seed)
        for (const char* mode : {"1", "2"}) {
            SCOPED_TRACE(::testing::Message() << "seed " << seed << " mode " << mode);
            Seats g(seed % 2);
            g.seat(0, Strength::Weak, seed);
            g.seat(1, Strength::Strongest, 100 + seed);
            g.game->seed(seed);
            g.answer(mode, seed % 3 ? "y" : "n");
            const auto [weak, strong] = g.playMatch(1000000);
            ASSERT_TRUE(g.screen().restartPanel.visible) << "the match did not end";
            if (strong == 5 && weak < 5) ++strongWins;
        }
    EXPECT_GE(strongWins, 11);
}

// ---- Seeing --------------------------------------------------------------------------------------

TEST(ComputerSees, OnlyWhatIsOnScreen) {
    Screen s = makeDesignScreen();
    Label &height = s.statusValue(0, status::kHeight), &distance = s.statusValue(0, status::kDistance);
    height.visible = true, height.caption = "120";
    distance.visible = false, distance.caption = "secret";
    // A label inside a hidden panel is not seen even though the label itself is "visible".
    s.inputPanels[1].visible = false, s.panelValues[4].caption = "999";
    s.inputPanels[3].visible = true, s.panelValues[14].caption = "2500";
    s.setupPanel.visible = false, s.airBox.text = "y";
    auto seen = [&] {
        const ScreenView v = viewOf(s);
        return v.seats[0].flightHeight + "," + v.seats[0].flightDistance + "," +
               v.seats[1].panelValues[0][0] + "," + v.seats[1].panelValues[1][0] + "," + v.airAnswer;
    };
    EXPECT_EQ(seen(), "120,,,2500,") << "the prompt panel is hidden";
    s.setupPanel.visible = true;
    EXPECT_EQ(seen(), "120,,,2500,y");
}

TEST(ComputerSees, ItsKeysFollowFromTheTextsAlone) {
    // The same texts in the same order give the same keys: nothing else reaches its decisions.
    Seats g(0);
    g.seat(1, Strength::Normal, 11);
    g.record = true;
    g.answer("2", "y");
    for (int t = 0; t < 20000; ++t)
        g.tick();
    ASSERT_GT(std::count_if(g.log.begin(), g.log.end(), [](auto& e) { return e.second.has_value(); }), 50);

    Computer replay(1, g.match().settings.secondSeatKeys, Strength::Normal, 11);
    ScreenView prompt;
    prompt.airAnswer = "y";
    replay.watch(prompt);
    for (const auto& [view, key] : g.log)
        ASSERT_EQ(replay.act(view), key);
}
