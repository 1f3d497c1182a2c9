#pragma once
// The game's Japanese proportional gothic face, sized in pixels so that the layout does not depend
// on the X server's idea of the screen's DPI.

#include <QFont>

#include "game/screen.h"

namespace kestrum::qt {

// Pixels of a point size on the 96-DPI design display.
int pixelSize(double points);

// The gothic face (with metric-compatible fallbacks) at a point size.
QFont gothicFont(double points, bool bold = false);

// A font of the screen model. Labels without a stored font use the same face at 9 pt.
const QFont& modelFont(const Font& font);

} // namespace kestrum::qt
