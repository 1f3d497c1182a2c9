#include "qt/fonts.h"

#include <cmath>

#include <QStringList>

namespace kestrum::qt {

int pixelSize(double points) {
    return int(std::lround(points * 96.0 / 72.0));
}

QFont gothicFont(double points, bool bold) {
    QFont f;
    f.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                   QStringLiteral("Noto Sans CJK JP")});
    f.setPixelSize(pixelSize(points));
    f.setBold(bold);
    return f;
}

QFont modelFont(const Font& font) {
    // Both faces resolve to the same list: the window's default face is the gothic one too.
    return gothicFont(font.points, font.bold);
}

} // namespace kestrum::qt
