#include "oscview/phasor_diagram.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
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

PhasorDiagram::Layout PhasorDiagram::layout() const {
  Layout l;
  l.centre = QRectF(rect()).center();
  l.radius = std::min(width(), height()) / 2.0 - 28;
  for (const DiagramArrow& a : m_arrows)
    if (std::isfinite(std::abs(a.value))) l.largest = std::max(l.largest, std::abs(a.value));
  return l;
}

QFont PhasorDiagram::labelFont() const {
  QFont small = font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  return small;
}

namespace {

bool crosses(const QRectF& r, const QLineF& line) {
  if (r.contains(line.p1()) || r.contains(line.p2())) return true;
  const QLineF sides[] = {{r.topLeft(), r.topRight()}, {r.topRight(), r.bottomRight()},
                          {r.bottomRight(), r.bottomLeft()}, {r.bottomLeft(), r.topLeft()}};
  for (const QLineF& side : sides)
    if (side.intersects(line, nullptr) == QLineF::BoundedIntersection) return true;
  return false;
}

}  // namespace

QList<QRectF> PhasorDiagram::labelRects() const {
  const Layout l = layout();
  QList<QRectF> placed;
  if (l.radius <= 10 || l.largest <= 0) return placed;
  const QFontMetricsF fm(labelFont());
  const QRectF area = QRectF(rect()).adjusted(2, 2, -2, -2);
  QList<QLineF> shafts;
  for (const DiagramArrow& a : m_arrows)
    if (std::isfinite(std::abs(a.value))) {
      const std::complex<double> z = a.value / l.largest * l.radius;
      shafts << QLineF(l.centre, l.centre + QPointF(z.real(), -z.imag()));
    }
  for (const DiagramArrow& a : m_arrows) {
    if (!std::isfinite(std::abs(a.value))) continue;
    const std::complex<double> z = a.value / l.largest * l.radius;
    const double angle = std::abs(z) > 0 ? std::arg(z) : 0;
    const QPointF along(std::cos(angle), -std::sin(angle)), across(-along.y(), along.x());
    const QSizeF size = fm.boundingRect(a.name).size() + QSizeF(4, 0);
    const QPointF beyond = l.centre + along * (std::abs(z) + 14);
    // Beyond the tip, else stepped across the arrow either way: clear of
    // the names placed and of the arrows if it can be, else of the names.
    QRectF best, apart;
    for (int step : {0, 1, -1, 2, -2, 3, -3, 4, -4}) {
      const QRectF r(beyond + across * (14.0 * step) - QPointF(size.width() / 2, size.height() / 2), size);
      if (!area.contains(r) ||
          std::any_of(placed.begin(), placed.end(), [&r](const QRectF& o) { return o.intersects(r); }))
        continue;
      if (apart.isNull()) apart = r;
      if (std::none_of(shafts.begin(), shafts.end(), [&r](const QLineF& s) { return crosses(r, s); })) {
        best = r;
        break;
      }
    }
    if (best.isNull()) best = apart;
    if (best.isNull()) best = QRectF(beyond - QPointF(size.width() / 2, size.height() / 2), size);
    placed << best;
  }
  return placed;
}

void PhasorDiagram::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(rect(), Qt::white);
  const Layout l = layout();
  const QPointF centre = l.centre;
  const double radius = l.radius;
  if (radius <= 10) return;
  p.setPen(QPen(QColor(200, 200, 200), 1));
  p.drawEllipse(centre, radius, radius);
  p.drawEllipse(centre, radius / 2, radius / 2);
  p.drawLine(centre - QPointF(radius, 0), centre + QPointF(radius, 0));
  p.drawLine(centre - QPointF(0, radius), centre + QPointF(0, radius));
  if (l.largest <= 0) return;
  p.setFont(labelFont());
  const QList<QRectF> labels = labelRects();
  int drawn = 0;
  for (const DiagramArrow& a : m_arrows) {
    if (!std::isfinite(std::abs(a.value))) continue;
    const std::complex<double> z = a.value / l.largest * radius;
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
  }
  // The names over the arrows, each on white.
  for (const DiagramArrow& a : m_arrows) {
    if (!std::isfinite(std::abs(a.value))) continue;
    const QRectF r = labels.value(drawn++);
    p.fillRect(r, Qt::white);
    p.setPen(a.colour);
    p.drawText(r, Qt::AlignCenter, a.name);
  }
}

}  // namespace vmk::oscview
