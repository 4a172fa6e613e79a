#pragma once
// What the plot draws of a channel between two moments: the samples
// themselves when they are few, else each pixel column's min and max (a
// vertical stroke), so that a minute at 10 kHz draws as fast as a cycle.
// Missing values give NaN, a gap in the line. Qt Core only.

#include <QVector>

#include "oscview/comtrade_file.h"

namespace vmk::oscview {

struct Curve {
  QVector<double> keys;    // ms from the trigger, plus the shift
  QVector<double> values;
};

// Analog channel `c` from `fromMs` to `toMs` over `columns` pixel columns;
// `shiftMs` moves the recording on the time axis.
Curve analogCurve(const Recording& rec, int c, double fromMs, double toMs, int columns, double shiftMs = 0);

// Digital channel `c` likewise, as 0 and 1 (a column where it changes
// gives both).
Curve digitalCurve(const Recording& rec, int c, double fromMs, double toMs, int columns, double shiftMs = 0);

}  // namespace vmk::oscview
