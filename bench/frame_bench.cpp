// A full frame as the window shows it during a match, painted offscreen at a device pixel ratio of 1
// and 2: the battlefield composed anew (as after a new round, a crater or a moved picture) and the
// window painted with its panels and labels; and, for comparison, the same paint from the kept image
// (a window uncovered).
// Beside every frame, in the same loop, one plain copy of the frame's bytes: the floor that no whole
// frame can go below on this machine at this moment, so that the ratio holds on a busy machine too.

#include <cstring>
#include <vector>

#include <QImage>
#include <QRegion>
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
    const size_t bytes = size_t(target.sizeInBytes());
    std::vector<char> from(bytes, 1), to(bytes, 2); // touched: no page faults in the copy
    // The first frames are not steady ones: they lay every label out, and keep the pixels of those
    // that can be kept, a few each frame.
    for (int n = 0; n < 30; ++n)
        match.window.render(&target);
    // A repaint of a part builds the kept image, as the first tick after a new round does; a whole
    // battlefield to be composed anew is composed straight into the target instead.
    if (!compose) match.window.render(&target, QPoint(), QRegion(0, 0, 1, 1));
    CpuStopwatch painting, copying;
    for (auto _ : state) {
        if (compose) match.game.field().touch();
        copying.start();
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::ClobberMemory();
        copying.stop();
        painting.start();
        KESTRUM_COUNT_START();
        match.window.render(&target);
        KESTRUM_COUNT_STOP();
        painting.stop();
        from.swap(to);
    }
    const double frameMs = painting.microseconds() / 1000 / double(state.iterations());
    const double floorMs = copying.microseconds() / 1000 / double(state.iterations());
    state.counters["copy_floor_ms"] = floorMs;
    if (compose && dpr == 2) {
        state.counters["frame_ms"] = frameMs;
        reportAgainst(state, "frame_vs_floor", frameMs / floorMs, 2);
    } else if (dpr == 2) {
        state.counters["paint_ms"] = frameMs;
        state.counters["paint_vs_floor"] = frameMs / floorMs;
    } else {
        state.counters["frame_ms"] = frameMs;
        state.counters["frame_vs_floor"] = frameMs / floorMs;
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
