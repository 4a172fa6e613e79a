#include "monitor/live_view.h"

namespace vmk {

bool LiveView::isInputLit(int input) const {
  return input >= 1 && input <= kInputCount && m_inputs[input - 1];
}

void LiveView::setInputLit(int input, bool lit) {
  if (input < 1 || input > kInputCount || m_inputs[input - 1] == lit) return;
  m_inputs[input - 1] = lit;
  Q_EMIT inputChanged(input, lit);
}

void LiveView::setPrimaryValues(bool primary) {
  if (m_primary == primary) return;
  m_primary = primary;
  Q_EMIT primaryValuesChanged(primary);
}

void LiveView::setManualClock(bool manual) {
  if (m_manualClock == manual) return;
  m_manualClock = manual;
  Q_EMIT manualClockChanged(manual);
}

void LiveView::setPickerDate(const QDate& date) {
  if (m_date == date) return;
  m_date = date;
  Q_EMIT pickerDateChanged(date);
}

void LiveView::setPickerTime(const QTime& time) {
  if (m_time == time) return;
  m_time = time;
  Q_EMIT pickerTimeChanged(time);
}

void LiveView::setPickersVisible(bool visible) {
  if (m_pickersVisible == visible) return;
  m_pickersVisible = visible;
  Q_EMIT pickersVisibleChanged(visible);
}

}  // namespace vmk
