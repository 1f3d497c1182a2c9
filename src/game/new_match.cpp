#include "game/game.h"

namespace kestrum {

// A new match: scores and every slot's parameters back to zero, status panels shown with the captions
// of the battle mode.
void Game::newMatch() {
    match_.roundEnd = RoundEnd::None;
    match_.paused = false;
    screen_.pauseCaption.visible = false;
    for (Player& player : match_.players) {
        player.wins = 0;
        // The launch copies go too: a new round restores every slot from them, and the last match's
        // copies (a rocket's fuel load of 9999 restored as a shell's speed) must not leak into this one.
        for (Projectile& projectile : player.projectiles) {
            for (float& v : projectile.params)
                v = 0.0f;
            for (int16_t& v : projectile.launchCopy)
                v = 0;
        }
    }
    screen_.showStatusPanels(true);
    const bool shells = match_.mode == BattleMode::Shells;
    for (int p = 0; p < kPlayers; ++p) {
        screen_.score[p].caption = "0";
        screen_.statusHeading(p).caption = shells ? "砲弾状況" : "ミサイル状況";
        screen_.lastRowCaption(p).caption = shells ? "装填時間" : "燃料残量";
        screen_.lastRowUnit(p).caption = shells ? "(s)" : "(Kg)";
    }
    showOpponent();
    runTickTimer();
}

} // namespace kestrum
