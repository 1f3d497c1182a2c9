// Replays: what recording adds to a tick, a whole 5-round match's file, and checking it without a window.

#include <benchmark/benchmark.h>

#include <chrono>

#include "bench_match.h"
#include "budget.h"
#include "game/replay_hashes.h"
#include "game/replay_player.h"

namespace kestrum::bench {
namespace {

const std::string kWholeMatch =
    std::string(KESTRUM_SOURCE_DIR) + "/tests/data/replays/computer-whole-match.kestrum-replay";

// Ticks per round in the committed whole match, to share a round end's check among them.
double ticksPerRound() {
    std::string error;
    const std::optional<std::string> bytes = readReplayBytes(kWholeMatch, error);
    if (!bytes) return 0;
    const replay::Reading reading = replay::readReplay(*bytes, kSimulationVersion);
    int rounds = 0;
    for (const replay::Event& e : reading.events)
        rounds += e.kind == replay::EventKind::Check && e.roundEnd;
    return rounds && !reading.events.empty() ? double(reading.events.back().tick) / rounds : 0;
}

// The recorder's share of a tick with five shells in the air: a check of the match and the battlefield
// every 100 ticks, and one that also covers the screen at each round end. The events are a few bytes
// appended per key, next to nothing.
void BM_RecordingShareOfATick(benchmark::State& state) {
    CoreMatch core;
    const double roundTicks = ticksPerRound();
    if (!launchVolley(*core.game, 0) || roundTicks <= 0) {
        state.SkipWithError("the volley did not take off, or the whole match did not read");
        return;
    }
    const Match launched = core.match();
    // The stopwatch asks the kernel for the thread's time, which costs about as much as a check: what an
    // empty start and stop take is taken off each measured check.
    CpuStopwatch ticking, checking, roundEnds, empty;
    uint64_t sink = 0;
    long ticks = 0, rounds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        core.match() = launched;
        state.ResumeTiming();
        ticking.start();
        for (int n = 0; n < 200; ++n)
            core.game->tick();
        ticking.stop();
        ticks += 200;
        checking.start();
        for (int n = 0; n < 2; ++n)
            sink += matchHash(core.match()) ^ rasterHash(core.game->field());
        checking.stop();
        roundEnds.start();
        sink += stateHash(core.match(), core.screen()) ^ rasterHash(core.game->field());
        roundEnds.stop();
        empty.start();
        empty.stop();
        ++rounds;
    }
    benchmark::DoNotOptimize(sink);
    const double perTick = ticking.microseconds() / double(ticks);
    const double overhead = empty.microseconds();
    const double recording = (checking.microseconds() - overhead) / double(ticks) +
                             (roundEnds.microseconds() - overhead) / double(rounds) / roundTicks;
    state.counters["tick_us"] = perTick;
    state.counters["ticks_per_round"] = roundTicks;
    reportAgainst(state, "recording_percent", 100 * recording / perTick, 1);
}
BENCHMARK(BM_RecordingShareOfATick)->Unit(benchmark::kMicrosecond);

// The committed recording of a whole match (five rounds against the strong computer), as --check-replay
// plays it: its size against 64 KB and the time of a check against 1 s.
void BM_CheckWholeMatch(benchmark::State& state) {
    std::string error;
    const std::optional<std::string> bytes = readReplayBytes(kWholeMatch, error);
    if (!bytes) {
        state.SkipWithError(error.c_str());
        return;
    }
    double seconds = 0;
    for (auto _ : state) {
        const auto started = std::chrono::steady_clock::now();
        const CheckResult result = checkReplay(kWholeMatch);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        if (result.status != 0) state.SkipWithError(result.line.c_str());
    }
    reportAgainst(state, "file_kb", double(bytes->size()) / 1024, 64);
    reportAgainst(state, "check_s", seconds / double(state.iterations()), 1);
}
BENCHMARK(BM_CheckWholeMatch)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
} // namespace kestrum::bench
