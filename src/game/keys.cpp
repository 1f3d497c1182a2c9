// The keys of both seats, written once: each seat has a key map, and the same key does the same thing
// on either side. Ctrl+F1 opens the settings, Ctrl+F2 abandons the match.

#include <cmath>
#include <cstdint>
#include <string>

#include "game/game.h"
#include "numbers/int16.h"
#include "physics/panel_limits.h"

namespace kestrum {

namespace {

// The amount an adjust key adds: 10^place, exact for the places 0..3 the keys allow.
int16_t amount(int16_t place) {
    return toInt16(std::pow(10.0, double(place)));
}

} // namespace

void Game::keyDown(int16_t keyCode, int16_t modifiers) {
    settledTicks_ = 0;
    recorder_.add(replay::Event::key(true, keyCode, modifiers));
    // A prompt box with the focus takes every keystroke itself. Code 0 is a key the window could not
    // name: it must not match an unset entry of the second player's map.
    if (screen_.focus || keyCode == 0) return;

    // The first match wins: the first player's keys are tried before the second player's.
    bool seatKey = false;
    for (int p = 0; p < kPlayers && !seatKey; ++p)
        seatKey = seatKeyDown(p, keyCode);
    if (!seatKey && modifiers == kCtrlMask) {
        if (keyCode == vk::F2) abandonMatch();
        if (keyCode == vk::F1) openSettings();
    }
    if (!seatKey && keyCode == vk::Pause) pause(!match_.paused);

    // A row with fewer digits lowers the place at once; the slot row always edits units.
    for (Player& player : match_.players) {
        const int16_t highest = physics::kHighestPlace[mode()][player.panel.cursor];
        if (player.panel.place > highest) player.panel.place = highest;
    }
}

bool Game::seatKeyDown(int player, int16_t keyCode) {
    const std::optional<SeatKey> key = seatKeys(player).find(keyCode);
    if (!key) return false;
    InputPanel& panel = match_.players[player].panel;
    switch (*key) {
    case SeatKey::Up:
        if (panel.cursor > 0) panel.cursor--;
        break;
    case SeatKey::Down:
        // Only a slot in the rack shows its parameter rows.
        if (match_.players[player].projectiles[panel.slot].state == ProjectileState::Idle &&
            panel.cursor < physics::parameterRows(mode()))
            panel.cursor++;
        break;
    case SeatKey::PlaceUp:
        if (panel.place < physics::kHighestPlace[mode()][panel.cursor]) panel.place++;
        break;
    case SeatKey::PlaceDown:
        if (panel.place > 0) panel.place--;
        break;
    case SeatKey::Decrease:
        panel.step = int16_t(-amount(panel.place));
        break;
    case SeatKey::Increase:
        panel.step = amount(panel.place);
        break;
    case SeatKey::Launch:
    case SeatKey::Launch2:
    case SeatKey::Launch3:
        launch(player);
        break;
    }
    return true;
}

void Game::keyUp(int16_t keyCode) {
    settledTicks_ = 0;
    recorder_.add(replay::Event::key(false, keyCode));
    if (screen_.focus || keyCode == 0) return;
    for (int p = 0; p < kPlayers; ++p) {
        const KeyMap& keys = seatKeys(p);
        if (keyCode == keys[SeatKey::Decrease] || keyCode == keys[SeatKey::Increase]) {
            match_.players[p].panel.step = 0;
            return;
        }
    }
}

void Game::releaseAllKeys() {
    settledTicks_ = 0;
    recorder_.add(replay::Event::of(replay::EventKind::ReleaseAll));
    for (Player& player : match_.players)
        player.panel.step = 0;
}

void Game::launch(int player) {
    Player& owner = match_.players[player];
    const int slot = owner.panel.slot;
    Projectile& projectile = owner.projectiles[slot];
    if (projectile.state != ProjectileState::Idle) return;
    // Every parameter row must be filled; the cursor shows the first one that is not.
    for (int k = 0; k < physics::parameterRows(mode()); ++k) {
        if (projectile.params[k] == 0) {
            owner.panel.cursor = int16_t(k + 1);
            return;
        }
    }

    projectile.state = ProjectileState::Loading;
    for (int k = 0; k < kParams; ++k)
        projectile.launchCopy[k] = toInt16(projectile.params[k]);
    owner.panel.cursor = 0;
    physics::Motion& m = projectile.motion;
    m = {};
    m.x = owner.base.edge + (player == 0 ? physics::kLaunchInset : -physics::kLaunchInset);
    m.y = float(owner.base.altitude - physics::kLaunchDrop);
    screen_.slotLabel(player, slot).visible = true;
}

// The tick and the computer stop; the keys still edit the panels, but nothing held goes on counting.
void Game::pause(bool paused) {
    match_.paused = paused;
    screen_.pauseCaption.visible = paused;
    releaseAllKeys();
    runTickTimer();
}

void Game::abandonMatch() {
    recorder_.end(replay::EndReason::Abandoned);
    match_.paused = false;
    screen_.pauseCaption.visible = false;
    match_.resultTicks = 0;
    screen_.roundResultCaption.visible = false;
    platform_.setTickInterval(0);
    match_.turn = 0;
    clearBattlefield();
    openPrompts();
}

void Game::openSettings() {
    // A replay changes the settings where the recording says, and asks nobody.
    if (replaying_) return;
    dialogOpen_ = true; // the timers run on while it is open
    platform_.showSettingsDialog(SettingsOccasion::DuringMatch);
    dialogOpen_ = false;
    // The dialog had the keyboard: a key let go meanwhile never reached the window.
    releaseAllKeys();
    // A file that vanished or was spoiled meanwhile must not leave half-read settings behind.
    const Settings before = match_.settings;
    if (!readSettings()) match_.settings = before;
    opponentSeat_.choose(match_.settings.opponent, match_.settings.secondSeatKeys);
    showOpponent();
    runTickTimer();
    replay::Event changed = replay::Event::of(replay::EventKind::Settings);
    changed.settings = seatSettings();
    recorder_.add(changed);
}

// With the computer on the second seat, a caption says so and how strong it is.
void Game::showOpponent() {
    static constexpr const char* kStrengthNames[] = {"弱い", "普通", "強い", "最強"};
    const int16_t opponent = match_.settings.opponent;
    // A replay seats no computer (its keys are recorded): the caption follows the recorded settings.
    const bool computer =
        replaying_ ? opponent >= 1 && opponent <= computer::kStrengths : opponentSeat_.computer() != nullptr;
    Label& caption = screen_.opponentCaption;
    caption.caption = computer ? std::string("コンピュータ（") + kStrengthNames[opponent - 1] + "）" : "";
    caption.visible = computer && screen_.statusCaptions[0].visible;
}

} // namespace kestrum
