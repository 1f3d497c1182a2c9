#include <type_traits>

#include <gtest/gtest.h>

#include "app/game.h"
#include "app/screen.h"
#include "field/battlefield.h"

using namespace kestrum;

TEST(Battlefield, ReadsWhatIsShownAndMinusOneOutside) {
    Battlefield f;
    for (auto [x, y] : {std::pair{-1.0, 0.0}, {0, -0.5}, {792, 10}, {10, 575}, {1e300, 1e300}})
        EXPECT_EQ(f.point(x, y), -1) << x << "," << y;
    f.setPoint(1e12, -1e12, 0), f.setPoint(791, 574, colour::trail); // the first silently does nothing
    EXPECT_EQ(f.point(791, 574), colour::trail);

    // Stretched pictures in stacking order: strip, ground pieces, bases, explosions.
    Bitmap half(2, 1, colour::screenCyan);
    half.set(1, 0, 0x000002);
    f.jimen = {&half, true, 100, 100, 10, 4};
    EXPECT_EQ(f.point(104, 101), colour::screenCyan) << "see-through half shows the surface";
    EXPECT_EQ(f.point(105, 101) + f.point(110, 103), 0x000002 + colour::screenCyan);
    const Bitmap base(3, 3, 0x000001), fire(1, 1, 0x0080FE);
    f.base[1] = {&base, true, 104, 100, 6, 6, true};
    f.explosion[3] = {&fire, true, 105, 102, 2, 2};
    EXPECT_EQ(f.point(106, 101), 0x000001) << "a base lies over the strip";
    EXPECT_EQ(f.point(106, 103), 0x0080FE) << "a running explosion lies over the base";

    // The composed frame is exactly what the colour test reads, pixel for pixel.
    f.drawBaseBuffer(0, 39, 12);
    f.base[0] = {&f.baseprocess[0], true, 0, 457, 39, 12, true};
    f.ground[0] = {&f.groundBitmap[0], true, 0, 469, 39, 11};
    f.explosion[0] = {&f.origin, true, 20, 450, 25, 25};
    f.punchCrater(0, 5, 3, 4);
    std::vector<uint32_t> frame;
    f.compose(frame);
    for (int y = 0; y < 575; ++y)
        for (int x = 0; x < 792; ++x)
            ASSERT_EQ(int64_t(frame[size_t(y) * 792 + x]), f.point(x, y)) << x << "," << y;
    f.clear();
    EXPECT_EQ(f.point(791, 574), colour::screenCyan);
}

TEST(Battlefield, CraterIsSkyNotAWindowOntoTheGroundBehind) {
    Battlefield f;
    f.drawBaseBuffer(1, 40, 13);
    f.base[1] = {&f.baseprocess[1], true, 700, 400, 40, 13, true};
    f.jimen = {&f.jimenBitmap, true, 0, 405, 1187, 28};
    ASSERT_EQ(f.point(720, 412) & 3, 1);
    const uint64_t before = f.revision();
    f.punchCrater(1, 20, 12, 5);
    EXPECT_GT(f.revision(), before);
    EXPECT_EQ(f.point(720, 412), colour::screenCyan);
    EXPECT_EQ(std::pair(f.point(724, 409) & 3, f.point(700, 412) & 3), std::pair(3L, 1L))
        << "strip behind, base beside";
    f.punchCrater(1, 1e9, -1e9, 30000); // far away: nothing, no trouble
}

TEST(Battlefield, CannotBeCopiedWhileItsPicturesPointIntoIt) {
    // A copy's sprites would still show (and take craters in) the original's bitmaps.
    EXPECT_FALSE(std::is_copy_constructible_v<Battlefield>);
    EXPECT_FALSE(std::is_copy_assignable_v<Battlefield>);
    EXPECT_FALSE(std::is_copy_constructible_v<Game>) << "a game holds one";
}
