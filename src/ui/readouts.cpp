#include <cmath>
#include <string>

#include "app/game.h"
#include "numbers/number_text.h"

namespace kestrum {

namespace {

// A rounded readout: whole numbers for keta 1, one decimal for keta 2.
std::string rounded(float value, int16_t keta) {
    return doubleText(shisya(value, keta));
}

// Adds a held step to the selected slot; a slot outside 1..5 is not there, so the step is taken back.
void stepSlot(int16_t& slot, int16_t step, bool apply) {
    if (apply) slot = int16_t(slot + step);
    if (slot < 0 || slot > kSlots - 1) slot = int16_t(slot - step);
}

} // namespace

void Game::suutihyouji() {
    const int p = st_.turn;
    // The slot on entry: a held key may select another one below, which is drawn on the next call.
    const int s = st_.slot[p];
    if (st_.state[p][s] != 0) {
        flightView(p, s);
    } else {
        inputView(p, s);
    }
    st_.lastshown[p] = int16_t(s);
}

void Game::flightView(int p, int s) {
    const int n = 2 * int(st_.mode) + p;
    const int v = 10 * p;
    screen_.establish[n].visible = false;
    screen_.number[p].caption = std::to_string(s + 1);
    screen_.value[v + 3].caption = singleText(st_.param[p][s][0]);
    screen_.value[v + 4].caption = rounded(float(std::abs(st_.px[p][s] - st_.basex[p])), 1);
    // The launch point is 10 m below the base top, so this reads 0 at lift-off.
    screen_.value[v + 5].caption = rounded(float(double(st_.py[p][s]) - st_.basealt[p] + 10), 1);
    screen_.value[v + 6].caption = rounded(float(std::abs(st_.vx[p][s])), 1);
    screen_.value[v + 7].caption = rounded(st_.vy[p][s], 2);
    const double vy = st_.vy[p][s];
    screen_.value[v + 8].caption = rounded(float(std::sqrt(st_.vx[p][s] * st_.vx[p][s] + vy * vy)), 2);
    // Loading time left for a shell (one decimal), fuel left for a rocket (whole kilograms).
    screen_.value[v + 9].caption = rounded(st_.param[p][s][int(3 - 2 * st_.mode)], int16_t(2 - st_.mode));
    // The panel is hidden while the projectile is in play, so the adjust keys choose another slot.
    stepSlot(st_.slot[p], st_.step[p], st_.phase[p] == 0);
}

void Game::inputView(int p, int s) {
    const int m = int(st_.mode);
    const int n = 2 * m + p;
    const int first = 8 * m + (2 * m + 4) * p; // the player's first value label in this mode's block
    float* param = st_.param[p][s];

    // The derived row follows the edited ones; an edit made below shows there on the next call.
    if (st_.mode == 0) {
        param[3] = param[0] / 50;
        screen_.estavalue[first + 3].caption = rounded(param[3], 2);
    } else {
        param[5] = param[0] + param[1];
        screen_.estavalue[first + 5].caption = singleText(param[5]);
    }

    if (st_.lastshown[p] != s) {
        // A newly selected slot is drawn plainly; nothing is applied until the next change tick.
        screen_.establish[n].visible = true;
        screen_.estanumber[n].foreColor = colour::text;
        screen_.estanumber[n].caption = std::to_string(s + 1);
        for (int k = 0; k <= 2 * st_.mode + 2; ++k) {
            screen_.estavalue[first + k].foreColor = colour::text;
            screen_.estavalue[first + k].caption = singleText(param[k]);
        }
        return;
    }
    if (st_.phase[p] != 0) return;

    if (st_.cursor[p] == 0) {
        screen_.estafigure[n].visible = false;
        screen_.estanumber[n].foreColor = colour::digitBlue;
        stepSlot(st_.slot[p], st_.step[p], true);
        screen_.estavalue[first].foreColor = colour::text;
        return;
    }

    const int k = st_.cursor[p] - 1;
    screen_.estanumber[n].foreColor = colour::text;
    if (st_.lastrow[p] != k) screen_.estavalue[first + st_.lastrow[p]].foreColor = colour::text;
    param[k] += float(st_.step[p]);
    // The limits themselves are allowed; a step past either is taken back.
    if (param[k] > st_.maxval[m][k] || param[k] < 0) param[k] -= float(st_.step[p]);
    screen_.estafigure[n].visible = true;
    std::string& text = st_.edittext;
    text = singleText(param[k]);
    screen_.estavalue[first + k].foreColor = colour::editGreen;
    // Position, from the left, of the digit the adjust keys change.
    const int d = int(text.size()) - st_.place[p];
    if (d > 0) {
        screen_.inputvalue[n].caption = text.substr(std::size_t(d - 1), 1);
    } else {
        // The place lies left of the number: show the leading zeros it implies.
        screen_.inputvalue[n].caption.assign(1, '0'); // assign(): dodges a GCC 12 false -Wrestrict
        text.insert(text.begin(), std::size_t(-d), '0');
    }
    // Value labels end at pixel 145 of the panel; each place is one 8-pixel digit further left.
    Rect& box = screen_.estafigure[n].rect;
    box.left = 136 - 8 * st_.place[p];
    box.top = st_.rowtop[m][k];
    screen_.estavalue[first + k].caption = text;
    st_.lastrow[p] = int16_t(k);
}

} // namespace kestrum
