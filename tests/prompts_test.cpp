#include <gtest/gtest.h>

#include "game_harness.h"

using namespace kestrum;
using namespace kestrum::testing;
using namespace std::string_literals;

TEST(Prompts, WrongAnswersAreErasedAndTheQuestionsMoveOn) {
    GameHarness h;
    h.start();
    Game& game = *h.game;
    auto box = [&](Box b) { return game.boxText(b) + char('0' + int(h.screen().focus)); };
    for (const char* wrong : {"3", "x", "12", " 1", "１"}) {
        game.setBoxText(Box::Selw, wrong);
        EXPECT_EQ(box(Box::Selw), "1") << wrong; // erased, focus stays
    }
    game.setBoxText(Box::Selw, "2"), game.setBoxText(Box::Selr, "x"); // any keystroke moves on
    EXPECT_EQ(box(Box::Selr), "3");                                   // focus on the sound box
    EXPECT_EQ(std::pair(h.st().mode, h.st().air), std::pair(1.0, int16_t(0)))
        << "a wrong one keeps the answer";
    game.setBoxText(Box::Sels, "ｎ"); // full-width: no width or case folding
    EXPECT_EQ(game.boxText(Box::Sels) + char('0' + h.screen().selcon.visible), "1");
    game.setBoxText(Box::Sels, "N");
    EXPECT_EQ(std::tuple(h.screen().selcon.visible, h.screen().focus, h.platform.tickInterval),
              std::tuple(false, Focus::None, 10))
        << "the keys go to the main window";
    EXPECT_TRUE(h.screen().changetitle[5].caption == "(Kg)" && h.screen().score[0].visible &&
                h.game->field().base[1].visible);
}

TEST(Prompts, RestartReopensEmptyPromptsThatKeepTheAnswers) {
    GameHarness h;
    h.start(), h.answer("2", "Y", "Y"); // upper case counts at every prompt
    EXPECT_EQ(std::pair(h.st().air, h.st().sound), std::pair(int16_t(1), int16_t(1)));
    h.st().wins[0] = 4, h.st().param[1][2][0] = 50, h.st().setv[0][1][1] = 9999; // a launched rocket's fuel
    h.game->field().explosion[3].visible = true;
    h.game->field().setPoint(10, 10, colour::trail);
    h.screen().again.visible = true;
    h.game->setBoxText(Box::Againput, "1");
    EXPECT_EQ(std::pair(h.game->boxText(Box::Againput), h.screen().again.visible), std::pair(""s, true));
    h.game->setBoxText(Box::Againput, "Y");
    EXPECT_EQ(std::tuple(h.screen().selcon.visible, h.screen().focus, h.platform.quitCalls),
              std::tuple(true, Focus::Selw, 0));
    EXPECT_EQ(h.game->boxText(Box::Selw) + h.game->boxText(Box::Selr) + h.game->boxText(Box::Sels), "");
    EXPECT_FALSE(h.screen().again.visible || h.screen().value[3].visible || h.screen().normal[0].visible ||
                 h.screen().score[1].visible || h.game->field().base[0].visible ||
                 h.game->field().jimen.visible || h.game->field().explosion[3].visible)
        << "no fireball left standing for the next match";
    EXPECT_EQ(h.game->field().point(10, 10), colour::screenCyan);
    // Answering the last boxes alone starts a match with the old mode, from zero.
    h.game->focusBox(Box::Selr), h.game->setBoxText(Box::Selr, "N"), h.game->setBoxText(Box::Sels, "N");
    EXPECT_EQ(std::tuple(h.st().mode, h.st().air, h.st().sound, h.st().wins[0], h.st().param[1][2][0]),
              std::tuple(1, 0, 0, 0, 0.0f));
    EXPECT_EQ(h.screen().changetitle[1].caption, "ミサイル状況");
    EXPECT_EQ(h.st().setv[0][1][1], 0) << "the next round must not restore the last match's launch";
    h.screen().again.visible = true;
    h.game->setBoxText(Box::Againput, ""), h.game->setBoxText(Box::Againput, "N");
    EXPECT_EQ(std::pair(h.platform.quitCalls, h.platform.quitStatus), std::pair(1, 0));
}
