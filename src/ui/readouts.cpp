#include "app/game.h"

namespace kestrum {

void Game::suutihyouji() {}
void Game::flightView(int, int) {}
void Game::inputView(int, int) {}

} // namespace kestrum
