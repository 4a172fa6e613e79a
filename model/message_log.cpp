#include "model/message_log.h"

namespace vmk {

void MessageLog::append(const QString& line) {
  m_lines.append(line);
  if (m_lines.size() > kMaxLines) m_lines.remove(0, m_lines.size() - kMaxLines);
  Q_EMIT appended(line);
}

void MessageLog::clear() {
  m_lines.clear();
  Q_EMIT cleared();
}

}  // namespace vmk
