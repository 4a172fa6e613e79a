#include "journals/journal_rows.h"

#include <QJsonArray>

#include "device/codecs.h"
#include "journals/journal_grids.h"
#include "journals/messages.h"
#include "model/text_grid.h"

namespace vmk {

namespace {

namespace m = msg::journals;

// The state columns: 4..9 outputs (WDT, Dout5..Dout1), 10..15 inputs.
constexpr int kFirstOutputColumn = 4;
constexpr int kFirstInputColumn = 10;
constexpr int kStateBits = 6;

}  // namespace

JournalRow eventRow(const EventEntry& e) {
  QStringList cells(journals::kEventColumns, QString());
  cells[0] = m::kRowNumber.arg(e.record + 1);
  if (e.noEvent) {
    cells[1] = m::kNoEvent;
    return {e.record, cells};
  }
  cells[1] = e.stamp.isValid() ? eventStampText(e.stamp, e.hundredths) : m::kStampUndefined;
  cells[2] = e.texts.name;
  cells[3] = e.texts.info;
  const QString outputs = LowBitsStr(e.outputs, kStateBits);
  const QString inputs = LowBitsStr(e.inputs, kStateBits);
  for (int i = 0; i < kStateBits; ++i) {
    cells[kFirstOutputColumn + i] = outputs.mid(i, 1);
    cells[kFirstInputColumn + i] = inputs.mid(i, 1);
  }
  return {e.record, cells};
}

JournalRow counterRow(const StatCounter& c) {
  return {c.index, {QString::number(c.index + 1), c.name, QString::number(c.value)}};
}

JournalRow alarmRow(const AlarmRow& a) {
  if (!a.valid) return {a.entry, {m::kNoData, QString(), m::kNoEntry}};
  return {a.entry,
          {FormatDateTime(a.when), m::kAlarmRecord.arg(a.entry + 1), QString::number(a.entry),
           QString::number(a.phaseRatio), QString::number(a.earthRatio)}};
}

bool showRow(TextGrid& grid, const JournalRow& row) {
  if (row.row < 0 || row.row >= grid.rowCount()) return false;
  for (int c = 0; c < row.cells.size() && c < grid.columnCount(); ++c) grid.setCell(c, row.row, row.cells[c]);
  return true;
}

QStringList tableCells(const JournalRow& row, int columns) {
  QStringList cells = row.cells.mid(0, columns);
  while (cells.size() < columns) cells << QString();
  return cells;
}

// ---- JSON ------------------------------------------------------------------

namespace journals {

namespace {

QString isoStamp(const QDateTime& moment, int hundredths) {
  return moment.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + QLatin1Char('.') +
         QStringLiteral("%1").arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}

QJsonObject states(std::uint8_t bits, const QStringList& names) {
  // The names run from bit 5 down to bit 0.
  QJsonObject o;
  for (int i = 0; i < names.size(); ++i) o.insert(names[i], bool(bits >> (names.size() - 1 - i) & 1));
  return o;
}

}  // namespace

QJsonObject eventJson(const EventEntry& e) {
  static const QStringList outputs{"WDT", "Dout5", "Dout4", "Dout3", "Dout2", "Dout1"};
  static const QStringList inputs{"Din6", "Din5", "Din4", "Din3", "Din2", "Din1"};
  QJsonObject o{{QStringLiteral("record"), e.record},
                {QStringLiteral("code"), e.code},
                {QStringLiteral("noEvent"), e.noEvent},
                {QStringLiteral("cells"), QJsonArray::fromStringList(eventRow(e).cells)}};
  if (e.noEvent) {
    for (const char* key : {"time", "event", "info", "subCode", "value", "primaryCurrent",
                            "outputs", "inputs"})
      o.insert(QString::fromLatin1(key), QJsonValue::Null);
    return o;
  }
  o.insert(QStringLiteral("time"),
           e.stamp.isValid() ? QJsonValue(isoStamp(e.stamp, e.hundredths)) : QJsonValue::Null);
  o.insert(QStringLiteral("event"), e.texts.name);
  o.insert(QStringLiteral("info"), e.texts.info);
  o.insert(QStringLiteral("subCode"), e.subCode);
  o.insert(QStringLiteral("value"), e.value);
  if (e.texts.current) {
    o.insert(QStringLiteral("primaryCurrent"), e.texts.current->amperes());
    o.insert(QStringLiteral("beyondRange"), e.texts.current->above);
  } else {
    o.insert(QStringLiteral("primaryCurrent"), QJsonValue::Null);
  }
  o.insert(QStringLiteral("outputs"), states(e.outputs, outputs));
  o.insert(QStringLiteral("inputs"), states(e.inputs, inputs));
  return o;
}

QJsonObject counterJson(const StatCounter& c) {
  return {{QStringLiteral("number"), c.index + 1},
          {QStringLiteral("name"), c.name},
          {QStringLiteral("value"), int(c.value)}};
}

QJsonObject alarmJson(const AlarmRow& r) {
  auto orNull = [&r](int v) { return r.valid ? QJsonValue(v) : QJsonValue(QJsonValue::Null); };
  return {{QStringLiteral("entry"), r.entry},
          {QStringLiteral("recorded"), r.valid},
          {QStringLiteral("time"), r.valid ? QJsonValue(r.when.toString(Qt::ISODate))
                                           : QJsonValue(QJsonValue::Null)},
          {QStringLiteral("phaseRatio"), orNull(r.phaseRatio)},
          {QStringLiteral("earthRatio"), orNull(r.earthRatio)}};
}

}  // namespace journals

}  // namespace vmk
