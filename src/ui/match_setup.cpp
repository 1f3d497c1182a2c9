#include "app/game.h"

namespace kestrum {

// A new match: scores and every slot parameter back to zero, status panels shown.
void Game::syokika2() {
    st_.over = 0;
    st_.wins[0] = st_.wins[1] = 0;
    for (auto& player : st_.param)
        for (auto& slot : player)
            for (float& v : slot)
                v = 0.0f;
    // The launch copies go too: a new round restores every slot from them, and the last match's
    // copies (a rocket's fuel load of 9999 restored as a shell's speed) must not leak into this one.
    for (auto& player : st_.setv)
        for (auto& slot : player)
            for (int16_t& v : slot)
                v = 0;
    for (Label& l : screen_.normal)
        l.visible = true;
    for (Label& l : screen_.unit)
        l.visible = true;
    for (Label& l : screen_.value)
        l.visible = true;
    for (Label& l : screen_.changetitle)
        l.visible = true;
    for (int p = 0; p < 2; ++p) {
        screen_.number[p].visible = true;
        screen_.score[p].visible = true;
        screen_.score[p].caption = "0";
    }
    if (st_.mode == 0) {
        for (int p = 0; p < 2; ++p) {
            screen_.changetitle[p].caption = "砲弾状況";
            screen_.changetitle[p + 2].caption = "装填時間";
            screen_.changetitle[p + 4].caption = "(s)";
        }
    } else if (st_.mode == 1) {
        for (int p = 0; p < 2; ++p) {
            screen_.changetitle[p].caption = "ミサイル状況";
            screen_.changetitle[p + 2].caption = "燃料残量";
            screen_.changetitle[p + 4].caption = "(Kg)";
        }
    }
    runTickTimer();
}

} // namespace kestrum
