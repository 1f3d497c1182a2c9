// The computer opponent: how long each strength takes to destroy a base that nobody defends, how many
// shots it needs, and how often the strong one beats the weak one. Game time is counted at the
// default tick of 10 ms. The figures are in docs/COMPUTER.md.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "computer/computer.h"
#include "game/screen_view.h"
#include "game_harness.h"
#include "settings/config_file.h"

namespace kestrum::bench {
namespace {

constexpr int kRounds = 200;
constexpr long kTickLimit = 200000; // half an hour of play: a round that takes longer counts as lost
constexpr double kSecondsPerTick = 0.01;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// args: strength 1..4, mode 1 shells / 2 rockets, air 0/1.
void BM_ComputerAgainstAPassiveBase(benchmark::State& state) {
    const int strength = int(state.range(0));
    const char* mode = state.range(1) == 1 ? "1" : "2";
    const char* air = state.range(2) ? "y" : "n";
    std::vector<double> seconds, shots;
    int lost = 0;
    for (auto _ : state) {
        seconds.clear(), shots.clear(), lost = 0;
        for (int round = 0; round < kRounds; ++round) {
            testing::GameHarness h(configText(1, "10", strength));
            h.start();
            h.game->seed(uint32_t(1000 + round));
            h.answer(mode, air, "n");
            int launches = 0;
            bool wasBusy[kSlots] = {};
            long t = 0;
            while (t < kTickLimit && h.player(1).wins == 0) {
                h.game->tick(), ++t;
                for (int s = 0; s < kSlots; ++s) {
                    const bool busy = h.projectile(1, s).state != ProjectileState::Idle;
                    if (!wasBusy[s] && busy) ++launches;
                    wasBusy[s] = busy;
                }
            }
            if (h.player(1).wins == 0) ++lost;
            seconds.push_back(double(t) * kSecondsPerTick);
            shots.push_back(launches);
        }
    }
    state.counters["median_s"] = median(seconds);
    state.counters["median_shots"] = median(shots);
    std::sort(seconds.begin(), seconds.end());
    state.counters["p90_s"] = seconds[std::size_t(kRounds * 9 / 10)];
    state.counters["not_destroyed"] = lost;
}
BENCHMARK(BM_ComputerAgainstAPassiveBase)
    ->ArgNames({"strength", "mode", "air"})
    ->ArgsProduct({{1, 2, 3, 4}, {1, 2}, {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

// Two computers on one keyboard: the weak one on the first player's keys, the strong one on the
// second player's. Both modes, air on and off by turns.
void BM_StrongAgainstWeak(benchmark::State& state) {
    const int matches = int(state.range(0));
    int strongWins = 0, weakWins = 0;
    std::vector<double> minutes;
    for (auto _ : state) {
        strongWins = weakWins = 0;
        for (int match = 0; match < matches; ++match) {
            testing::GameHarness h(configText(1, "10", 0));
            h.start();
            h.game->seed(uint32_t(5000 + match));
            const KeyMap second = h.match().settings.secondSeatKeys;
            computer::Computer players[2] = {{0, kFirstSeatKeys, computer::Strength::Weak, uint32_t(match)},
                                             {1, second, computer::Strength::Strong, uint32_t(match + 77)}};
            for (auto [box, text] : {std::pair{Box::Mode, match % 2 ? "2" : "1"},
                                     {Box::Air, match % 4 < 2 ? "n" : "y"},
                                     {Box::Sound, "n"}}) {
                h.game->setBoxText(box, text);
                for (auto& p : players)
                    p.watch(viewOf(h.screen()));
            }
            long t = 0;
            while (t < 20 * kTickLimit && !h.screen().restartPanel.visible) {
                h.game->tick(), ++t;
                const computer::ScreenView view = viewOf(h.screen());
                for (auto& p : players)
                    if (const auto key = p.act(view))
                        key->down ? h.game->keyDown(key->code, 0) : h.game->keyUp(key->code);
            }
            const int16_t weak = h.player(0).wins, strong = h.player(1).wins;
            if (strong == 5 && weak < 5) ++strongWins;
            if (weak == 5 && strong < 5) ++weakWins;
            minutes.push_back(double(t) * kSecondsPerTick / 60);
        }
    }
    state.counters["matches"] = matches;
    state.counters["strong_won"] = strongWins;
    state.counters["weak_won"] = weakWins;
    state.counters["strong_share"] = double(strongWins) / matches;
    state.counters["median_match_min"] = median(minutes);
}
BENCHMARK(BM_StrongAgainstWeak)->Arg(100)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
} // namespace kestrum::bench
