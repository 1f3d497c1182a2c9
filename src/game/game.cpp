#include "game/game.h"

namespace kestrum {

Game::Game(Platform& platform, SoundService& sounds)
    : platform_(platform), sounds_(sounds), screen_(makeDesignScreen()) {}

float Game::random() {
    if (randomSource_) return randomSource_();
    // 24 random bits scaled by 2^-24: uniform in [0, 1), never 1.
    ++draws_;
    return float(rng_() >> 8) * (1.0f / 16777216.0f);
}

void Game::seed(uint32_t seed) {
    rng_.seed(seed);
    seed_ = seed, draws_ = 0;
    opponentSeat_.seed(seed);
}

const KeyMap& Game::seatKeys(int player) const {
    return player == 0 ? kFirstSeatKeys : match_.settings.secondSeatKeys;
}

} // namespace kestrum
