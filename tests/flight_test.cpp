// Flight: shells and rockets against a reference, the trail ring and its colour, high shots.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <fstream>
#include <iomanip>
#include <memory>
#include <sstream>
#include <vector>

#include "sim_fixture.h"

using namespace kestrum;
using namespace kestrum::testing;

// A slot as the reference lists it after "step PLAYER SLOT N": the state, then px, vx, ax as 64-bit and
// py, vy, ay, param 1 and 3 as 32-bit patterns (a zero of either sign as +0).
static std::vector<std::string> traced(const MatchState& st, int p, int s) {
    auto hex = [](auto v) {
        std::ostringstream o;
        o << std::hex << std::setfill('0') << std::setw(2 * sizeof v)
          << std::bit_cast<std::conditional_t<sizeof v == 8, uint64_t, uint32_t>>(v + 0);
        return o.str();
    };
    return {std::to_string(st.state[p][s]),
            hex(st.px[p][s]),
            hex(st.vx[p][s]),
            hex(st.ax[p][s]),
            hex(st.py[p][s]),
            hex(st.vy[p][s]),
            hex(st.ay[p][s]),
            hex(st.param[p][s][1]),
            hex(st.param[p][s][3])};
}

// Shells and rockets of both players, with and without air, against flights worked out apart from the
// game (tests/flight_reference.py): every step, bit for bit.
TEST(Flight, ShellsAndRocketsFollowTheReferenceBitForBit) {
    const char* names[] = {"state", "px", "vx", "ax", "py", "vy", "ay", "param 1", "param 3"};
    std::ifstream in(std::string(KESTRUM_SOURCE_DIR) + "/tests/data/flight_reference.txt");
    ASSERT_TRUE(in) << "reference trace missing";
    std::unique_ptr<SimMatch> h;
    int compared = 0, done[2] = {0, 0}; // steps run per player
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string kind;
        int p = 0, s = 0, n = 0;
        words >> kind >> p >> s;
        if (kind == "match") { // mode and air
            h = std::make_unique<SimMatch>(p == 0 ? "1" : "2", s ? "y" : "n");
            done[0] = done[1] = 0;
        } else if (kind == "case") {
            float v[6] = {};
            for (int k = 0; k < 6 && words >> v[k]; ++k) {
            }
            h->place(p, s, {v[0], v[1], v[2], v[3], v[4], v[5]});
            h->st().px[p][s] = 1000, h->st().py[p][s] = 3000; // above the picture: sky all the way
        } else if (kind == "step" && words >> n) {
            while (done[p] < n) // a slot moves on its player's ticks only
                h->game->tick(), ++done[h->st().turn];
            const std::vector<std::string> got = traced(h->st(), p, s);
            for (size_t k = 0; k < got.size(); ++k) {
                std::string want;
                words >> want;
                ASSERT_EQ(got[k], want)
                    << names[k] << " of player " << p << " slot " << s << " after step " << n;
            }
            ++compared;
        }
    }
    EXPECT_GT(compared, 2000);
}

TEST(Flight, TrailRingWrapsAndIdleSlotsStillErase) {
    SimMatch h("1");
    MatchState& st = h.st();
    const int entries[] = {20000, 1, 2, 3, 4, 0}; // entry 0 lies outside the ring
    for (int k = 0; k < 6; ++k)
        st.trailx[entries[k]] = 100 + 10 * k, st.traily[entries[k]] = 50,
        h.game->field().setPoint(100 + 10 * k, 50, colour::trail);
    st.trailn = 19999;
    h.game->tick(); // every slot idle
    EXPECT_EQ(st.trailn, 4);
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(h.game->field().point(100 + 10 * k, 50),
                  int64_t(k < 5 ? colour::screenCyan : colour::trail));

    // A flying shell leaves a yellow point: red 255, green 255, blue 0, which reads as sky.
    h.place(0, 0, {100, 300, 45, 0}), st.px[0][0] = 1000, st.py[0][0] = 500;
    h.stepOf(0);
    EXPECT_EQ(h.game->field().point(st.trailx[h.trailEntry(0)], st.traily[h.trailEntry(0)]), 0x00FFFF);
}

TEST(Flight, ShotFarAboveThePictureClampsItsDrawingYAndReadsAsSky) {
    SimMatch h("1", "n", "n", false, 500); // 1.584 pixels per metre: 73 km up is ~116000 pixels
    MatchState& st = h.st();
    h.place(0, 0, {150, 1200, 90, 0.03f});
    int lowestY = 0, steps = 0;
    for (h.stepOf(0); st.state[0][0] == 1 && steps < 20000; h.stepOf(0), ++steps) {
        lowestY = std::min<int>({lowestY, st.sy, h.screen().orbitnumber[0].rect.top});
        ASSERT_TRUE(st.sy != -32768 || st.traily[h.trailEntry(0)] == -32768); // the trail keeps it too
    }
    EXPECT_EQ(lowestY, -32768);
    EXPECT_GT(steps, 8000); // up and down again in about 245 s, bursting where it started
    EXPECT_GE(st.state[0][0], 3);
}
