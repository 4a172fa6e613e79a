#pragma once
// The engineering ranges of the parameters and settings: for each register
// the editor it gets and the values it may hold. One table, used by the
// value editor of the viewer library and by the check before writing;
// docs/settings-ranges.md shows it (a test keeps the two equal).
//
// Values are editor values: whole numbers, decimals counted in steps of
// 1 / scale (15 on a 0.1 s row is 1.5 s), bit sets, or list indexes.

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QVector>
#include <cstdint>
#include <optional>

namespace vmk::ranges {

enum class Editor {
  Number,   // a whole number, min..max in steps of `step`
  Decimal,  // min..max in steps of 1 / scale, shown with decimals()
  BitSet,   // `bits` named check boxes, bit 0 first
  Choice,   // one item of a list; item i has value i
};

// The lists of names the viewer library gives (its GetFuncAr kinds).
enum SignalList {
  kNoList = -1,
  kIndicators = 0,
  kRelays = 1,
  kInputs = 2,
  kActiveStages = 3,
  kBlockings = 4,
  kAccelerations = 5,
  kCharacteristics = 6,
  kRecorderChannels = 7,
};

struct ValueRange {
  Editor editor = Editor::Number;
  std::int64_t min = 0;
  std::int64_t max = 65535;
  int step = 1;   // Number: values are kept in whole steps (rounded down)
  int scale = 1;  // Decimal: editor steps per unit (10, 100 or 1000)
  QString unit;   // as the editor shows it: "А", "мс", "с", "In"; may be empty
  int bits = 0;   // BitSet: the number of check boxes
  int list = kNoList;  // BitSet, Choice: the list that names the bits or items
  QStringList names;   // BitSet, Choice without a list: the names themselves
  bool earthCurrent = false;  // the earth-fault current: amperes shown too

  // Digits after the separator: 3 for steps of 0.001, 2 for 0.01, 1 for 0.1.
  int decimals() const;
  // A value of the range as the editor and the check show it ("40,00").
  QString valueText(std::int64_t value, const QLocale& locale) const;
  // "от 0,05 до 40,00 In" (the unit only where the range has one).
  QString text(const QLocale& locale) const;
};

// Which registers an entry covers: parameter registers are absolute,
// settings are offsets from the group base and hold for both groups.
enum class Scope { Parameter, Setting };

struct RangeEntry {
  Scope scope = Scope::Parameter;
  QVector<int> registers;  // in the order the documentation lists them
  QString rows;            // the rows, as the documentation names them
  ValueRange range;
};

// The whole table: parameters first, then settings.
const QVector<RangeEntry>& rangeTable();

// The range of a register: parameters 64..223, settings 256..293 (group 1)
// and 512..549 (group 2). Nothing for a register without an entry (the
// editor then offers 0..65535 and no check applies).
std::optional<ValueRange> rangeOf(std::uint16_t reg);

}  // namespace vmk::ranges
