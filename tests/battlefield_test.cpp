#include <gtest/gtest.h>

#include "ui/battlefield.h"

using namespace kestrum;

namespace {

Bitmap solid(int w, int h, uint32_t c) { return Bitmap(w, h, c); }

} // namespace

TEST(Battlefield, PointsOutsideReadMinusOne) {
    Battlefield f;
    EXPECT_EQ(f.point(-1, 0), -1);
    EXPECT_EQ(f.point(0, -0.5), -1);
    EXPECT_EQ(f.point(792, 10), -1);
    EXPECT_EQ(f.point(10, 575), -1);
    EXPECT_EQ(f.point(1e300, 1e300), -1);
    EXPECT_EQ(f.point(0, 0), Battlefield::kSeeThrough);
    f.setPoint(1e12, -1e12, 0); // silently nothing
    f.setPoint(791, 574, 0x00FFFF);
    EXPECT_EQ(f.point(791, 574), 0x00FFFF);
    f.clear();
    EXPECT_EQ(f.point(791, 574), Battlefield::kSeeThrough);
}

TEST(Battlefield, PicturesStretchNearestNeighbourAndStackInOrder) {
    Battlefield f;
    Bitmap half(2, 1, Battlefield::kSeeThrough);
    half.set(1, 0, 0x000002); // right half solid ground
    f.jimen = {&half, true, 100, 100, 10, 4};
    EXPECT_EQ(f.point(104, 101), Battlefield::kSeeThrough) << "see-through half shows the surface";
    EXPECT_EQ(f.point(105, 101), 0x000002);
    EXPECT_EQ(f.point(109, 103), 0x000002);
    EXPECT_EQ(f.point(110, 103), Battlefield::kSeeThrough);

    const Bitmap base = solid(3, 3, 0x000001);
    f.base[1] = {&base, true, 104, 100, 6, 6};
    EXPECT_EQ(f.point(106, 101), 0x000001) << "a base lies over the strip";
    const Bitmap fire = solid(1, 1, 0x0080FE);
    f.explosion[3] = {&fire, true, 105, 102, 2, 2};
    EXPECT_EQ(f.point(106, 103), 0x0080FE) << "a running explosion lies over the base";
    f.explosion[3].visible = false;
    EXPECT_EQ(f.point(106, 103), 0x000001);
}

TEST(Battlefield, ComposedFrameIsWhatPointsRead) {
    Battlefield f;
    f.drawBaseBuffer(0, 39, 12);
    f.base[0] = {&f.baseprocess[0], true, 0, 457, 39, 12};
    f.ground[0] = {&f.groundBitmap[0], true, 0, 469, 39, 11};
    f.jimen = {&f.jimenBitmap, true, 0, 547, 1187, 28};
    f.explosion[0] = {&f.origin, true, 20, 450, 25, 25};
    f.setPoint(300, 200, 0x00FFFF);
    f.punchCrater(0, 5, 3, 4);
    std::vector<uint32_t> frame;
    f.compose(frame);
    ASSERT_EQ(frame.size(), size_t(792 * 575));
    for (int y = 0; y < 575; ++y)
        for (int x = 0; x < 792; ++x)
            ASSERT_EQ(int64_t(frame[size_t(y) * 792 + x]), f.point(x, y)) << x << "," << y;
}

TEST(Battlefield, CraterTurnsBaseIntoSky) {
    Battlefield f;
    f.drawBaseBuffer(1, 40, 13);
    f.base[1] = {&f.baseprocess[1], true, 700, 400, 40, 13, true};
    f.jimen = {&f.jimenBitmap, true, 0, 405, 1187, 28}; // the strip behind the base's lower part
    ASSERT_EQ(f.point(720, 412) & 3, 1);
    const uint64_t before = f.revision();
    f.punchCrater(1, 20, 12, 5);
    EXPECT_GT(f.revision(), before);
    EXPECT_EQ(f.point(720, 412) & 3, 3);
    EXPECT_EQ(f.point(724, 409) & 3, 3);   // inside the radius
    EXPECT_EQ(f.point(700, 412) & 3, 1);   // far from it
    // The crater is sky, not a window onto the ground strip behind the base.
    EXPECT_EQ(f.point(720, 412), Battlefield::kSeeThrough);
    f.punchCrater(1, 1e9, -1e9, 30000);    // far away: nothing, no trouble
}
