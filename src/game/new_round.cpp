#include <cmath>

#include "game/game.h"
#include "numbers/number_text.h"

namespace kestrum {

// A new round: random distance and base heights, the scale, pictures placed, per-round resets.
// Which products are 32-bit and which 64-bit decides pixels at the edges, so each is spelled out.
void Game::newRound() {
    Measures& m = match_.measures;
    Base& left = match_.players[0].base;
    Base& right = match_.players[1].base;

    // Distance and scale.
    left.edge = 0;
    const float r0 = random();
    right.edge = double(float(std::floor(double(r0) * 2500.0) + 500.0));
    m.scale = m.fieldWidth / float(right.edge);

    // Ground strip: 3000 m wide, its bottom edge on the altitude-0 line.
    Sprite& strip = field_.groundStrip;
    strip.visible = true;
    const float stripW = float(std::floor(double(m.scale) * 3000.0));
    const float stripH = std::floor(stripW / float(m.stripWidth) * float(m.stripHeight));
    strip.left = 0;
    strip.top = m.groundLine - int(stripH);
    strip.width = int(stripW);
    strip.height = int(stripH);
    const float stripMetres = stripH / m.scale;

    // Altitudes and the per-round resets.
    for (Player& player : match_.players) {
        Base& base = player.base;
        const double bh = field_.baseTemplate[0].height;
        const float r = random();
        base.altitude = std::floor(double(r) * (double(m.groundLine) * 0.49 / double(m.scale) - bh) + bh);
        // No base top below the top of the ground strip. Rounded up, not down: a base sunk even a
        // fraction of a metre has a row of ground above its yard, and its shells burst on leaving.
        if (base.altitude < double(stripMetres)) {
            base.altitude = std::ceil(double(stripMetres));
            // The strip's height in metres is a rounded quotient: check in pixels, where it matters.
            while (std::floor(base.altitude * double(m.scale)) < double(stripH))
                base.altitude += 1;
        }
        InputPanel& panel = player.panel;
        panel.cursor = panel.place = panel.step = base.damage = panel.slot = 0;
        panel.shownSlot = -1;
        for (int16_t& c : base.columns)
            c = 0;
        for (Projectile& projectile : player.projectiles) {
            projectile.state = ProjectileState::Idle;
            projectile.struck = Struck::Ground;
        }
    }

    // Bases and the ground pieces under them.
    for (int p = 0; p < kPlayers; ++p) {
        Base& base = match_.players[p].base;
        const int wp = int(std::floor(double(m.scale) * double(field_.baseTemplate[p].width)));
        const float bo = float(field_.baseTemplate[p].height);
        const int hp = int(std::floor(m.scale * bo));
        field_.drawBaseBuffer(p, wp, hp);
        Sprite& b = field_.base[p];
        b.bitmap = &field_.baseBuffer[p];
        b.width = wp;
        b.height = hp;
        const float edge = std::floor(float(base.edge) * m.scale);
        const int leftPixel = p == 0 ? int(edge) : int(edge) - wp;
        const int top = m.groundLine - int(std::floor(base.altitude * double(m.scale)));
        b.left = leftPixel;
        b.top = top;
        base.left = leftPixel;
        base.top = int16_t(top);
        b.visible = true;
        Sprite& g = field_.ground[p];
        g.visible = true;
        g.left = leftPixel;
        g.top = top + hp;
        g.width = wp;
        g.height = int(std::floor(double(m.groundPieceHeight[p]) * double(m.scale)));
        base.height = bo;
    }

    // Each player's view of the enemy base.
    screen_.statusValue(0, status::kEnemyDistance).caption = singleText(float(right.edge));
    screen_.statusValue(0, status::kEnemyHeight).caption = doubleText(right.altitude - left.altitude);
    screen_.statusValue(1, status::kEnemyDistance).caption = singleText(float(right.edge));
    screen_.statusValue(1, status::kEnemyHeight).caption = doubleText(left.altitude - right.altitude);
    screen_.statusValue(0, status::kDamage).caption = "0";
    screen_.statusValue(1, status::kDamage).caption = "0";

    for (double& x : match_.trail.x)
        x = 0;
    for (int16_t& y : match_.trail.y)
        y = 0;
}

} // namespace kestrum
