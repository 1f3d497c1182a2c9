#include "app/game.h"

namespace kestrum {

void Game::tick() {}
void Game::moveSlot(int) {}
void Game::flightForces(int) {}
bool Game::integrateAndClassify(int) { return true; }

} // namespace kestrum
