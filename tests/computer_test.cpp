// The computer opponent: it plays through its seat's keys only, reads only what the window shows,
// aims with the game's own laws of motion, and wins rounds against a player who does nothing.

#include <gtest/gtest.h>

#include <vector>

#include "computer/computer.h"
#include "computer/screen_texts.h"
#include "settings/config_file.h"
#include "sim_fixture.h"

using namespace kestrum;
using namespace kestrum::testing;
using computer::Computer;
using computer::KeyEvent;
using computer::ScreenTexts;
using computer::Strength;

namespace {

constexpr std::array<int16_t, 9> kFirstPlayerKeys = {vk::W, vk::S, vk::Q, vk::E, vk::A,
                                                     vk::D, vk::X, vk::Z, vk::C};

std::array<int16_t, 9> keysOf(const MatchState& st) {
    std::array<int16_t, 9> k{};
    std::copy(std::begin(st.keys2), std::end(st.keys2), k.begin());
    return k;
}

// A game whose settings put the computer (or a person, strength 0) on the second seat.
struct Solo : GameHarness {
    explicit Solo(int strength, int kbtype = 1, uint32_t seed = 1)
        : GameHarness(configText(kbtype, "10", strength)) {
        start();
        game->seed(seed);
    }
    // Ticks until the second player has won one more round; -1 when `limit` ticks were not enough.
    long untilRoundWon(long limit) {
        const int before = st().wins[1];
        for (long t = 1; t <= limit; ++t) {
            game->tick();
            if (st().wins[1] > before) return t;
        }
        return -1;
    }
};

// Computers driven from outside the game, on either seat, as the test's own players. Every key they
// send is checked: owned by their seat, and one key at a time.
struct Seats : GameHarness {
    explicit Seats(int kbtype) : GameHarness(configText(kbtype, "10", 0)) { start(); }

    void seat(int side, Strength strength, uint32_t seed) {
        players[side].emplace(side, side == 0 ? kFirstPlayerKeys : keysOf(st()), strength, seed);
    }
    void answer(const std::string& mode, const std::string& air) {
        for (auto [box, text] :
             {std::pair{Box::Selw, mode}, {Box::Selr, air}, {Box::Sels, std::string("n")}}) {
            game->setBoxText(box, text);
            for (auto& p : players)
                if (p) p->watch(computer::screenTexts(screen()));
        }
    }
    void tick() {
        game->tick();
        const ScreenTexts texts = computer::screenTexts(screen());
        for (int side = 0; side < 2; ++side) {
            if (!players[side]) continue;
            const std::optional<KeyEvent> key = players[side]->act(texts);
            if (record && side == 1) log.push_back({texts, key});
            if (!key) continue;
            const auto& own = players[side]->keys();
            ASSERT_NE(std::find(own.begin(), own.end(), key->code), own.end()) << "key " << key->code;
            // One key at a time: nothing held when one goes down, and only the held one comes up.
            ASSERT_EQ(down[side], key->down ? 0 : down[side] ? key->code : 0) << "key " << key->code;
            down[side] = key->down ? key->code : 0;
            key->down ? game->keyDown(key->code, 0) : game->keyUp(key->code);
        }
    }
    // Ticks until a match is over; the rounds each side won.
    std::pair<int, int> playMatch(long limit) {
        for (long t = 0; t < limit && !screen().again.visible; ++t) {
            tick();
            if (::testing::Test::HasFatalFailure()) break;
        }
        return {st().wins[0], st().wins[1]};
    }

    std::optional<Computer> players[2];
    int16_t down[2] = {};
    bool record = false;
    struct Entry {
        ScreenTexts texts;
        std::optional<KeyEvent> key;
    };
    std::vector<Entry> log;
};

} // namespace

// ---- Playing ---------------------------------------------------------------------------------------

TEST(Computer, EveryStrengthDestroysAPassiveBaseInEveryModeWithAndWithoutAir) {
    for (const char* mode : {"1", "2"})
        for (const char* air : {"n", "y"})
            for (int strength = 1; strength <= 3; ++strength) {
                SCOPED_TRACE(::testing::Message()
                             << "mode " << mode << " air " << air << " strength " << strength);
                Solo s(strength, 1, 7);
                s.answer(mode, air, "n");
                EXPECT_GT(s.untilRoundWon(100000), 0);
                // The first player's panel and slots were never touched.
                int touched = s.st().cursor[0] + s.st().place[0];
                for (int slot = 0; slot < kSlots; ++slot)
                    touched += s.st().setv[0][slot][0] != 0;
                EXPECT_EQ(touched, 0);
            }
}

TEST(Computer, PlaysOnlyItsOwnSeatsKeysOneAtATime) {
    // Letter block and keypad; both seats played by computers, so both key sets are checked.
    for (int kbtype : {0, 1})
        for (const char* mode : {"1", "2"}) {
            SCOPED_TRACE(::testing::Message() << "kbtype " << kbtype << " mode " << mode);
            Seats g(kbtype);
            g.seat(0, Strength::Normal, 3);
            g.seat(1, Strength::Strong, 4);
            g.answer(mode, "n");
            ASSERT_NO_FATAL_FAILURE(g.playMatch(400000));
            EXPECT_TRUE(g.screen().again.visible) << "the match did not end";
        }
}

