#include "params/range_check.h"

#include <QStringList>

#include "params/catalogue.h"
#include "params/decimal_text.h"
#include "params/messages.h"
#include "ranges/value_ranges.h"

namespace vmk {

namespace {

// The editor value of a written word is word x num / den.
struct Ratio {
  std::int64_t num = 1;
  std::int64_t den = 1;
};

std::optional<Ratio> editorPerWord(const RowSpec& row) {
  switch (row.kind) {
    case RowKind::Integer:
    case RowKind::LowByte:
    case RowKind::ActiveGroup:  // number - 1 both ways
    case RowKind::Bits:
    case RowKind::WideBits:
    case RowKind::Characteristic: return Ratio{};
    case RowKind::Milliseconds: return Ratio{10, 1};  // the device counts tens
    case RowKind::Scaled: return Ratio{row.editScale, row.writeScale};
    case RowKind::Heading:
    case RowKind::Password:
    case RowKind::Toggle: return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

std::optional<QString> outOfRange(const RowSpec& row, int reg,
                                  const QVector<std::uint16_t>& words, const QLocale& locale) {
  if (words.isEmpty() || reg < 0 || reg > 0xFFFF) return std::nullopt;
  const std::optional<ranges::ValueRange> range = ranges::rangeOf(std::uint16_t(reg));
  const std::optional<Ratio> ratio = editorPerWord(row);
  if (!range || !ratio) return std::nullopt;
  // Two-register rows: the register holds the low half.
  std::int64_t value = words[0];
  if (words.size() > 1) value |= std::int64_t(words[1]) << 16;
  // min <= value x num / den <= max, in whole numbers.
  const std::int64_t scaled = value * ratio->num;
  if (scaled >= range->min * ratio->den && scaled <= range->max * ratio->den) return std::nullopt;
  return range->text(gridLocale(locale));
}

QString rangeList(const QVector<RangeViolation>& rows) {
  QStringList lines;
  for (const RangeViolation& v : rows)
    lines << QStringLiteral("«%1» = «%2»: допустимо %3").arg(v.row.caption, v.row.text, v.range);
  return lines.join(u'\n');
}

QString rangeQuestion(const QVector<RangeViolation>& rows) {
  return kOutOfRange + rangeList(rows) + kWriteAnyway;
}

}  // namespace vmk
