#pragma once
// The simulation tick's timer. A QTimer wakes on whole milliseconds and drifts by however late each
// wake-up was; on Linux this one rides a kernel timerfd that fires on an absolute, drift-free
// schedule with microsecond precision. Elsewhere it falls back to a precise QTimer.

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

  signals:
    void timeout();

  private:
    void onReadable();

    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QTimer fallback_;
    bool active_ = false;
    int interval_ = 0;
};

} // namespace kestrum::qt
