#include <algorithm>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "field/battlefield.h"
#include "field/bitmaps.h"

using namespace kestrum;

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
    for (int x = 0; x < 100; ++x)
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

std::string asset(const char* name) {
    std::ifstream in(std::string(KESTRUM_SOURCE_DIR) + "/assets/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(Assets, ExplosionSoundsArePcmWavesTheBigOneLongerAndTheIconIsAPng) {
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
