#include "field/bitmaps.h"

#include "field/colours.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace kestrum {

namespace {

struct Rgb {
    int r, g, b;
};

// Every solid pixel carries its picture's kind in the two lowest bits of red, so the collision test
// can tell bases, ground and sky apart by colour alone.
uint32_t coded(Rgb c, int kind) {
    const auto clamp = [](int v) { return uint32_t(std::clamp(v, 0, 255)); };
    const uint32_t r = (clamp(c.r) & ~3u) | uint32_t(kind);
    return clamp(c.b) << 16 | clamp(c.g) << 8 | r;
}

Rgb lighter(Rgb c, int d) {
    return {c.r + d, c.g + d, c.b + d};
}

Rgb mix(Rgb a, Rgb b, double t) {
    return {int(std::lround(a.r + (b.r - a.r) * t)), int(std::lround(a.g + (b.g - a.g) * t)),
            int(std::lround(a.b + (b.b - a.b) * t))};
}

// Fixed-seed integer hash: the texture is the same on every run and every machine.
uint32_t hash(int x, int y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 0x9E3779B1u ^ (uint32_t(y) + 0x7F4A7C15u) * 0x85EBCA77u ^ seed * 0xC2B2AE3Du;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

// A whole number in -amp..amp.
int jitter(int x, int y, uint32_t seed, int amp) {
    return int(hash(x, y, seed) % uint32_t(2 * amp + 1)) - amp;
}

// A number in [0, 1).
double unit(int x, int y, uint32_t seed) {
    return (hash(x, y, seed) >> 8) * (1.0 / 16777216.0);
}

// ---- Bases ---------------------------------------------------------------------------------------

constexpr int kBaseW = 100;
constexpr int kBaseH = 32;

enum class Material { Sky, Wall, Plinth, Roof, Opening, Iron, Flag };

struct Plan {
    Material cell[kBaseH][kBaseW] = {};
    void fill(int x0, int y0, int x1, int y1, Material p) {
        for (int y = std::max(y0, 0); y <= std::min(y1, kBaseH - 1); ++y)
            for (int x = std::max(x0, 0); x <= std::min(x1, kBaseW - 1); ++x)
                cell[y][x] = p;
    }
    Material at(int x, int y) const {
        if (x < 0 || y < 0 || x >= kBaseW || y >= kBaseH) return Material::Sky;
        return cell[y][x];
    }
};

// The fortress seen with its outer edge on the left and the enemy on the right. A projectile starts
// 55 m in from the outer edge and 10 m below the top, and the collision test already reads the
// picture there while a shell loads or a rocket stands on its pad; so the yard around that point and
// everything above it is open sky, and all that stands on the enemy side of it stays below the
// launch height, or flat shots would burst on their own rampart.
Plan fortressPlan() {
    Plan p;
    // Foundation: the base stands on solid rows along its whole width.
    p.fill(0, 27, 99, 31, Material::Plinth);

    // Keep on the outer side, with a corbelled parapet and four merlons.
    p.fill(3, 4, 25, 26, Material::Wall);
    p.fill(2, 4, 26, 5, Material::Wall);
    for (int x : {2, 9, 16, 23})
        p.fill(x, 1, x + 3, 3, Material::Wall);
    p.fill(8, 8, 9, 12, Material::Opening); // arrow slits
    p.fill(19, 8, 20, 12, Material::Opening);
    p.fill(13, 13, 15, 16, Material::Opening); // window
    p.fill(14, 12, 14, 12, Material::Opening);
    p.fill(11, 21, 17, 26, Material::Opening); // arched door
    p.fill(12, 20, 16, 20, Material::Opening);
    p.fill(13, 19, 15, 19, Material::Opening);

    // Turret with a pointed roof and a pennant on a pole.
    p.fill(30, 9, 40, 26, Material::Wall);
    for (int y = 3; y <= 8; ++y) {
        const int half = (y - 3) + 1;
        p.fill(35 - half, y, 35 + half, y, Material::Roof);
    }
    p.fill(35, 0, 35, 2, Material::Roof);
    p.fill(36, 0, 39, 1, Material::Flag);
    p.fill(34, 12, 36, 15, Material::Opening);
    p.fill(35, 11, 35, 11, Material::Opening);

    // Low curtain wall on the enemy side, walkway at row 19, battlements below the launch height.
    p.fill(26, 19, 99, 26, Material::Wall);
    for (int x = 62; x <= 96; x += 7)
        p.fill(x, 16, x + 3, 18, Material::Wall);
    for (int x = 66; x <= 94; x += 14)
        p.fill(x, 21, x + 1, 24, Material::Opening);

    // The launcher: a squat mortar on the walkway, its muzzle pointing at the enemy.
    p.fill(46, 18, 55, 18, Material::Iron);
    p.fill(47, 17, 53, 17, Material::Iron);
    p.fill(50, 16, 57, 16, Material::Iron);
    p.fill(54, 15, 59, 15, Material::Iron);
    return p;
}

struct BasePalette {
    Rgb wall, joint, plinth, roof, opening, iron, flag;
    int courseH, blockW; // masonry block size in pixels
    uint32_t seed;
};

const BasePalette kBasePalettes[2] = {
    // Left: steel-blue ashlar with dark joints, slate roof, blue pennant.
    {.wall = {118, 136, 162},
     .joint = {78, 90, 112},
     .plinth = {88, 100, 120},
     .roof = {58, 72, 112},
     .opening = {24, 30, 48},
     .iron = {44, 46, 54},
     .flag = {40, 96, 232},
     .courseH = 3,
     .blockW = 7,
     .seed = 0x51EE1u},
    // Right: red-brown brick with pale mortar, dark tiled roof, red pennant.
    {.wall = {170, 80, 56},
     .joint = {150, 128, 110},
     .plinth = {124, 70, 54},
     .roof = {104, 40, 32},
     .opening = {44, 20, 16},
     .iron = {52, 46, 44},
     .flag = {236, 44, 32},
     .courseH = 2,
     .blockW = 5,
     .seed = 0xB41CCu},
};

// ---- Earth ---------------------------------------------------------------------------------------

struct Earth {
    Rgb grass, grassDark, soilTop, soilDeep, stone;
    uint32_t seed;
};

// One pixel of soil at depth t (0 at the surface, 1 at the bottom), with stones scattered by hash.
Rgb soil(const Earth& e, int x, int y, double t) {
    Rgb c = mix(e.soilTop, e.soilDeep, t);
    c = lighter(c, jitter(x, y, e.seed, 7) + (unit(x / 2, y, e.seed + 12) < 0.2 ? -12 : 0));
    // Stones: cells of 9 x 5 pixels, some holding a rounded stone, lit from above.
    const int cx = x / 9, cy = y / 5;
    if (unit(cx, cy, e.seed + 3) < 0.35) {
        const double sx = cx * 9 + 2 + unit(cx, cy, e.seed + 4) * 5,
                     sy = cy * 5 + 1.5 + unit(cx, cy, e.seed + 5) * 2;
        const double rx = 1.4 + unit(cx, cy, e.seed + 6) * 1.4, ry = rx * 0.7;
        const double dx = (x + 0.5 - sx) / rx, dy = (y + 0.5 - sy) / ry;
        if (dx * dx + dy * dy < 1.0)
            c = lighter(e.stone, (dy < -0.2 ? 16 : dy > 0.4 ? -22 : 0) + jitter(cx, cy, e.seed + 7, 10));
    }
    return c;
}

// Grass on top: a green band a few pixels deep that fades into the soil.
Rgb grass(const Earth& e, int x, int y, int band) {
    const Rgb c = mix(e.grass, e.grassDark, double(y) / band);
    return lighter(c, jitter(x, y, e.seed + 10, 12) + (y == 0 ? 14 : 0));
}

const Earth kStripEarth = {{92, 168, 58}, {56, 118, 40},   {134, 96, 58},
                           {86, 58, 36},  {124, 116, 104}, 0xC0FFEEu};
const Earth kPieceEarth[2] = {
    {{86, 160, 62}, {52, 112, 44}, {126, 98, 66}, {76, 60, 46}, {116, 116, 112}, 0x1EF7u},
    {{96, 162, 56}, {60, 114, 38}, {140, 94, 56}, {92, 56, 36}, {126, 112, 100}, 0x219A7u},
};

} // namespace

Bitmap makeGroundStrip() {
    constexpr int w = 633, h = 15;
    const Earth& e = kStripEarth;
    Bitmap bmp(w, h, colour::screenCyan);
    for (int x = 0; x < w; ++x) {
        // Tufts stick up into the sky here and there; the grass band is two or three pixels deep.
        const int top = unit(x, 1, e.seed + 9) < 0.5 ? 0 : 1;
        const int band = 3 + (unit(x / 2, 0, e.seed + 8) < 0.35 ? 1 : 0);
        for (int y = top; y < h; ++y) {
            const Rgb c = y < band ? grass(e, x, y, band) : soil(e, x, y, double(y - band) / (h - band));
            bmp.set(x, y, coded(c, 2));
        }
    }
    return bmp;
}

Bitmap makeGroundPiece(int player) {
    constexpr int w = 100, h = 30;
    const Earth& e = kPieceEarth[player];
    Bitmap bmp(w, h, colour::screenCyan);
    for (int x = 0; x < w; ++x) {
        // A clod of earth under the base whose rocky underside narrows towards a ragged bottom.
        const double edge = std::min(x, w - 1 - x) + 0.5;
        const int bottom = h - int(unit(x / 3, 0, e.seed + 11) * 3) - int(std::max(0.0, 6.0 - edge) * 1.2);
        for (int y = 0; y < bottom; ++y) {
            Rgb c = y < 3 ? grass(e, x, y, 3) : soil(e, x, y, double(y - 3) / (h - 3));
            if (bottom - y <= 1) c = lighter(c, -24); // shadowed underside
            bmp.set(x, y, coded(c, player));
        }
    }
    return bmp;
}

Bitmap makeBase(int player) {
    const Plan shape = fortressPlan();
    const BasePalette& pal = kBasePalettes[player];
    // The right base faces left: mirror the plan so its yard and rampart face the enemy too.
    const auto part = [&](int x, int y) { return shape.at(player == 0 ? x : kBaseW - 1 - x, y); };

    Bitmap bmp(kBaseW, kBaseH, colour::screenCyan);
    for (int y = 0; y < kBaseH; ++y) {
        for (int x = 0; x < kBaseW; ++x) {
            const Material pt = part(x, y);
            if (pt == Material::Sky) continue;
            Rgb c{};
            switch (pt) {
            case Material::Wall:
            case Material::Plinth: {
                const int course = y / pal.courseH;
                const int shifted = x + (course % 2) * (pal.blockW / 2);
                const bool joint =
                    y % pal.courseH == pal.courseH - 1 || shifted % pal.blockW == pal.blockW - 1;
                const Rgb stone = pt == Material::Wall ? pal.wall : pal.plinth;
                c = joint ? pal.joint : lighter(stone, jitter(course, shifted / pal.blockW, pal.seed, 12));
                c = lighter(c, jitter(x, y, pal.seed + 1, 4));
                if (pt == Material::Plinth && y == 27) c = lighter(c, 22); // ledge catching the light
                break;
            }
            case Material::Roof:
                c = lighter(pal.roof, (y % 2) * 14 + jitter(x, y, pal.seed + 2, 5));
                break;
            case Material::Opening:
                c = pal.opening;
                break;
            case Material::Iron:
                c = lighter(pal.iron, y == 15 || y == 17 ? 36 : 0);
                break;
            case Material::Flag:
                c = pal.flag;
                break;
            case Material::Sky:
                break;
            }
            // Light from the upper left: edges facing it are brighter, edges facing away darker,
            // which keeps the silhouette readable when the picture is shrunk.
            if (pt == Material::Wall || pt == Material::Roof) {
                if (part(x - 1, y) == Material::Sky || part(x, y - 1) == Material::Sky)
                    c = lighter(c, 30);
                else if (part(x + 1, y) == Material::Sky)
                    c = lighter(c, -30);
            }
            bmp.set(x, y, coded(c, player));
        }
    }
    return bmp;
}

Bitmap makeExplosion() {
    constexpr int size = 31;
    constexpr double centre = 15.0;
    Bitmap bmp(size, size, colour::screenCyan);
    const Rgb core{255, 252, 214}, yellow{255, 218, 58}, orange{248, 132, 28}, red{200, 40, 18};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double dx = x - centre, dy = y - centre;
            const double d = std::sqrt(dx * dx + dy * dy);
            // Flame tongues: the rim radius wobbles with the direction.
            const double angle = std::atan2(dy, dx);
            const double turn = (angle + std::numbers::pi) / (2 * std::numbers::pi) * 14;
            const int sector = int(turn) % 14;
            const double rim = 13.4 + 1.8 * ((1 - (turn - int(turn))) * unit(sector, 0, 0xF1AEu) +
                                             (turn - int(turn)) * unit((sector + 1) % 14, 0, 0xF1AEu));
            if (d > rim) continue;
            const double t = std::clamp(d / rim + (unit(x, y, 0xB00Eu) - 0.5) * 0.12, 0.0, 1.0);
            Rgb c;
            if (t < 0.28)
                c = core;
            else if (t < 0.52)
                c = mix(core, yellow, (t - 0.28) / 0.24);
            else if (t < 0.76)
                c = mix(yellow, orange, (t - 0.52) / 0.24);
            else
                c = mix(orange, red, (t - 0.76) / 0.24);
            bmp.set(x, y, coded(c, 2));
        }
    }
    return bmp;
}

} // namespace kestrum
