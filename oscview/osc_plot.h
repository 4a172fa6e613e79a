#pragma once
// The plot of one or two recordings on one time axis (ms from the first
// one's trigger; the second moved by its shift): per recording a rectangle
// of analog channels per unit (currents apart from kilovolts; at most
// three, the rest with the third; each keys its channels when they are
// few), one of lanes for its digital channels
// (those that change, or all when there are at most 16), the trigger and
// the two cursors across all. Each replot draws the samples in view, reduced to
// min/max per pixel column when they are many.

#include <QList>
#include <memory>

#include "oscview/comtrade_file.h"
#include "oscview/qcustomplot_include.h"

namespace vmk::oscview {

struct Shown {
  std::shared_ptr<const Recording> rec;
  QString fileName;
  double shiftMs = 0;
};

class OscPlot : public QCustomPlot {
  Q_OBJECT
 public:
  explicit OscPlot(QWidget* parent = nullptr);

  void setRecordings(const QList<Shown>& shown);
  void setShift(int which, double ms);
  void setCursor(int which, double ms);

  // The whole time of every recording and every value.
  void fitAll();
  void zoomTime(double fromMs, double toMs);
  QCPAxis* timeAxis() const;
  // The analog rectangles of recording `which`, one per unit.
  QList<QCPAxisRect*> analogRects(int which) const { return m_rects.value(which).analog; }
  // The digital channels drawn as lanes of recording `which`.
  QList<int> lanes(int which) const { return m_rects.value(which).lanes; }

  static constexpr double kLaneHigh = 0.6;  // a lane's "1" above its "0"

 private:
  struct Trace {
    int which;
    int channel;
    bool digital;
    double base;  // a lane's "0"
    QCPGraph* graph;
    bool whole = false;  // holds every sample
  };
  struct Rects {
    QList<QCPAxisRect*> analog;
    QList<QString> units;  // of each analog rectangle
    QCPAxisRect* digital = nullptr;
    QList<int> lanes;
  };
  void clearAll();
  void addRecording(int which);
  void reduce();
  void addMarkers(QCPAxisRect* rect);

  QList<Shown> m_shown;
  QList<Rects> m_rects;
  QList<Trace> m_traces;
  QList<QCPItemStraightLine*> m_cursorLines[2];
  double m_cursor[2] = {0, 0};
  QCPMarginGroup* m_margins = nullptr;
  bool m_linking = false;
  // What the curves were last reduced for.
  QCPRange m_reducedRange;
  int m_reducedWidth = 0;
  QList<double> m_reducedShift;
};

}  // namespace vmk::oscview
