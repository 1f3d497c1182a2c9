// The ladder of the computer's strengths measured against a model of a person on the first seat.
//
// The person sees only what the window shows (the computer's own view of the screen), reads the field
// before the first shot of a round, waits between keys on top of the panel's own pace, works its shots
// out from the readouts as a player with a calculator would, types a digit wrong now and then, and
// corrects from where its shells burst. Three levels of such a player; docs/COMPUTER.md says how each is
// set and shows the table this prints: the person's share of the rounds won against each strength, with
// its 95 % interval, and the median length of a round.
//
// A quick look: --benchmark_filter='HumanAgainst.*/rounds:40'

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "computer/computer.h"
#include "game/screen_view.h"
#include "game_harness.h"
#include "settings/config_file.h"

namespace kestrum::bench {
namespace {

constexpr double kSecondsPerTick = 0.01; // at the default handling period

// Times in ticks of 10 ms: 150 is the 1.5 s it takes to read the field, 60 the 0.6 s between two keys.
const computer::Style kPeople[3] = {
    // beginner: guesses, half corrects, one shot at a time, slow fingers, often a wrong digit
    {0.15, 0.7, 0.2, 30, 250, 200, 70, 2, {80, 120}, {150, 250}, {38, 58}, 0.12},
    // practised: a fair first guess, two shells in the air, a wrong digit now and then
    {0.08, 0.85, 0.12, 15, 200, 100, 50, 3, {100, 150}, {200, 300}, {40, 52}, 0.06},
    // expert: works the shot out well, keeps three slots busy, rarely mistypes
    {0.03, 1.0, 0.05, 6, 150, 60, 40, 5, {100, 150}, {200, 350}, {42, 50}, 0.02},
};
const char* const kPeopleNames[3] = {"beginner", "practised", "expert"};

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Tally {
    int personRounds = 0;
    int computerRounds = 0;
    std::vector<double> roundSeconds;
    int played() const { return personRounds + computerRounds; }
};

// Matches until `rounds` rounds have been decided: shells and rockets, air off and on by turns, each
// match on its own seeds.
Tally play(int level, int strength, int rounds) {
    Tally tally;
    for (uint32_t match = 0; tally.played() < rounds; ++match) {
        testing::GameHarness h(configText(1, "10", strength));
        h.start();
        h.game->seed(9000 + match);
        computer::Computer person(0, kFirstSeatKeys, kPeople[level], 31 * match + 7);
        const char* mode = match % 2 ? "2" : "1";
        const char* air = match % 4 < 2 ? "n" : "y";
        for (auto [box, text] : {std::pair{Box::Mode, mode}, {Box::Air, air}, {Box::Sound, "n"}}) {
            h.game->setBoxText(box, text);
            person.watch(viewOf(h.screen()));
        }
        long roundStart = 0, t = 0;
        int scored[2] = {0, 0};
        while (!h.screen().restartPanel.visible && t < 2000000 && tally.played() < rounds) {
            if (const auto key = person.act(viewOf(h.screen())))
                key->down ? h.game->keyDown(key->code, 0) : h.game->keyUp(key->code);
            h.game->tick(), ++t;
            for (int p = 0; p < 2; ++p) {
                if (h.player(p).wins == scored[p]) continue;
                scored[p] = h.player(p).wins;
                (p == 0 ? tally.personRounds : tally.computerRounds)++;
                tally.roundSeconds.push_back(double(t - roundStart) * kSecondsPerTick);
                roundStart = t;
            }
        }
    }
    return tally;
}

// args: the person's level 0..2, the computer's strength 1..4, rounds.
void BM_HumanAgainstComputer(benchmark::State& state) {
    const int level = int(state.range(0)), strength = int(state.range(1)), rounds = int(state.range(2));
    Tally tally;
    for (auto _ : state)
        tally = play(level, strength, rounds);
    const double n = tally.played();
    const double share = n > 0 ? tally.personRounds / n : 0;
    state.SetLabel(kPeopleNames[level]);
    state.counters["person_won"] = share;
    state.counters["ci95"] = n > 0 ? 1.96 * std::sqrt(share * (1 - share) / n) : 0; // the interval's half
    state.counters["median_round_s"] = median(tally.roundSeconds);
    state.counters["rounds"] = n;
}
BENCHMARK(BM_HumanAgainstComputer)
    ->ArgNames({"person", "strength", "rounds"})
    ->ArgsProduct({{0, 1, 2}, {1, 2, 3, 4}, {200}})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

} // namespace
} // namespace kestrum::bench
