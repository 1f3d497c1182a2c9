// The set-up prompts (battle mode, air resistance, explosion sounds) and the restart prompt: each
// answer box reads one keystroke.

#include "game/game.h"
#include "game/screen_view.h"

namespace kestrum {

void Game::setBoxText(Box b, const std::string& text) {
    settledTicks_ = 0;
    TextBox& box = screen_.box(b);
    if (box.text == text) return; // the same text raises no change
    box.text = text;
    switch (b) {
    case Box::Mode:
        onModeAnswered();
        break;
    case Box::Air:
        onAirAnswered();
        break;
    case Box::Sound:
        onSoundAnswered();
        break;
    case Box::Restart:
        onRestartAnswered();
        break;
    }
    // The computer on the second seat reads the answers as they are typed, as a person beside it would.
    if (opponentSeat_.computer()) opponentSeat_.watch(viewOf(screen_));
}

void Game::focusBox(Box b) {
    settledTicks_ = 0;
    screen_.focus = b;
}

namespace {

bool isYes(const std::string& t) {
    return t == "y" || t == "Y";
}
bool isNo(const std::string& t) {
    return t == "n" || t == "N";
}

} // namespace

// "1" shell battle, "2" rocket battle.
void Game::onModeAnswered() {
    const std::string& t = screen_.modeBox.text;
    if (t == "1" || t == "2") {
        match_.mode = t == "1" ? BattleMode::Shells : BattleMode::Rockets;
        screen_.focus = Box::Air;
    } else {
        setBoxText(Box::Mode, "");
    }
}

// Air resistance: any keystroke moves on; only y/n change the answer.
void Game::onAirAnswered() {
    const std::string& t = screen_.airBox.text;
    if (isYes(t)) {
        match_.air = 1;
    } else if (isNo(t)) {
        match_.air = 0;
    } else {
        setBoxText(Box::Air, "");
    }
    screen_.focus = Box::Sound;
}

// Explosion sounds; a valid answer starts the match.
void Game::onSoundAnswered() {
    const std::string& t = screen_.soundBox.text;
    if (isYes(t) || isNo(t)) {
        beginRecording();
        match_.sound = isYes(t) ? 1 : 0;
        screen_.setupPanel.visible = false;
        // A hidden panel's boxes cannot keep the focus: the keys go to the main window.
        if (screen_.focus != Box::Restart) screen_.focus.reset();
        newMatch();
        newRound();
    } else {
        setBoxText(Box::Sound, "");
    }
}

void Game::onRestartAnswered() {
    const std::string& t = screen_.restartBox.text;
    if (isYes(t)) {
        field_.clear();
        screen_.restartPanel.visible = false;
        if (screen_.focus == Box::Restart) screen_.focus.reset();
        hideBattlefieldControls();
        openPrompts();
    } else if (isNo(t)) {
        platform_.quit(0);
    } else {
        setBoxText(Box::Restart, "");
    }
}

void Game::openPrompts() {
    screen_.setupPanel.visible = true;
    setBoxText(Box::Mode, "");
    setBoxText(Box::Air, "");
    screen_.focus = Box::Mode;
    setBoxText(Box::Sound, "");
}

void Game::clearBattlefield() {
    field_.clear();
    hideBattlefieldControls();
}

void Game::hideBattlefieldControls() {
    screen_.showStatusPanels(false);
    screen_.opponentCaption.visible = false;
    for (int p = 0; p < kPlayers; ++p) {
        field_.base[p].visible = false;
        field_.ground[p].visible = false;
    }
    for (Panel& panel : screen_.inputPanels)
        panel.visible = false;
    for (int i = 0; i < kPlayers * kSlots; ++i) {
        screen_.slotLabels[i].visible = false;
        // A fireball still burning when the match is left would stand as solid ground in the next one.
        field_.explosion[i].visible = false;
    }
    field_.groundStrip.visible = false;
}

} // namespace kestrum
