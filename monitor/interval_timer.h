#pragma once
// `RefreshTimer`: a repeating millisecond timer behind a small interface, so
// that the auto-refresh logic runs the same with a QTimer in the window and
// with a hand-driven fake in tests.

#include <QObject>
#include <QTimer>

namespace vmk {

class IntervalTimer {
 public:
  virtual ~IntervalTimer() = default;
  // Starts (or restarts) the timer with the given interval.
  virtual void start(int ms) = 0;
  virtual void stop() = 0;
  virtual bool isActive() const = 0;
  // The interval of the last start, in ms (0 before the first start).
  virtual int interval() const = 0;
};

// The window's timer. Connect `timeout` to the tick handler.
class QtIntervalTimer : public QObject, public IntervalTimer {
  Q_OBJECT
 public:
  explicit QtIntervalTimer(QObject* parent = nullptr);

  void start(int ms) override { m_timer.start(ms); }
  void stop() override { m_timer.stop(); }
  bool isActive() const override { return m_timer.isActive(); }
  int interval() const override { return m_timer.interval(); }

 Q_SIGNALS:
  void timeout();

 private:
  QTimer m_timer;
};

}  // namespace vmk
