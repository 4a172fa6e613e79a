#pragma once
// vmkbench's oscillogram figures (bench/osc_bench.cpp).

#include <QString>

namespace vmk::bench {

// The download at 9600 (left out with `quick`) and 115200 bit/s through the
// real operation, the writing of both files, the viewer's load and redraw.
int runOscillogram(const QString& vmksim, bool quick);

// The viewer on a large recording in each data form (bench/osc_large_bench.cpp).
int runOscLarge();

}  // namespace vmk::bench
