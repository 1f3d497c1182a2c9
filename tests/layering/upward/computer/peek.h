#pragma once
// A computer that reads the game's screen model instead of its own view of the screen.
#include "game/screen.h"
