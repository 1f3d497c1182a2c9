// The numbers on screen for the player in turn: the status panel follows the selected slot's flight,
// the input panel shows and edits its parameters with the held adjust keys.

#include <cmath>
#include <string>

#include "game/game.h"
#include "numbers/number_text.h"
#include "physics/panel_limits.h"

namespace kestrum {

namespace {

// A rounded readout: whole numbers for digits 1, one decimal for digits 2.
std::string rounded(float value, int16_t digits) {
    return doubleText(roundHalfUp(value, digits));
}

// Adds a held step to the selected slot; a slot outside 1..5 is not there, so the step is taken back.
void stepSlot(int16_t& slot, int16_t step, bool apply) {
    if (apply) slot = int16_t(slot + step);
    if (slot < 0 || slot > kSlots - 1) slot = int16_t(slot - step);
}

} // namespace

void Game::readouts() {
    const int p = match_.turn;
    InputPanel& panel = match_.players[p].panel;
    // The slot on entry: a held key may select another one below, which is drawn on the next call.
    const int s = panel.slot;
    if (match_.players[p].projectiles[s].state != ProjectileState::Idle) {
        flightReadouts(p, s);
    } else {
        inputReadouts(p, s);
    }
    panel.shownSlot = int16_t(s);
}

void Game::flightReadouts(int p, int s) {
    Player& player = match_.players[p];
    const Projectile& projectile = player.projectiles[s];
    const physics::Motion& m = projectile.motion;
    const Base& base = player.base;
    auto show = [&](int row, std::string text) { screen_.statusValue(p, row).caption = std::move(text); };

    screen_.inputPanel(mode(), p).visible = false;
    screen_.statusSlot[p].caption = std::to_string(s + 1);
    show(status::kCharge, singleText(projectile.params[0]));
    show(status::kDistance, rounded(float(std::abs(m.x - base.edge)), 1));
    // Measured from the launch point, so this reads 0 at lift-off.
    show(status::kHeight, rounded(float(double(m.y) - base.altitude + physics::kLaunchDrop), 1));
    show(status::kSpeedAcross, rounded(float(std::abs(m.vx)), 1));
    show(status::kSpeedUp, rounded(m.vy, 2));
    const double vy = m.vy;
    show(status::kSpeed, rounded(float(std::sqrt(m.vx * m.vx + vy * vy)), 2));
    // Loading time left for a shell (one decimal), fuel left for a rocket (whole kilograms).
    const bool shells = match_.mode == BattleMode::Shells;
    show(status::kLastRow, rounded(projectile.params[shells ? 3 : 1], int16_t(shells ? 2 : 1)));
    // The panel is hidden while the projectile is in play, so the adjust keys choose another slot.
    stepSlot(player.panel.slot, player.panel.step, player.phase == 0);
}

void Game::inputReadouts(int p, int s) {
    Player& player = match_.players[p];
    InputPanel& panel = player.panel;
    Projectile& projectile = player.projectiles[s];
    float* param = projectile.params;
    const int m = mode();
    auto value = [&](int row) -> Label& { return screen_.panelValue(m, p, row); };

    // The derived row follows the edited ones; an edit made below shows there on the next call.
    if (match_.mode == BattleMode::Shells) {
        param[3] = physics::loadingTime(param[0]);
        value(3).caption = rounded(param[3], 2);
    } else {
        param[5] = param[0] + param[1];
        value(5).caption = singleText(param[5]);
    }

    Label& slotNumber = screen_.panelSlot(m, p);
    if (panel.shownSlot != s) {
        // A newly selected slot is drawn plainly; nothing is applied until the next change tick.
        screen_.inputPanel(m, p).visible = true;
        slotNumber.foreColor = colour::text;
        slotNumber.caption = std::to_string(s + 1);
        for (int k = 0; k < physics::parameterRows(m); ++k) {
            value(k).foreColor = colour::text;
            value(k).caption = singleText(param[k]);
        }
        return;
    }
    if (player.phase != 0) return;

    if (panel.cursor == 0) {
        screen_.digitCursor(m, p).visible = false;
        slotNumber.foreColor = colour::digitBlue;
        stepSlot(panel.slot, panel.step, true);
        value(0).foreColor = colour::text;
        return;
    }
    editRow(p, projectile, panel.cursor - 1);
}

// The held amount added to a parameter row, and the digit cursor over the place it changes.
void Game::editRow(int p, Projectile& projectile, int row) {
    InputPanel& panel = match_.players[p].panel;
    const int m = mode();
    float& param = projectile.params[row];
    Label& value = screen_.panelValue(m, p, row);

    screen_.panelSlot(m, p).foreColor = colour::text;
    if (panel.editedRow != row) screen_.panelValue(m, p, panel.editedRow).foreColor = colour::text;
    param += float(panel.step);
    // The limits themselves are allowed; a step past either is taken back.
    if (param > physics::kLargestValue[m][row] || param < 0) param -= float(panel.step);
    Panel& cursor = screen_.digitCursor(m, p);
    cursor.visible = true;
    std::string& text = match_.editText;
    text = singleText(param);
    value.foreColor = colour::editGreen;
    // Position, from the left, of the digit the adjust keys change.
    const int d = int(text.size()) - panel.place;
    Label& digit = screen_.cursorDigit(m, p);
    if (d > 0) {
        digit.caption = text.substr(std::size_t(d - 1), 1);
    } else {
        // The place lies left of the number: show the leading zeros it implies.
        digit.caption.assign(1, '0'); // assign(): dodges a GCC 12 false -Wrestrict
        text.insert(text.begin(), std::size_t(-d), '0');
    }
    // Value labels end at pixel 145 of the panel; each place is one 8-pixel digit further left.
    cursor.rect.left = 136 - 8 * panel.place;
    cursor.rect.top = kCursorRowTop[m][row];
    value.caption = text;
    panel.editedRow = int16_t(row);
}

} // namespace kestrum
