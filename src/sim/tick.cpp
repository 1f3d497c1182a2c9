// The simulation tick: one step of 0.03 s for the five slots of the player in turn.
//
// Precision is part of the game: vertical quantities (py, vy, ay, lift, thrust) are 32-bit floats,
// horizontal ones (px, vx, ax) 64-bit; the game's constants are single precision and enter 64-bit
// expressions with their single-precision values.

#include <algorithm>
#include <cmath>

#include "app/game.h"
#include "physics/flight_constants.h"
#include "sim/drawing_y.h"

namespace kestrum {

namespace {

constexpr int kTrailRing = 20000;

// Slot labels live in the same 16-bit coordinate range as the projectile's drawing y.
int labelCoordinate(double v) {
    return clampToInt16(std::floor(v));
}

} // namespace

void Game::tick() {
    // The computer's key comes between two ticks, as a person's does, judged on what the last one drew.
    if (opponent_) driveOpponent();
    st_.turn = int16_t(st_.turn ^ 1);
    st_.dir = int16_t(st_.turn == 0 ? 1 : -1);
    st_.phase[st_.turn] = int16_t((st_.phase[st_.turn] + 1) & 7);
    suutihyouji();

    const int p = st_.turn;
    for (int i = 0; i < kSlots; ++i) {
        // Every slot, busy or not, erases the oldest trail point: the ring keeps the last 20000.
        st_.trailn = int16_t(st_.trailn < kTrailRing ? st_.trailn + 1 : 1);
        field_.setPoint(st_.trailx[st_.trailn], st_.traily[st_.trailn], colour::screenCyan);

        const int16_t state = st_.state[p][i];
        if (state >= 3) {
            if (!explosionFrame(i)) break; // a round has been decided: nothing else moves now
        } else if (state >= 1) {
            moveSlot(i);
        }
    }

    if (st_.over == 1) {
        for (int n = 0; n < 10; ++n)
            screen_.orbitnumber[n].visible = false;
        // Fireballs still running when the base went up belong to the old battlefield; left visible
        // they would stand on the new one as solid ground.
        for (int n = 0; n < 10; ++n)
            field_.explosion[n].visible = false;
        for (int q = 0; q < kPlayers; ++q)
            for (int s = 0; s < kSlots; ++s)
                for (int k = 0; k < kParams; ++k)
                    st_.param[q][s][k] = st_.setv[q][s][k];
        st_.over = 0;
        field_.clear();
        syokika3();
    } else if (st_.over == 2) {
        platform_.setTickInterval(0);
        screen_.againput.text = "";
        screen_.again.visible = true;
        screen_.focus = Focus::Againput;
    }
}

// A launched slot: a rocket on the pad or in the air, or a shell loading or flying.
void Game::moveSlot(int slot) {
    flightForces(slot);
    integrateAndClassify(slot);
}

void Game::flightForces(int slot) {
    const int p = st_.turn;
    float* param = st_.param[p][slot];
    const double air = st_.air;

    if (st_.mode == 1) {
        float& fuel = param[1];
        const float burn = param[2], jet = param[3], charge = param[0];
        if (fuel > 0) {
            fuel = fuel - burn * kStep;
            if (fuel < 0) fuel = 0;
        }
        const float theta = param[4] * kDegree;
        const double area = std::pow(double(float(st_.setv[p][slot][1]) + charge), double(kAreaExponent));
        const float thrust = fuel > 0 ? burn * jet / (fuel + charge) : 0.0f;
        st_.lift = float(double(thrust) * std::sin(double(theta)));

        if (st_.state[p][slot] == 1) {
            if (st_.lift > kGravity) st_.state[p][slot] = 2;
            // Burned out without ever lifting off: back to the rack, no explosion.
            if (fuel == 0) setteini(slot);
        } else {
            st_.ax[p][slot] = double(thrust) * std::cos(double(theta)) * st_.dir -
                              double(kRocketDrag) * air * area * st_.vx[p][slot];
            st_.ay[p][slot] = float(double(st_.lift - kGravity) -
                                    double(kRocketDrag) * air * area * double(st_.vy[p][slot]));
        }
        return;
    }

    float& loading = param[3];
    const float speed = param[1], charge = param[0];
    if (loading > 0) {
        loading = loading - kStep;
        if (loading <= 0) {
            // Fired: the velocity now, gravity and drag from the next step on.
            loading = 0;
            const float theta = param[2] * kDegree;
            st_.vx[p][slot] = double(speed) * std::cos(double(theta)) * st_.dir;
            st_.vy[p][slot] = float(double(speed) * std::sin(double(theta)));
        }
    } else {
        const double area = std::pow(double(charge), double(kAreaExponent));
        st_.ax[p][slot] = -double(kShellDrag) * air * area * st_.vx[p][slot];
        st_.ay[p][slot] =
            float(-double(kShellDrag) * air * area * double(st_.vy[p][slot]) - double(kGravity));
    }
}

// Semi-implicit Euler (velocity first, then position with the new velocity), then the colour test.
void Game::integrateAndClassify(int slot) {
    const int p = st_.turn;
    double& px = st_.px[p][slot];
    double& vx = st_.vx[p][slot];
    float& py = st_.py[p][slot];
    float& vy = st_.vy[p][slot];

    vx = vx + st_.ax[p][slot] * double(kStep);
    px = px + vx * double(kStep);
    vy = vy + st_.ay[p][slot] * kStep;
    py = py + vy * kStep;

    st_.sx = std::floor(double(st_.scale) * px);
    st_.sy = drawingY(st_.groundy, py, st_.scale);

    st_.hit = int16_t(field_.point(st_.sx, st_.sy) & 3);
    if (st_.hit == 0 || st_.hit == 1) {
        baseHit(slot, st_.hit);
        return;
    }
    if (st_.hit == 2) {
        groundHit(slot);
        return;
    }

    if (py < 0) {
        // Through the zero line over open sky: it bursts on the line.
        py = 0;
        groundHit(slot);
    }
    field_.setPoint(st_.sx, st_.sy, colour::trail);
    st_.trailx[st_.trailn] = st_.sx;
    st_.traily[st_.trailn] = st_.sy;

    // The label sits lbld pixels ahead of the projectile, on the side it is heading to.
    double speedRatio = std::sqrt(vx * vx + double(vy) * double(vy)) / st_.lbld;
    if (speedRatio == 0) speedRatio = 1.0 / st_.lbld;
    const double left = st_.sx + vx / speedRatio - (vx < 0 ? double(st_.lblw) : 0.0);
    const double top = st_.sy - double(vy) / speedRatio - (vy > 0 ? double(st_.lblh) : 0.0);
    Rect& r = screen_.orbitnumber[p * 5 + slot].rect;
    r.left = labelCoordinate(left);
    r.top = labelCoordinate(top);
}

} // namespace kestrum
