// The simulation tick: one step of 0.03 s for the five slots of the player in turn.

#include <algorithm>
#include <cmath>

#include "game/drawing_y.h"
#include "game/game.h"
#include "game/screen_view.h"

namespace kestrum {

namespace {

constexpr int kTrailRing = 20000;

// Slot labels live in the same 16-bit coordinate range as the projectile's drawing y.
int labelCoordinate(double v) {
    return clampToInt16(std::floor(v));
}

} // namespace

void Game::tick() {
    // The end of a round on show: nothing moves, the computer waits too.
    if (match_.resultTicks > 0) {
        if (--match_.resultTicks == 0) endRound();
        settledTicks_ = 0;
        afterTick(RoundEnd::None);
        return;
    }
    // The computer's key comes between two ticks, as a person's does, judged on what the last one drew.
    // While a dialog holds the keyboard no person can press a game key, and neither does the computer.
    if (opponentSeat_.computer() && !dialogOpen_) {
        if (const std::optional<computer::KeyEvent> key = opponentSeat_.act(viewOf(screen_))) {
            if (key->down)
                keyDown(key->code, 0);
            else
                keyUp(key->code);
        }
    }
    match_.turn = int16_t(match_.turn ^ 1);
    match_.direction = int16_t(match_.turn == 0 ? 1 : -1);
    Player& player = inTurn();
    player.phase = int16_t((player.phase + 1) & 7);
    readouts();

    Trail& trail = match_.trail;
    for (int slot = 0; slot < kSlots; ++slot) {
        // Every slot, busy or not, erases the oldest trail point: the ring keeps the last 20000.
        trail.newest = int16_t(trail.newest < kTrailRing ? trail.newest + 1 : 1);
        field_.setPoint(trail.x[trail.newest], trail.y[trail.newest], colour::screenCyan);

        const ProjectileState state = player.projectiles[slot].state;
        if (state == ProjectileState::Exploding) {
            if (!explosionFrame(slot)) break; // a round has been decided: nothing else moves now
        } else if (state != ProjectileState::Idle) {
            moveSlot(slot);
        }
    }

    const RoundEnd ended = match_.roundEnd;
    if (match_.roundEnd == RoundEnd::NextRound) {
        if (match_.settings.roundResults)
            showRoundResult();
        else
            endRound();
    } else if (match_.roundEnd == RoundEnd::MatchOver) {
        platform_.setTickInterval(0);
        screen_.restartBox.text = "";
        screen_.restartPanel.visible = true;
        screen_.focus = Box::Restart;
    }
    settledTicks_ = restful() ? settledTicks_ + 1 : 0;
    afterTick(ended);
}

bool Game::restful() const {
    if (match_.resultTicks > 0 || match_.roundEnd != RoundEnd::None || opponentSeat_.computer() ||
        dialogOpen_)
        return false;
    for (const Player& player : match_.players) {
        if (player.panel.step != 0) return false;
        for (const Projectile& projectile : player.projectiles)
            if (projectile.state != ProjectileState::Idle) return false;
    }
    return true;
}

int Game::quietTicksAhead(int most) const {
    // A tick at rest redraws the panels of the player in turn; once both players' phases have come
    // round to 0 since the last key, it writes what is already there. Until then it may still show it.
    constexpr int kBothPlayersRound = 2 * 8;
    if (settledTicks_ <= kBothPlayersRound || !restful()) return 0;
    // What it still changes: the trail points it erases, unless they are sky already.
    const Trail& trail = match_.trail;
    int entry = trail.newest;
    for (int ahead = 0; ahead < most; ++ahead)
        for (int slot = 0; slot < kSlots; ++slot) {
            entry = entry < kTrailRing ? entry + 1 : 1;
            if (field_.changesSurface(trail.x[entry], trail.y[entry], colour::screenCyan)) return ahead;
        }
    return most;
}

// The destroyed base's last fireball and who won stay on screen for two seconds of ticks.
void Game::showRoundResult() {
    const int16_t winner = match_.roundWinner;
    const char* text = winner == 0 ? "左の勝ち" : "右の勝ち";
    if (opponentSeat_.computer()) text = winner == 0 ? "あなたの勝ち" : "コンピュータの勝ち";
    screen_.roundResultCaption.caption = text;
    screen_.roundResultCaption.visible = true;
    const int period = std::max<int>(1, match_.settings.handlingPeriod);
    match_.resultTicks = (2000 + period - 1) / period;
    // The large explosion at its full size, where it burst.
    const int shown = match_.baseExplosion;
    const Projectile& blast = match_.players[shown / kSlots].projectiles[shown % kSlots];
    placeFireball(field_.explosion[shown], blast.motion, int16_t(field_.baseTemplate[0].width));
}

// A base blew up and the match goes on: every slot re-armed, a fresh battlefield.
void Game::endRound() {
    screen_.roundResultCaption.visible = false;
    for (int i = 0; i < kPlayers * kSlots; ++i) {
        screen_.slotLabels[i].visible = false;
        // Fireballs still running when the base went up belong to the old battlefield; left visible
        // they would stand on the new one as solid ground.
        field_.explosion[i].visible = false;
    }
    for (Player& player : match_.players)
        for (Projectile& projectile : player.projectiles)
            for (int k = 0; k < kParams; ++k)
                projectile.params[k] = projectile.launchCopy[k];
    match_.roundEnd = RoundEnd::None;
    field_.clear();
    newRound();
}

// A launched slot: a rocket on the pad or in the air, or a shell loading or flying.
void Game::moveSlot(int slot) {
    flightForces(slot);
    moveAndClassify(slot);
}

void Game::flightForces(int slot) {
    Projectile& projectile = projectileOf(slot);
    float* param = projectile.params;
    const double air = match_.air;

    if (match_.mode == BattleMode::Rockets) {
        const bool onPad = projectile.state == ProjectileState::Loading;
        const float lift =
            physics::rocketForces(projectile.motion, param[1], param[0], float(projectile.launchCopy[1]),
                                  param[2], param[3], param[4], air, match_.direction, onPad);
        if (onPad) {
            if (lift > physics::kGravity) projectile.state = ProjectileState::Flying;
            // Burned out without ever lifting off: back to the rack, no explosion.
            if (param[1] == 0) rearm(slot);
        }
        return;
    }
    physics::shellForces(projectile.motion, param[3], param[0], param[1], param[2], air, match_.direction);
}

// One step of motion, then the colour under the projectile decides what it touched.
void Game::moveAndClassify(int slot) {
    Projectile& projectile = projectileOf(slot);
    physics::Motion& m = projectile.motion;
    physics::integrate(m);

    const Measures& measures = match_.measures;
    DrawPoint& at = match_.point;
    at.x = std::floor(double(measures.scale) * m.x);
    at.y = drawingY(measures.groundLine, m.y, measures.scale);

    // The low two bits of the colour: 0 and 1 the players' bases, 2 the ground, 3 the sky.
    const int16_t struck = int16_t(field_.point(at.x, at.y) & 3);
    if (struck == 0 || struck == 1) {
        baseHit(slot, struck);
        return;
    }
    if (struck == 2) {
        groundHit(slot);
        return;
    }

    if (m.y < 0) {
        // Through the zero line over open sky: it bursts on the line.
        m.y = 0;
        groundHit(slot);
    }
    field_.setPoint(at.x, at.y, colour::trail);
    match_.trail.x[match_.trail.newest] = at.x;
    match_.trail.y[match_.trail.newest] = at.y;
    placeSlotLabel(slot);
}

// The slot label sits a little ahead of the projectile, on the side it is heading to.
void Game::placeSlotLabel(int slot) {
    const physics::Motion& m = projectileOf(slot).motion;
    const Measures& measures = match_.measures;
    const DrawPoint& at = match_.point;
    double speedRatio = std::sqrt(m.vx * m.vx + double(m.vy) * double(m.vy)) / measures.labelDistance;
    if (speedRatio == 0) speedRatio = 1.0 / measures.labelDistance;
    const double left = at.x + m.vx / speedRatio - (m.vx < 0 ? double(measures.labelWidth) : 0.0);
    const double top = at.y - double(m.vy) / speedRatio - (m.vy > 0 ? double(measures.labelHeight) : 0.0);
    Rect& r = screen_.slotLabel(match_.turn, slot).rect;
    r.left = labelCoordinate(left);
    r.top = labelCoordinate(top);
}

} // namespace kestrum
