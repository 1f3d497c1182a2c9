// Flight: shells and rockets against a reference, and high shots. (The trail ring the lock pins.)

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

// A slot as the reference lists it after "step PLAYER SLOT N": the state (while it explodes, the fireball's
// size), then x, vx, ax as 64-bit and y, vy, ay, parameters 1 and 3 as 32-bit patterns (a zero of either
// sign as +0).
static std::vector<std::string> traced(const Projectile& shot) {
    auto hex = [](auto v) {
        std::ostringstream o;
        o << std::hex << std::setfill('0') << std::setw(2 * sizeof v)
          << std::bit_cast<std::conditional_t<sizeof v == 8, uint64_t, uint32_t>>(v + 0);
        return o.str();
    };
    return {std::to_string(shot.state == ProjectileState::Exploding ? int(shot.fireball) : int(shot.state)),
            hex(shot.motion.x),
            hex(shot.motion.vx),
            hex(shot.motion.ax),
            hex(shot.motion.y),
            hex(shot.motion.vy),
            hex(shot.motion.ay),
            hex(shot.params[1]),
            hex(shot.params[3])};
}

// Shells and rockets of both players, with and without air, against flights worked out apart from the
// game (tests/flight_reference.py): every step, bit for bit.
TEST(Flight, ShellsAndRocketsFollowTheReferenceBitForBit) {
    const char* names[] = {"state", "x", "vx", "ax", "y", "vy", "ay", "parameter 1", "parameter 3"};
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
            h->projectile(p, s).motion.x = 1000,
                             h->projectile(p, s).motion.y = 3000; // above the picture: sky all the way
        } else if (kind == "step" && words >> n) {
            while (done[p] < n) // a slot moves on its player's ticks only
                h->game->tick(), ++done[h->match().turn];
            const std::vector<std::string> got = traced(h->projectile(p, s));
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

TEST(Flight, ShotFarAboveThePictureClampsItsDrawingYAndReadsAsSky) {
    SimMatch h("1", "n", "n", false, 500); // 1.584 pixels per metre: 73 km up is ~116000 pixels
    Match& match = h.match();
    const Projectile& shell = h.projectile(0, 0);
    h.place(0, 0, {150, 1200, 90, 0.03f});
    int lowestY = 0, steps = 0;
    for (h.stepOf(0); shell.state == ProjectileState::Loading && steps < 20000; h.stepOf(0), ++steps) {
        lowestY = std::min<int>({lowestY, match.point.y, h.screen().slotLabel(0, 0).rect.top});
        ASSERT_TRUE(match.point.y != -32768 ||
                    match.trail.y[h.trailEntry(0)] == -32768); // the trail keeps it too
    }
    EXPECT_EQ(lowestY, -32768);
    EXPECT_GT(steps, 8000); // up and down again in about 245 s, bursting where it started
    EXPECT_TRUE(shell.state == ProjectileState::Exploding && shell.fireball >= 3);
}
