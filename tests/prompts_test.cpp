#include <gtest/gtest.h>

#include "game_harness.h"

using namespace kestrum;
using namespace kestrum::testing;
using namespace std::string_literals;

TEST(Prompts, WrongAnswersAreErasedAndTheQuestionsMoveOn) {
    GameHarness h;
    h.start();
    Game& game = *h.game;
    // The box's text, then where the focus is: 0 nowhere, then the boxes in their order from 1.
    auto box = [&](Box b) {
        const std::optional<Box> focus = h.screen().focus;
        return game.boxText(b) + char('0' + (focus ? int(*focus) + 1 : 0));
    };
    for (const char* wrong : {"3", "x", "12", " 1", "１"}) {
        game.setBoxText(Box::Mode, wrong);
        EXPECT_EQ(box(Box::Mode), "1") << wrong; // erased, focus stays
    }
    game.setBoxText(Box::Mode, "2"), game.setBoxText(Box::Air, "x"); // any keystroke moves on
    EXPECT_EQ(box(Box::Air), "3");                                   // focus on the sound box
    EXPECT_EQ(std::pair(h.match().mode, h.match().air), std::pair(BattleMode::Rockets, int16_t(0)))
        << "a wrong one keeps the answer";
    game.setBoxText(Box::Sound, "ｎ"); // full-width: no width or case folding
    EXPECT_EQ(game.boxText(Box::Sound) + char('0' + h.screen().setupPanel.visible), "1");
}

TEST(Prompts, RestartReopensEmptyPromptsThatKeepTheAnswers) {
    GameHarness h;
    h.start(), h.answer("2", "Y", "Y"); // upper case counts at every prompt
    EXPECT_EQ(std::pair(h.match().air, h.match().sound), std::pair(int16_t(1), int16_t(1)));
    h.player(0).wins = 4, h.projectile(1, 2).params[0] = 50;
    h.projectile(0, 1).launchCopy[1] = 9999; // a launched rocket's fuel
    h.game->field().explosion[3].visible = true;
    h.screen().restartPanel.visible = true;
    h.game->setBoxText(Box::Restart, "1");
    EXPECT_EQ(std::pair(h.game->boxText(Box::Restart), h.screen().restartPanel.visible),
              std::pair(""s, true));
    h.game->setBoxText(Box::Restart, "Y");
    EXPECT_EQ(std::tuple(h.screen().setupPanel.visible, h.screen().focus, h.platform.quitCalls),
              std::tuple(true, std::optional(Box::Mode), 0));
    EXPECT_EQ(h.game->boxText(Box::Mode) + h.game->boxText(Box::Air) + h.game->boxText(Box::Sound), "");
    EXPECT_FALSE(h.game->field().explosion[3].visible) << "no fireball left standing for the next match";
    // Answering the last boxes alone starts a match with the old mode, from zero.
    h.game->focusBox(Box::Air), h.game->setBoxText(Box::Air, "N"), h.game->setBoxText(Box::Sound, "N");
    EXPECT_EQ(std::tuple(h.match().mode, h.match().air, h.match().sound, h.player(0).wins,
                         h.projectile(1, 2).params[0]),
              std::tuple(BattleMode::Rockets, 0, 0, 0, 0.0f));
    EXPECT_EQ(h.projectile(0, 1).launchCopy[1], 0)
        << "the next round must not restore the last match's launch";
    h.screen().restartPanel.visible = true;
    h.game->setBoxText(Box::Restart, ""), h.game->setBoxText(Box::Restart, "N");
    EXPECT_EQ(std::pair(h.platform.quitCalls, h.platform.quitStatus), std::pair(1, 0));
}
