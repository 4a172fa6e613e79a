#pragma once
// Number texts of page 1 with the user's decimal separator. No group
// separators: "1234,5 A", never "1 234,5 A".

#include <QLocale>
#include <QString>
#include <cstdint>
#include <optional>

namespace vmk {

// A current counted in units of 10^-scale A (scale 2: hundredths, as the
// phase registers; scale 3: milliamperes, as the earth registers), sized
// as the device's own display does: above 100 A "%.0f A", above 10 A
// "%.1f A", above 1 A "%.2f A", otherwise "%.3f A". The size test is made
// on the exact value, so exactly 1, 10 and 100 A take the next format
// down; dropped digits round half to even.
QString formatCurrent(std::int64_t units, int scale, const QLocale& locale);

// `value` with `decimals` decimals and the locale's separator.
QString formatFixed(double value, int decimals, const QLocale& locale);

// A decimal number typed by the user: the locale's separator or "." are
// both taken; blanks around it are ignored. Nothing when the text is not a
// finite number.
std::optional<double> parseDecimal(const QString& text, const QLocale& locale);

}  // namespace vmk
