#include "monitor/interval_timer.h"

namespace vmk {

QtIntervalTimer::QtIntervalTimer(QObject* parent) : QObject(parent) {
  // A tick that comes while the previous one still runs is dropped by the
  // busy rule; a coarse timer is enough for a refresh of seconds.
  m_timer.setTimerType(Qt::CoarseTimer);
  connect(&m_timer, &QTimer::timeout, this, &QtIntervalTimer::timeout);
}

}  // namespace vmk
