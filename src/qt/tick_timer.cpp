#include "qt/tick_timer.h"

#include <QSocketNotifier>

#include <algorithm>

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
    wake_.setTimerType(Qt::PreciseTimer);
    wake_.setSingleShot(true);
    connect(&wake_, &QTimer::timeout, this, &TickTimer::catchUp);
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
    restTicks_ = 0;
    wake_.stop();
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
    restTicks_ = 0;
    wake_.stop();
    fallback_.stop();
#ifdef __linux__
    if (fd_ >= 0) {
        const itimerspec off{};
        ::timerfd_settime(fd_, 0, &off, nullptr);
        notifier_->setEnabled(false);
    }
#endif
}

void TickTimer::rest(int ticks) {
#ifdef __linux__
    if (fd_ < 0 || !active_ || quietLeft_ > 0) return;
    restTicks_ = ticks;
    notifier_->setEnabled(ticks <= 0);
    // Half a period after the last quiet tick fell due: the one after it is then shown on time.
    if (ticks > 0)
        wake_.start(ticks * interval_ + interval_ / 2);
    else
        wake_.stop();
#else
    (void)ticks;
#endif
}

void TickTimer::catchUp() {
#ifdef __linux__
    if (restTicks_ <= 0) return;
    const int promised = restTicks_;
    restTicks_ = 0;
    wake_.stop();
    notifier_->setEnabled(true);
    uint64_t due = 0;
    if (::read(fd_, &due, sizeof due) != ssize_t(sizeof due)) return; // none due yet
    // Past the promised ones, a wake-up that came late delivers one tick, as any timer would.
    const int ticks = int(std::min<uint64_t>(due, uint64_t(promised) + 1));
    for (int n = 1; n <= ticks && active_; ++n) {
        quietLeft_ = ticks - n;
        emit timeout();
    }
    quietLeft_ = 0;
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
