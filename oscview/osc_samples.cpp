#include "oscview/osc_samples.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace vmk::oscview {

namespace {
constexpr qint16 kMissing16 = std::numeric_limits<qint16>::min();
constexpr qint32 kMissing32 = std::numeric_limits<qint32>::min();
const float kNaN = std::numeric_limits<float>::quiet_NaN();
}  // namespace

void AnalogSamples::reset(Form form, qsizetype count) {
  m_form = form;
  m_size = count;
  m_bytes.assign(std::size_t(count) * std::size_t(width()), 0);
  m_blockMin.clear();
  m_blockMax.clear();
  for (qsizetype s = 0; s < count; ++s) setMissing(s);
}

void AnalogSamples::setScale(double scale, double offset, bool marks) {
  m_scale = scale;
  m_offset = offset;
  m_marks = marks;
}

void AnalogSamples::setInt(qsizetype s, qint32 raw) {
  std::uint8_t* at = m_bytes.data() + std::size_t(s) * std::size_t(width());
  if (m_form == Form::Int16) {
    const qint16 v = qint16(raw);
    std::memcpy(at, &v, 2);
  } else if (m_form == Form::Int32) {
    std::memcpy(at, &raw, 4);
  } else {
    const float v = float(raw);
    std::memcpy(at, &v, 4);
  }
}

void AnalogSamples::setFloat(qsizetype s, float raw) {
  std::memcpy(m_bytes.data() + std::size_t(s) * 4, &raw, 4);
}

void AnalogSamples::setMissing(qsizetype s) {
  if (m_form == Form::Float32) setFloat(s, kNaN);
  else setInt(s, m_form == Form::Int16 ? kMissing16 : kMissing32);
}

void AnalogSamples::toFloat() {
  if (m_form != Form::Int32) return;
  for (qsizetype s = 0; s < m_size; ++s) {
    qint32 raw;
    std::memcpy(&raw, m_bytes.data() + std::size_t(s) * 4, 4);
    const float v = raw == kMissing32 && m_marks ? kNaN : float(raw);
    std::memcpy(m_bytes.data() + std::size_t(s) * 4, &v, 4);
  }
  m_form = Form::Float32;
}

double AnalogSamples::at(qsizetype s) const {
  const std::uint8_t* p = m_bytes.data() + std::size_t(s) * std::size_t(width());
  switch (m_form) {
    case Form::Int16: {
      qint16 v;
      std::memcpy(&v, p, 2);
      if (v == kMissing16 && m_marks) return std::nan("");
      return v * m_scale + m_offset;
    }
    case Form::Int32: {
      qint32 v;
      std::memcpy(&v, p, 4);
      if (v == kMissing32 && m_marks) return std::nan("");
      return v * m_scale + m_offset;
    }
    case Form::Float32: {
      float v;
      std::memcpy(&v, p, 4);
      return std::isfinite(v) ? v * m_scale + m_offset : std::nan("");
    }
  }
  return std::nan("");
}

void AnalogSamples::finish() {
  const qsizetype blocks = (m_size + kBlock - 1) / kBlock;
  m_blockMin.assign(std::size_t(blocks), std::nan(""));
  m_blockMax.assign(std::size_t(blocks), std::nan(""));
  for (qsizetype b = 0; b < blocks; ++b) {
    double lo = std::nan(""), hi = std::nan("");
    const qsizetype end = std::min(m_size, (b + 1) * kBlock);
    for (qsizetype s = b * kBlock; s < end; ++s) {
      const double v = at(s);
      if (std::isnan(v)) continue;
      if (!(v >= lo)) lo = v;
      if (!(v <= hi)) hi = v;
    }
    m_blockMin[std::size_t(b)] = lo;
    m_blockMax[std::size_t(b)] = hi;
  }
}

void AnalogSamples::range(qsizetype from, qsizetype to, double& lo, double& hi) const {
  lo = hi = std::nan("");
  from = std::max<qsizetype>(from, 0);
  to = std::min(to, m_size);
  auto take = [&](double l, double h) {
    if (std::isnan(l)) return;
    if (!(l >= lo)) lo = l;
    if (!(h <= hi)) hi = h;
  };
  qsizetype s = from;
  const bool blocks = !m_blockMin.empty();
  while (s < to) {
    if (blocks && s % kBlock == 0 && s + kBlock <= to) {
      const std::size_t b = std::size_t(s / kBlock);
      take(m_blockMin[b], m_blockMax[b]);
      s += kBlock;
    } else {
      const double v = at(s++);
      take(v, v);
    }
  }
}

