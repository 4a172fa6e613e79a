#pragma once
// Decimal texts of the grids, in the user's locale, converted exactly: a
// text is read as the decimal the engineer typed (not as the nearest binary
// double), multiplied by a whole scale and rounded half to even. Texts are
// read by ranges/number_text.h, with either decimal separator.

#include <QLocale>
#include <QString>
#include <cstdint>

#include "ranges/number_text.h"

namespace vmk {

// The locale the grids use: its decimal separator both ways, no group
// separators written or accepted ("1,50" is never read as 150).
QLocale gridLocale(const QLocale& locale);

// value / divisor with exactly `decimals` digits after the locale's decimal
// separator, rounded half to even ("%.2f" of word / 500).
QString formatScaled(std::int64_t value, int divisor, int decimals, const QLocale& locale);

// The text formatScaled gives for `value` read back at `scale` (as
// parseScaled reads it), without the text: value / divisor rounded to
// `decimals` digits, x scale, each step rounded half to even. value >= 0.
std::int64_t scaledAsShown(std::int64_t value, int divisor, int decimals, int scale);

}  // namespace vmk
