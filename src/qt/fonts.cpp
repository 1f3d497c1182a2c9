#include "qt/fonts.h"

#include <cmath>
#include <functional>
#include <map>
#include <utility>

#include <QFontDatabase>
#include <QStringList>

namespace kestrum::qt {

int pixelSize(double points) {
    return int(std::lround(points * 96.0 / 72.0));
}

QStringList gothicFamilies(const QStringList& wanted, const std::function<bool(const QString&)>& installed) {
    QStringList found;
    for (const QString& family : wanted)
        if (installed(family)) found += family;
    return found.size() == 1 ? found : wanted;
}

QFont gothicFont(double points, bool bold) {
    QFont f;
    static const QStringList families = gothicFamilies(
        {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")},
        [](const QString& family) { return QFontDatabase::hasFamily(family); });
    f.setFamilies(families);
    f.setPixelSize(pixelSize(points));
    f.setBold(bold);
    return f;
}

const QFont& modelFont(const Font& font) {
    // Both faces resolve to the same list: the window's default face is the gothic one too. The
    // handful of sizes in use are built once; a paint draws a hundred labels.
    static std::map<std::pair<int, bool>, QFont> cache;
    const auto key = std::make_pair(pixelSize(font.points), font.bold);
    auto it = cache.find(key);
    if (it == cache.end()) it = cache.emplace(key, gothicFont(font.points, font.bold)).first;
    return it->second;
}

} // namespace kestrum::qt
