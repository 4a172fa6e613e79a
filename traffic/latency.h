#pragma once
// Response times of one address: the count, the exact minimum and maximum,
// and the median from a histogram with buckets 2 % wide, so that a day of
// replies takes the same few kilobytes as the first hour.

#include <QtGlobal>
#include <array>
#include <cstdint>

namespace vmk::traffic {

class Latency {
 public:
  void add(qint64 us);
  qint64 count() const { return m_count; }
  // Microseconds; 0 while nothing was added.
  qint64 min() const { return m_count ? m_min : 0; }
  qint64 max() const { return m_count ? m_max : 0; }
  // Within 2 % of the true median, and never outside min..max.
  qint64 median() const;

 private:
  static constexpr int kBuckets = 1024;  // 1.02^1024 us is far beyond any time-out
  std::array<std::uint32_t, kBuckets> m_buckets{};
  qint64 m_count = 0;
  qint64 m_min = 0;
  qint64 m_max = 0;
};

}  // namespace vmk::traffic
