#pragma once
// A player that peeks at the match state instead of the screen.
#include "app/match_state.h"
