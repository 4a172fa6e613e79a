#pragma once
// A change the log recorded, as the grids would show it: the row's caption
// (a setting with its group), the value before and after as the row's text
// with its unit, the bits of a bit string named, and the register and raw
// words kept as detail. Changes outside the catalogue (commands, the clock,
// service requests, registers without a row) read plainly.

#include <QLocale>
#include <QString>
#include <optional>

#include "device/device_change.h"
#include "params/value_diff.h"

namespace vmk {

// The catalogue row that shows a register.
struct RegisterRow {
  int grid = 1;           // 1 Grid1, 2 grdSett
  int row = 0;            // index in its grid
  int group = 0;          // settings: 1 or 2; 0 for a parameter
  bool highPart = false;  // register + 1 of a two-register row
};
// Parameters 64..223 by their own register, settings by group base +
// offset; nothing for a register no data row shows.
std::optional<RegisterRow> rowOfRegister(int reg);

struct ChangeView {
  QString caption;        // "Группа 1: Ток МТЗ-1, кратность In (A)", "Команда 0x3005"
  QString before, after;  // "40,00 In"; before empty when not known
  QString bits;           // "+ Пуск МТЗ-2, − Срабатывание ЗНЗ"; empty for other rows
  QString readValue;      // the value read back after the write, shown as `after`
  QString detail;         // "функция 6, регистр 261: 4000 → 2250"
};

ChangeView viewOfChange(const DeviceChange& c, const BitNames& names, const QLocale& locale);

}  // namespace vmk
