#include "monitor/interval_timer.h"

#include <QTimer>

namespace vmk {

void QtIntervalTimer::start(int ms) { m_timer.start(ms); }
void QtIntervalTimer::stop() { m_timer.stop(); }
bool QtIntervalTimer::isActive() const { return m_timer.isActive(); }
int QtIntervalTimer::interval() const { return m_timer.interval(); }

}  // namespace vmk
