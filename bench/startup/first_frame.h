#pragma once
// How a start-up probe reports: once the frame it waits for has been painted it writes the monotonic
// clock and its peak resident memory to stdout and ends at once (tearing down is not starting up).

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <QCoreApplication>
#include <QMetaObject>

namespace kestrum::bench {

// The high-water mark of this process image. getrusage would also count the memory of the process
// that spawned us (exec records it), /proc/self/status does not.
inline long peakResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

// Called from a paint event: reports as soon as the whole frame, children included, is painted.
inline void reportAfterThisFrame() {
    static bool scheduled = false;
    if (scheduled) return;
    scheduled = true;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            const long long ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
            std::printf("%lld %ld\n", ns, peakResidentKb());
            std::fflush(stdout);
            std::_Exit(0);
        },
        Qt::QueuedConnection);
}

} // namespace kestrum::bench
