// Impacts: explosion sizes and frames, damage columns, bases blowing up and the match decision. (The
// large explosion's frames and the new round after it are pinned by the behaviour lock.)

#include <gtest/gtest.h>

#include <algorithm>

#include "settings/config_file.h"
#include "sim_fixture.h"

using namespace kestrum;
using namespace kestrum::testing;

// An explosion of slot s on `struck` that ends on its player's next step.
static void endingBlast(SimMatch& h, int p, int s, Struck struck) {
    h.place(p, s, {150, 100, 45, 3});
    Projectile& blast = h.projectile(p, s);
    blast.state = ProjectileState::Exploding, blast.fireball = 9, blast.struck = struck;
}

TEST(Impacts, ExplosionSizeFollowsTheCharge) {
    SimMatch h("1");
    // Ground hits beyond the left edge. 372 tells the exponent 0.33333 from a true third (51).
    const float cases[][2] = {{1, 13}, {150, 39}, {350, 50}, {372, 50}, {2500, 90}};
    for (int s = 0; s < 5; ++s) {
        h.place(0, s, {cases[s][0], 100, 45, 0});
        physics::Motion& m = h.projectile(0, s).motion;
        m.x = -100, m.y = 0.5f, m.vy = -100;
    }
    h.stepOf(0);
    for (int s = 0; s < 5; ++s) {
        const Projectile& shot = h.projectile(0, s);
        EXPECT_TRUE(shot.state == ProjectileState::Exploding && shot.fireball == cases[s][1] &&
                    shot.struck == Struck::Ground)
            << cases[s][0];
    }
}

TEST(Impacts, ReArmingRestoresTheLaunchCopyWithHalvesToEven) {
    SimMatch h("1");
    for (int p = 0; p < 2; ++p) { // launched; the explosion ends on the next step
        Projectile& shot = h.projectile(p, 0);
        h.place(p, 0, {100, 100, 45, p == 0 ? 2.5f : 1.5f}), shot.state = ProjectileState::Idle;
        h.press(p == 0 ? vk::X : h.match().settings.secondSeatKeys.codes[6]);
        shot.state = ProjectileState::Exploding, shot.fireball = 9, shot.struck = Struck::Ground;
    }
    h.stepOf(1), h.stepOf(0);
    EXPECT_EQ(std::pair(h.projectile(0, 0).params[3], h.projectile(1, 0).params[3]), std::pair(2.0f, 2.0f));
}

TEST(Impacts, BaseHitDestroysTheColumnsUnderTheBlast) {
    SimMatch h("1", "n", "n", true);
    const Base &leftBase = h.player(0).base, &rightBase = h.player(1).base;
    physics::Motion &fromRight = h.projectile(1, 0).motion, &fromLeft = h.projectile(0, 0).motion;
    // R = 19.5 m: 10 m from the left base's edge; 12 m below the right one's bottom, a 15.37 m half-chord.
    h.place(1, 0, {150, 100, 45, 1});
    fromRight.x = 10, fromRight.y = float(leftBase.altitude - 29);
    h.place(0, 0, {150, 100, 45, 1});
    fromLeft.x = rightBase.edge - 10, fromLeft.y = float(rightBase.altitude - 44);
    h.place(0, 1, {150, 100, 45, 1}); // 20 m below the bottom: its circle never reaches the columns
    h.projectile(0, 1).motion.x = rightBase.edge - 60;
    h.projectile(0, 1).motion.y = float(rightBase.altitude - 52);
    h.stepOf(1), h.stepOf(0);
    ASSERT_EQ(h.projectile(0, 1).struck, Struck::RightBase);
    for (int b = 0; b < 2; ++b)
        for (int c = 0; c < 100; ++c)
            EXPECT_EQ(h.player(b).base.columns[c], c <= (b == 0 ? 29 : 25) ? 1 : 0) << b << ": " << c;
}

