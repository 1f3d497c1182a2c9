#pragma once
// A measurement is reported next to its budget, with `within_budget` 1 or 0.

#include <ctime>
#include <string>

#include <benchmark/benchmark.h>

// Under callgrind (--collect-atstart=no) only the timed parts are counted: instruction counts that
// do not depend on what else the machine is doing. Outside valgrind these are a few no-op
// instructions.
#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define KESTRUM_COUNT_START() CALLGRIND_TOGGLE_COLLECT
#define KESTRUM_COUNT_STOP() CALLGRIND_TOGGLE_COLLECT
#else
#define KESTRUM_COUNT_START() ((void)0)
#define KESTRUM_COUNT_STOP() ((void)0)
#endif

namespace kestrum::bench {

inline void reportAgainst(benchmark::State& state, const std::string& name, double value, double budget) {
    state.counters[name] = value;
    state.counters[name + "_budget"] = budget;
    state.counters["within_budget"] = value <= budget ? 1 : 0;
}

// Processor time of this thread over the timed parts of a benchmark loop. Budgets are judged on it:
// on a machine shared with other work, wall time also counts the waits for a processor.
class CpuStopwatch {
  public:
    void start() { begin_ = now(); }
    void stop() { total_ += now() - begin_; }
    double microseconds() const { return total_ * 1e6; }

  private:
    static double now() {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
    }
    double begin_ = 0;
    double total_ = 0;
};

} // namespace kestrum::bench
