// Start-up to the first prompt on screen, next to a bare Qt Widgets window in the same run. Each is
// a fresh process (bench/startup/): the game's start-up as main() runs it, and the yardstick. A probe
// reports the monotonic clock when its awaited frame is painted, and its peak resident memory.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include "bench_match.h"
#include "budget.h"

extern char** environ;

namespace kestrum::bench {
namespace {

struct StartUp {
    double ms = 0;
    double peakMb = 0;
};

// Runs a probe with the offscreen platform this process set and waits for its report.
std::optional<StartUp> launch(const std::string& program, const std::string& folder) {
    int out[2];
    if (pipe(out) != 0) return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv{const_cast<char*>(program.c_str()), const_cast<char*>(folder.c_str()), nullptr};

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string report;
    char buffer[256];
    for (ssize_t n; spawned == 0 && (n = read(out[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, size_t(n));
    close(out[0]);
    if (spawned != 0) return std::nullopt;
    int status = 0;
    waitpid(pid, &status, 0);

    long long readyNs = 0;
    long peakKb = 0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        std::sscanf(report.c_str(), "%lld %ld", &readyNs, &peakKb) != 2)
        return std::nullopt;
    const auto ready = std::chrono::steady_clock::time_point(std::chrono::nanoseconds(readyNs));
    return StartUp{std::chrono::duration<double, std::milli>(ready - start).count(), double(peakKb) / 1024};
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

void BM_StartUpToFirstPrompt(benchmark::State& state) {
    constexpr int kRuns = 15;
    const ProgramFolder folder(10);

    std::vector<double> gameMs, bareMs, gameMb, bareMb;
    for (auto _ : state) {
        // One unmeasured run each fills the file and font caches; then the two take turns.
        for (int run = -1; run < kRuns; ++run) {
            const auto game = launch(KESTRUM_GAME_WINDOW, folder.str());
            const auto bare = launch(KESTRUM_BARE_WINDOW, folder.str());
            if (!game || !bare) {
                state.SkipWithError("a start-up probe did not report its first frame");
                return;
            }
            if (run < 0) continue;
            gameMs.push_back(game->ms);
            bareMs.push_back(bare->ms);
            gameMb.push_back(game->peakMb);
            bareMb.push_back(bare->peakMb);
        }
    }
    const double timeRatio = median(gameMs) / median(bareMs);
    const double memoryRatio = median(gameMb) / median(bareMb);
    state.counters["game_ms"] = median(gameMs);
    state.counters["bare_ms"] = median(bareMs);
    state.counters["time_ratio"] = timeRatio;
    state.counters["game_peak_mb"] = median(gameMb);
    state.counters["bare_peak_mb"] = median(bareMb);
    state.counters["memory_ratio"] = memoryRatio;
    state.counters["within_budget"] = timeRatio <= 1.3 && memoryRatio <= 1.3 ? 1 : 0;
}
BENCHMARK(BM_StartUpToFirstPrompt)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
} // namespace kestrum::bench
