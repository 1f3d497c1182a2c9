#include "app/game.h"

namespace kestrum {

// Small explosion: the end of an ordinary explosion.
void Game::ban() {
    if (st_.sound == 1) sounds_.play(SoundId::Ban);
}

// Large explosion: the end of a base's destruction.
void Game::bigban() {
    if (st_.sound == 1) sounds_.play(SoundId::BigBan);
}

} // namespace kestrum
