// Whole matches with random hands on the keys (and the computer on the second seat), checking the match
// state's ranges after every tick. Under the sanitizer build it also checks memory and undefined behaviour on
// every path reached.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <tuple>

#include "physics/panel_limits.h"
#include "replay_check.h"
#include "settings/config_file.h"
#include "sim_fixture.h"

using namespace kestrum;
using namespace kestrum::testing;

namespace {

// Shards from 100 on put the computer on the second seat (strengths 1..4 by turns) against random hands.
struct SoakShard : ::testing::TestWithParam<int> {
    const bool computerSeat = GetParam() >= 100;
    GameHarness h{configText(0, "10", computerSeat ? GetParam() % 4 + 1 : 0)};
    std::mt19937 rng{7919u * uint32_t(GetParam() + 1)};
    int decided = 0;

    int pick(int n) { return int(rng() % uint32_t(n)); }

    // One match: answered at random; most have gunners (shells aimed, rockets anyhow), the rest only mash
    // keys, until they give up.
    void playMatch() {
        const char* yn[] = {"y", "n", "Y", "N"};
        h.answer(pick(2) ? "2" : "1", yn[pick(4)], yn[pick(4)]);
        const bool aimed = pick(4) != 0;
        // Against the computer a match takes a while: the first player is slower to give up.
        const long patience = computerSeat                            ? 200000 + pick(40000)
                              : h.match().mode == BattleMode::Rockets ? 10000 + pick(10000)
                                                                      : 20000 + pick(40000);
        for (long t = 0; t < 1000000; ++t) {
            pressRandomKeys(aimed);
            if (t == patience) h.game->keyDown(vk::F2, kCtrlMask);
            if (!h.screen().setupPanel.visible && !h.screen().restartPanel.visible) h.game->tick();
            checkInvariants();
            if (HasFatalFailure()) return;
            // A match played with keys alone, decided or abandoned, plays back from its recording with every
            // hash equal (the gunners' aim is written into the panels, which no recording holds).
            const bool over = h.screen().restartPanel.visible, abandoned = h.screen().setupPanel.visible;
            if ((over || abandoned) && !aimed) expectPlaysBack(*h.game);
            if (over) return ++decided, h.game->setBoxText(Box::Restart, "y");
            if (abandoned) return; // with Ctrl+F2
        }
        ADD_FAILURE() << "a match neither ended nor was abandoned";
    }

    void pressRandomKeys(bool aimed) {
        const KeyMap& secondKeys = h.match().settings.secondSeatKeys;
        for (int p = 0; p < (computerSeat ? 1 : 2); ++p) {
            if (aimed && pick(50) == 0) fire(p);
            if (pick(aimed ? 40 : 6) != 0) continue;
            const int16_t key =
                p == 0 ? kFirstSeatKeys.codes[size_t(pick(9))] : secondKeys.codes[size_t(pick(9))];
            h.game->keyDown(key, int16_t(pick(8) == 0 ? kShiftMask : 0));
            if (pick(3) == 0) h.game->keyUp(key);
        }
        if (pick(300000) == 0) h.game->keyDown(vk::F2, kCtrlMask);
        if (pick(50000) == 0) h.game->keyDown(vk::F2, int16_t(kCtrlMask | kShiftMask)); // does nothing
        if (!computerSeat && !aimed && pick(4000) == 0) h.game->keyDown(vk::F2, kCtrlMask);
    }

