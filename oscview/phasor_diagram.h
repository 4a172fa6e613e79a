#pragma once
// The phasor diagram beside the analysis tables: arrows from the centre,
// the reference channel along the positive x axis, angles counter-
// clockwise, lengths to the largest; the sequence components dashed.

#include <QList>
#include <QWidget>
#include <complex>

namespace vmk::oscview {

struct DiagramArrow {
  QString name;
  std::complex<double> value;  // angle already relative to the reference
  QColor colour;
  bool dashed = false;
};

class PhasorDiagram : public QWidget {
  Q_OBJECT
 public:
  explicit PhasorDiagram(QWidget* parent = nullptr);
  void setArrows(const QList<DiagramArrow>& arrows);
  const QList<DiagramArrow>& arrows() const { return m_arrows; }
  QSize sizeHint() const override { return {240, 240}; }
  // Where each drawn arrow's name goes at the present size, in the arrows'
  // order: beyond its tip, or stepped aside from the names placed before
  // it, so that no two overlap.
  QList<QRectF> labelRects() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Layout {
    QPointF centre;
    double radius = 0;
    double largest = 0;
  };
  Layout layout() const;
  QFont labelFont() const;

  QList<DiagramArrow> m_arrows;
};

}  // namespace vmk::oscview
