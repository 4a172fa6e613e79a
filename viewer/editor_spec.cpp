#include "viewer/editor_spec.h"

#include "viewer/signal_names.h"

namespace vmk::view {

namespace {

EditorSpec number(std::int64_t min, std::int64_t max, const QString& unit, int step = 1) {
  EditorSpec s;
  s.kind = EditorSpec::Number;
  s.min = min;
  s.max = max;
  s.step = step;
  s.unit = unit;
  return s;
}

EditorSpec decimal(int scale, std::int64_t min, std::int64_t max, const QString& unit) {
  EditorSpec s;
  s.kind = EditorSpec::Decimal;
  s.scale = scale;
  s.decimals = scale == 1000 ? 3 : scale == 100 ? 2 : 1;
  s.min = min;
  s.max = max;
  s.unit = unit;
  return s;
}

EditorSpec bits(int kind, int width) {
  EditorSpec s;
  s.kind = EditorSpec::BitSet;
  for (int i = 0; i < width; ++i) s.bitNames << SignalName(kind, i);
  return s;
}

EditorSpec choice(const QStringList& items) {
  EditorSpec s;
  s.kind = EditorSpec::Choice;
  s.items = items;
  s.min = 0;
  s.max = items.size() - 1;
  return s;
}

const QString kAmp = QStringLiteral("А");
const QString kMs = QStringLiteral("мс");
const QString kSec = QStringLiteral("с");
const QString kIn = QStringLiteral("In");

EditorSpec settingSpec(int offset) {
  switch (offset) {
    case 0: return bits(kActiveStages, 15);
    case 1: return bits(kBlockings, 5);
    case 33: return bits(kAccelerations, 3);
    case 36: {
      EditorSpec s;
      s.kind = EditorSpec::BitSet;
      s.bitNames << QStringLiteral("Блокировка АПВ по току");
      return s;
    }
    case 5: case 12: case 18: return decimal(100, 5, 4000, kIn);     // 0.05..40.00 In
    case 35: return decimal(100, 5, 200, kIn);                       // 0.05..2.00 In
    case 25: {                                                       // 0.005..2.000 In
      EditorSpec s = decimal(1000, 5, 2000, kIn);
      s.earthCurrent = true;
      return s;
    }
    case 6: case 13: case 19: case 26: return decimal(100, 0, 10000, kSec);  // 0.00..100.00 s
    case 7: case 14: case 21: return decimal(10, 0, 100, kSec);      // 0.0..10.0 s
    case 8: return decimal(10, 0, 600, kSec);                        // 0.0..60.0 s
    case 34: return decimal(10, 1, 100, kSec);                       // 0.1..10.0 s
    case 29: case 31: return decimal(10, 1, 600, kSec);              // 0.1..60.0 s
    case 30: case 32: return decimal(10, 10, 3000, kSec);            // 1.0..300.0 s
    case 28: return decimal(10, 0, 600, kSec);                       // 0.0..60.0 s
    case 20: {
      QStringList names;
      for (int i = 0; i < 6; ++i) names << SignalName(kCharacteristics, i);
      return choice(names);
    }
    default: return number(0, 65535, QString());
  }
}

}  // namespace

EditorSpec SpecForRegister(std::uint16_t reg) {
  if (reg >= 256 && reg <= 293) return settingSpec(reg - 256);
  if (reg >= 512 && reg <= 549) return settingSpec(reg - 512);
  if (reg >= 96 && reg <= 110 && reg % 2 == 0) return bits(kIndicators, 22);
  if (reg >= 112 && reg <= 120 && reg % 2 == 0) return bits(kRelays, 18);
  if (reg >= 128 && reg <= 133) return bits(kInputs, 15);
  if (reg >= 134 && reg <= 139) return number(0, 10000, kMs, 10);
  if (reg >= 122 && reg <= 127) return number(0, 10000, kMs, 10);
  if (reg >= 192 && reg <= 222 && reg % 2 == 0) return bits(kRecorderChannels, 32);
  switch (reg) {
    case 64: return number(1, 32, QString());
    case 68: return choice({QStringLiteral("Группа 1"), QStringLiteral("Группа 2")});
    case 80: case 82: return number(1, 10000, kAmp);
    case 81: case 83: return number(1, 5, kAmp);
    case 140: return decimal(10, 1, 50, kSec);  // 0.1..5.0 s
    default: return number(0, 65535, QString());
  }
}

}  // namespace vmk::view
