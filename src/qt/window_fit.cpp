#include "qt/window_fit.h"

#include <algorithm>
#include <cmath>

namespace kestrum::qt {

double fitScale(QSize design, QSize available, QMargins frame) {
    const int width = available.width() - frame.left() - frame.right();
    const int height = available.height() - frame.top() - frame.bottom();
    if (design.isEmpty() || (design.width() <= width && design.height() <= height)) return 1.0;
    if (width <= 0 || height <= 0) return 1.0; // no usable screen measure: keep the design size
    return std::min(double(width) / design.width(), double(height) / design.height());
}

QSize scaledSize(QSize design, double scale) {
    if (scale >= 1.0) return design;
    // A hair of tolerance so that a scale computed as width / design gives that width back exactly.
    return QSize(std::max(1, int(std::floor(design.width() * scale + 1e-9))),
                 std::max(1, int(std::floor(design.height() * scale + 1e-9))));
}

} // namespace kestrum::qt
