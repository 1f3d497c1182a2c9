// The battlefield's pictures and what it reads back at a point, and the shipped assets.
#include <algorithm>
#include <fstream>
#include <iterator>
#include <type_traits>

#include <gtest/gtest.h>

#include "field/battlefield.h"
#include "field/bitmaps.h"
#include "game/game.h"
#include "game/screen.h"

using namespace kestrum;

TEST(Battlefield, ReadsWhatIsShownInStackingOrder) {
    Battlefield f;
    for (auto [x, y] : {std::pair{-1.0, 0.0}, {0, -0.5}, {792, 10}, {10, 575}, {1e300, 1e300}})
        EXPECT_EQ(f.point(x, y), -1) << x << "," << y;
    f.setPoint(1e12, -1e12, 0), f.setPoint(791, 574, colour::trail); // the first silently does nothing
    EXPECT_EQ(f.point(791, 574), colour::trail);

    // Stretched pictures in stacking order: strip, ground pieces, bases, explosions.
    Bitmap half(2, 1, colour::screenCyan);
    half.set(1, 0, 0x000002);
    f.groundStrip = {&half, true, 100, 100, 10, 4};
    EXPECT_EQ(f.point(104, 101), colour::screenCyan) << "see-through half shows the surface";
    EXPECT_EQ(f.point(105, 101) + f.point(110, 103), 0x000002 + colour::screenCyan);
    const Bitmap base(3, 3, 0x000001), fire(1, 1, 0x0080FE);
    f.base[1] = {&base, true, 104, 100, 6, 6, true};
    f.explosion[3] = {&fire, true, 105, 102, 2, 2};
    f.explosion[9] = {&base, true, 106, 103, 1, 1};
    EXPECT_EQ(f.point(106, 101), 0x000001) << "a base lies over the strip";
    EXPECT_EQ(f.point(105, 103), 0x0080FE) << "a running explosion lies over the base";
    EXPECT_EQ(f.point(106, 103), 0x000001) << "a later explosion over an earlier one";

    // The composed frame is exactly what the colour test reads, pixel for pixel.
    f.drawBaseBuffer(0, 39, 12);
    f.base[0] = {&f.baseBuffer[0], true, 0, 457, 39, 12, true};
    f.ground[0] = {&f.groundPieceBitmap[0], true, 0, 469, 39, 11};
    f.explosion[0] = {&f.explosionBitmap, true, 20, 450, 25, 25};
    f.punchCrater(0, 5, 3, 4);
    std::vector<uint32_t> frame;
    f.compose(frame);
    for (int y = 0; y < 575; ++y)
        for (int x = 0; x < 792; ++x)
            ASSERT_EQ(int64_t(frame[size_t(y) * 792 + x]), f.point(x, y)) << x << "," << y;
    f.clear();
    f.setPoint(3, 3, colour::trail); // the first drawing after a clear: nothing of before shows again
    EXPECT_EQ(f.point(791, 574), colour::screenCyan);

    f.punchCrater(0, 1e9, -1e9, 30000); // far away: nothing, no trouble
}

TEST(Battlefield, APictureOverAnEdgeOfTheFieldShowsUpToThatEdge) {
    const Bitmap block(1, 1, 0x000001);
    // Five of its ten columns or rows lie inside: over the left, top, right and bottom edge.
    for (auto [x, y] : {std::pair{-5, 200}, {400, -5}, {787, 200}, {400, 570}}) {
        Battlefield f;
        f.ground[0] = {&block, true, x, y, 10, 10};
        std::vector<uint32_t> frame;
        f.compose(frame);
        EXPECT_EQ(std::ranges::count(frame, 0x000001u), 50) << x << "," << y;
    }
}

// A copy's sprites would still show (and take craters in) the original's bitmaps; a game holds one.
static_assert(!std::is_copy_constructible_v<Battlefield> && !std::is_copy_assignable_v<Battlefield> &&
              !std::is_copy_constructible_v<Game>);

constexpr uint32_t kCyan = colour::screenCyan;

TEST(Bitmaps, SizesKindCodesBaseFeetAndLooksAndTheLaunchPoint) {
    const std::tuple<Bitmap, int, int, uint32_t> pictures[] = {
        {makeGroundStrip(), 633, 15, 2}, {makeGroundPiece(0), 100, 30, 0}, {makeGroundPiece(1), 100, 30, 1},
        {makeBase(0), 100, 32, 0},       {makeBase(1), 100, 32, 1},        {makeExplosion(), 31, 31, 2}};
    for (const auto& [b, w, h, kind] : pictures) {
        ASSERT_TRUE(b.width == w && b.height == h && b.pixels.size() == size_t(w * h)) << w;
        for (uint32_t c : b.pixels)
            ASSERT_TRUE(c == kCyan || (c < 1 << 24 && (c & 3) == kind)) << w << ' ' << std::hex << c;
    }
    const Bitmap base[2] = {makeBase(0), makeBase(1)};
    for (int x = 0; x < 100; ++x) // opaque feet
        EXPECT_TRUE(base[0].at(x, 31) != kCyan && base[1].at(x, 31) != kCyan) << x;
    EXPECT_FALSE(
        std::ranges::equal(base[0].pixels, base[1].pixels, [](auto a, auto b) { return (a ^ b) < 4; }));

    // A waiting shell (55 m in, 10 m below the base top) reads sky up its column at the layout's extremes.
    for (int player : {0, 1})
        for (auto [distance, alt] : {std::pair{500, 32}, {500, 711}, {2999, 32}, {2999, 711}}) {
            const float scale = float(Battlefield::kWidth) / float(distance);
            auto px = [&](double m) { return int(double(scale) * m); };
            const int w = px(100), left = player == 0 ? 0 : int(float(distance) * scale) - w,
                      col = stretchSource(px(player == 0 ? 55 : distance - 55) - left, 100, w);
            const int row = stretchSource(px(alt) - px(double(float(alt - 10))), 32, px(32));
            for (int y = 0; y <= row; ++y)
                EXPECT_EQ(base[player].at(col, y), kCyan) << player << ' ' << distance << ' ' << alt;
        }
}

TEST(Assets, ExplosionSoundsArePcmWavesTheBigOneLongerAndTheIconIsAPng) {
    auto asset = [](const char* name) {
        std::ifstream in(std::string(KESTRUM_SOURCE_DIR) + "/assets/" + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    auto seconds = [](const std::string& d) { // a plain mono 16-bit PCM WAVE file: this header, then samples
        uint32_t h[11] = {};
        d.copy(reinterpret_cast<char*>(h), sizeof h);
        const bool pcm = d.starts_with("RIFF") && d.substr(8, 8) == "WAVEfmt " && d.substr(36, 4) == "data" &&
                         h[5] == 0x00010001 && h[8] == 0x00100002 && h[10] == d.size() - 44;
        return pcm ? h[10] / double(h[7]) : -1.0;
    };
    EXPECT_GT(seconds(asset("BAN.WAV")), 0.2);
    EXPECT_GT(seconds(asset("BIGBAN.WAV")), seconds(asset("BAN.WAV")) + 0.5);
    EXPECT_EQ(asset("kestrum.png").substr(0, 8), "\x89PNG\r\n\x1a\n");
}
