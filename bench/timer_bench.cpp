// The simulation timer in the real event loop, with the window shown (offscreen) and ten shells in
// the air: how evenly it ticks at the shortest period the settings allow, and what a running match
// costs the processor.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <benchmark/benchmark.h>

#include "bench_match.h"
#include "budget.h"

namespace kestrum::bench {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kShortestPeriod = 10;
// Before measuring: the first frame, the fonts and the sound output (opened a moment after the first
// frame) out of the way.
constexpr std::chrono::milliseconds kSettle(200 +
                                            2 * kestrum::qt::SoundPlayer::kStartAfterFirstFrameMilliseconds);

// How long this thread has been ready to run but waiting for a processor, from the scheduler's own
// statistics: on a shared machine, the part of a tick's lateness that other processes caused.
class RunQueueWait {
  public:
    RunQueueWait() : fd_(open("/proc/thread-self/schedstat", O_RDONLY)) {}
    ~RunQueueWait() {
        if (fd_ >= 0) close(fd_);
    }
    RunQueueWait(const RunQueueWait&) = delete;
    RunQueueWait& operator=(const RunQueueWait&) = delete;

    double ms() const {
        char text[128];
        const ssize_t n = fd_ >= 0 ? pread(fd_, text, sizeof text - 1, 0) : -1;
        if (n <= 0) return 0;
        text[n] = 0;
        unsigned long long running = 0, waiting = 0;
        if (std::sscanf(text, "%llu %llu", &running, &waiting) != 2) return 0;
        return double(waiting) / 1e6;
    }

  private:
    int fd_;
};

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) * 1e-6;
}

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

void runEventLoopFor(std::chrono::milliseconds duration) {
    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    loop.exec();
}

class PaintCounter : public QObject {
  public:
    int paints = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return QObject::eventFilter(watched, event);
    }
};

bool allInFlight(const Match& match) {
    for (const Player& player : match.players)
        for (const Projectile& shell : player.projectiles)
            if (shell.state != ProjectileState::Loading) return false;
    return true;
}

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const size_t rank = size_t(std::ceil(fraction * double(values.size())));
    return values[std::clamp<size_t>(rank, 1, values.size()) - 1];
}

