#include "app/game.h"

namespace kestrum {

Game::Game(Platform& platform, SoundService& sounds)
    : platform_(platform), sounds_(sounds), screen_(makeDesignScreen()) {}

float Game::rnd() {
    if (randomSource_) return randomSource_();
    // 24 random bits scaled by 2^-24: uniform in [0, 1), never 1.
    return float(rng_() >> 8) * (1.0f / 16777216.0f);
}

void Game::runTickTimer() {
    // Period 0 would stop the timer, and only a hand-edited config.txt can hold a period below 1 ms:
    // such a match runs as fast as a timer can.
    platform_.setTickInterval(st_.opeval < 1 ? 1 : st_.opeval);
}

TextBox& Game::box(Box b) {
    switch (b) {
    case Box::Selw:
        return screen_.selw;
    case Box::Selr:
        return screen_.selr;
    case Box::Sels:
        return screen_.sels;
    case Box::Againput:
        break;
    }
    return screen_.againput;
}

const std::string& Game::boxText(Box b) const {
    return const_cast<Game*>(this)->box(b).text;
}

} // namespace kestrum
