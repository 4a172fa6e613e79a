#include "ranges/number_text.h"

namespace vmk {

namespace {

constexpr std::int64_t kLimit = 1'000'000'000'000'000;  // 10^15
constexpr std::int64_t kWholeLimit = 1'000'000;

std::int64_t pow10(int n) {
  std::int64_t p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

struct Parsed {
  bool negative = false;
  QString whole;
  QString fraction;  // trailing zeros removed
};

// `decimals`: whether a fraction may follow a separator.
std::optional<Parsed> split(const QString& text, bool decimals) {
  QString t = text.trimmed();
  Parsed p;
  if (t.startsWith(u'-') || t.startsWith(u'+')) {
    p.negative = t.startsWith(u'-');
    t.remove(0, 1);
  }
  qsizetype at = -1;
  if (decimals)
    for (qsizetype i = 0; i < t.size() && at < 0; ++i)
      if (t[i] == u',' || t[i] == u'.') at = i;
  p.whole = at < 0 ? t : t.left(at);
  p.fraction = at < 0 ? QString() : t.mid(at + 1);
  if (p.whole.isEmpty() && p.fraction.isEmpty()) return std::nullopt;
  for (const QString* part : {&p.whole, &p.fraction})
    for (QChar c : *part)
      if (c < u'0' || c > u'9') return std::nullopt;
  while (p.fraction.endsWith(u'0')) p.fraction.chop(1);
  return p;
}

std::int64_t digits(const QString& text) {
  std::int64_t v = 0;
  for (QChar c : text) v = v * 10 + (c.unicode() - u'0');
  return v;
}

// The whole part, or nothing beyond 10^6.
std::optional<std::int64_t> wholePart(const QString& text) {
  std::int64_t whole = 0;
  for (QChar c : text) {
    whole = whole * 10 + (c.unicode() - u'0');
    if (whole > kWholeLimit) return std::nullopt;
  }
  return whole;
}

}  // namespace

std::optional<std::int64_t> parseInteger(const QString& text) {
  auto p = split(text, false);
  if (!p || p->whole.isEmpty()) return std::nullopt;
  std::int64_t v = 0;
  for (QChar c : p->whole) {
    v = v * 10 + (c.unicode() - u'0');
    if (v > kLimit) { v = kLimit; break; }
  }
  return p->negative ? -v : v;
}

std::optional<std::int64_t> parseScaled(const QString& text, int scale) {
  auto p = split(text, true);
  if (!p) return std::nullopt;
  // More than nine significant fraction digits are no grid text and are
  // refused rather than rounded twice.
  if (p->fraction.size() > 9) return std::nullopt;
  const std::optional<std::int64_t> whole = wholePart(p->whole);
  if (!whole) return p->negative ? -kLimit : kLimit;
  const std::int64_t unit = pow10(int(p->fraction.size()));
  // (whole + frac / unit) x scale, in units of 1 / unit.
  const std::int64_t n = *whole * scale * unit + digits(p->fraction) * scale;
  std::int64_t q = n / unit;
  const std::int64_t r = n % unit;
  if (2 * r > unit || (2 * r == unit && (q & 1))) ++q;
  if (q > kLimit) q = kLimit;
  return p->negative ? -q : q;
}

std::optional<std::int64_t> parseExact(const QString& text, int scale) {
  auto p = split(text, true);
  if (!p || p->fraction.size() > 9) return std::nullopt;
  const std::int64_t unit = pow10(int(p->fraction.size()));
  if (scale <= 0 || (std::int64_t(scale) * digits(p->fraction)) % unit != 0) return std::nullopt;
  const std::optional<std::int64_t> whole = wholePart(p->whole);
  if (!whole) return p->negative ? -kLimit : kLimit;
  const std::int64_t v = *whole * scale + digits(p->fraction) * scale / unit;
  return p->negative ? -v : v;
}

}  // namespace vmk
