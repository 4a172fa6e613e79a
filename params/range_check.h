#pragma once
// The engineering ranges of the rows about to be written: the value editor
// holds every value to its range, but a settings file or a script can carry
// any text that converts and fits 16 bits (a 600 s stage time). Each row is
// checked against the same table the editor uses (ranges/value_ranges.h),
// on the words it would send, so what is checked is what the relay gets.

#include <QLocale>
#include <QString>
#include <QVector>
#include <cstdint>
#include <optional>

#include "params/param_row.h"

namespace vmk {

struct RowSpec;

// A row whose value lies outside its range.
struct RangeViolation {
  ParamRow row;   // caption, text, register(s), the words it would send
  QString range;  // "от 0.00 до 100.00 с", in the grid's locale
};

// The allowed range of a row when the words it would write lie outside
// it; nothing when they lie inside or the register has no range.
// `reg` is the row's first register.
std::optional<QString> outOfRange(const RowSpec& row, int reg,
                                  const QVector<std::uint16_t>& words, const QLocale& locale);

// The warning box: every row, its value and its allowed range, and the
// question whether to write them anyway.
QString rangeQuestion(const QVector<RangeViolation>& rows);
// The rows alone, one line each.
QString rangeList(const QVector<RangeViolation>& rows);

}  // namespace vmk
