#include "ranges/default_settings.h"

#include <initializer_list>

#include "extlib/registers.h"

namespace vmk::ranges {

namespace {

using Texts = std::array<QString, kVariantCount>;

// One text for every variant.
Texts all(const QString& text) { return {text, text, text}; }

// `width` bits, those of `set` on (bit 0 is the list's first name), highest
// first as the grids show them.
QString bits(int width, std::initializer_list<int> set = {}) {
  QString text(width, u'0');
  for (int bit : set) text[width - 1 - bit] = u'1';
  return text;
}

// Registers first, first + stride, ... up to last.
QVector<int> run(int first, int last, int stride = 1) {
  QVector<int> out;
  for (int r = first; r <= last; r += stride) out << r;
  return out;
}

DefaultEntry parameter(QVector<int> registers, const QString& rows, Texts texts) {
  return DefaultEntry{Scope::Parameter, std::move(registers), rows, std::move(texts)};
}

DefaultEntry setting(QVector<int> offsets, const QString& rows, Texts texts) {
  return DefaultEntry{Scope::Setting, std::move(offsets), rows, std::move(texts)};
}

// Indicators 1..8: the trips of each protection, reclosing, the device
// fault and the second setting group (bits of the indicator list).
const int kIndicatorSignals[][2] = {{4, -1}, {5, -1}, {6, -1}, {7, -1},
                                    {8, -1}, {9, 10}, {18, -1}, {20, -1}};

// Recorder channels 1..16: the starts, trips and reclosing commands
// (signals 0..10), then output relays 1..5 (signals 17..21).
int channelSignal(int channel) { return channel <= 11 ? channel - 1 : 17 + channel - 12; }

// "Активные ступени": self-test and no reclosing after a breaker failure
// on every variant; the event journal and the recorder where the device
// has them (a ВМК-01.03 has neither). No protection stage is active.
const int kSelfTest = 10, kNoReclosingAfterFailure = 11, kJournal = 13, kRecorder = 14;

QVector<DefaultEntry> makeTable() {
  QVector<DefaultEntry> t{
      // Parameters.
      parameter({reg::kAddress}, QStringLiteral("Адрес устройства"), all(QStringLiteral("1"))),
      parameter({reg::kActiveGroup}, QStringLiteral("Активная группа уставок"),
                all(QStringLiteral("1"))),
      parameter({reg::kGroupMode}, QStringLiteral("Способ изменения группы уставок"),
                all(QStringLiteral("Статическое измен."))),
      // Ratio 1 until the feeder's transformers are entered: primary values
      // then show the secondary amperes.
      parameter({reg::kCtPrimary}, QStringLiteral("Первичный ток ТТ, A"), all(QStringLiteral("5"))),
      parameter({reg::kCtSecondary}, QStringLiteral("Вторичный ток ТТ, A"), all(QStringLiteral("5"))),
      parameter({reg::kEarthCtPrimary}, QStringLiteral("Первичный ток ТТ ЗНЗ, A"),
                all(QStringLiteral("1"))),
      parameter({reg::kEarthCtSecondary}, QStringLiteral("Вторичный ток ТТ ЗНЗ, A"),
                all(QStringLiteral("1"))),
  };
  for (int i = 0; i < reg::kIndicatorCount; ++i) {
    const int* s = kIndicatorSignals[i];
    const QString text = s[1] < 0 ? bits(22, {s[0]}) : bits(22, {s[0], s[1]});
    t << parameter({reg::kIndicators + 2 * i}, QStringLiteral("Индикатор %1").arg(i + 1), all(text));
  }
  // No relay acts on the breaker until it is assigned; relay 5 signals a
  // device fault.
  const int relay5 = reg::kRelayConfig + 2 * (reg::kRelayCount - 1);
  t << parameter(run(reg::kRelayConfig, relay5 - 2, 2), QStringLiteral("Выходное реле 1 … 4"),
                 all(bits(18)))
    << parameter({relay5}, QStringLiteral("Выходное реле 5"), all(bits(18, {11})))
    << parameter(run(reg::kInputConfig, reg::kInputConfig + reg::kInputCount - 1),
                 QStringLiteral("Дискретный вход 1 … 6"), all(bits(15)))
    << parameter(run(reg::kInputDelays, reg::kInputDelays + reg::kInputCount - 1),
                 QStringLiteral("Время выдержки входа, мс"), all(QStringLiteral("20")))
    << parameter(run(reg::kContactTimes, reg::kContactTimes + reg::kRelayCount),
                 QStringLiteral("Время замкнутого контакта, мс"), all(QStringLiteral("1000")))
    << parameter({reg::kRecorderPreTrigger}, QStringLiteral("Время до старта осциллографа, с"),
                 all(QStringLiteral("0.50")))
    << parameter({reg::kRecorderSource}, QStringLiteral("Источник запуска осциллографа"),
                 all(QStringLiteral("Работа МТЗ/ЗНЗ")));
  for (int i = 1; i <= reg::kChannels.count / 2; ++i)
    t << parameter({reg::kChannels.first + 2 * (i - 1)},
                   QStringLiteral("Логический канал осциллографа %1").arg(i),
                   all(bits(32, {channelSignal(i)})));

  // Settings, by their offset in the group. A protection is off: its bit
  // in "Активные ступени" is clear and a stage's current and time are 0,
  // as a relay holds a stage it does not use.
  const QString withJournals = bits(15, {kSelfTest, kNoReclosingAfterFailure, kJournal, kRecorder});
  t << setting({0}, QStringLiteral("Активные ступени"),
               {withJournals, withJournals, bits(15, {kSelfTest, kNoReclosingAfterFailure})})
    << setting({1}, QStringLiteral("Блокировки"), all(bits(5)))
    << setting({33}, QStringLiteral("Ускорение МТЗ"), all(QStringLiteral("0")))
    << setting({8}, QStringLiteral("Время ввода ускорения МТЗ, с"), all(QStringLiteral("1.00")))
    << setting({5, 12, 18}, QStringLiteral("Ток МТЗ-1 … МТЗ-3"), all(QStringLiteral("0.00")))
    << setting({6, 13, 19}, QStringLiteral("Время МТЗ-1 … МТЗ-3, с"), all(QStringLiteral("0.000")))
    << setting({7, 14, 21}, QStringLiteral("Время ускорения МТЗ-1 … МТЗ-3, с"),
               all(QStringLiteral("0.00")))
    << setting({20}, QStringLiteral("Тип характеристики"),
               all(QStringLiteral("независимая характеристика")))
    << setting({25}, QStringLiteral("Ток ЗНЗ"), all(QStringLiteral("0.000")))
    << setting({26}, QStringLiteral("Время ЗНЗ, с"), all(QStringLiteral("0.000")))
    // Breaker failure, reclosing: typical values, long where a longer time
    // is the safer side, ready for the engineer who switches them on.
    << setting({35}, QStringLiteral("Ток УРОВ"), all(QStringLiteral("0.10")))
    << setting({34}, QStringLiteral("Время УРОВ, с"), all(QStringLiteral("0.500")))
    << setting({29}, QStringLiteral("Время АПВ 1й ступени, с"), all(QStringLiteral("3.00")))
    << setting({31}, QStringLiteral("Время АПВ 2й ступени, с"), all(QStringLiteral("30.00")))
    << setting({30, 32}, QStringLiteral("Время готовности АПВ 1й / 2й ступени, с"),
               all(QStringLiteral("60.00")))
    << setting({28}, QStringLiteral("Время подготовки АПВ, с"), all(QStringLiteral("10.000")))
    << setting({36}, QStringLiteral("Блокировка АПВ по току"), all(bits(1)));
  return t;
}

}  // namespace

const QVector<DefaultEntry>& defaultTable() {
  static const QVector<DefaultEntry> table = makeTable();
  return table;
}

std::optional<QString> defaultText(int variant, Scope scope, int reg) {
  if (variant < 1 || variant > kVariantCount) return std::nullopt;
  for (const DefaultEntry& e : defaultTable())
    if (e.scope == scope && e.registers.contains(reg)) return e.texts[std::size_t(variant - 1)];
  return std::nullopt;
}

}  // namespace vmk::ranges
