// The core alone: the simulation tick with a full volley in the air, and the layout of a new round.

#include <benchmark/benchmark.h>

#include "bench_match.h"
#include "budget.h"

namespace kestrum::bench {
namespace {

// Shells are put back to their launch state after this many tick pairs, long before any lands.
constexpr int kPairsPerFlight = 200;

// One tick per player: the first player's five shells move, the second player's tick refreshes its
// panel. The budget is for one tick with five slots in flight; a pair is the stricter measure.
void BM_TickPairFiveShellsInFlight(benchmark::State& state) {
    CoreMatch match;
    if (!launchVolley(*match.game, 0)) {
        state.SkipWithError("the volley did not take off");
        return;
    }
    const MatchState launched = match.st();
    CpuStopwatch ticking;
    for (auto _ : state) {
        state.PauseTiming();
        match.st() = launched;
        state.ResumeTiming();
        ticking.start();
        for (int n = 0; n < kPairsPerFlight; ++n) {
            match.game->tick();
            match.game->tick();
        }
        ticking.stop();
    }
    for (int s = 0; s < kSlots; ++s)
        if (match.st().state[0][s] != 1) state.SkipWithError("a shell landed while being measured");

    const double pairs = double(state.iterations()) * kPairsPerFlight;
    reportAgainst(state, "pair_us", ticking.microseconds() / pairs, 20);
    state.SetItemsProcessed(int64_t(pairs));
}
BENCHMARK(BM_TickPairFiveShellsInFlight)->Unit(benchmark::kMicrosecond);

// syokika3: distance, scale, base pictures rescaled, per-round resets, trail store emptied.
void BM_NewRoundLayout(benchmark::State& state) {
    CoreMatch match;
    match.game->setRandomSource({}); // the game's own generator: a different field every round
    for (auto _ : state)
        match.game->syokika3();
}
BENCHMARK(BM_NewRoundLayout)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace kestrum::bench
