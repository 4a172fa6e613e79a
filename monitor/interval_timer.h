#pragma once
// `RefreshTimer`: a repeating millisecond timer behind a small interface, so
// that the auto-refresh logic runs the same with a QTimer in the window and
// with a hand-driven fake in tests.

class QTimer;

namespace vmk {

class IntervalTimer {
 public:
  virtual ~IntervalTimer() = default;
  // Starts (or restarts) the timer with the given interval.
  virtual void start(int ms) = 0;
  virtual void stop() = 0;
  virtual bool isActive() const = 0;
  // The interval of the last start, in ms.
  virtual int interval() const = 0;
};

// The window's QTimer seen through the interface; the owner connects its
// timeout to the tick handler.
class QtIntervalTimer : public IntervalTimer {
 public:
  explicit QtIntervalTimer(QTimer& timer) : m_timer(timer) {}

  void start(int ms) override;
  void stop() override;
  bool isActive() const override;
  int interval() const override;

 private:
  QTimer& m_timer;
};

}  // namespace vmk
