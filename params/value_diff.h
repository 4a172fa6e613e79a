#pragma once
// How a change of a row's value reads to an engineer: the bits of a bit
// string named as the value editor names them, and the unit of a value.
// The comparison, the change log and the write preview show values so.

#include <QString>
#include <QVector>
#include <cstdint>
#include <functional>

#include "params/catalogue.h"

namespace vmk {

// The name of item `index` of signal list `list` (the viewer library's
// names); may be empty/null: then bits are named "бит N".
using BitNames = std::function<QString(int list, int index)>;

// The bits that differ between two bit-string values of a row, named:
// "+ Пуск МТЗ-2, − Работа ЗНЗ" (+ set in `after`, − cleared), the set ones
// first, each in bit order. `reg` is the row's register (a setting's in
// either group); the words are the row's register, then register + 1 for
// a two-register row (a missing word counts as 0). Empty when the row is
// no bit-string row or nothing differs.
QString bitDifference(const RowSpec& row, int reg, const QVector<std::uint16_t>& before,
                      const QVector<std::uint16_t>& after, const BitNames& names);

// The unit of a row's value ("А", "с", "In"...; empty when none): from the
// ranges table.
QString unitOf(int reg);

// A value text with its unit after a space ("22,50 In"); the text alone
// when there is no unit or no text.
QString withUnit(const QString& text, const QString& unit);

// The register a catalogue row of grid `grid` (1 Grid1, 2 grdSett) stands
// for: a parameter's own, a setting's in group `group`.
int registerOfRow(int grid, const RowSpec& row, int group = 1);

}  // namespace vmk