void DigitalSamples::reset(qsizetype count) {
  m_size = count;
  m_words.assign(std::size_t((count + 63) / 64), 0);
}

bool DigitalSamples::any(qsizetype from, qsizetype to, bool on) const {
  from = std::max<qsizetype>(from, 0);
  to = std::min(to, m_size);
  while (from < to) {
    const std::size_t w = std::size_t(from >> 6);
    const int first = int(from & 63);
    const int last = int(std::min<qsizetype>(to - (from - first), 64));  // bits [first, last) of word w
    std::uint64_t word = on ? m_words[w] : ~m_words[w];
    word >>= first;
    if (last - first < 64) word &= (std::uint64_t(1) << (last - first)) - 1;
    if (word) return true;
    from += last - first;
  }
  return false;
}

bool DigitalSamples::anyOn(qsizetype from, qsizetype to) const { return any(from, to, true); }
bool DigitalSamples::anyOff(qsizetype from, qsizetype to) const { return any(from, to, false); }

void TimeAxis::fromRates(const std::vector<double>& hz, const std::vector<qint64>& ends, qsizetype count,
                         double firstMs) {
  m_stamps.clear();
  m_runs.clear();
  m_count = count;
  double start = firstMs;
  qsizetype first = 0;
  for (std::size_t r = 0; r < hz.size() && first < count; ++r) {
    const double step = 1000.0 / hz[r];
    // A run's first sample follows the last of the one before by its own step.
    if (first > 0) start = m_runs.back().startMs + double(first - 1 - m_runs.back().first) * m_runs.back().stepMs + step;
    m_runs.push_back({first, start, step});
    const bool last = r + 1 == hz.size();
    first = last ? count : std::max<qsizetype>(first, qsizetype(ends[r]));
  }
  if (m_runs.empty()) m_runs.push_back({0, firstMs, 1});
}

void TimeAxis::fromStamps(std::vector<qint64> stamps, double stampMs, double firstMs) {
  m_runs.clear();
  m_stamps = std::move(stamps);
  m_stampMs = stampMs;
  m_firstMs = firstMs;
  m_count = qsizetype(m_stamps.size());
}

const TimeAxis::Run& TimeAxis::runOf(qsizetype s) const {
  auto it = std::upper_bound(m_runs.begin(), m_runs.end(), s, [](qsizetype v, const Run& r) { return v < r.first; });
  return *(it - 1);
}

double TimeAxis::at(qsizetype s) const {
  if (!m_stamps.empty()) return double(m_stamps[std::size_t(s)]) * m_stampMs + m_firstMs;
  const Run& r = runOf(s);
  return r.startMs + double(s - r.first) * r.stepMs;
}

qsizetype TimeAxis::lowerBound(double ms) const {
  if (m_count == 0) return 0;
  if (!m_stamps.empty()) {
    qsizetype lo = 0, hi = m_count;
    while (lo < hi) {
      const qsizetype mid = (lo + hi) / 2;
      if (at(mid) < ms) lo = mid + 1;
      else hi = mid;
    }
    return lo;
  }
  // The run that holds `ms`, then the sample within it.
  auto it = std::upper_bound(m_runs.begin(), m_runs.end(), ms, [](double v, const Run& r) { return v < r.startMs; });
  if (it == m_runs.begin()) return 0;
  const Run& r = *(it - 1);
  const qsizetype end = it == m_runs.end() ? m_count : it->first;
  const double k = std::ceil((ms - r.startMs) / r.stepMs - 1e-9);
  if (k >= double(end - r.first)) return end;
  return r.first + qsizetype(std::max(0.0, k));
}

qsizetype TimeAxis::nearest(double ms) const {
  if (m_count == 0) return -1;
  const qsizetype after = lowerBound(ms);
  if (after == 0) return 0;
  if (after >= m_count) return m_count - 1;
  return (at(after) - ms) < (ms - at(after - 1)) ? after : after - 1;
}

double TimeAxis::rateAt(qsizetype s) const {
  if (m_count == 0) return 0;
  if (m_stamps.empty()) return 1000.0 / runOf(s).stepMs;
  const qsizetype a = std::max<qsizetype>(0, s - 16), b = std::min(m_count - 1, s + 16);
  const double span = at(b) - at(a);
  return b > a && span > 0 ? 1000.0 * double(b - a) / span : 0;
}

}  // namespace vmk::oscview
