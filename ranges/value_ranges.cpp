#include "ranges/value_ranges.h"

#include "extlib/registers.h"

namespace vmk::ranges {

namespace {

const QString kAmp = QStringLiteral("А");
const QString kMs = QStringLiteral("мс");
const QString kSec = QStringLiteral("с");
const QString kIn = QStringLiteral("In");

ValueRange number(std::int64_t min, std::int64_t max, const QString& unit = {}, int step = 1) {
  ValueRange r;
  r.editor = Editor::Number;
  r.min = min;
  r.max = max;
  r.unit = unit;
  r.step = step;
  return r;
}

ValueRange decimal(int scale, std::int64_t min, std::int64_t max, const QString& unit) {
  ValueRange r;
  r.editor = Editor::Decimal;
  r.scale = scale;
  r.min = min;
  r.max = max;
  r.unit = unit;
  return r;
}

ValueRange bitSet(int bits, int list, const QStringList& names = {}) {
  ValueRange r;
  r.editor = Editor::BitSet;
  r.bits = bits;
  r.list = list;
  r.names = names;
  r.min = 0;
  r.max = bits >= 32 ? std::int64_t(0xFFFFFFFF) : (std::int64_t(1) << bits) - 1;
  return r;
}

ValueRange choice(int count, int list, const QStringList& names = {}) {
  ValueRange r;
  r.editor = Editor::Choice;
  r.list = list;
  r.names = names;
  r.min = 0;
  r.max = count - 1;
  return r;
}

// Registers first, first + stride, ... up to last.
QVector<int> run(int first, int last, int stride = 1) {
  QVector<int> out;
  for (int r = first; r <= last; r += stride) out << r;
  return out;
}

RangeEntry parameter(QVector<int> registers, const QString& rows, ValueRange range) {
  return RangeEntry{Scope::Parameter, std::move(registers), rows, std::move(range)};
}

RangeEntry setting(QVector<int> offsets, const QString& rows, ValueRange range) {
  return RangeEntry{Scope::Setting, std::move(offsets), rows, std::move(range)};
}

QVector<RangeEntry> makeTable() {
  const int lastIndicator = reg::kIndicators + 2 * (reg::kIndicatorCount - 1);
  const int lastRelay = reg::kRelayConfig + 2 * (reg::kRelayCount - 1);
  const int lastChannel = reg::kChannels.first + reg::kChannels.count - 2;
  return {
      // Parameters.
      parameter({reg::kAddress}, QStringLiteral("Адрес устройства"), number(1, 32)),
      parameter({reg::kActiveGroup}, QStringLiteral("Активная группа уставок"),
                choice(2, kNoList, {QStringLiteral("Группа 1"), QStringLiteral("Группа 2")})),
      parameter({reg::kCtPrimary}, QStringLiteral("Первичный ток ТТ, A"), number(1, 10000, kAmp)),
      parameter({reg::kCtSecondary}, QStringLiteral("Вторичный ток ТТ, A"), number(1, 5, kAmp)),
      parameter({reg::kEarthCtPrimary}, QStringLiteral("Первичный ток ТТ ЗНЗ, A"),
                number(1, 10000, kAmp)),
      // Earth-fault transformers are not only x/1 and x/5: 75/10 and 75/25
      // are in service.
      parameter({reg::kEarthCtSecondary}, QStringLiteral("Вторичный ток ТТ ЗНЗ, A"),
                number(1, 100, kAmp)),
      parameter(run(reg::kIndicators, lastIndicator, 2), QStringLiteral("Индикатор 1 … 8"),
                bitSet(22, kIndicators)),
      parameter(run(reg::kRelayConfig, lastRelay, 2), QStringLiteral("Выходное реле 1 … 5"),
                bitSet(18, kRelays)),
      parameter(run(reg::kInputConfig, reg::kInputConfig + reg::kInputCount - 1),
                QStringLiteral("Дискретный вход 1 … 6"), bitSet(15, kInputs)),
      parameter(run(reg::kInputDelays, reg::kInputDelays + reg::kInputCount - 1),
                QStringLiteral("Время выдержки входа, мс"), number(0, 10000, kMs, 10)),
      parameter(run(reg::kContactTimes, reg::kContactTimes + reg::kRelayCount),
                QStringLiteral("Время замкнутого контакта, мс"), number(0, 10000, kMs, 10)),
      parameter({reg::kRecorderPreTrigger}, QStringLiteral("Время до старта осциллографа, с"),
                decimal(10, 1, 50, kSec)),
      parameter(run(reg::kChannels.first, lastChannel, 2),
                QStringLiteral("Логический канал осциллографа 1 … 16"),
                bitSet(32, kRecorderChannels)),
      // Settings, by their offset in the group.
      setting({0}, QStringLiteral("Активные ступени"), bitSet(15, kActiveStages)),
      setting({1}, QStringLiteral("Блокировки"), bitSet(5, kBlockings)),
      setting({33}, QStringLiteral("Ускорение МТЗ"), bitSet(3, kAccelerations)),
      setting({8}, QStringLiteral("Время ввода ускорения МТЗ, с"), decimal(10, 0, 600, kSec)),
      // 0 is a stage switched off: a device holds its unused stages so.
      setting({5, 12, 18}, QStringLiteral("Ток МТЗ-1 … МТЗ-3"), decimal(100, 0, 4000, kIn)),
      setting({6, 13, 19}, QStringLiteral("Время МТЗ-1 … МТЗ-3, с"),
              decimal(100, 0, 10000, kSec)),
      setting({7, 14, 21}, QStringLiteral("Время ускорения МТЗ-1 … МТЗ-3, с"),
              decimal(10, 0, 100, kSec)),
      setting({20}, QStringLiteral("Тип характеристики"), choice(6, kCharacteristics)),
      setting({25}, QStringLiteral("Ток ЗНЗ"),
              [] {
                ValueRange r = decimal(1000, 0, 2000, kIn);
                r.earthCurrent = true;
                return r;
              }()),
      setting({26}, QStringLiteral("Время ЗНЗ, с"), decimal(100, 0, 10000, kSec)),
      setting({35}, QStringLiteral("Ток УРОВ"), decimal(100, 0, 200, kIn)),
      setting({34}, QStringLiteral("Время УРОВ, с"), decimal(10, 0, 100, kSec)),
      setting({29, 31}, QStringLiteral("Время АПВ 1й / 2й ступени, с"), decimal(10, 0, 600, kSec)),
      setting({30, 32}, QStringLiteral("Время готовности АПВ 1й / 2й ступени, с"),
              decimal(10, 0, 3000, kSec)),
      setting({28}, QStringLiteral("Время подготовки АПВ, с"), decimal(10, 0, 600, kSec)),
      setting({36}, QStringLiteral("Блокировка АПВ по току"),
              bitSet(1, kNoList, {QStringLiteral("Блокировка АПВ по току")})),
  };
}

}  // namespace

int ValueRange::decimals() const {
  if (editor != Editor::Decimal) return 0;
  int d = 0;
  for (int s = scale; s > 1; s /= 10) ++d;
  return d;
}

QString ValueRange::valueText(std::int64_t value, const QLocale& locale) const {
  const int d = decimals();
  if (d == 0) return QString::number(value);
  // Exact: whole steps, then the digits of the fraction.
  const std::uint64_t magnitude = value < 0 ? std::uint64_t(-value) : std::uint64_t(value);
  QString text = value < 0 ? QStringLiteral("-") : QString();
  text += QString::number(magnitude / std::uint64_t(scale));
  text += locale.decimalPoint();
  text += QStringLiteral("%1").arg(magnitude % std::uint64_t(scale), d, 10, QLatin1Char('0'));
  return text;
}

QString ValueRange::text(const QLocale& locale) const {
  QString t = QStringLiteral("от %1 до %2").arg(valueText(min, locale), valueText(max, locale));
  if (!unit.isEmpty()) t += QLatin1Char(' ') + unit;
  return t;
}

const QVector<RangeEntry>& rangeTable() {
  static const QVector<RangeEntry> table = makeTable();
  return table;
}

std::optional<ValueRange> rangeOf(std::uint16_t reg) {
  Scope scope = Scope::Parameter;
  int key = reg;
  for (int group : {1, 2}) {
    const reg::Block block = reg::groupBlock(group);
    if (block.contains(reg)) {
      scope = Scope::Setting;
      key = reg - block.first;
    }
  }
  for (const RangeEntry& e : rangeTable())
    if (e.scope == scope && e.registers.contains(key)) return e.range;
  return std::nullopt;
}

}  // namespace vmk::ranges
