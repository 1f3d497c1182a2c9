#pragma once
// A match's recording played back headless: every stored hash must come out equal.

#include <gtest/gtest.h>

#include "game/replay_hashes.h"
#include "game/replay_player.h"

namespace kestrum::testing {

// The ticks played back, or -1 when the recording was refused or left.
inline long playsBack(const std::string& bytes) {
    replay::Reading reading = replay::readReplay(bytes, kSimulationVersion);
    EXPECT_EQ(reading.status, replay::Reading::Status::Ok) << reading.problem;
    if (reading.status != replay::Reading::Status::Ok) return -1;
    QuietPlatform quiet;
    ReplayPlayer player(std::move(reading), quiet, quiet);
    while (player.step()) {
    }
    EXPECT_FALSE(player.leftAt()) << "left the recording at tick " << player.leftAt().value_or(0);
    EXPECT_GT(player.checks(), 0u);
    return player.leftAt() ? -1 : long(player.tick());
}

// The game's last match, recorded whole, plays back to the same tick.
inline void expectPlaysBack(const Game& game) {
    EXPECT_FALSE(game.recorder().recording());
    EXPECT_EQ(playsBack(game.recorder().bytes()), long(game.recorder().ticks()));
}

} // namespace kestrum::testing
