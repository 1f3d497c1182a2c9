#include <gtest/gtest.h>

#include "game_harness.h"

using namespace kestrum;
using namespace kestrum::testing;

namespace {

struct Prompts : ::testing::Test {
    Prompts() { h.start(); }
    Game& game() { return *h.game; }
    const Screen& screen() { return h.screen(); }
    GameHarness h;
};

} // namespace

TEST_F(Prompts, WrongAnswersAreErasedAndTheQuestionStays) {
    EXPECT_TRUE(screen().selcon.visible);
    EXPECT_EQ(screen().focus, Focus::Selw);
    for (const char* wrong : {"3", "0", "x", "12", " 1", "１", "ｙ"}) {
        game().setBoxText(Box::Selw, wrong);
        EXPECT_EQ(game().boxText(Box::Selw), "") << wrong;
        EXPECT_EQ(screen().focus, Focus::Selw);
    }
    game().setBoxText(Box::Selw, "2");
    EXPECT_EQ(h.st().mode, 1.0);
    EXPECT_EQ(screen().focus, Focus::Selr);
    EXPECT_EQ(game().boxText(Box::Selr), "");

    // Any keystroke in the air box moves on; a wrong one leaves the answer as it was.
    game().setBoxText(Box::Selr, "x");
    EXPECT_EQ(game().boxText(Box::Selr), "");
    EXPECT_EQ(h.st().air, 0);
    EXPECT_EQ(screen().focus, Focus::Sels);

    // Full-width letters are not answers: no width or case folding.
    game().setBoxText(Box::Sels, "ｎ");
    EXPECT_EQ(game().boxText(Box::Sels), "");
    EXPECT_TRUE(screen().selcon.visible);
}

TEST_F(Prompts, LastAnswerStartsTheMatch) {
    h.answer("1", "Y", "N");
    EXPECT_EQ(h.st().mode, 0.0);
    EXPECT_EQ(h.st().air, 1);
    EXPECT_EQ(h.st().sound, 0);
    EXPECT_FALSE(screen().selcon.visible);
    EXPECT_EQ(screen().focus, Focus::None) << "the keys go to the main window";
    EXPECT_EQ(h.platform.tickInterval, 10);
    EXPECT_TRUE(screen().score[0].visible);
    EXPECT_EQ(screen().changetitle[0].caption, "砲弾状況");
    EXPECT_EQ(screen().changetitle[3].caption, "装填時間");
    EXPECT_EQ(screen().changetitle[5].caption, "(s)");
    EXPECT_TRUE(h.game->field().jimen.visible);
    EXPECT_TRUE(h.game->field().base[1].visible);
}

TEST_F(Prompts, ReopenedPromptsAreEmptyButKeepTheAnswers) {
    h.answer("2", "y", "y");
    h.st().wins[0] = 4;
    h.st().param[1][2][0] = 50;
    h.st().setv[0][1][1] = 9999; // a rocket's fuel load, launched in this match
    h.game->clearBattlefield();
    h.game->openPrompts();
    EXPECT_TRUE(screen().selcon.visible);
    EXPECT_EQ(screen().focus, Focus::Selw) << "the focus ends in the mode box";
    for (Box b : {Box::Selw, Box::Selr, Box::Sels}) EXPECT_EQ(game().boxText(b), "");
    EXPECT_EQ(h.st().mode, 1.0);
    EXPECT_EQ(h.st().air, 1);
    EXPECT_EQ(h.st().sound, 1);
    EXPECT_FALSE(screen().normal[0].visible);
    EXPECT_FALSE(screen().score[1].visible);
    EXPECT_FALSE(h.game->field().jimen.visible);

    // Clicking into the sound box and answering it alone starts a match with the old answers.
    game().focusBox(Box::Sels);
    game().setBoxText(Box::Sels, "n");
    EXPECT_FALSE(screen().selcon.visible);
    EXPECT_EQ(h.st().mode, 1.0);
    EXPECT_EQ(h.st().air, 1);
    EXPECT_EQ(screen().changetitle[1].caption, "ミサイル状況");
    EXPECT_EQ(screen().changetitle[2].caption, "燃料残量");
    EXPECT_EQ(screen().changetitle[4].caption, "(Kg)");
    // A new match starts from zero.
    EXPECT_EQ(h.st().wins[0], 0);
    EXPECT_EQ(h.st().param[1][2][0], 0);
    EXPECT_EQ(h.st().setv[0][1][1], 0) << "the next round must not restore the last match's launch";
    EXPECT_EQ(screen().score[0].caption, "0");
}

TEST_F(Prompts, RestartPrompt) {
    h.answer("1", "n", "n");
    h.game->field().setPoint(10, 10, 0x00FFFF);
    h.screen().again.visible = true;
    h.screen().focus = Focus::Againput;

    game().setBoxText(Box::Againput, "1");
    EXPECT_EQ(game().boxText(Box::Againput), "");
    EXPECT_TRUE(screen().again.visible);

    game().setBoxText(Box::Againput, "Y");
    EXPECT_FALSE(screen().again.visible);
    EXPECT_TRUE(screen().selcon.visible);
    EXPECT_EQ(screen().focus, Focus::Selw);
    EXPECT_FALSE(screen().value[3].visible);
    EXPECT_FALSE(screen().score[0].visible);
    EXPECT_FALSE(h.game->field().base[0].visible);
    EXPECT_EQ(h.game->field().point(10, 10), Battlefield::kSeeThrough);
    EXPECT_EQ(game().boxText(Box::Againput), "Y") << "kept until the prompt opens again";
    EXPECT_EQ(h.platform.quitCalls, 0);

    h.answer("1", "n", "n");
    h.screen().again.visible = true;
    game().setBoxText(Box::Againput, "");
    game().setBoxText(Box::Againput, "n");
    EXPECT_EQ(h.platform.quitCalls, 1);
    EXPECT_EQ(h.platform.quitStatus, 0);
}
