#include "app/game.h"
#include "settings/config_file.h"

namespace kestrum {

bool Game::configp() { return false; }

} // namespace kestrum
