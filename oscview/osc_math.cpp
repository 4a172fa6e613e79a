#include "oscview/osc_math.h"

#include <algorithm>
#include <cmath>

#include "csv/csv_text.h"

namespace vmk::oscview {

int sampleAt(const Recording& rec, double ms) { return int(rec.times.nearest(ms)); }

double cycleRms(const Recording& rec, int c, int s) {
  if (c < 0 || c >= rec.values.size() || s < 0 || s >= rec.sampleCount()) return std::nan("");
  const double cycleMs = 1000.0 / rec.lineFrequency;
  const TimeAxis& t = rec.times;
  // The cycle (t[s] - cycle, t[s]]; at the start, the first cycle.
  double end = t.at(s);
  if (end - cycleMs < t.at(0) - 1e-9) end = t.at(0) + cycleMs - 1e-9;
  const double begin = end - cycleMs;
  double sum = 0;
  int n = 0;
  for (int k = sampleAt(rec, begin); k < rec.sampleCount() && t.at(k) <= end + 1e-9; ++k) {
    if (t.at(k) <= begin + 1e-9) continue;
    const double v = rec.value(c, k);
    if (std::isnan(v)) continue;
    sum += v * v;
    ++n;
  }
  return n ? std::sqrt(sum / n) : std::nan("");
}

double cycles(const Recording& rec, double ms) { return ms * rec.lineFrequency / 1000.0; }

QString analogName(const Recording& rec, int c) {
  const QString id = rec.analog.value(c).id;
  return id.isEmpty() ? QStringLiteral("A%1").arg(c + 1) : id;
}

QString digitalName(const Recording& rec, int c) {
  const QString id = rec.digital.value(c).id;
  return id.isEmpty() ? QStringLiteral("D%1").arg(c + 1) : id;
}

QByteArray samplesCsv(const Recording& rec, double t1, double t2) {
  if (t1 > t2) std::swap(t1, t2);
  QStringList header{QStringLiteral("t, мс")};
  for (int c = 0; c < rec.analog.size(); ++c) {
    const QString unit = rec.analog[c].unit;
    header << (unit.isEmpty() ? analogName(rec, c) : analogName(rec, c) + QStringLiteral(", ") + unit);
  }
  for (int c = 0; c < rec.digital.size(); ++c) header << digitalName(rec, c);
  // The labels are quoted as needed; the numbers never hold a comma.
  QByteArray out("\xEF\xBB\xBF");
  out += csvRecord(header).toUtf8();
  for (int s = 0; s < rec.sampleCount(); ++s) {
    const double t = rec.timeMs(s);
    if (t < t1 - 1e-9 || t > t2 + 1e-9) continue;
    QByteArray row = QByteArray::number(t, 'f', 4);
    for (int c = 0; c < rec.values.size(); ++c) {
      row += ',';
      const double v = rec.value(c, s);
      if (!std::isnan(v)) row += QByteArray::number(v, 'g', 10);
    }
    for (int c = 0; c < rec.states.size(); ++c) row += rec.state(c, s) ? ",1" : ",0";
    out += row + "\r\n";
  }
  return out;
}

}  // namespace vmk::oscview
