#pragma once
// Decimal texts of the grids, in the user's locale, converted exactly: a
// text is read as the decimal the engineer typed (not as the nearest binary
// double), multiplied by a whole scale and rounded half to even.

#include <QLocale>
#include <QString>
#include <cstdint>
#include <optional>

namespace vmk {

// The locale the grids use: its decimal separator both ways, no group
// separators written or accepted ("1,50" is never read as 150).
QLocale gridLocale(const QLocale& locale);

// value / divisor with exactly `decimals` digits after the locale's decimal
// separator, rounded half to even ("%.2f" of word / 500).
QString formatScaled(std::int64_t value, int divisor, int decimals, const QLocale& locale);

// A whole number: optional sign, digits, blanks around allowed. Nothing
// when the text is not such a number. Values beyond +-10^15 are held there.
std::optional<std::int64_t> parseInteger(const QString& text);

// text x scale, rounded to the nearest integer, half-way cases to the even
// neighbour. The text is an optional sign, digits, and optionally the
// locale's decimal separator and more digits. Nothing when it is not such
// a number (also more than nine significant fraction digits). Whole
// parts beyond 10^6 (scale at most 1000) give +-10^15.
std::optional<std::int64_t> parseScaled(const QString& text, int scale, const QLocale& locale);

}  // namespace vmk
