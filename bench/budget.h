#pragma once
// A measurement is reported next to its budget, with `within_budget` 1 or 0.

#include <chrono>
#include <string>

#include <benchmark/benchmark.h>

namespace kestrum::bench {

inline void reportAgainst(benchmark::State& state, const std::string& name, double value, double budget) {
    state.counters[name] = value;
    state.counters[name + "_budget"] = budget;
    state.counters["within_budget"] = value <= budget ? 1 : 0;
}

// Wall time of the timed parts of a benchmark loop, for counters the framework does not give.
class Stopwatch {
  public:
    void start() { begin_ = Clock::now(); }
    void stop() { total_ += Clock::now() - begin_; }
    double microseconds() const { return std::chrono::duration<double, std::micro>(total_).count(); }

  private:
    using Clock = std::chrono::steady_clock;
    Clock::time_point begin_;
    Clock::duration total_{};
};

} // namespace kestrum::bench
