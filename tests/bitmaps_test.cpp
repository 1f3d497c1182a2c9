#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "ui/battlefield.h"
#include "ui/bitmaps.h"

using namespace kestrum;

namespace {

constexpr uint32_t kCyan = 0xFFFF83;

struct Picture {
    const char* name;
    Bitmap bitmap;
    int width, height, kind;
    double minSolid, maxSolid; // share of non-background pixels
};

std::vector<Picture> pictures() {
    return {
        {"ground strip", makeGroundStrip(), 633, 15, 2, 0.85, 1.0},
        {"left ground piece", makeGroundPiece(0), 100, 30, 0, 0.85, 1.0},
        {"right ground piece", makeGroundPiece(1), 100, 30, 1, 0.85, 1.0},
        {"left base", makeBase(0), 100, 32, 0, 0.4, 0.85},
        {"right base", makeBase(1), 100, 32, 1, 0.4, 0.85},
        {"explosion", makeExplosion(), 31, 31, 2, 0.5, 0.8},
    };
}

struct Average {
    double r = 0, g = 0, b = 0;
};

Average averageSolid(const Bitmap& bmp) {
    Average a;
    int n = 0;
    for (uint32_t c : bmp.pixels) {
        if (c == kCyan) continue;
        a.r += c & 0xFF, a.g += c >> 8 & 0xFF, a.b += c >> 16 & 0xFF, ++n;
    }
    a.r /= n, a.g /= n, a.b /= n;
    return a;
}

// The template pixels a freshly launched projectile reads while it waits at its launch point
// (55 m in from the outer edge, 10 m below the base top), over every distance and base altitude a
// round can have on the 792 x 575 battlefield, mapped the way the pictures are placed and stretched.
std::vector<std::pair<int, int>> launchCells(int player) {
    bool seen[100][32] = {};
    const int groundy = Battlefield::kHeight;
    for (int distance = 500; distance <= 2999; ++distance) {
        const float scale = float(Battlefield::kWidth) / float(distance);
        const int wp = int(std::floor(double(scale) * 100)), hp = int(std::floor(double(scale) * 32));
        const int left = player == 0 ? 0 : int(std::floor(float(distance) * scale)) - wp;
        const double px = player == 0 ? 55.0 : distance - 55.0;
        const int col = stretchSource(int(std::floor(double(scale) * px)) - left, 100, wp);
        for (int alt = 32; alt <= 711; ++alt) {
            const int top = groundy - int(std::floor(alt * double(scale)));
            const int sy = groundy - int(std::floor(double(float(alt - 10)) * double(scale)));
            seen[col][stretchSource(sy - top, 32, hp)] = true;
        }
    }
    std::vector<std::pair<int, int>> cells;
    for (int x = 0; x < 100; ++x)
        for (int y = 0; y < 32; ++y)
            if (seen[x][y]) cells.push_back({x, y});
    return cells;
}

std::vector<unsigned char> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t le(const std::vector<unsigned char>& d, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | d[at + size_t(i)];
    return v;
}

struct Wave {
    bool ok = false;
    double seconds = 0;
    int peak = 0;
};

// Reads a 16-bit mono PCM WAVE file the way a plain player would: RIFF header, "fmt " and "data" chunks.
Wave readWave(const std::string& path) {
    const std::vector<unsigned char> d = readFile(path);
    Wave w;
    if (d.size() < 12 || std::string(d.begin(), d.begin() + 4) != "RIFF" ||
        std::string(d.begin() + 8, d.begin() + 12) != "WAVE" || le(d, 4, 4) != d.size() - 8)
        return w;
    uint32_t rate = 0;
    bool format = false;
    for (size_t at = 12; at + 8 <= d.size();) {
        const std::string id(d.begin() + long(at), d.begin() + long(at) + 4);
        const uint32_t size = le(d, at + 4, 4);
        if (at + 8 + size > d.size()) return w;
        if (id == "fmt ") {
            rate = le(d, at + 12, 4);
            format = size >= 16 && le(d, at + 8, 2) == 1 && le(d, at + 10, 2) == 1 &&
                     (rate == 22050 || rate == 44100) && le(d, at + 16, 4) == rate * 2 &&
                     le(d, at + 20, 2) == 2 && le(d, at + 22, 2) == 16;
        } else if (id == "data" && format) {
            w.ok = size > 0 && size % 2 == 0;
            w.seconds = double(size) / (rate * 2.0);
            for (size_t i = 0; i < size; i += 2)
                w.peak = std::max(w.peak, std::abs(int(int16_t(le(d, at + 8 + i, 2)))));
        }
        at += 8 + size + (size & 1);
    }
    return w;
}

} // namespace

