#include "oscview/osc_reduce.h"

#include <algorithm>
#include <cmath>

namespace vmk::oscview {

namespace {

// Samples [first, last) to draw: those in the view and one either side,
// so that the line runs to the edges.
void span(const Recording& rec, double fromMs, double toMs, qsizetype& first, qsizetype& last) {
  first = std::max<qsizetype>(0, rec.times.lowerBound(fromMs) - 1);
  last = std::min<qsizetype>(rec.sampleCount(), rec.times.lowerBound(toMs) + 1);
}

// Calls `column(from, to, key)` for each pixel column's samples.
template <typename F>
void columns(const Recording& rec, qsizetype first, qsizetype last, double fromMs, double toMs, int count, F column) {
  const double width = (toMs - fromMs) / count;
  qsizetype from = first;
  for (int k = 0; k < count && from < last; ++k) {
    const double edge = fromMs + width * (k + 1);
    const qsizetype to = k + 1 == count ? last : std::clamp(rec.times.lowerBound(edge), from, last);
    if (to > from) column(from, to, rec.timeMs(from));
    from = to;
  }
}

}  // namespace

Curve analogCurve(const Recording& rec, int c, double fromMs, double toMs, int count, double shiftMs) {
  Curve out;
  if (c < 0 || c >= rec.values.size() || count <= 0 || !(toMs > fromMs)) return out;
  qsizetype first, last;
  span(rec, fromMs - shiftMs, toMs - shiftMs, first, last);
  const AnalogSamples& v = rec.values[c];
  if (last - first <= 2 * qsizetype(count)) {
    out.keys.reserve(last - first);
    out.values.reserve(last - first);
    for (qsizetype s = first; s < last; ++s) {
      out.keys << rec.timeMs(s) + shiftMs;
      out.values << v.at(s);
    }
    return out;
  }
  out.keys.reserve(2 * count);
  out.values.reserve(2 * count);
  columns(rec, first, last, fromMs - shiftMs, toMs - shiftMs, count, [&](qsizetype from, qsizetype to, double key) {
    double lo, hi;
    v.range(from, to, lo, hi);
    out.keys << key + shiftMs << key + shiftMs;
    out.values << lo << hi;
  });
  return out;
}

Curve digitalCurve(const Recording& rec, int c, double fromMs, double toMs, int count, double shiftMs) {
  Curve out;
  if (c < 0 || c >= rec.states.size() || count <= 0 || !(toMs > fromMs)) return out;
  qsizetype first, last;
  span(rec, fromMs - shiftMs, toMs - shiftMs, first, last);
  const DigitalSamples& d = rec.states[c];
  if (last - first <= 2 * qsizetype(count)) {
    for (qsizetype s = first; s < last; ++s) {
      out.keys << rec.timeMs(s) + shiftMs;
      out.values << (d.at(s) ? 1 : 0);
    }
    return out;
  }
  columns(rec, first, last, fromMs - shiftMs, toMs - shiftMs, count, [&](qsizetype from, qsizetype to, double key) {
    const bool on = d.anyOn(from, to), off = d.anyOff(from, to);
    // The state the column starts with first, so that a step keeps its side.
    const bool starts = d.at(from);
    out.keys << key + shiftMs;
    out.values << (starts ? 1 : 0);
    if (on && off) {
      out.keys << key + shiftMs;
      out.values << (starts ? 0 : 1);
    }
  });
  return out;
}

}  // namespace vmk::oscview
