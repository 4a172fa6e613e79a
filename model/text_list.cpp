#include "model/text_list.h"

namespace vmk {

void TextList::append(const QString& line) {
  m_lines.append(line);
  Q_EMIT appended(line);
}

void TextList::clear() {
  m_lines.clear();
  m_selected = -1;
  Q_EMIT cleared();
}

void TextList::setSelected(int index) {
  if (index < -1 || index >= count()) index = -1;
  if (index == m_selected) return;
  m_selected = index;
  Q_EMIT selectedChanged(index);
}

}  // namespace vmk
