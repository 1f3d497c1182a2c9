// The computer on the second seat: chosen in the settings, stepped by the simulation tick, and
// reaching the game only through the second player's keys.

#include <algorithm>

#include "app/game.h"

namespace kestrum {

void Game::seed(uint32_t seed) {
    rng_.seed(seed);
    opponentSeed_ = seed;
    if (opponent_) {
        opponent_.reset();
        applyOpponent();
    }
}

void Game::applyOpponent() {
    if (st_.opponent < 1 || st_.opponent > 3) {
        opponent_.reset();
        return;
    }
    std::array<int16_t, kKeys> keys{};
    std::copy(std::begin(st_.keys2), std::end(st_.keys2), keys.begin());
    const auto strength = computer::Strength(st_.opponent);
    // The same player with the same keys plays on; anything else takes the seat afresh.
    if (opponent_ && opponent_->strength() == strength && opponent_->keys() == keys) return;
    opponent_ = std::make_unique<computer::Computer>(computer::kSecondPlayer, keys, strength, opponentSeed_);
}

void Game::driveOpponent() {
    const std::optional<computer::KeyEvent> key = opponent_->act(computer::screenTexts(screen_));
    if (!key) return;
    if (key->down)
        keyDown(key->code, 0);
    else
        keyUp(key->code);
}

} // namespace kestrum
