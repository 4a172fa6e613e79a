#include "params/decimal_text.h"

namespace vmk {

namespace {

std::int64_t pow10(int n) {
  std::int64_t p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

// q = n / d rounded half to even, for n >= 0, d > 0.
std::int64_t divideHalfEven(std::int64_t n, std::int64_t d) {
  std::int64_t q = n / d;
  const std::int64_t r = n % d;
  if (2 * r > d || (2 * r == d && (q & 1))) ++q;
  return q;
}

}  // namespace

QLocale gridLocale(const QLocale& locale) {
  QLocale l(locale);
  l.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
  return l;
}

QString formatScaled(std::int64_t value, int divisor, int decimals, const QLocale& locale) {
  const bool negative = value < 0;
  const std::int64_t magnitude = negative ? -value : value;
  const std::int64_t unit = pow10(decimals);
  const std::int64_t q = divideHalfEven(magnitude * unit, divisor);
  QString out = negative && q != 0 ? QStringLiteral("-") : QString();
  out += QString::number(q / unit);
  if (decimals > 0)
    out += locale.decimalPoint() + QString::number(q % unit).rightJustified(decimals, u'0');
  return out;
}

std::int64_t scaledAsShown(std::int64_t value, int divisor, int decimals, int scale) {
  const std::int64_t unit = pow10(decimals);
  return divideHalfEven(divideHalfEven(value * unit, divisor) * scale, unit);
}

}  // namespace vmk
