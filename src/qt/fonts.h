#pragma once
// The game's Japanese proportional gothic face, sized in pixels so that the layout does not depend
// on the X server's idea of the screen's DPI.

#include <functional>

#include <QFont>
#include <QStringList>

#include "game/screen.h"

namespace kestrum::qt {

// Pixels of a point size on the 96-DPI design display.
int pixelSize(double points);

// The families a gothic font asks for: the one wanted family that is installed, or else the whole
// list. A font of several families asks the font configuration for the fallbacks of every script it
// meets before it draws a glyph, a tenth of the start-up; with one of them installed the others add
// nothing, and a character the face lacks still falls back, only later.
QStringList gothicFamilies(const QStringList& wanted, const std::function<bool(const QString&)>& installed);

// The gothic face (with metric-compatible fallbacks) at a point size.
QFont gothicFont(double points, bool bold = false);

// A font of the screen model. Labels without a stored font use the same face at 9 pt.
const QFont& modelFont(const Font& font);

} // namespace kestrum::qt
