#pragma once
// A picture that knows about the game: the kind of include the layering forbids.
#include "game/game.h"
