#include "app/game.h"

namespace kestrum {

void Game::setBoxText(Box b, const std::string& text) {
    TextBox& t = box(b);
    if (t.text == text) return; // the same text raises no change
    t.text = text;
    switch (b) {
    case Box::Selw:
        onSelwChanged();
        break;
    case Box::Selr:
        onSelrChanged();
        break;
    case Box::Sels:
        onSelsChanged();
        break;
    case Box::Againput:
        onAgainputChanged();
        break;
    }
    // The computer on the second seat reads the answers as they are typed, as a person beside it would.
    if (opponent_) opponent_->watch(computer::screenTexts(screen_));
}

void Game::focusBox(Box b) {
    switch (b) {
    case Box::Selw:
        screen_.focus = Focus::Selw;
        break;
    case Box::Selr:
        screen_.focus = Focus::Selr;
        break;
    case Box::Sels:
        screen_.focus = Focus::Sels;
        break;
    case Box::Againput:
        screen_.focus = Focus::Againput;
        break;
    }
}

// Battle mode: "1" shell battle, "2" rocket battle.
void Game::onSelwChanged() {
    const std::string& t = screen_.selw.text;
    if (t == "1" || t == "2") {
        st_.mode = double(t[0] - '0') - 1.0;
        screen_.focus = Focus::Selr;
    } else {
        setBoxText(Box::Selw, "");
    }
}

// Air resistance: any keystroke moves on; only y/n change the answer.
void Game::onSelrChanged() {
    const std::string& t = screen_.selr.text;
    if (t == "y" || t == "Y") {
        st_.air = 1;
    } else if (t == "n" || t == "N") {
        st_.air = 0;
    } else {
        setBoxText(Box::Selr, "");
    }
    screen_.focus = Focus::Sels;
}

// Explosion sounds; a valid answer starts the match.
void Game::onSelsChanged() {
    const std::string& t = screen_.sels.text;
    if (t == "y" || t == "Y" || t == "n" || t == "N") {
        st_.sound = (t == "y" || t == "Y") ? 1 : 0;
        screen_.selcon.visible = false;
        // A hidden panel's boxes cannot keep the focus: the keys go to the main window.
        if (screen_.focus != Focus::Againput) screen_.focus = Focus::None;
        syokika2();
        syokika3();
    } else {
        setBoxText(Box::Sels, "");
    }
}

void Game::onAgainputChanged() {
    const std::string& t = screen_.againput.text;
    if (t == "y" || t == "Y") {
        field_.clear();
        screen_.again.visible = false;
        if (screen_.focus == Focus::Againput) screen_.focus = Focus::None;
        hideBattlefieldControls();
        openPrompts();
    } else if (t == "n" || t == "N") {
        platform_.quit(0);
    } else {
        setBoxText(Box::Againput, "");
    }
}

void Game::openPrompts() {
    screen_.selcon.visible = true;
    setBoxText(Box::Selw, "");
    setBoxText(Box::Selr, "");
    screen_.focus = Focus::Selw;
    setBoxText(Box::Sels, "");
}

void Game::clearBattlefield() {
    field_.clear();
    hideBattlefieldControls();
}

void Game::hideBattlefieldControls() {
    for (Label& l : screen_.normal)
        l.visible = false;
    for (Label& l : screen_.unit)
        l.visible = false;
    for (Label& l : screen_.value)
        l.visible = false;
    for (Label& l : screen_.changetitle)
        l.visible = false;
    for (int i = 0; i < 2; ++i) {
        screen_.number[i].visible = false;
        screen_.score[i].visible = false;
        field_.base[i].visible = false;
        field_.ground[i].visible = false;
    }
    for (Panel& e : screen_.establish)
        e.visible = false;
    for (int i = 0; i < 10; ++i)
        screen_.orbitnumber[i].visible = false;
    // A fireball still burning when the match is left would stand as solid ground in the next one.
    for (int i = 0; i < 10; ++i)
        field_.explosion[i].visible = false;
    field_.jimen.visible = false;
}

} // namespace kestrum
