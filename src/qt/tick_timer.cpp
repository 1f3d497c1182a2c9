#include "qt/tick_timer.h"

#include <QSocketNotifier>

#ifdef __linux__
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#endif

namespace kestrum::qt {

TickTimer::TickTimer(QObject* parent) : QObject(parent) {
    fallback_.setTimerType(Qt::PreciseTimer);
    connect(&fallback_, &QTimer::timeout, this, &TickTimer::timeout);
#ifdef __linux__
    fd_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ >= 0) {
        notifier_ = new QSocketNotifier(qintptr(fd_), QSocketNotifier::Read, this);
        notifier_->setEnabled(false);
        connect(notifier_, &QSocketNotifier::activated, this, &TickTimer::onReadable);
    }
#endif
}

TickTimer::~TickTimer() {
#ifdef __linux__
    if (fd_ >= 0) ::close(fd_);
#endif
}

void TickTimer::start(int milliseconds) {
    interval_ = milliseconds;
    active_ = true;
#ifdef __linux__
    if (fd_ >= 0) {
        itimerspec period{};
        period.it_interval.tv_sec = milliseconds / 1000;
        period.it_interval.tv_nsec = long(milliseconds % 1000) * 1000000L;
        period.it_value = period.it_interval;
        if (::timerfd_settime(fd_, 0, &period, nullptr) == 0) {
            notifier_->setEnabled(true);
            return;
        }
    }
#endif
    fallback_.start(milliseconds);
}

void TickTimer::stop() {
    active_ = false;
    fallback_.stop();
#ifdef __linux__
    if (fd_ >= 0) {
        const itimerspec off{};
        ::timerfd_settime(fd_, 0, &off, nullptr);
        notifier_->setEnabled(false);
    }
#endif
}

void TickTimer::onReadable() {
#ifdef __linux__
    uint64_t expirations = 0;
    if (::read(fd_, &expirations, sizeof expirations) != ssize_t(sizeof expirations)) return;
    // Ticks missed while the program was busy are not made up in a burst, as with any timer.
    if (active_) emit timeout();
#endif
}

} // namespace kestrum::qt