TEST(Computer, StrongBeatsWeak) {
    int strongWins = 0, matches = 0;
    for (uint32_t seed = 1; seed <= 6; ++seed)
        for (const char* mode : {"1", "2"}) {
            Seats g(1);
            g.seat(0, Strength::Weak, seed);
            g.seat(1, Strength::Strong, 100 + seed);
            g.game->seed(seed);
            g.answer(mode, seed % 2 ? "y" : "n");
            const auto [weak, strong] = g.playMatch(1000000);
            ASSERT_TRUE(g.screen().again.visible);
            ++matches;
            if (strong == 5 && weak < 5) ++strongWins;
        }
    EXPECT_GE(strongWins * 10, matches * 9) << strongWins << " of " << matches;
}

// ---- Seeing --------------------------------------------------------------------------------------

TEST(ComputerSees, OnlyWhatIsOnScreen) {
    Screen s = makeDesignScreen();
    s.value[3].visible = true, s.value[3].caption = "120";
    s.value[4].visible = false, s.value[4].caption = "secret";
    // A label inside a hidden panel is not seen even though the label itself is "visible".
    s.establish[1].visible = false, s.estavalue[4].caption = "999";
    s.establish[3].visible = true, s.estavalue[14].caption = "2500";
    s.estafigure[3].visible = false, s.inputvalue[3].caption = "7";
    s.selcon.visible = false, s.selr.text = "y";
    auto seen = [&] {
        const ScreenTexts t = computer::screenTexts(s);
        return t.value[3] + "," + t.value[4] + "," + t.estavalue[4] + "," + t.estavalue[14] + "," +
               t.inputvalue[3] + "," + t.airAnswer;
    };
    EXPECT_EQ(seen(), "120,,,2500,,") << "the prompt panel is hidden";
    s.selcon.visible = true, s.estafigure[3].visible = true;
    EXPECT_EQ(seen(), "120,,,2500,7,y");
}

TEST(ComputerSees, ItsKeysFollowFromTheTextsAlone) {
    // The same texts in the same order give the same keys: nothing else reaches its decisions.
    Seats g(0);
    g.seat(1, Strength::Normal, 11);
    g.record = true;
    g.answer("2", "y");
    for (int t = 0; t < 20000; ++t)
        g.tick();
    ASSERT_GT(std::count_if(g.log.begin(), g.log.end(), [](auto& e) { return e.key.has_value(); }), 50);

    Computer replay(1, keysOf(g.st()), Strength::Normal, 11);
    ScreenTexts prompt;
    prompt.airAnswer = "y";
    replay.watch(prompt);
    for (const auto& e : g.log)
        ASSERT_EQ(replay.act(e.texts), e.key);
}

// ---- Reckoning -----------------------------------------------------------------------------------

TEST(ComputerReckons, FlightsStepForStepAsTheGameFliesThem) {
    using computer::Battle;
    struct Case {
        const char* mode;
        const char* air;
        std::initializer_list<float> params; // as a launch leaves them, derived row included
        computer::Shot shot;
        bool lifts;
    };
    const Case cases[] = {
        {"1", "n", {150, 180, 47, 3}, {Battle::Shells, false, {150, 180, 47}}, true},
        {"1", "y", {40, 260, 38, 0.8f}, {Battle::Shells, true, {40, 260, 38}}, true},
        {"2", "n", {300, 100, 50, 700, 55, 400}, {Battle::Rockets, false, {300, 100, 50, 700, 55}}, true},
        {"2", "y", {120, 400, 90, 900, 48, 520}, {Battle::Rockets, true, {120, 400, 90, 900, 48}}, true},
        // Too little thrust to lift: it burns out on its pad.
        {"2", "n", {350, 50, 20, 100, 45, 400}, {Battle::Rockets, false, {350, 50, 20, 100, 45}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "mode " << c.mode << " air " << c.air);
        SimMatch m(c.mode, c.air, "n");
        m.place(1, 0, c.params);
        const computer::Flight f = computer::fly(c.shot, -1000, 4000);
        EXPECT_EQ(f.lifted, c.lifts);
        const double edge = m.st().basex[1], launchY = m.st().py[1][0];
        std::size_t step = 0;
        for (; step < std::min<std::size_t>(f.points.size(), 300); ++step) {
            m.stepOf(1);
            if (m.st().state[1][0] == 0 || m.st().state[1][0] >= 3) break;
            ASSERT_NEAR(edge - m.st().px[1][0], f.points[step].x, 1e-6) << "step " << step;
            ASSERT_NEAR(m.st().py[1][0] - launchY, f.points[step].y, 0.05) << "step " << step;
        }
        EXPECT_GT(step, 50u);
    }
}
