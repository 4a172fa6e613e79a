#include "oscview/phasor_diagram.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace vmk::oscview {

PhasorDiagram::PhasorDiagram(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("phasorDiagram"));
  setMinimumSize(200, 200);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void PhasorDiagram::setArrows(const QList<DiagramArrow>& arrows) {
  m_arrows = arrows;
  update();
}

void PhasorDiagram::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(rect(), Qt::white);
  const QPointF centre = QRectF(rect()).center();
  const double radius = std::min(width(), height()) / 2.0 - 28;
  if (radius <= 10) return;
  p.setPen(QPen(QColor(200, 200, 200), 1));
  p.drawEllipse(centre, radius, radius);
  p.drawEllipse(centre, radius / 2, radius / 2);
  p.drawLine(centre - QPointF(radius, 0), centre + QPointF(radius, 0));
  p.drawLine(centre - QPointF(0, radius), centre + QPointF(0, radius));

  double largest = 0;
  for (const DiagramArrow& a : m_arrows)
    if (std::isfinite(std::abs(a.value))) largest = std::max(largest, std::abs(a.value));
  if (largest <= 0) return;
  QFont small = font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  p.setFont(small);
  int dashed = 0;
  for (const DiagramArrow& a : m_arrows) {
    if (!std::isfinite(std::abs(a.value))) continue;
    const std::complex<double> z = a.value / largest * radius;
    const QPointF tip = centre + QPointF(z.real(), -z.imag());
    p.setPen(QPen(a.colour, a.dashed ? 1.5 : 2, a.dashed ? Qt::DashLine : Qt::SolidLine));
    p.drawLine(centre, tip);
    // The head: two short strokes back from the tip.
    const double angle = std::atan2(-(tip.y() - centre.y()), tip.x() - centre.x());
    if (std::abs(z) > 8) {
      p.setPen(QPen(a.colour, 2));
      for (double side : {2.7, -2.7})
        p.drawLine(tip, tip + QPointF(8 * std::cos(angle + side), -8 * std::sin(angle + side)));
    }
    // Dashed arrows' labels step aside, so that components along a phase
    // stay readable.
    const double aside = a.dashed ? 14.0 * (dashed++ - 1) : 0;
    const QPointF label = centre + QPointF((std::abs(z) + 14) * std::cos(angle) - aside * std::sin(angle),
                                           -(std::abs(z) + 14) * std::sin(angle) - aside * std::cos(angle));
    p.setPen(a.colour);
    p.drawText(QRectF(label - QPointF(40, 9), QSizeF(80, 18)), Qt::AlignCenter, a.name);
  }
}

}  // namespace vmk::oscview
