#include "app/game.h"

namespace kestrum {

int16_t Game::explosionSize(int) const { return 0; }
void Game::groundHit(int) {}
void Game::baseHit(int, int) {}
bool Game::explosionFrame(int) { return true; }
void Game::setteini(int) {}
void Game::decideMatch() {}

} // namespace kestrum
