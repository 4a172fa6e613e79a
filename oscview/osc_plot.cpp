#include "oscview/osc_plot.h"

#include <algorithm>
#include <cmath>

#include "oscview/osc_math.h"
#include "oscview/osc_reduce.h"

namespace vmk::oscview {

namespace {

// The live page's colours: Ia navy, Ib green, Ic red, Io black; other
// channels after them.
QColor analogColour(const AnalogChannel& c, int index) {
  const QString p = c.phase.toUpper();
  if (p == QLatin1String("A")) return QColor(0, 0, 128);
  if (p == QLatin1String("B")) return QColor(0, 128, 0);
  if (p == QLatin1String("C")) return QColor(Qt::red);
  if (p == QLatin1String("N")) return QColor(Qt::black);
  static const QColor order[] = {QColor(0, 0, 128), QColor(0, 128, 0),   QColor(Qt::red),    QColor(Qt::black),
                                 QColor(128, 0, 128), QColor(0, 128, 128), QColor(128, 128, 0)};
  return order[index % 7];
}

const QColor kCursorColour[2] = {QColor(200, 0, 200), QColor(0, 140, 160)};
constexpr int kLanePixels = 16;  // the least height of a lane
constexpr int kAllLanesUpTo = 16;
constexpr int kMostUnitRects = 3;
constexpr int kMostKeyed = 8;  // a rectangle with more channels shows no key

// An axis's label: "I, А" for currents (this family's files, which give
// "A" or nothing), else the units.
QString unitLabel(const QStringList& units) {
  if (units.isEmpty() || units == QStringList{QStringLiteral("A")} || units == QStringList{QString()})
    return QStringLiteral("I, А");
  return units.join(QStringLiteral(", "));
}

}  // namespace

OscPlot::OscPlot(QWidget* parent) : QCustomPlot(parent) {
  setObjectName(QStringLiteral("plot"));
  setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
  setSelectionRectMode(QCP::srmNone);
  setAutoAddPlottableToLegend(false);
  m_margins = new QCPMarginGroup(this);
  connect(this, &QCustomPlot::beforeReplot, this, &OscPlot::reduce);
}

QCPAxis* OscPlot::timeAxis() const { return axisRect()->axis(QCPAxis::atBottom); }

void OscPlot::clearAll() {
  clearGraphs();
  clearItems();
  m_traces.clear();
  m_cursorLines[0].clear();
  m_cursorLines[1].clear();
  // Every rectangle but the first (which holds the legend) goes.
  for (const Rects& r : m_rects) {
    if (r.digital) plotLayout()->remove(r.digital);
    for (QCPAxisRect* a : r.analog)
      if (a != axisRect()) plotLayout()->remove(a);
  }
  plotLayout()->simplify();
  m_rects.clear();
  m_reducedWidth = 0;
}

void OscPlot::setRecordings(const QList<Shown>& shown) {
  clearAll();
  m_shown = shown;
  for (int k = 0; k < m_shown.size(); ++k) addRecording(k);
  // The time axes move together.
  QList<QCPAxis*> axes;
  for (const Rects& r : m_rects) {
    for (QCPAxisRect* rect : r.analog) axes << rect->axis(QCPAxis::atBottom);
    if (r.digital) axes << r.digital->axis(QCPAxis::atBottom);
  }
  for (QCPAxis* a : axes) {
    a->setLabel(QString());
    disconnect(a, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this, nullptr);
    connect(a, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this, [this, axes](const QCPRange& range) {
      if (m_linking) return;
      m_linking = true;
      for (QCPAxis* other : axes) other->setRange(range);
      m_linking = false;
    });
  }
  if (!axes.isEmpty()) axes.last()->setLabel(QStringLiteral("t, мс от пуска"));
  for (int k = 0; k < 2; ++k) setCursor(k, m_cursor[k]);
}

void OscPlot::addRecording(int which) {
  const Recording& rec = *m_shown[which].rec;
  const QString prefix = which > 0 ? QStringLiteral("%1: ").arg(which + 1) : QString();
  Rects rects;
  // One rectangle per unit, in the order the units first come.
  QList<QStringList> unitsOf;
  QList<int> rectOf;
  for (const AnalogChannel& ch : rec.analog) {
    qsizetype r = rects.units.indexOf(ch.unit);
    if (r < 0 && rects.units.size() < kMostUnitRects) {
      rects.units << ch.unit;
      unitsOf << QStringList{ch.unit};
      r = rects.units.size() - 1;
    } else if (r < 0) {
      r = kMostUnitRects - 1;
      if (!unitsOf[r].contains(ch.unit)) unitsOf[r] << ch.unit;
    }
    rectOf << int(r);
  }
  if (unitsOf.isEmpty()) unitsOf << QStringList{};
  // Each rectangle keys its own channels in its top right corner (the
  // first rectangle with the plot's own legend).
  QList<QCPLegend*> keys;
  for (int r = 0; r < unitsOf.size(); ++r) {
    QCPAxisRect* rect = which == 0 && r == 0 ? axisRect() : new QCPAxisRect(this);
    if (rect != axisRect()) plotLayout()->addElement(plotLayout()->rowCount(), 0, rect);
    rect->axis(QCPAxis::atLeft)->setLabel(prefix + unitLabel(unitsOf[r]));
    rects.analog << rect;
    QCPLegend* key = rect == axisRect() ? legend : new QCPLegend;
    if (key != legend) {
      rect->insetLayout()->addElement(key, Qt::AlignTop | Qt::AlignRight);
      key->setLayer(legend->layer());
    }
    key->setFont(QFont(font().family(), 7));
    key->setBrush(QColor(255, 255, 255, 215));
    // In rows of four: a short rectangle keeps most of its height.
    key->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    key->setWrap(4);
    key->setColumnSpacing(4);
    key->setIconSize(18, 8);
    key->setVisible(rectOf.count(r) <= kMostKeyed);
    keys << key;
  }
  for (int c = 0; c < rec.analog.size(); ++c) {
    QCPAxisRect* rect = rects.analog[rectOf[c]];
    QCPGraph* g = addGraph(rect->axis(QCPAxis::atBottom), rect->axis(QCPAxis::atLeft));
    g->setName(prefix + analogName(rec, c));
    g->setPen(QPen(analogColour(rec.analog[c], c), 1));
    g->addToLegend(keys[rectOf[c]]);
    // Plain lines draw many times faster than smoothed ones and look the
    // same at this density.
    g->setAntialiased(false);
    m_traces << Trace{which, c, false, 0, g};
  }

  for (int c = 0; c < rec.digital.size(); ++c)
    if (rec.digital.size() <= kAllLanesUpTo || rec.states[c].changes()) rects.lanes << c;
  const int lanes = int(rects.lanes.size());
  if (lanes > 0) {
    rects.digital = new QCPAxisRect(this);
    plotLayout()->addElement(plotLayout()->rowCount(), 0, rects.digital);
    QCPAxis* dx = rects.digital->axis(QCPAxis::atBottom);
    QCPAxis* dy = rects.digital->axis(QCPAxis::atLeft);
    QSharedPointer<QCPAxisTickerText> names(new QCPAxisTickerText);
    for (int i = 0; i < lanes; ++i) {
      const int c = rects.lanes[i];
      const double base = lanes - 1 - i;
      QCPGraph* g = addGraph(dx, dy);
      g->setName(prefix + digitalName(rec, c));
      g->setLineStyle(QCPGraph::lsStepLeft);
      g->setPen(QPen(QColor(0, 0, 128), 1));
      g->setAntialiased(false);
      m_traces << Trace{which, c, true, base, g};
      names->addTick(base + kLaneHigh / 2, QStringLiteral("%1 %2").arg(c + 1).arg(digitalName(rec, c)));
      // A faint rule under each lane keeps neighbours apart.
      auto* rule = new QCPItemStraightLine(this);
      rule->setClipAxisRect(rects.digital);
      rule->point1->setAxes(dx, dy);
      rule->point2->setAxes(dx, dy);
      rule->point1->setCoords(0, base - 0.2);
      rule->point2->setCoords(1, base - 0.2);
      rule->setPen(QPen(QColor(215, 215, 225), 1));
    }
    dy->setTicker(names);
    dy->setSubTicks(false);
    dy->grid()->setVisible(false);
    dy->setTickLabelFont(QFont(font().family(), 7));
    dy->setRange(-0.3, lanes - 0.1);
    rects.digital->setMinimumSize(0, lanes * kLanePixels + 8);
  }
  for (QCPAxisRect* r : rects.analog + QList<QCPAxisRect*>{rects.digital}) {
    if (!r) continue;
    r->setRangeDrag(Qt::Horizontal);
    r->setRangeZoom(Qt::Horizontal);
    r->setMarginGroup(QCP::msLeft | QCP::msRight, m_margins);
    addMarkers(r);
  }
  const int row = plotLayout()->rowCount();
  const int first = row - int(rects.analog.size()) - (rects.digital ? 1 : 0);
  for (int r = 0; r < rects.analog.size(); ++r) plotLayout()->setRowStretchFactor(first + r, 3.0 / rects.analog.size() + 0.5);
  if (rects.digital) plotLayout()->setRowStretchFactor(row - 1, std::max(1.0, lanes / 6.0));
  m_rects << rects;
}

// The trigger of the first recording (dashed) and the two cursors.
void OscPlot::addMarkers(QCPAxisRect* rect) {
  auto vertical = [this, rect](const QPen& pen) {
    auto* line = new QCPItemStraightLine(this);
    line->setClipAxisRect(rect);
    line->point1->setAxes(rect->axis(QCPAxis::atBottom), rect->axis(QCPAxis::atLeft));
    line->point2->setAxes(rect->axis(QCPAxis::atBottom), rect->axis(QCPAxis::atLeft));
    line->point1->setCoords(0, 0);
    line->point2->setCoords(0, 1);
    line->setPen(pen);
    return line;
  };
  vertical(QPen(QColor(120, 120, 120), 1, Qt::DashLine));
  for (int k = 0; k < 2; ++k) m_cursorLines[k] << vertical(QPen(kCursorColour[k], 1.2));
}

void OscPlot::setShift(int which, double ms) {
  if (which < 0 || which >= m_shown.size()) return;
  m_shown[which].shiftMs = ms;
  replot();
}

void OscPlot::setCursor(int which, double ms) {
  m_cursor[which] = ms;
  for (QCPItemStraightLine* line : m_cursorLines[which]) {
    line->point1->setCoords(ms, 0);
    line->point2->setCoords(ms, 1);
  }
}

void OscPlot::fitAll() {
  double from = 0, to = 0;
  bool any = false;
  for (int k = 0; k < m_shown.size(); ++k) {
    const Recording& rec = *m_shown[k].rec;
    if (rec.sampleCount() == 0) continue;
    const double a = rec.timeMs(0) + m_shown[k].shiftMs, b = rec.timeMs(rec.sampleCount() - 1) + m_shown[k].shiftMs;
    from = any ? std::min(from, a) : a;
    to = any ? std::max(to, b) : b;
    any = true;
    // Each rectangle to the values of its channels.
    for (QCPAxisRect* rect : m_rects[k].analog) {
      double lo = 0, hi = 0;
      for (const Trace& t : m_traces) {
        if (t.which != k || t.digital || t.graph->valueAxis() != rect->axis(QCPAxis::atLeft)) continue;
        double l, h;
        rec.values[t.channel].range(0, rec.sampleCount(), l, h);
        if (!std::isnan(l)) {
          lo = std::min(lo, l);
          hi = std::max(hi, h);
        }
      }
      const double pad = std::max((hi - lo) * 0.05, 1e-3);
      rect->axis(QCPAxis::atLeft)->setRange(lo - pad, hi + pad);
    }
  }
  if (!any) return;
  timeAxis()->setRange(from, to > from ? to : from + 1);
  replot();
}

void OscPlot::zoomTime(double fromMs, double toMs) {
  timeAxis()->setRange(fromMs, toMs);
  replot();
}

void OscPlot::reduce() {
  const QCPRange range = timeAxis()->range();
  const int width = std::max(64, this->width());
  QList<double> shifts;
  for (const Shown& s : m_shown) shifts << s.shiftMs;
  if (range == m_reducedRange && width == m_reducedWidth && shifts == m_reducedShift) return;
  if (shifts != m_reducedShift)
    for (Trace& t : m_traces) t.whole = false;
  m_reducedRange = range;
  m_reducedWidth = width;
  m_reducedShift = shifts;
  for (Trace& t : m_traces) {
    const Shown& s = m_shown[t.which];
    if (s.rec->sampleCount() == 0) continue;
    // A short recording is given whole, once: the plot clips it itself.
    const bool whole = s.rec->sampleCount() <= 2 * width;
    if (whole && t.whole) continue;
    t.whole = whole;
    QCPRange all;
    if (whole)
      all = QCPRange(s.rec->timeMs(0) + s.shiftMs - 1, s.rec->timeMs(s.rec->sampleCount() - 1) + s.shiftMs + 1);
    const QCPRange r = whole ? all : range;
    Curve c = t.digital ? digitalCurve(*s.rec, t.channel, r.lower, r.upper, width, s.shiftMs)
                        : analogCurve(*s.rec, t.channel, r.lower, r.upper, width, s.shiftMs);
    if (t.digital)
      for (double& v : c.values) v = t.base + v * kLaneHigh;
    t.graph->setData(c.keys, c.values, true);
  }
}

}  // namespace vmk::oscview
