#pragma once
// A sound that asks the game when to play itself.
#include "game/game.h"
