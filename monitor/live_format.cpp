#include "monitor/live_format.h"

#include <cmath>

namespace vmk {

static std::int64_t power10(int n) {
  std::int64_t p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

QString formatCurrent(std::int64_t units, int scale, const QLocale& locale) {
  const bool negative = units < 0;
  std::uint64_t value = negative ? std::uint64_t(0) - std::uint64_t(units) : std::uint64_t(units);
  const std::uint64_t one = std::uint64_t(power10(scale));

  int decimals = 3;
  if (value > 100 * one)
    decimals = 0;
  else if (value > 10 * one)
    decimals = 1;
  else if (value > one)
    decimals = 2;

  // Bring the value to `decimals` digits after the point.
  if (decimals < scale) {
    const std::uint64_t div = std::uint64_t(power10(scale - decimals));
    std::uint64_t q = value / div;
    const std::uint64_t r = value % div;
    if (2 * r > div || (2 * r == div && (q & 1))) ++q;
    value = q;
  } else {
    value *= std::uint64_t(power10(decimals - scale));
  }
  const std::uint64_t unit = std::uint64_t(power10(decimals));
  QString text = QString::number(value / unit);
  if (decimals > 0)
    text += locale.decimalPoint() +
            QStringLiteral("%1").arg(value % unit, decimals, 10, QLatin1Char('0'));
  if (negative && value != 0) text.prepend(QLatin1Char('-'));
  return text + QStringLiteral(" A");
}

QString formatFixed(double value, int decimals, const QLocale& locale) {
  QString text = QString::number(value, 'f', decimals);
  text.replace(QLatin1Char('.'), locale.decimalPoint());
  return text;
}

std::optional<double> parseDecimal(const QString& text, const QLocale& locale) {
  QString t = text.trimmed();
  const QString point = locale.decimalPoint();
  if (point != QLatin1String(".")) {
    // "1.234,5" is no number here: a "." is only a separator when the
    // locale's own one is absent.
    if (t.contains(point) && t.contains(QLatin1Char('.'))) return std::nullopt;
    t.replace(point, QStringLiteral("."));
  }
  QLocale c = QLocale::c();
  c.setNumberOptions(QLocale::RejectGroupSeparator);
  bool ok = false;
  const double value = c.toDouble(t, &ok);
  if (!ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace vmk