    // A gunner enters a shot in the selected slot and launches: a shell on a worked-out 45-degree parabola,
    // or a rocket with any mix of charge, fuel, burn rate, jet speed and angle, weak ones too.
    void fire(int p) {
        Match& match = h.match();
        Projectile& shot = h.projectile(p, h.player(p).panel.slot);
        float* param = shot.params;
        if (shot.state != ProjectileState::Idle) return;
        const KeyMap& secondKeys = match.settings.secondSeatKeys;
        if (match.mode == BattleMode::Rockets) {
            for (int k = 0; k < 5; ++k)
                param[k] = float(1 + pick(std::array{350, 3000, 300, 5100, 90}[size_t(k)]));
            return h.game->keyDown(p == 0 ? vk::Z : secondKeys.codes[7], 0);
        }
        auto base = [&](int q) -> const Base& { return match.players[q].base; };
        const int column = 10 + pick(80), enemy = 1 - p;
        const double aimX = enemy == 0 ? column : base(1).edge - column,
                     x0 = base(p).edge + (p == 0 ? 55 : -55);
        param[0] = 150, param[2] = 45, param[3] = 3;
        // The parabola through the aim point: the steps of 0.03 s land within a few metres of it.
        const double dx = std::abs(aimX - x0), dy = base(enemy).altitude - base(p).altitude - 10;
        const double speed = std::round(std::sqrt(9.8 * dx * dx / (dx - dy)));
        if (!(speed <= 1200)) return; // out of reach at 45 degrees
        param[1] = float(speed);
        h.game->keyDown(p == 0 ? vk::X : secondKeys.codes[6], 0);
    }

    void checkInvariants() {
        const Match& match = h.match();
        const int m = int(match.mode);
        // A value outside its range fails by its name.
        auto in = [](const char* name, double v, double lo, double hi) {
            return (v >= lo && v <= hi) ||
                   (ADD_FAILURE() << name << " = " << v << ", not in " << lo << ".." << hi, 0);
        };
        ASSERT_TRUE(in("turn", match.turn, 0, 1) && in("newest trail point", match.trail.newest, 1, 20000));
        for (int p = 0; p < 2; ++p) {
            const Player& player = match.players[p];
            const InputPanel& panel = player.panel;
            ASSERT_TRUE(in("phase", player.phase, 0, 7) && in("wins", player.wins, 0, 5) &&
                        in("damage", player.base.damage, 0, 100) && in("slot", panel.slot, 0, 4) &&
                        in("cursor", panel.cursor, 0, 2 * m + 3) && in("edited row", panel.editedRow, 0, 5) &&
                        in("place", panel.place, 0, physics::kHighestPlace[m][panel.cursor]) &&
                        in("shown slot", panel.shownSlot, -1, 4))
                << "player " << p;
            for (int s = 0; s < kSlots; ++s) {
                const Projectile& shot = player.projectiles[s];
                const bool exploding = shot.state == ProjectileState::Exploding;
                ASSERT_TRUE(!exploding || in("fireball", shot.fireball, 3, 100))
                    << "player " << p << " slot " << s;
                for (int k = 0; k < 2 * m + 3; ++k)
                    ASSERT_TRUE(in("param", shot.params[k], 0, physics::kLargestValue[m][k])) << p << s << k;
                ASSERT_TRUE(std::isfinite(shot.motion.x) && std::isfinite(shot.motion.y));
                ASSERT_TRUE(shot.state != ProjectileState::Flying || m == 1) << "only rockets fly";
            }
            ASSERT_TRUE(
                std::ranges::all_of(player.base.columns, [&](int c) { return in("column", c, 0, 1); }));
        }
    }
};

} // namespace

TEST_P(SoakShard, RandomHandsPlayWholeMatchesWithinBounds) {
    h.start();
    h.game->seed(1000u + uint32_t(GetParam()));
    const int matches = computerSeat ? 4 : 50;
    for (int match = 0; match < matches; ++match) {
        ASSERT_NO_FATAL_FAILURE(playMatch()) << "match " << match;
        ASSERT_TRUE(h.screen().setupPanel.visible);
    }
    EXPECT_GE(decided, computerSeat ? 1 : 3) << "too few matches were played to the end";
}

INSTANTIATE_TEST_SUITE_P(Seeds, SoakShard, ::testing::Range(0, 10));
INSTANTIATE_TEST_SUITE_P(ComputerSeat, SoakShard, ::testing::Range(100, 106));
