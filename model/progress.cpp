#include "model/progress.h"

#include <algorithm>

namespace vmk {

void Progress::setVisible(bool visible) {
  if (m_visible == visible) return;
  m_visible = visible;
  Q_EMIT changed();
}

void Progress::setRange(int minimum, int maximum) {
  m_minimum = minimum;
  m_maximum = std::max(minimum, maximum);
  m_position = std::clamp(m_position, m_minimum, m_maximum);
  Q_EMIT changed();
}

// Like the toolkit's gauge, a position outside the range is held at its ends.
void Progress::setPosition(int position) {
  m_position = std::clamp(position, m_minimum, m_maximum);
  Q_EMIT changed();
}

}  // namespace vmk
