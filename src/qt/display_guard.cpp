#include "qt/display_guard.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QString>
#include <QtGlobal>

namespace kestrum::qt {

namespace {

struct HeldMessage {
    QtMsgType type;
    std::string category;
    QString text;
};

QtMessageHandler previousHandler = nullptr;
std::vector<HeldMessage> held;

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The display Qt was asked to open, as the user set it.
std::string displayTried() {
    const std::string platform = environment("QT_QPA_PLATFORM");
    std::string tried;
    if (platform.starts_with("wayland")) {
        const std::string wayland = environment("WAYLAND_DISPLAY");
        tried = wayland.empty() ? "WAYLAND_DISPLAY is not set" : "WAYLAND_DISPLAY=" + wayland;
    } else if (platform.empty() || platform.starts_with("xcb")) {
        const std::string x = environment("DISPLAY");
        tried = x.empty() ? "DISPLAY is not set" : "DISPLAY=" + x;
    }
    if (!platform.empty()) tried += (tried.empty() ? "" : ", ") + ("QT_QPA_PLATFORM=" + platform);
    return tried;
}

void guardHandler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "kestrum: no display could be opened (%s)\n", displayTried().c_str());
        std::fflush(stderr);
        std::_Exit(1);
    }
    held.push_back({type, context.category ? context.category : "", text});
}

} // namespace

DisplayGuard::DisplayGuard() {
    held.clear();
    previousHandler = qInstallMessageHandler(guardHandler);
}

DisplayGuard::~DisplayGuard() {
    qInstallMessageHandler(previousHandler);
    for (const HeldMessage& m : held) {
        const QMessageLogContext context(nullptr, 0, nullptr,
                                         m.category.empty() ? nullptr : m.category.c_str());
        previousHandler(m.type, context, m.text);
    }
    held.clear();
}

} // namespace kestrum::qt
