#pragma once
// The battlefield as one raster owned by the game: the drawing surface of the main window (trail
// points, erased points, printed texts) plus the visible pictures, stretched nearest-neighbour.
//
// Stacking order, bottom to top: drawing surface, ground strip, ground pieces 0 and 1, bases 0 and 1,
// explosions 0..13. The bases are opaque pictures: their sky-coloured pixels, craters included, cover
// what lies behind them and read as sky, so a shell waiting in its base's yard never reads the ground
// strip behind it. The other pictures let their screen-cyan pixels through: the round fireball shows
// the base or sky behind its corners, and a ragged ground piece shows the strip behind it.
//
// Reading a point gives exactly the colour the view shows there. Printed texts are the one
// exception: they are drawn by the view at full resolution and are not part of the read raster (they
// appear only at the end of a match, when nothing flies any more).

#include <cstdint>
#include <string>
#include <vector>

#include "field/bitmap.h"
#include "field/colours.h"
#include "field/design_display.h"

namespace kestrum {

// A picture placed on the battlefield and stretched to its rectangle.
struct Sprite {
    const Bitmap* bitmap = nullptr;
    bool visible = false;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool opaque = false; // screen-cyan pixels cover what lies behind instead of letting it through
    bool operator==(const Sprite&) const = default;
};

struct PrintedText {
    int x = 0;
    int y = 0;
    std::string text;
    double points = 12;
    uint32_t colour = 0;
    bool operator==(const PrintedText&) const = default;
};

class Battlefield {
  public:
    static constexpr int kWidth = kDesignWidth;
    static constexpr int kHeight = kDesignHeight;

    Battlefield();
    // The sprites point at this object's own bitmaps: a copy would draw, and punch craters into,
    // the original's pictures.
    Battlefield(const Battlefield&) = delete;
    Battlefield& operator=(const Battlefield&) = delete;

    // Drawing surface.
    void clear();
    void setPoint(double x, double y, uint32_t colour);
    // Whether setPoint(x, y, colour) would change anything.
    bool changesSurface(double x, double y, uint32_t colour) const;
    void print(int x, int y, const std::string& text, double points, uint32_t colour);
    const std::vector<PrintedText>& texts() const { return texts_; }
    // Nothing drawn on the surface and no picture shown: the whole field is sky.
    bool blank() const;

    // Colour shown at a point, pictures included; -1 outside.
    int64_t point(double x, double y) const;

    // Every picture, in drawing order: the ground strip, the ground pieces, the bases, the fireballs.
    template <typename Visit> void forEachSprite(Visit&& visit) const {
        visit(groundStrip);
        for (const Sprite& s : ground)
            visit(s);
        for (const Sprite& s : base)
            visit(s);
        for (const Sprite& s : explosion)
            visit(s);
    }
    template <typename Test> bool anySprite(Test&& test) const {
        bool found = false;
        forEachSprite([&](const Sprite& s) { found = found || test(s); });
        return found;
    }

    // The whole shown picture, row-major kWidth x kHeight.
    void compose(std::vector<uint32_t>& out) const;
    // Rows first..last-1 of it into out (kWidth per row): a view can compose a band at a time.
    void composeRows(int first, int last, uint32_t* out) const;
    // Whether a visible picture covers some of row y; where none does, the row shows the drawing
    // surface alone, surfaceRow(y).
    bool pictureOnRow(int y) const;
    const uint32_t* surfaceRow(int y) const;

    // A hash of the drawing surface kept up as points are drawn: equal surfaces, equal hashes.
    uint64_t surfaceHash() const { return surfaceHash_; }
    // A hash of how a base buffer was made: its size and every crater punched since, in order.
    uint64_t bufferHash(int player) const { return bufferHash_[player]; }

    // Changes with every visible change of the surface or of a picture buffer.
    uint64_t revision() const { return revision_; }
    void touch() { changedAll(); }

    // For a view that keeps a composed frame: the surface pixels (y * kWidth + x) changed since the
    // last call. True means too much changed to list (cleared, printed, a base redrawn): compose
    // afresh. Changes of the sprites themselves are the caller's to notice.
    bool takeChanges(std::vector<uint32_t>& pixels);

    // The pictures (visible ones are composed in this order).
    Sprite groundStrip;
    Sprite ground[2];
    Sprite base[2];
    Sprite explosion[14];

    // Source bitmaps: templates and the base buffers that craters are punched into.
    Bitmap groundStripBitmap;
    Bitmap groundPieceBitmap[2];
    Bitmap baseTemplate[2];
    Bitmap baseBuffer[2];
    Bitmap explosionBitmap;

    // Stretch a template into a base buffer of w x h (nearest neighbour).
    void drawBaseBuffer(int player, int w, int h);
    // Filled circle in sky colour in a base buffer: a crater.
    void punchCrater(int player, double cx, double cy, int radius);

  private:
    void changedAll() {
        ++revision_;
        changedAll_ = true;
        changed_.clear();
    }

    Bitmap surface_;           // allocated on the first point drawn in another colour than sky
    bool surfaceBlank_ = true; // all sky, whatever surface_ holds
    uint64_t surfaceHash_ = 0; // a sum over the pixels that are not sky
    uint64_t bufferHash_[2] = {};
    std::vector<PrintedText> texts_;
    uint64_t revision_ = 0;
    bool changedAll_ = true;
    std::vector<uint32_t> changed_;
};

// Nearest-neighbour source coordinate of destination pixel d when stretching src pixels over dst.
inline int stretchSource(int d, int src, int dst) {
    return int((int64_t(d) * src) / dst);
}

} // namespace kestrum
