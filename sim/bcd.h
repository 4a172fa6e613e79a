#pragma once
// Device time stamps: six BCD bytes, two-digit year first.

#include <QByteArray>
#include <QDateTime>
#include <cstdint>
#include <optional>

namespace vmk::sim {

inline std::uint8_t toBcd(int value) {
  return std::uint8_t(((value / 10) % 10) << 4 | (value % 10));
}

inline std::optional<int> fromBcd(std::uint8_t byte) {
  if ((byte >> 4) > 9 || (byte & 0x0F) > 9) return std::nullopt;
  return (byte >> 4) * 10 + (byte & 0x0F);
}

// YY MM DD hh mm ss.
inline QByteArray bcdStamp(const QDateTime& t) {
  const QDate d = t.date();
  const QTime tm = t.time();
  QByteArray out;
  for (int v : {d.year() % 100, d.month(), d.day(), tm.hour(), tm.minute(), tm.second()})
    out.append(char(toBcd(v)));
  return out;
}

// The moment of six BCD bytes (year 2000 + YY); nothing when a byte is not
// BCD or the numbers are not a date and time.
inline std::optional<QDateTime> fromBcdStamp(const QByteArray& six) {
  if (six.size() != 6) return std::nullopt;
  int v[6];
  for (int i = 0; i < 6; ++i) {
    const auto d = fromBcd(std::uint8_t(six[i]));
    if (!d) return std::nullopt;
    v[i] = *d;
  }
  const QDate date(2000 + v[0], v[1], v[2]);
  if (!date.isValid() || v[3] > 23 || v[4] > 59 || v[5] > 59) return std::nullopt;
  return QDateTime(date, QTime(v[3], v[4], v[5]));
}

}  // namespace vmk::sim
