#include <cmath>
#include <cstdint>

#include "app/game.h"
#include "numbers/int16.h"

namespace kestrum {

namespace {

// The amount an adjust key adds: 10^place, exact for the places 0..3 the keys allow.
int16_t amount(int16_t place) {
    return toInt16(std::pow(10.0, double(place)));
}

} // namespace

void Game::keyDown(int16_t keyCode, int16_t shift) {
    // A prompt box with the focus takes every keystroke itself. Code 0 is a key the window could not
    // name: it must not match an unset entry of the second player's table.
    if (screen_.focus != Focus::None || keyCode == 0) return;

    const int m = int(st_.mode);
    const auto& k2 = st_.keys2;
    // The first match wins: the first player's fixed keys are tried before the second player's table.
    if (keyCode == vk::W) {
        if (st_.cursor[0] > 0) st_.cursor[0]--;
    } else if (keyCode == vk::S) {
        if (st_.state[0][st_.slot[0]] == 0 && st_.cursor[0] < 2 * st_.mode + 3) st_.cursor[0]++;
    } else if (keyCode == vk::E) {
        if (st_.place[0] > 0) st_.place[0]--;
    } else if (keyCode == vk::Q) {
        if (st_.place[0] < st_.maxplace[m][st_.cursor[0]]) st_.place[0]++;
    } else if (keyCode == vk::A) {
        st_.step[0] = int16_t(-amount(st_.place[0]));
    } else if (keyCode == vk::D) {
        st_.step[0] = amount(st_.place[0]);
    } else if (keyCode == vk::X || keyCode == vk::Z || keyCode == vk::C) {
        launch(0);
    } else if (keyCode == k2[0]) {
        if (st_.cursor[1] > 0) st_.cursor[1]--;
    } else if (keyCode == k2[1]) {
        if (st_.state[1][st_.slot[1]] == 0 && st_.cursor[1] < 2 * st_.mode + 3) st_.cursor[1]++;
    } else if (keyCode == k2[3]) {
        if (st_.place[1] > 0) st_.place[1]--;
    } else if (keyCode == k2[2]) {
        if (st_.place[1] < st_.maxplace[m][st_.cursor[1]]) st_.place[1]++;
    } else if (keyCode == k2[4]) {
        st_.step[1] = int16_t(-amount(st_.place[1]));
    } else if (keyCode == k2[5]) {
        st_.step[1] = amount(st_.place[1]);
    } else if (keyCode == k2[6] || keyCode == k2[7] || keyCode == k2[8]) {
        launch(1);
    } else if (keyCode == vk::F2) {
        if (shift == kCtrlMask) abandonMatch();
    } else if (keyCode == vk::F1) {
        if (shift == kCtrlMask) openSettings();
    }

    // A row with fewer digits lowers the place at once; the slot row always edits units.
    for (int p = 0; p < kPlayers; ++p) {
        const int16_t highest = st_.maxplace[int(st_.mode)][st_.cursor[p]];
        if (st_.place[p] > highest) st_.place[p] = highest;
    }
}

void Game::keyUp(int16_t keyCode) {
    if (screen_.focus != Focus::None || keyCode == 0) return;
    if (keyCode == vk::A || keyCode == vk::D) {
        st_.step[0] = 0;
    } else if (keyCode == st_.keys2[4] || keyCode == st_.keys2[5]) {
        st_.step[1] = 0;
    }
}

void Game::releaseAllKeys() {
    for (int p = 0; p < kPlayers; ++p)
        st_.step[p] = 0;
}

void Game::launch(int player) {
    const int s = st_.slot[player];
    int16_t& state = st_.state[player][s];
    if (state != 0) return;
    state = 1;
    // Every entry that has a panel row must be filled; the cursor shows the first one that is not.
    for (int k = 0; k <= 2 * st_.mode + 2; ++k) {
        if (st_.param[player][s][k] == 0) {
            st_.cursor[player] = int16_t(k + 1);
            state = 0;
            break;
        }
    }
    if (state != 1) return;

    for (int k = 0; k < kParams; ++k)
        st_.setv[player][s][k] = toInt16(st_.param[player][s][k]);
    st_.cursor[player] = 0;
    // 55 m inside the outer edge of the own base, 10 m below its top.
    st_.px[player][s] = player == 0 ? st_.basex[0] + 55 : st_.basex[1] - 55;
    st_.py[player][s] = float(st_.basealt[player] - 10);
    st_.vx[player][s] = 0;
    st_.vy[player][s] = 0;
    st_.ax[player][s] = 0;
    st_.ay[player][s] = 0;
    screen_.orbitnumber[s + 5 * player].visible = true;
}

void Game::abandonMatch() {
    platform_.setTickInterval(0);
    st_.turn = 0;
    clearBattlefield();
    openPrompts();
}

void Game::openSettings() {
    platform_.showSettingsDialog(SettingsOccasion::DuringMatch);
    // The dialog had the keyboard: a key let go meanwhile never reached the window.
    releaseAllKeys();
    // A file that vanished or was spoiled meanwhile must not leave half-read settings behind.
    const int16_t kbtype = st_.kbtype;
    const int16_t opeval = st_.opeval;
    const int16_t opponent = st_.opponent;
    int16_t keys2[kKeys];
    for (int i = 0; i < kKeys; ++i)
        keys2[i] = st_.keys2[i];
    if (!configp()) {
        st_.kbtype = kbtype;
        st_.opeval = opeval;
        st_.opponent = opponent;
        for (int i = 0; i < kKeys; ++i)
            st_.keys2[i] = keys2[i];
    }
    applyOpponent();
    runTickTimer();
}

} // namespace kestrum