// A tick is late by as much as its interval from the tick before exceeds the period. The lateness
// left after taking off the time spent waiting for a processor is the game's own.
void BM_TickPeriodAtShortestSetting(benchmark::State& state) {
    constexpr int kTicks = 1000;
    QtMatch match(kShortestPeriod);
    if (!match.launched) {
        state.SkipWithError("the volleys did not take off");
        return;
    }
    match.window.show();
    runEventLoopFor(kSettle);

    const RunQueueWait runQueue;
    std::vector<Clock::time_point> stamps;
    std::vector<double> waited, busy;
    stamps.reserve(kTicks + 1);
    waited.reserve(kTicks + 1);
    busy.reserve(kTicks + 1);
    for (auto _ : state) {
        QEventLoop loop;
        QObject::connect(&match.platform.tickTimer(), &kestrum::qt::TickTimer::timeout, &loop, [&] {
            stamps.push_back(Clock::now());
            waited.push_back(runQueue.ms());
            busy.push_back(threadCpuMs());
            if (stamps.size() == kTicks + 1) loop.quit();
        });
        QTimer::singleShot(std::chrono::seconds(60), &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (stamps.size() != kTicks + 1) {
        state.SkipWithError("the timer stopped ticking");
        return;
    }
    if (!allInFlight(match.game.match())) state.SkipWithError("a shell landed while being measured");

    std::vector<double> intervals, lateness, ownLateness, work;
    for (size_t n = 1; n < stamps.size(); ++n) {
        const double ms = std::chrono::duration<double, std::milli>(stamps[n] - stamps[n - 1]).count();
        intervals.push_back(ms);
        lateness.push_back(std::max(0.0, ms - kShortestPeriod));
        ownLateness.push_back(std::max(0.0, lateness.back() - (waited[n] - waited[n - 1])));
        work.push_back(busy[n] - busy[n - 1]);
    }
    const double median = percentile(intervals, 0.5);
    const double late99 = percentile(lateness, 0.99);
    state.counters["median_ms"] = median;
    state.counters["p99_late_ms"] = late99;
    const double worst = *std::max_element(lateness.begin(), lateness.end());
    const double ownLate99 = percentile(ownLateness, 0.99);
    state.counters["max_late_ms"] = worst;
    state.counters["p99_own_late_ms"] = ownLate99;
    state.counters["max_own_late_ms"] = *std::max_element(ownLateness.begin(), ownLateness.end());
    // The most processor time the thread spent between two ticks (tick, sync, paint): what a stall of
    // the game's own work would show, load or no load.
    state.counters["max_busy_ms"] = *std::max_element(work.begin(), work.end());
    if (std::getenv("KESTRUM_BENCH_LATE"))
        for (size_t n = 0; n < ownLateness.size(); ++n)
            if (lateness[n] > 2 || work[n] > 2)
                std::fprintf(stderr, "tick %zu late %.2f own %.2f busy %.2f\n", n, lateness[n],
                             ownLateness[n], work[n]);
    state.counters["cpu_wait_ms"] = waited.back() - waited.front();
    state.counters["within_budget"] =
        std::abs(median - kShortestPeriod) <= 0.02 * kShortestPeriod && ownLate99 <= 0.5 && worst <= 5 ? 1
                                                                                                       : 0;
}
BENCHMARK(BM_TickPeriodAtShortestSetting)->Iterations(1)->Unit(benchmark::kSecond);

// Process processor time per wall second over 3 s of a match in the event loop, with the window shown.
struct MatchCpu {
    double msPerSecond = 0, ticksPerSecond = 0, framesPerSecond = 0;
    int ticks = 0;
};

MatchCpu measureMatchCpu(benchmark::State& state, QtMatch& match) {
    PaintCounter counter;
    match.window.installEventFilter(&counter);
    int ticks = 0;
    QObject::connect(&match.platform.tickTimer(), &kestrum::qt::TickTimer::timeout, [&] { ++ticks; });
    match.window.show();
    runEventLoopFor(kSettle);

    // A timer resting through quiet ticks delivers them when it wakes: the ticks due at either end of
    // the measured time are counted in it.
    match.platform.tickTimer().catchUp();
    const int ticks0 = ticks, paints0 = counter.paints;
    const double cpu0 = processCpuSeconds();
    const auto wall0 = Clock::now();
    for (auto _ : state) {
        KESTRUM_COUNT_START();
        runEventLoopFor(std::chrono::seconds(3));
        match.platform.tickTimer().catchUp();
        KESTRUM_COUNT_STOP();
    }
    const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
    const double cpu = processCpuSeconds() - cpu0;
    match.window.removeEventFilter(&counter);
    return {cpu / wall * 1000, (ticks - ticks0) / wall, (counter.paints - paints0) / wall, ticks - ticks0};
}

void reportMatchCpu(benchmark::State& state, const MatchCpu& m, const char* name, double budget) {
    reportAgainst(state, name, m.msPerSecond, budget);
    state.counters["ticks_per_s"] = m.ticksPerSecond;
    state.counters["frames_per_s"] = m.framesPerSecond;
    state.counters["ticks"] = m.ticks;
}

// Ten shells flying: a tick moves them, draws their trail points and moves their slot numbers.
void BM_RunningMatchCpu(benchmark::State& state) {
    QtMatch match(kShortestPeriod);
    if (!match.launched) {
        state.SkipWithError("the volleys did not take off");
        return;
    }
    const MatchCpu m = measureMatchCpu(state, match);
    if (!allInFlight(match.game.match())) state.SkipWithError("a shell landed while being measured");
    reportMatchCpu(state, m, "cpu_ms_per_s", 20);
}
BENCHMARK(BM_RunningMatchCpu)->Iterations(1)->Unit(benchmark::kSecond);

// A match waiting for its players: the timer ticks, nothing moves, nothing is repainted.
void BM_QuietMatchCpu(benchmark::State& state) {
    QtMatch match(kShortestPeriod, false);
    const MatchCpu m = measureMatchCpu(state, match);
    reportMatchCpu(state, m, "quiet_cpu_ms_per_s", 2);
}
BENCHMARK(BM_QuietMatchCpu)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
} // namespace kestrum::bench
