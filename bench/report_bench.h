#pragma once
// vmkbench's report figures (bench/report_bench.cpp).

#include <QString>

namespace vmk::bench {

// The device report's five reads at 9600 bit/s against wire time plus
// turnaround, and the making and writing of the workbook from words read.
int runReports(const QString& vmksim);

}  // namespace vmk::bench