TEST(Bitmaps, SizesKindCodesAndSolidShare) {
    for (const Picture& p : pictures()) {
        SCOPED_TRACE(p.name);
        ASSERT_EQ(p.bitmap.width, p.width);
        ASSERT_EQ(p.bitmap.height, p.height);
        ASSERT_EQ(p.bitmap.pixels.size(), size_t(p.width) * size_t(p.height));
        int solid = 0;
        for (uint32_t c : p.bitmap.pixels) {
            ASSERT_LE(c, 0xFFFFFFu);
            if (c == kCyan) continue;
            ASSERT_EQ(int(c & 3), p.kind) << std::hex << c;
            ++solid;
        }
        const double share = double(solid) / double(p.bitmap.pixels.size());
        EXPECT_GE(share, p.minSolid);
        EXPECT_LE(share, p.maxSolid);
    }
}

TEST(Bitmaps, BasesStandOnSolidFootInTwoColourSchemes) {
    const Bitmap left = makeBase(0), right = makeBase(1);
    for (const Bitmap* b : {&left, &right})
        for (int x = 0; x < b->width; ++x)
            EXPECT_NE(b->at(x, b->height - 1), kCyan) << "foot column " << x;
    const Average l = averageSolid(left), r = averageSolid(right);
    EXPECT_GT(l.b, l.r + 20) << "the left fortress is blue-grey";
    EXPECT_GT(r.r, r.b + 40) << "the right fortress is red-brown";

    const Bitmap boom = makeExplosion();
    EXPECT_EQ(boom.at(0, 0), kCyan);
    EXPECT_EQ(boom.at(30, 30), kCyan);
    EXPECT_GE(boom.at(15, 15) & 0xFF, 240u) << "hot core";
    EXPECT_GE(boom.at(15, 15) >> 8 & 0xFF, 200u);
}

// A shell waits at its launch point while it loads and the collision test reads the picture under it
// all the while; a solid pixel there would make every shot burst in its own base. Straight up and
// towards the enemy, from the launch height up, the way must be open too.
TEST(Bitmaps, LaunchPointAndFlatShotPathAreOpenSky) {
    for (int player = 0; player < 2; ++player) {
        SCOPED_TRACE(player);
        const Bitmap base = makeBase(player);
        const auto cells = launchCells(player);
        int lowest = 0, nearest = player == 0 ? 99 : 0;
        for (const auto& [col, row] : cells) {
            for (int y = 0; y <= row; ++y)
                ASSERT_EQ(base.at(col, y), kCyan) << col << "," << y;
            lowest = std::max(lowest, row);
            nearest = player == 0 ? std::min(nearest, col) : std::max(nearest, col);
        }
        for (int y = 0; y <= lowest; ++y)
            for (int x = nearest; x >= 0 && x < base.width; x += player == 0 ? 1 : -1)
                ASSERT_EQ(base.at(x, y), kCyan) << x << "," << y;
    }
}

TEST(Assets, ExplosionSoundsAreAudiblePcmWavesBigOneLonger) {
    const std::string dir = std::string(KESTRUM_SOURCE_DIR) + "/assets/";
    const Wave small = readWave(dir + "BAN.WAV"), big = readWave(dir + "BIGBAN.WAV");
    ASSERT_TRUE(small.ok);
    ASSERT_TRUE(big.ok);
    EXPECT_GE(small.seconds, 0.3);
    EXPECT_LE(small.seconds, 1.0);
    EXPECT_GT(big.seconds, small.seconds + 0.5);
    EXPECT_LE(big.seconds, 3.0);
    EXPECT_GT(small.peak, 12000) << "not silent";
    EXPECT_GT(big.peak, 12000) << "not silent";
}

TEST(Assets, IconIsA64PixelPng) {
    const std::vector<unsigned char> d = readFile(std::string(KESTRUM_SOURCE_DIR) + "/assets/kestrum.png");
    ASSERT_GE(d.size(), 24u);
    EXPECT_EQ(std::string(d.begin() + 1, d.begin() + 4), "PNG");
    EXPECT_EQ(std::string(d.begin() + 12, d.begin() + 16), "IHDR");
    auto be = [&](size_t at) {
        return uint32_t(d[at]) << 24 | uint32_t(d[at + 1]) << 16 | d[at + 2] << 8 | d[at + 3];
    };
    EXPECT_EQ(be(16), 64u);
    EXPECT_EQ(be(20), 64u);
}
