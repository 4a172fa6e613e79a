#include "params/decimal_text.h"

namespace vmk {

namespace {

constexpr std::int64_t kLimit = 1'000'000'000'000'000;  // 10^15

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

struct Parsed {
  bool negative = false;
  QString whole;
  QString fraction;
};

std::optional<Parsed> split(const QString& text, const QString& point) {
  QString t = text.trimmed();
  Parsed p;
  if (t.startsWith(u'-') || t.startsWith(u'+')) {
    p.negative = t.startsWith(u'-');
    t.remove(0, 1);
  }
  const qsizetype at = point.isEmpty() ? -1 : t.indexOf(point);
  p.whole = at < 0 ? t : t.left(at);
  p.fraction = at < 0 ? QString() : t.mid(at + point.size());
  if (p.whole.isEmpty() && p.fraction.isEmpty()) return std::nullopt;
  for (const QString* part : {&p.whole, &p.fraction})
    for (QChar c : *part)
      if (c < u'0' || c > u'9') return std::nullopt;
  if (at >= 0 && p.fraction.isEmpty() && p.whole.isEmpty()) return std::nullopt;
  return p;
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

std::optional<std::int64_t> parseInteger(const QString& text) {
  auto p = split(text, QString());
  if (!p || p->whole.isEmpty()) return std::nullopt;
  std::int64_t v = 0;
  for (QChar c : p->whole) {
    v = v * 10 + (c.unicode() - u'0');
    if (v > kLimit) { v = kLimit; break; }
  }
  return p->negative ? -v : v;
}

std::optional<std::int64_t> parseScaled(const QString& text, int scale, const QLocale& locale) {
  auto p = split(text, locale.decimalPoint());
  if (!p) return std::nullopt;
  // Trailing zeros change nothing; more than nine significant fraction
  // digits are not a grid text and are refused rather than rounded twice.
  QString fraction = p->fraction;
  while (fraction.endsWith(u'0')) fraction.chop(1);
  if (fraction.size() > 9) return std::nullopt;
  std::int64_t whole = 0;
  for (QChar c : p->whole) {
    whole = whole * 10 + (c.unicode() - u'0');
    if (whole > 1'000'000) return p->negative ? -kLimit : kLimit;
  }
  std::int64_t frac = 0;
  for (QChar c : fraction) frac = frac * 10 + (c.unicode() - u'0');
  const std::int64_t unit = pow10(int(fraction.size()));
  // (whole + frac / unit) x scale, in units of 1 / unit.
  const std::int64_t n = whole * scale * unit + frac * scale;
  std::int64_t q = n / unit;
  const std::int64_t r = n % unit;
  if (2 * r > unit || (2 * r == unit && (q & 1))) ++q;
  if (q > kLimit) q = kLimit;
  return p->negative ? -q : q;
}

}  // namespace vmk
