#pragma once
// The simulation tick's timer. A QTimer wakes on whole milliseconds and drifts by however late each
// wake-up was; on Linux this one rides a kernel timerfd that fires on an absolute, drift-free
// schedule with microsecond precision. Elsewhere it falls back to a precise QTimer.
//
// Ticks that will change nothing on screen need no wake-up of their own: told to rest, the timer
// sleeps through them (the kernel still counts them) and delivers them in one go when it wakes, or
// sooner when catchUp() is called before anything else reaches the game.

#include <QObject>
#include <QTimer>

class QSocketNotifier;

namespace kestrum::qt {

class TickTimer : public QObject {
    Q_OBJECT
  public:
    explicit TickTimer(QObject* parent = nullptr);
    ~TickTimer() override;

    // Starts (or restarts) with this period; the first tick comes one period from now.
    void start(int milliseconds);
    void stop();
    bool isActive() const { return active_; }
    int interval() const { return interval_; }

    // The next `ticks` ticks change nothing shown: sleep through them. 0 wakes for every tick again.
    void rest(int ticks);
    // Delivers at once the ticks that came due while resting.
    void catchUp();
    // While delivering: this tick is one of those promised to change nothing (every one but the last).
    bool deliveringQuietTick() const { return quietLeft_ > 0; }

  signals:
    void timeout();

  private:
    void onReadable();

    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QTimer fallback_;
    QTimer wake_;       // the end of a rest
    int restTicks_ = 0; // promised quiet in the rest under way; 0 when not resting
    int quietLeft_ = 0;
    bool active_ = false;
    int interval_ = 0;
};

} // namespace kestrum::qt
