#include "traffic/latency.h"

#include <algorithm>
#include <cmath>

namespace vmk::traffic {

namespace {

const double kStep = std::log(1.02);

int bucketOf(qint64 us) {
  const int b = int(std::log(double(std::max<qint64>(us, 1))) / kStep);
  return std::clamp(b, 0, 1023);
}

}  // namespace

void Latency::add(qint64 us) {
  if (us < 0) return;
  if (m_count == 0 || us < m_min) m_min = us;
  if (m_count == 0 || us > m_max) m_max = us;
  ++m_count;
  ++m_buckets[std::size_t(bucketOf(us))];
}

qint64 Latency::median() const {
  if (m_count == 0) return 0;
  const qint64 half = (m_count + 1) / 2;
  qint64 seen = 0;
  for (int b = 0; b < kBuckets; ++b) {
    seen += m_buckets[std::size_t(b)];
    if (seen >= half) {
      // The middle of the bucket, on the log scale.
      const auto mid = qint64(std::llround(std::exp((b + 0.5) * kStep)));
      return std::clamp(mid, m_min, m_max);
    }
  }
  return m_max;
}

}  // namespace vmk::traffic
