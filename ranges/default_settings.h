#pragma once
// The default settings of a new settings file (vmkctl params new): one set
// per device variant, ВМК-01.01, -02 and -03, as the value text of each
// register, keyed as the table of ranges is (parameters by register,
// settings by offset in the group). docs/default-settings.md shows it; the
// tests keep the two equal and every default inside its range.
//
// The choice is conservative: no protection acts and no relay is assigned
// to the breaker until the engineer sets them; see the document.

#include <QString>
#include <QVector>
#include <array>
#include <optional>

#include "ranges/value_ranges.h"

namespace vmk::ranges {

// Variants 1..3: ВМК-01.01, ВМК-01.02, ВМК-01.03.
constexpr int kVariantCount = 3;

struct DefaultEntry {
  Scope scope = Scope::Parameter;
  QVector<int> registers;  // the registers (offsets) that share the value
  QString rows;            // the rows, as the documentation names them
  // The value text per variant, as a read of the device shows it (the
  // decimal point "."); bit strings highest bit first.
  std::array<QString, kVariantCount> texts;
};

// The whole table: parameters first, then settings.
const QVector<DefaultEntry>& defaultTable();

// The default text of a register (a setting's offset) for `variant`
// (1..3); nothing for a register without a default or another variant.
std::optional<QString> defaultText(int variant, Scope scope, int reg);

}  // namespace vmk::ranges
