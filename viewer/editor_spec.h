#pragma once
// Which editor a register gets and the range it enforces, as the table of
// ranges (ranges/value_ranges.h) gives them, with the names of the bits and
// items. The editor value is the one the configurator hands over: a whole
// number, a scaled decimal in steps of 1/scale, a bit set, or an index into
// a list.

#include <QString>
#include <QStringList>
#include <cstdint>

namespace vmk::view {

struct EditorSpec {
  enum Kind { Number, Decimal, BitSet, Choice };
  Kind kind = Number;
  // Number: min..max in steps of `step`, in `unit`.
  // Decimal: the editor value counts steps of 1 / scale; min and max are in
  //          those steps, shown with `decimals` digits.
  std::int64_t min = 0;
  std::int64_t max = 65535;
  int step = 1;
  int scale = 1;
  int decimals = 0;
  QString unit;
  // BitSet: one named check box per bit, bit 0 first.
  QStringList bitNames;
  // Choice: item i has editor value i.
  QStringList items;
  // The earth-fault current, shown with its secondary amperes too.
  bool earthCurrent = false;
};

// The editor of a register: parameter registers 64..223, settings 256..293
// (group 1) and 512..549 (group 2). Any other register gets a plain number
// 0..65535.
EditorSpec specForRegister(std::uint16_t reg);

}  // namespace vmk::view
