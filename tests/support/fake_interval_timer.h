#pragma once
// A timer for tests: records starts and stops and never fires by itself;
// the test calls the tick handler when it wants a tick.

#include "monitor/interval_timer.h"

namespace vmk::test {

class FakeIntervalTimer : public IntervalTimer {
 public:
  void start(int ms) override {
    m_interval = ms;
    m_active = true;
    ++m_starts;
  }
  void stop() override {
    m_active = false;
    ++m_stops;
  }
  bool isActive() const override { return m_active; }
  int interval() const override { return m_interval; }

  int starts() const { return m_starts; }
  int stops() const { return m_stops; }

 private:
  int m_interval = 0;
  bool m_active = false;
  int m_starts = 0;
  int m_stops = 0;
};

}  // namespace vmk::test
