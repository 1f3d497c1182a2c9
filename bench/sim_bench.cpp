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
    CoreMatch core;
    if (!launchVolley(*core.game, 0)) {
        state.SkipWithError("the volley did not take off");
        return;
    }
    const Match launched = core.match();
    CpuStopwatch ticking;
    for (auto _ : state) {
        state.PauseTiming();
        core.match() = launched;
        state.ResumeTiming();
        ticking.start();
        for (int n = 0; n < kPairsPerFlight; ++n) {
            core.game->tick();
            core.game->tick();
        }
        ticking.stop();
    }
    for (const Projectile& shell : core.player(0).projectiles)
        if (shell.state != ProjectileState::Loading)
            state.SkipWithError("a shell landed while being measured");

    const double pairs = double(state.iterations()) * kPairsPerFlight;
    reportAgainst(state, "pair_us", ticking.microseconds() / pairs, 20);
    state.SetItemsProcessed(int64_t(pairs));
}
BENCHMARK(BM_TickPairFiveShellsInFlight)->Unit(benchmark::kMicrosecond);

// A new round: distance, scale, base pictures rescaled, per-round resets, trail store emptied.
void BM_NewRoundLayout(benchmark::State& state) {
    CoreMatch core;
    core.game->setRandomSource({}); // the game's own generator: a different field every round
    for (auto _ : state)
        core.game->newRound();
}
BENCHMARK(BM_NewRoundLayout)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace kestrum::bench
