// The computer opponent: it plays through its seat's keys only, reads only what the window shows,
// aims with the game's own laws of motion, and wins rounds against a player who does nothing.

#include <gtest/gtest.h>

#include <algorithm>

#include "computer/computer.h"
#include "game/screen_view.h"
#include "settings/config_file.h"
#include "sim_fixture.h"

using namespace kestrum;
using namespace kestrum::testing;
using computer::Computer;
using computer::KeyEvent;
using computer::Strength;

// ---- Playing ---------------------------------------------------------------------------------------

TEST(Computer, EveryStrengthDestroysAPassiveBaseInEveryModeWithAndWithoutAir) {
    // Seated before the prompts it reads the air answer; seated with Ctrl+F1 mid-match it has not seen
    // it, and works out from its first shots how they fly.
    for (const char* mode : {"1", "2"})
        for (const auto& [air, seatedLate] : {std::pair{"n", false}, {"y", false}, {"y", true}})
            for (int strength = 1; strength <= 4; ++strength) {
                SCOPED_TRACE(::testing::Message() << "mode " << mode << " air " << air << " strength "
                                                  << strength << (seatedLate ? " seated late" : ""));
                const std::string config = configText(1, "10", strength);
                GameHarness h(seatedLate ? configText(1, "10", 0) : config);
                h.platform.onDialog = [&] { return h.folder.write("config.txt", config), true; };
                h.start();
                h.game->seed(7);
                h.answer(mode, air, "n");
                if (seatedLate) h.game->keyDown(vk::F1, kCtrlMask);
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
    // The strongest computer on the second seat, the weak one driven from outside on the first, whose every
    // key is checked: one of its seat's, and one at a time (nothing held when one goes down, only the held
    // one let go).
    int strongWins = 0;
    for (uint32_t seed = 1; seed <= 6; ++seed)
        for (const char* mode : {"1", "2"}) {
            SCOPED_TRACE(::testing::Message() << "seed " << seed << " mode " << mode);
            GameHarness h(configText(int(seed % 2), "10", int(Strength::Strongest)));
            h.start();
            h.game->seed(seed);
            Computer weak(0, kFirstSeatKeys, Strength::Weak, seed);
            for (auto [box, text] :
                 {std::pair{Box::Mode, mode}, {Box::Air, seed % 3 ? "y" : "n"}, {Box::Sound, "n"}})
                h.game->setBoxText(box, text), weak.watch(viewOf(h.screen()));
            int16_t held = 0;
            for (long t = 0; t < 1000000 && !h.screen().restartPanel.visible; ++t) {
                if (const std::optional<KeyEvent> key = weak.act(viewOf(h.screen()))) {
                    ASSERT_TRUE(std::ranges::count(kFirstSeatKeys.codes, key->code)) << key->code;
                    ASSERT_EQ(held, key->down ? 0 : held ? key->code : 0) << key->code;
                    held = key->down ? key->code : 0;
                    key->down ? h.game->keyDown(key->code, 0) : h.game->keyUp(key->code);
                }
                h.game->tick();
            }
            ASSERT_TRUE(h.screen().restartPanel.visible) << "the match did not end";
            strongWins += h.player(1).wins == 5 && h.player(0).wins < 5;
        }
    EXPECT_GE(strongWins, 11);
}

// ---- Seeing --------------------------------------------------------------------------------------

TEST(ComputerSees, TheAirAnswerOnlyWhileThePromptShows) {
    // (Labels hidden, or inside a hidden panel, are never seen: the behaviour lock pins the play that
    // follows from it.)
    Screen s = makeDesignScreen();
    s.setupPanel.visible = false, s.airBox.text = "y";
    EXPECT_EQ(viewOf(s).airAnswer, "");
    s.setupPanel.visible = true;
    EXPECT_EQ(viewOf(s).airAnswer, "y");
}
