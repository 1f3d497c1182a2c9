#include "field/battlefield.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "field/bitmaps.h"

namespace kestrum {

Battlefield::Battlefield()
    : groundStripBitmap(makeGroundStrip()), groundPieceBitmap{makeGroundPiece(0), makeGroundPiece(1)},
      baseTemplate{makeBase(0), makeBase(1)}, explosionBitmap(makeExplosion()) {
    // Design placement; the layout of each round moves and sizes them.
    groundStrip = {&groundStripBitmap, false, 0, 384, 633, 15};
    ground[0] = {&groundPieceBitmap[0], false, 16, 336, 100, 30};
    ground[1] = {&groundPieceBitmap[1], false, 520, 336, 100, 30};
    base[0] = {nullptr, false, 16, 240, 32, 32, true};
    base[1] = {nullptr, false, 584, 240, 32, 32, true};
    for (int i = 0; i < 14; ++i)
        explosion[i] = {nullptr, false, 192 + 24 * (i % 7), i < 7 ? 304 : 328, 15, 15};
}

void Battlefield::clear() {
    surfaceBlank_ = true;
    surfaceHash_ = 0;
    texts_.clear();
    changedAll();
}

bool Battlefield::takeChanges(std::vector<uint32_t>& pixels) {
    const bool all = changedAll_;
    pixels.swap(changed_);
    changed_.clear();
    changedAll_ = false;
    if (all) pixels.clear();
    return all;
}

bool Battlefield::blank() const {
    return surfaceBlank_ && texts_.empty() && !anySprite([](const Sprite& s) { return s.visible; });
}

// A pixel's share of the surface hash; sky adds nothing, so a blank surface hashes to 0.
static uint64_t pixelTerm(uint32_t index, uint32_t rgb) {
    if (rgb == colour::screenCyan) return 0;
    uint64_t x = (uint64_t(index) << 32 | rgb) + 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

static bool toPixel(double x, double y, int& ix, int& iy) {
    if (!(x >= 0 && x < Battlefield::kWidth && y >= 0 && y < Battlefield::kHeight)) return false;
    ix = int(x);
    iy = int(y);
    return true;
}

void Battlefield::setPoint(double x, double y, uint32_t rgb) {
    int ix, iy;
    if (!toPixel(x, y, ix, iy)) return;
    if (surfaceBlank_) {
        if (rgb == colour::screenCyan) return;
        // First drawing since the field was cleared: only now is the surface worth its memory.
        if (surface_.pixels.empty())
            surface_ = Bitmap(kWidth, kHeight, colour::screenCyan);
        else
            std::fill(surface_.pixels.begin(), surface_.pixels.end(), colour::screenCyan);
        surfaceBlank_ = false;
    }
    const uint32_t old = surface_.at(ix, iy);
    if (old == rgb) return;
    surface_.set(ix, iy, rgb);
    const uint32_t index = uint32_t(iy) * kWidth + uint32_t(ix);
    surfaceHash_ += pixelTerm(index, rgb) - pixelTerm(index, old);
    ++revision_;
    // A tick moves a handful of points; past that a fresh composition is cheaper than the list.
    if (!changedAll_) {
        if (changed_.size() < 512)
            changed_.push_back(uint32_t(iy) * kWidth + uint32_t(ix));
        else
            changedAll();
    }
}

bool Battlefield::changesSurface(double x, double y, uint32_t rgb) const {
    int ix, iy;
    if (!toPixel(x, y, ix, iy)) return false;
    return surfaceBlank_ ? rgb != colour::screenCyan : surface_.at(ix, iy) != rgb;
}

void Battlefield::print(int x, int y, const std::string& text, double points, uint32_t colour) {
    texts_.push_back({x, y, text, points, colour});
    changedAll();
}

namespace {

// A sprite that puts some pixels on the field.
bool shows(const Sprite& s) {
    return s.visible && s.bitmap && s.bitmap->width > 0 && s.bitmap->height > 0 && s.width > 0 &&
           s.height > 0;
}

// The colour a sprite shows at (x, y), or false where it is absent or see-through.
bool spriteAt(const Sprite& s, int x, int y, uint32_t& colour) {
    if (!shows(s)) return false;
    if (x < s.left || y < s.top || x >= s.left + s.width || y >= s.top + s.height) return false;
    const uint32_t c = s.bitmap->at(stretchSource(x - s.left, s.bitmap->width, s.width),
                                    stretchSource(y - s.top, s.bitmap->height, s.height));
    if (c == colour::screenCyan && !s.opaque) return false;
    colour = c;
    return true;
}

// Draws a sprite over rows first..last-1 of the frame (out holds those rows), clipped to them.
void blit(const Sprite& s, int first, int last, uint32_t* out) {
    if (!shows(s)) return;
    const int x0 = std::max(0, s.left), x1 = std::min(Battlefield::kWidth, s.left + s.width);
    const int y0 = std::max(first, s.top), y1 = std::min(last, s.top + s.height);
    if (x0 >= x1 || y0 >= y1) return;
    int column[Battlefield::kWidth];
    for (int x = x0; x < x1; ++x)
        column[x - x0] = stretchSource(x - s.left, s.bitmap->width, s.width);
    for (int y = y0; y < y1; ++y) {
        const uint32_t* src = &s.bitmap->pixels[size_t(stretchSource(y - s.top, s.bitmap->height, s.height)) *
                                                size_t(s.bitmap->width)];
        uint32_t* dst = out + size_t(y - first) * Battlefield::kWidth;
        for (int x = x0; x < x1; ++x) {
            const uint32_t c = src[column[x - x0]];
            if (c != colour::screenCyan || s.opaque) dst[x] = c;
        }
    }
}

} // namespace

int64_t Battlefield::point(double x, double y) const {
    int ix, iy;
    if (!toPixel(x, y, ix, iy)) return -1;
    uint32_t c;
    for (int i = 13; i >= 0; --i)
        if (spriteAt(explosion[i], ix, iy, c)) return c;
    for (int p = 1; p >= 0; --p)
        if (spriteAt(base[p], ix, iy, c)) return c;
    for (int p = 1; p >= 0; --p)
        if (spriteAt(ground[p], ix, iy, c)) return c;
    if (spriteAt(groundStrip, ix, iy, c)) return c;
    return surfaceBlank_ ? colour::screenCyan : surface_.at(ix, iy);
}

void Battlefield::compose(std::vector<uint32_t>& out) const {
    out.resize(size_t(kWidth) * kHeight);
    composeRows(0, kHeight, out.data());
}

void Battlefield::composeRows(int first, int last, uint32_t* out) const {
    const size_t begin = size_t(first) * kWidth, count = size_t(last - first) * kWidth;
    if (surfaceBlank_)
        std::fill_n(out, count, colour::screenCyan);
    else
        std::copy_n(surface_.pixels.begin() + std::ptrdiff_t(begin), count, out);
    forEachSprite([&](const Sprite& s) { blit(s, first, last, out); });
}

bool Battlefield::pictureOnRow(int y) const {
    return anySprite([y](const Sprite& s) {
        return shows(s) && y >= s.top && y < s.top + s.height && s.left < kWidth && s.left + s.width > 0;
    });
}

const uint32_t* Battlefield::surfaceRow(int y) const {
    static const std::vector<uint32_t> sky(kWidth, colour::screenCyan);
    return surfaceBlank_ ? sky.data() : &surface_.pixels[size_t(y) * kWidth];
}

void Battlefield::drawBaseBuffer(int player, int w, int h) {
    const Bitmap& src = baseTemplate[player];
    Bitmap& dst = baseBuffer[player];
    dst = Bitmap(std::max(w, 0), std::max(h, 0), colour::screenCyan);
    bufferHash_[player] = pixelTerm(uint32_t(dst.width), uint32_t(dst.height) + 1);
    for (int y = 0; y < dst.height; ++y)
        for (int x = 0; x < dst.width; ++x)
            dst.set(x, y, src.at(stretchSource(x, src.width, w), stretchSource(y, src.height, h)));
    changedAll();
}

void Battlefield::punchCrater(int player, double cx, double cy, int radius) {
    Bitmap& b = baseBuffer[player];
    if (radius < 0) return;
    // Far outside the buffer (a blast centre can lie anywhere): nothing to punch.
    if (!(cx + radius >= 0 && cx - radius < b.width && cy + radius >= 0 && cy - radius < b.height)) return;
    for (const double v : {cx, cy, double(radius)}) {
        uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        bufferHash_[player] = (bufferHash_[player] ^ bits) * 0x100000001B3ull;
    }
    const double r2 = double(radius) * radius;
    const int y0 = std::max(0, int(std::floor(cy - radius))),
              y1 = std::min(b.height - 1, int(std::ceil(cy + radius)));
    const int x0 = std::max(0, int(std::floor(cx - radius))),
              x1 = std::min(b.width - 1, int(std::ceil(cx + radius)));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r2) b.set(x, y, colour::screenCyan);
    changedAll();
}

} // namespace kestrum
