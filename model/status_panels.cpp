#include "model/status_panels.h"

namespace vmk {

StatusPanels::StatusPanels(QObject* parent) : QObject(parent) {}

QString StatusPanels::text(int panel) const {
  return panel >= 0 && panel < kCount ? m_texts[panel] : QString();
}

void StatusPanels::setText(int panel, const QString& text) {
  if (panel < 0 || panel >= kCount || m_texts[panel] == text) return;
  m_texts[panel] = text;
  Q_EMIT textChanged(panel, text);
}

}  // namespace vmk
