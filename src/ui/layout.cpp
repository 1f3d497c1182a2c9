#include <cmath>

#include "app/game.h"
#include "numbers/number_text.h"

namespace kestrum {

// A new round: random distance and base heights, the scale, pictures placed, per-round resets.
// Which products are 32-bit and which 64-bit decides pixels at the edges, so each is spelled out.
void Game::syokika3() {
    // Distance and scale.
    st_.basex[0] = 0;
    const float r0 = rnd();
    st_.basex[1] = double(float(std::floor(double(r0) * 2500.0) + 500.0));
    st_.scale = st_.scrw / float(st_.basex[1]);

    // Ground strip: 3000 m wide, its bottom edge on the altitude-0 line.
    field_.jimen.visible = true;
    const float stripW = float(std::floor(double(st_.scale) * 3000.0));
    const float stripH = std::floor(stripW / float(st_.jimenw) * float(st_.jimenh));
    field_.jimen.left = 0;
    field_.jimen.top = st_.groundy - int(stripH);
    field_.jimen.width = int(stripW);
    field_.jimen.height = int(stripH);
    const float stripMetres = stripH / st_.scale;

    // Altitudes and the per-round resets.
    for (int p = 0; p < 2; ++p) {
        const double bh = field_.baseorigin[0].height;
        const float r = rnd();
        st_.basealt[p] = std::floor(double(r) * (double(st_.groundy) * 0.49 / double(st_.scale) - bh) + bh);
        // No base top below the top of the ground strip. Rounded up, not down: a base sunk even a
        // fraction of a metre has a row of ground above its yard, and its shells burst on leaving.
        if (st_.basealt[p] < double(stripMetres)) {
            st_.basealt[p] = std::ceil(double(stripMetres));
            // The strip's height in metres is a rounded quotient: check in pixels, where it matters.
            while (std::floor(st_.basealt[p] * double(st_.scale)) < double(stripH))
                st_.basealt[p] += 1;
        }
        st_.cursor[p] = st_.place[p] = st_.step[p] = st_.damage[p] = st_.slot[p] = 0;
        st_.lastshown[p] = -1;
        for (int16_t& c : st_.cells[p])
            c = 0;
        for (int s = 0; s < kSlots; ++s) {
            st_.state[p][s] = 0;
            st_.target[p][s] = 2;
        }
    }

    // Bases and the ground pieces under them.
    for (int p = 0; p < 2; ++p) {
        const int wp = int(std::floor(double(st_.scale) * double(field_.baseorigin[p].width)));
        const float bo = float(field_.baseorigin[p].height);
        const int hp = int(std::floor(st_.scale * bo));
        field_.drawBaseBuffer(p, wp, hp);
        Sprite& b = field_.base[p];
        b.bitmap = &field_.baseprocess[p];
        b.width = wp;
        b.height = hp;
        const float edge = std::floor(float(st_.basex[p]) * st_.scale);
        const int left = p == 0 ? int(edge) : int(edge) - wp;
        const int top = st_.groundy - int(std::floor(st_.basealt[p] * double(st_.scale)));
        b.left = left;
        b.top = top;
        st_.baseleft[p] = left;
        st_.basetop[p] = int16_t(top);
        b.visible = true;
        Sprite& g = field_.ground[p];
        g.visible = true;
        g.left = left;
        g.top = top + hp;
        g.width = wp;
        g.height = int(std::floor(double(st_.groundh[p]) * double(st_.scale)));
        st_.baseh[p] = bo;
    }

    // Each player's view of the enemy base.
    screen_.value[0].caption = singleText(float(st_.basex[1]));
    screen_.value[1].caption = doubleText(st_.basealt[1] - st_.basealt[0]);
    screen_.value[10].caption = singleText(float(st_.basex[1]));
    screen_.value[11].caption = doubleText(st_.basealt[0] - st_.basealt[1]);
    screen_.value[2].caption = "0";
    screen_.value[12].caption = "0";

    for (double& x : st_.trailx)
        x = 0;
    for (int16_t& y : st_.traily)
        y = 0;
}

} // namespace kestrum
