// Start-up to the first prompt on screen, next to a bare Qt Widgets window in the same run. Each is
// a fresh process (bench/startup/): the game's start-up as main() runs it, the bare window that the
// budget is set against, and the bare window with one line of Japanese text. A probe reports the
// monotonic clock when its awaited frame is painted, and its peak resident memory.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
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
    double cpuMs = 0; // all threads, until the report
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
    // A probe that never paints (a settings dialog waiting for a player, say) is given up on.
    pollfd output{out[0], POLLIN, 0};
    for (ssize_t n;
         spawned == 0 && poll(&output, 1, 20000) == 1 && (n = read(out[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, size_t(n));
    close(out[0]);
    if (spawned != 0) return std::nullopt;
    kill(pid, SIGKILL); // normally gone already
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);

    long long readyNs = 0;
    long peakKb = 0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        std::sscanf(report.c_str(), "%lld %ld", &readyNs, &peakKb) != 2)
        return std::nullopt;
    const auto ready = std::chrono::steady_clock::time_point(std::chrono::nanoseconds(readyNs));
    const auto cpu = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) * 1e-3; };
    return StartUp{std::chrono::duration<double, std::milli>(ready - start).count(),
                   cpu(usage.ru_utime) + cpu(usage.ru_stime), double(peakKb) / 1024};
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

void BM_StartUpToFirstPrompt(benchmark::State& state) {
    constexpr int kRuns = 15;
    const ProgramFolder folder(10);

    std::vector<double> gameMs, bareMs, textMs, gameCpu, bareCpu, textCpu, gameMb, bareMb, textMb;
    for (auto _ : state) {
        // One unmeasured run each fills the file and font caches; then they take turns.
        for (int run = -1; run < kRuns; ++run) {
            const auto game = launch(KESTRUM_GAME_WINDOW, folder.str());
            const auto bare = launch(KESTRUM_BARE_WINDOW, folder.str());
            const auto text = launch(KESTRUM_TEXT_WINDOW, folder.str());
            if (!game || !bare || !text) {
                state.SkipWithError("a start-up probe did not report its first frame");
                return;
            }
            if (run < 0) continue;
            gameMs.push_back(game->ms);
            bareMs.push_back(bare->ms);
            textMs.push_back(text->ms);
            gameCpu.push_back(game->cpuMs);
            bareCpu.push_back(bare->cpuMs);
            textCpu.push_back(text->cpuMs);
            gameMb.push_back(game->peakMb);
            bareMb.push_back(bare->peakMb);
            textMb.push_back(text->peakMb);
        }
    }
    const double timeRatio = median(gameMs) / median(bareMs);
    const double memoryRatio = median(gameMb) / median(bareMb);
    state.counters["game_ms"] = median(gameMs);
    state.counters["bare_ms"] = median(bareMs);
    state.counters["time_ratio"] = timeRatio;
    state.counters["game_cpu_ms"] = median(gameCpu);
    state.counters["bare_cpu_ms"] = median(bareCpu);
    state.counters["game_peak_mb"] = median(gameMb);
    state.counters["bare_peak_mb"] = median(bareMb);
    state.counters["text_ms"] = median(textMs);
    state.counters["text_cpu_ms"] = median(textCpu);
    // Processor time is what a busy machine disturbs least.
    state.counters["cpu_ratio_vs_text"] = median(gameCpu) / median(textCpu);
    state.counters["text_peak_mb"] = median(textMb);
    state.counters["memory_ratio"] = memoryRatio;
    // The floor for a window that shows Japanese text is the text window, not the blank one.
    const double timeVsText = median(gameMs) / median(textMs);
    const double memoryVsText = median(gameMb) / median(textMb);
    state.counters["time_ratio_vs_text"] = timeVsText;
    state.counters["memory_ratio_vs_text"] = memoryVsText;
    state.counters["within_budget"] = timeVsText <= 1.15 && memoryVsText <= 1.15 ? 1 : 0;
}
BENCHMARK(BM_StartUpToFirstPrompt)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
} // namespace kestrum::bench
