#include "params/value_diff.h"

#include <QStringList>

#include "extlib/registers.h"
#include "params/messages.h"
#include "ranges/value_ranges.h"

namespace vmk {

namespace {

// The row's bits as one number: the register's word, and for a
// two-register row the shown bits of register + 1 above it.
std::uint32_t bitsOf(const RowSpec& row, const QVector<std::uint16_t>& words) {
  const std::uint32_t low = words.value(0, 0);
  if (row.kind == RowKind::Bits) return row.bits >= 16 ? low : low & ((1u << row.bits) - 1);
  const std::uint32_t high = words.value(1, 0) & ((1u << row.bits) - 1);
  return high << 16 | low;
}

// What the value editor calls bit `bit` of the row's register.
QString bitName(const std::optional<ranges::ValueRange>& range, int bit, const BitNames& names) {
  QString name;
  if (range && range->editor == ranges::Editor::BitSet) {
    if (!range->names.isEmpty()) {
      name = range->names.value(bit);
    } else if (range->list != ranges::kNoList && names) {
      const bool channelBit = range->list == ranges::kRecorderChannels;
      name = names(range->list, channelBit ? reg::channelItemOfBit(bit) : bit);
    }
  }
  return name.isEmpty() ? msg::values::kBitN.arg(bit) : name;
}

}  // namespace

QString bitDifference(const RowSpec& row, int reg, const QVector<std::uint16_t>& before,
                      const QVector<std::uint16_t>& after, const BitNames& names) {
  if (row.kind != RowKind::Bits && row.kind != RowKind::WideBits) return {};
  const std::uint32_t was = bitsOf(row, before), is = bitsOf(row, after);
  if (was == is) return {};
  const std::optional<ranges::ValueRange> range =
      reg >= 0 && reg <= 0xFFFF ? ranges::rangeOf(std::uint16_t(reg)) : std::nullopt;
  QStringList set, cleared;
  for (int bit = 0; bit < row.bitWidth() && bit < 32; ++bit) {
    const bool wasSet = (was >> bit) & 1u;
    const bool isSet = (is >> bit) & 1u;
    if (wasSet == isSet) continue;
    const QString name = bitName(range, bit, names);
    if (isSet) set << QStringLiteral("+ ") + name;
    else cleared << QStringLiteral("− ") + name;
  }
  return (set + cleared).join(QStringLiteral(", "));
}

QString unitOf(int reg) {
  if (reg < 0 || reg > 0xFFFF) return {};
  const std::optional<ranges::ValueRange> range = ranges::rangeOf(std::uint16_t(reg));
  return range ? range->unit : QString();
}

QString withUnit(const QString& text, const QString& unit) {
  if (text.isEmpty() || unit.isEmpty()) return text;
  return text + QLatin1Char(' ') + unit;
}

int registerOfRow(int grid, const RowSpec& row, int group) {
  return grid == 2 ? groupBase(group) + row.reg : row.reg;
}

}  // namespace vmk
