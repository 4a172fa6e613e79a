#include "model/label_texts.h"

namespace vmk {

void LabelTexts::setText(const QString& label, const QString& text) {
  auto it = m_texts.find(label);
  if (it != m_texts.end() && *it == text) return;
  m_texts.insert(label, text);
  Q_EMIT textChanged(label, text);
}

}  // namespace vmk
