// A full frame as the window shows it during a match, painted offscreen at a device pixel ratio of 1
// and 2: the battlefield composed anew (as after every tick that moved a shell) and the window
// painted with its panels and labels; and, for comparison, the same paint from the cached raster.

#include <QImage>
#include <benchmark/benchmark.h>

#include "bench_match.h"
#include "budget.h"

namespace kestrum::bench {
namespace {

void BM_Frame(benchmark::State& state) {
    const int dpr = int(state.range(0));
    const bool compose = state.range(1) != 0;
    QtMatch match;
    if (!match.launched) {
        state.SkipWithError("the volleys did not take off");
        return;
    }
    // Trails and labels on screen: a hundred steps of each player.
    for (int n = 0; n < 200; ++n)
        match.game.tick();
    match.window.syncFromModel();

    QImage target(kDesignWidth * dpr, kDesignHeight * dpr, QImage::Format_RGB32);
    target.setDevicePixelRatio(dpr);
    match.window.render(&target); // the first frame lays out every label once: not a steady frame
    CpuStopwatch painting;
    for (auto _ : state) {
        if (compose) match.game.field().touch();
        painting.start();
        KESTRUM_COUNT_START();
        match.window.render(&target);
        KESTRUM_COUNT_STOP();
        painting.stop();
    }
    const double frameMs = painting.microseconds() / 1000 / double(state.iterations());
    if (compose && dpr == 2) {
        reportAgainst(state, "frame_ms", frameMs, 1);
    } else if (dpr == 2) {
        reportAgainst(state, "paint_ms", frameMs, 0.5);
    } else {
        state.counters["frame_ms"] = frameMs;
    }
}
BENCHMARK(BM_Frame)
    ->ArgNames({"dpr", "compose"})
    ->Args({1, 1})
    ->Args({2, 1})
    ->Args({2, 0})
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kestrum::bench
