#pragma once
// What the viewer's cursors show: the sample at a moment, every channel's
// value there, the RMS of a current over the cycle that ends there, the
// distance of two cursors in ms and in cycles, and the samples between
// them as CSV.

#include <QByteArray>
#include <QStringList>

#include "oscview/comtrade_file.h"

namespace vmk::oscview {

// The sample nearest to `ms` (from the trigger); -1 for a recording
// without samples.
int sampleAt(const Recording& rec, double ms);

// The RMS of analog channel `c` over one cycle of the line frequency that
// ends at sample `s` (the first cycle when fewer samples lie before it).
// Missing values are left out; NaN when none is left.
double cycleRms(const Recording& rec, int c, int s);

// Cycles of the line frequency in `ms`.
double cycles(const Recording& rec, double ms);

// The samples from t1 to t2 (either order) as CSV (csv/csv_text): a
// header row ("t, мс"; the analog ids with their units; the digital ids),
// then one row each, "." decimals, UTF-8 with a byte-order mark.
QByteArray samplesCsv(const Recording& rec, double t1, double t2);

// A channel's name as the viewer shows it: its id, else "A1"/"D1".
QString analogName(const Recording& rec, int c);
QString digitalName(const Recording& rec, int c);

}  // namespace vmk::oscview
