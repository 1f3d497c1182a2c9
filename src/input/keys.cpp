#include "app/game.h"

namespace kestrum {

void Game::keyDown(int16_t, int16_t) {}
void Game::keyUp(int16_t) {}
void Game::launch(int) {}
void Game::abandonMatch() {}
void Game::openSettings() {}

} // namespace kestrum