TEST(Impacts, SeventyPercentBlowsABaseUpOnce) {
    SimMatch h("1", "n", "y");
    Player(&player)[2] = h.match().players;
    const Battlefield& f = h.game->field();
    auto played = [&](SoundId id) { return std::count(h.sound.played.begin(), h.sound.played.end(), id); };
    std::fill_n(player[1].base.columns, 69, int16_t(1)), endingBlast(h, 0, 0, Struck::RightBase), h.stepOf(0);
    EXPECT_EQ(std::tuple(h.projectile(0, 0).state, player[0].wins, f.base[1].visible),
              std::tuple(ProjectileState::Idle, 0, true));

    // Two blasts end on it at 70 %: the second only re-arms, with the small sound.
    player[1].base.columns[69] = 1;
    endingBlast(h, 0, 3, Struck::RightBase), endingBlast(h, 0, 4, Struck::RightBase), h.stepOf(0);
    const Projectile& blowingUp = h.projectile(0, 3);
    EXPECT_EQ(std::tuple(player[0].wins, blowingUp.state, blowingUp.fireball, blowingUp.struck),
              std::tuple(1, ProjectileState::Exploding, 100, Struck::BaseBlowingUp));
    EXPECT_EQ(std::tuple(h.projectile(0, 4).state, played(SoundId::Explosion), f.base[1].visible),
              std::tuple(ProjectileState::Idle, 2, false));
}

TEST(Impacts, FiveWinsDecideTheMatchAndWreckingTheOwnBaseGivesTheRoundAway) {
    // Both bases blow up in one step, the second by its own player's shot: 4-4 becomes a draw, 4-3 a win.
    for (const auto& [rightWins, result] :
         {std::pair{4, std::vector<PrintedText>{{288, 300, "引き分け", 12, 0}}},
          {3, std::vector<PrintedText>{{272, 400, "勝者", 12, 0}, {496, 400, "敗者", 12, 0}}}}) {
        SimMatch h("1", "n", "y");
        h.player(0).wins = 4, h.player(1).wins = int16_t(rightWins);
        for (int b = 0; b < 2; ++b)
            std::fill_n(h.player(b).base.columns, 70, int16_t(1)), endingBlast(h, 0, b, baseOf(1 - b));
        for (int k = 0; k < 11; ++k)
            h.stepOf(0);
        EXPECT_EQ(h.game->field().texts(), result);
        EXPECT_EQ(std::ranges::count(h.sound.played, SoundId::BaseExplosion), 1) << "not the second base's";
    }
}

// With round results chosen, the end of a round stays on screen for two seconds of ticks: the large
// explosion at its full size and who won, nothing moving; then the next round starts as it would have.
TEST(Impacts, RoundResultsHoldTheEndOfARoundForTwoSeconds) {
    for (const int period : {10, 32}) {
        SimMatch h("1");
        h.platform.onDialog = [&] {
            h.folder.write("config.txt", configText(1, std::to_string(period), 0, true));
            return true;
        };
        h.game->keyDown(vk::F1, kCtrlMask); // chosen in the settings during the match
        Player(&player)[2] = h.match().players;
        const Battlefield& f = h.game->field();
        const Label& caption = h.screen().roundResultCaption;
        std::fill_n(player[1].base.columns, 70, int16_t(1)), endingBlast(h, 0, 3, Struck::RightBase);
        for (int t = 0; t < 2000 && !caption.visible; ++t)
            h.game->tick();
        ASSERT_TRUE(caption.visible);
        EXPECT_EQ(caption.caption, "左の勝ち");
        EXPECT_TRUE(f.explosion[3].visible && f.explosion[3].width == int(100 * h.match().measures.scale));
        const Screen held = h.screen();
        for (int t = 1; t < (2000 + period - 1) / period; ++t)
            h.game->tick();
        EXPECT_EQ(h.screen(), held) << "nothing moves while the result shows";
        EXPECT_FALSE(f.base[1].visible);
        h.game->tick();
        EXPECT_TRUE(f.base[1].visible && !caption.visible && !f.explosion[3].visible) << "the next round";
        EXPECT_EQ(player[0].wins, 1);
    }
}
