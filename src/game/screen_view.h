#pragma once
// The screen as a person at the keyboard reads it: the computer's only view of the match.

#include "computer/screen_view.h"
#include "game/screen.h"

namespace kestrum {

computer::ScreenView viewOf(const Screen& screen);

} // namespace kestrum
