#include "params/change_view.h"

#include "device/codecs.h"
#include "extlib/registers.h"
#include "extlib/wire_table.h"
#include "params/messages.h"

namespace vmk {

namespace m = msg::values;

std::optional<RegisterRow> rowOfRegister(int reg) {
  RegisterRow at;
  int key = reg;
  if (reg >= reg::kParamFirst && reg <= reg::kParamLast) {
    at.grid = 1;
  } else {
    for (int group : {1, 2})
      if (reg::groupBlock(group).contains(reg)) {
        at.grid = 2;
        at.group = group;
        key = reg - groupBase(group);
      }
    if (at.group == 0) return std::nullopt;
  }
  const QVector<RowSpec>& rows = rowsOf(at.grid);
  for (int i = 0; i < rows.size(); ++i) {
    if (!rows[i].isData()) continue;
    at.row = i;
    at.highPart = rows[i].isTwoRegister() && rows[i].reg + 1 == key;
    if (rows[i].reg == key || at.highPart) return at;
  }
  return std::nullopt;
}

namespace {

// The words of the row around the one register written: the register's
// word in its place, the other word of a two-register row 0 (so that only
// the written part differs).
QVector<std::uint16_t> placed(const RegisterRow& at, std::uint16_t word) {
  return at.highPart ? QVector<std::uint16_t>{0, word} : QVector<std::uint16_t>{word, 0};
}

// One register of a row as the grid shows it; a part of a two-register
// row as its own bits.
QString wordText(const RowSpec& row, const RegisterRow& at, std::uint16_t word,
                 const QLocale& locale) {
  if (row.kind == RowKind::WideBits) return LowBitsStr(word, at.highPart ? row.bits : 16);
  return textFromWords(row, word, 0, locale);
}

QString captionOf(const RowSpec& row, const RegisterRow& at) {
  QString caption = row.caption;
  if (row.isTwoRegister()) caption = (at.highPart ? m::kHighPart : m::kLowPart).arg(caption);
  return at.grid == 2 ? m::kGroupRow.arg(at.group).arg(caption) : caption;
}

// A command code as the device documentation writes it: four hex digits.
QString hexCode(int code) { return QStringLiteral("%1").arg(code, 4, 16, QLatin1Char('0')); }

// The caption of a change no grid row shows.
QString plainCaption(const DeviceChange& c) {
  const int code = c.reg.value_or(0);
  switch (c.function) {
    case wire::kWriteRegister:
      if (code == reg::kPassword || code == reg::kPasswordLow) return m::kPassword;
      return m::kRegister.arg(code);
    case wire::kWriteCoil: return m::kCommand.arg(hexCode(code));
    case wire::kWriteMultiple: return m::kClock;
    case wire::kService: return m::kService.arg(code);
    case wire::kCalibration: return m::kCalibration.arg(code);
  }
  return m::kRegister.arg(code);
}

QString detailOf(const DeviceChange& c) {
  const QString target = c.function == wire::kWriteCoil
                             ? m::kDetailCode.arg(hexCode(c.reg.value_or(0)))
                             : m::kDetailRegister.arg(c.reg ? QString::number(*c.reg) : m::kUnknown);
  return m::kDetail.arg(c.function)
      .arg(target, c.before ? QString::number(*c.before) : m::kUnknown, c.after);
}

}  // namespace

ChangeView viewOfChange(const DeviceChange& c, const BitNames& names, const QLocale& locale) {
  ChangeView v;
  v.detail = detailOf(c);
  bool isWord = false;
  const uint sent = c.after.toUInt(&isWord);
  const std::optional<RegisterRow> at = c.function == wire::kWriteRegister && c.reg && isWord &&
                                                sent <= 0xFFFF
                                            ? rowOfRegister(*c.reg)
                                            : std::nullopt;
  if (!at) {
    v.caption = plainCaption(c);
    v.before = c.before ? QString::number(*c.before) : QString();
    v.after = c.after;
    if (c.readValue) v.readValue = QString::number(*c.readValue);
    return v;
  }
  const RowSpec& row = rowsOf(at->grid)[at->row];
  const int rowReg = registerOfRow(at->grid, row, at->group);
  const QString unit = unitOf(rowReg);
  auto shown = [&](std::uint16_t word) { return withUnit(wordText(row, *at, word, locale), unit); };
  v.caption = captionOf(row, *at);
  v.after = shown(std::uint16_t(sent));
  if (c.before) v.before = shown(*c.before);
  if (c.readValue) v.readValue = shown(*c.readValue);
  // Not knowing what was there, the bits the write sets are named.
  v.bits = bitDifference(row, rowReg, placed(*at, c.before.value_or(0)),
                         placed(*at, std::uint16_t(sent)), names);
  return v;
}

}  // namespace vmk
