#include "game/game.h"

namespace kestrum {

// The end of an ordinary explosion.
void Game::explosionSound() {
    if (match_.sound == 1) sounds_.play(SoundId::Explosion);
}

// The end of a base's destruction.
void Game::baseExplosionSound() {
    if (match_.sound == 1) sounds_.play(SoundId::BaseExplosion);
}

} // namespace kestrum
