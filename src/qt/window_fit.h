#pragma once
// The main window on a screen too small for it: shrunk as a whole, proportions kept.

#include <QMargins>
#include <QSize>

namespace kestrum::qt {

// The scale of the window's content: 1 when the design size (with the window frame) fits the
// screen's available area, which Qt gives in device-independent pixels so that the device pixel
// ratio is already counted; otherwise the largest scale below 1 at which it fits.
double fitScale(QSize design, QSize available, QMargins frame = {});

// The design size at a scale, rounded down so that the window never grows past the screen.
QSize scaledSize(QSize design, double scale);

} // namespace kestrum::qt
