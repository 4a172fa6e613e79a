#include "params/catalogue.h"

#include "device/codecs.h"
#include "extlib/modbus_library.h"
#include "params/decimal_text.h"
#include "params/messages.h"

namespace vmk {

namespace {

RowSpec heading(const QString& caption) {
  RowSpec r;
  r.caption = caption;
  return r;
}

RowSpec row(RowKind kind, const QString& caption, int reg, const QString& key, int bits = 0) {
  RowSpec r;
  r.kind = kind;
  r.caption = caption;
  r.reg = reg;
  r.fileKey = key;
  r.bits = bits;
  return r;
}

RowSpec toggle(const QString& caption, int reg, const QString& key, const QString& off,
               const QString& on) {
  RowSpec r = row(RowKind::Toggle, caption, reg, key);
  r.offText = off;
  r.onText = on;
  return r;
}

RowSpec scaled(const QString& caption, int reg, const QString& key, int readDivisor,
               int readDecimals, int editScale, int editDecimals, int writeScale) {
  RowSpec r = row(RowKind::Scaled, caption, reg, key);
  r.readDivisor = readDivisor;
  r.readDecimals = readDecimals;
  r.editScale = editScale;
  r.editDecimals = editDecimals;
  r.writeScale = writeScale;
  return r;
}

// Setting currents: the device counts in 1/500 In, the editor in 0.01 In.
RowSpec current(const QString& caption, int offset, const QString& key) {
  return scaled(caption, offset, key, 500, 2, 100, 2, 500);
}
// Setting times in 0.01 s shown with three decimals, edited in 0.01 s.
RowSpec time100(const QString& caption, int offset, const QString& key) {
  return scaled(caption, offset, key, 100, 3, 100, 2, 100);
}
// Setting times in 0.01 s, edited in 0.1 s.
RowSpec time10(const QString& caption, int offset, const QString& key, int readDecimals = 2) {
  return scaled(caption, offset, key, 100, readDecimals, 10, 1, 100);
}

QVector<RowSpec> makeParamRows() {
  const QString ms = QStringLiteral(", мс");
  QVector<RowSpec> r;
  r << heading(QStringLiteral("Параметры устройства"))
    << row(RowKind::LowByte, QStringLiteral("Адрес устройства"), reg::kAddress, QStringLiteral("Адрес устройства"))
    << row(RowKind::Password, QStringLiteral("Пароль"), kPasswordRegister, QString())
    << row(RowKind::ActiveGroup, QStringLiteral("Активная группа уставок"), reg::kActiveGroup,
           QStringLiteral("Активная группа уставок"))
    << toggle(QStringLiteral("Способ изменения группы уставок"), kGroupModeRegister,
              QStringLiteral("Способ изменения группы уставок"),
              QStringLiteral("Статическое измен."), QStringLiteral("Динамическое измен."))
    << row(RowKind::Integer, QStringLiteral("Первичный ток ТТ, A"), reg::kCtPrimary, QStringLiteral("Первичный ток ТТ"))
    << row(RowKind::Integer, QStringLiteral("Вторичный ток ТТ, A"), reg::kCtSecondary, QStringLiteral("Вторичный ток ТТ"))
    << row(RowKind::Integer, QStringLiteral("Первичный ток ТТ ЗНЗ, A"),
           reg::kEarthCtPrimary,
           QStringLiteral("Первичный ток ТТ ЗНЗ"))
    << row(RowKind::Integer, QStringLiteral("Вторичный ток ТТ ЗНЗ, A"),
           reg::kEarthCtSecondary,
           QStringLiteral("Вторичный ток ТТ ЗНЗ"))
    << heading(QStringLiteral("Конфигурация индикаторов"));
  for (int i = 1; i <= reg::kIndicatorCount; ++i)
    r << row(RowKind::WideBits, QStringLiteral("Индикатор %1").arg(i), reg::kIndicators + 2 * (i - 1),
             QStringLiteral("Индикатор %1").arg(i), 6);
  r << heading(QStringLiteral("Конфигурация дискретных входов"));
  for (int i = 1; i <= reg::kInputCount; ++i)
    r << row(RowKind::Bits, QStringLiteral("Дискретный вход %1").arg(i), reg::kInputConfig + i - 1,
             QStringLiteral("Дискретный вход %1").arg(i), 15);
  for (int i = 1; i <= reg::kInputCount; ++i)
    r << row(RowKind::Milliseconds, QStringLiteral("Время выдержки входа - %1").arg(i) + ms,
             reg::kInputDelays + i - 1, QStringLiteral("Время выдержки входа - %1").arg(i));
  r << heading(QStringLiteral("Конфигурация выходных реле"));
  for (int i = 1; i <= reg::kRelayCount; ++i)
    r << row(RowKind::WideBits, QStringLiteral("Выходное реле %1").arg(i), reg::kRelayConfig + 2 * (i - 1),
             QStringLiteral("Выходное реле %1").arg(i), 2);
  // Relay 1 first, then the breaker-failure contact, then relays 2..5.
  const int c = reg::kContactTimes;
  const int contactRegs[] = {c, c + 2, c + 3, c + 4, c + 5};
  for (int i = 1; i <= reg::kRelayCount; ++i)
    r << row(RowKind::Milliseconds, QStringLiteral("Время замкнутого контакта - %1 реле").arg(i) + ms,
             contactRegs[i - 1], QStringLiteral("Время замкнутого контакта - %1 реле").arg(i));
  r << row(RowKind::Milliseconds, QStringLiteral("Время замкнутого контакта УРОВ") + ms, c + 1,
           QStringLiteral("Время замкнутого контакта УРОВ"))
    << heading(QStringLiteral("Конфигурация осциллографа"))
    << scaled(QStringLiteral("Время до старта осциллографа, с"), reg::kRecorderPreTrigger,
              QStringLiteral("Время записи доаварийного процесса"), 10, 2, 10, 2, 10)
    << toggle(QStringLiteral("Источник запуска осциллографа"), kRecorderSourceRegister,
              QStringLiteral("Источник запуска осциллографа"), QStringLiteral("Работа МТЗ/ЗНЗ"),
              QStringLiteral("Пуск МТЗ/ЗНЗ"));
  for (int i = 1; i <= reg::kChannels.count / 2; ++i) {
    const QString channel = QStringLiteral("Логический канал осциллографа %1").arg(i);
    const int low = reg::kChannels.first + 2 * (i - 1);
    r << row(RowKind::WideBits, channel, low, channel, /*bits=*/16);
  }
  return r;
}

QVector<RowSpec> makeSettingRows() {
  QVector<RowSpec> r;
  r << heading(QStringLiteral("Общие уставки"))
    << row(RowKind::Bits, QStringLiteral("Активные ступени"), 0, QStringLiteral("Активные Ступени"), 15)
    << row(RowKind::Bits, QStringLiteral("Блокировки"), 1,
           QStringLiteral("Разрешение внешнего блокирования"), 5)
    << heading(QStringLiteral("Ускорение МТЗ"))
    << row(RowKind::Integer, QStringLiteral("Ускорение МТЗ"), 33, QStringLiteral("Ускорение МТЗ"))
    << time10(QStringLiteral("Время ввода ускорения МТЗ, с"), 8, QStringLiteral("Время ввода ускорения МТЗ"))
    << heading(QStringLiteral("МТЗ-1"))
    << current(QStringLiteral("Ток МТЗ-1, кратность In (A)"), 5, QStringLiteral("Ток МТЗ-1"))
    << time100(QStringLiteral("Время МТЗ-1, с"), 6, QStringLiteral("Время МТЗ-1"))
    << time10(QStringLiteral("Время ускорения МТЗ-1, с"), 7, QStringLiteral("Время ускорения МТЗ-1"))
    << heading(QStringLiteral("МТЗ-2"))
    << current(QStringLiteral("Ток МТЗ-2, кратность In (A)"), 12, QStringLiteral("Ток МТЗ-2"))
    << time100(QStringLiteral("Время МТЗ-2, с"), 13, QStringLiteral("Время МТЗ-2"))
    << time10(QStringLiteral("Время ускорения МТЗ-2, с"), 14, QStringLiteral("Время ускорения МТЗ-2"))
    << heading(QStringLiteral("МТЗ-3"))
    << current(QStringLiteral("Ток МТЗ-3, кратность In (A)"), 18, QStringLiteral("Ток МТЗ-3"))
    << time100(QStringLiteral("Время МТЗ-3, с"), 19, QStringLiteral("Время МТЗ-3"))
    << row(RowKind::Characteristic, QStringLiteral("Тип характеристики"), 20,
           QStringLiteral("Тип характеристики"))
    << time10(QStringLiteral("Время ускорения МТЗ-3, с"), 21, QStringLiteral("Время ускорения МТЗ-3"))
    << heading(QStringLiteral("ЗНЗ"))
    << scaled(QStringLiteral("Ток ЗНЗ, кратность In (A)"), 25, QStringLiteral("Ток ЗНЗ"), 1000, 3,
              1000, 3, 1000)
    << time100(QStringLiteral("Время ЗНЗ, с"), 26, QStringLiteral("Время ЗНЗ"))
    << heading(QStringLiteral("УРОВ"))
    << current(QStringLiteral("Ток УРОВ, кратность In (A)"), 35, QStringLiteral("Ток УРОВ"))
    << time10(QStringLiteral("Время УРОВ, с"), 34, QStringLiteral("Время УРОВ"), 3)
    << heading(QStringLiteral("АПВ"))
    << time10(QStringLiteral("Время АПВ 1й ступени, с"), 29, QStringLiteral("Время АПВ 1й ступени"))
    << time10(QStringLiteral("Время готовности АПВ 1й ступени, с"), 30,
              QStringLiteral("Время готовности АПВ 1й ступени"))
    << time10(QStringLiteral("Время АПВ 2й ступени, с"), 31, QStringLiteral("Время АПВ 2й ступени"))
    << time10(QStringLiteral("Время готовности АПВ 2й ступени, с"), 32,
              QStringLiteral("Время готовности АПВ 2й ступени"))
    << time10(QStringLiteral("Время подготовки АПВ, с"), 28, QStringLiteral("Время подготовки АПВ"), 3)
    << row(RowKind::Bits, QStringLiteral("Блокировка АПВ по току"), 36,
           QStringLiteral("Блокировка АПВ по току"), 1);
  return r;
}


WriteWords refuse(const QString& why) { return WriteWords{{}, why, false}; }
WriteWords keep() { return WriteWords{{}, {}, true}; }

const QString kAddressRange = QStringLiteral("адрес должен быть от 1 до 255");

// The low `bits` bits of a word.
std::uint16_t lowBits(std::uint16_t word, int bits) {
  return bits >= 16 ? word : std::uint16_t(word & ((1u << bits) - 1));
}

WriteWords oneWord(std::int64_t value) {
  if (value < 0 || value > 0xFFFF)
    return refuse(QStringLiteral("значение %1 не помещается в регистр (допустимо от 0 до 65535)")
                      .arg(value));
  return WriteWords{{std::uint16_t(value)}, {}, false};
}

bool isBitText(const QString& text) {
  if (text.isEmpty()) return false;
  for (QChar c : text)
    if (c != u'0' && c != u'1') return false;
  return true;
}

}  // namespace

const QVector<RowSpec>& paramRows() {
  static const QVector<RowSpec> rows = makeParamRows();
  return rows;
}

const QVector<RowSpec>& settingRows() {
  static const QVector<RowSpec> rows = makeSettingRows();
  return rows;
}

const QVector<RowSpec>& rowsOf(int gridTag) { return gridTag == 2 ? settingRows() : paramRows(); }

const QStringList& CharacteristicNames() {
  static const QStringList names{
      QStringLiteral("независимая характеристика"),
      QStringLiteral("нормально инверсная характеристика"),
      QStringLiteral("сильно инверсная характеристика"),
      QStringLiteral("чрезвычайно инверсная характеристика"),
      QStringLiteral("крутая (РТВ-1)"),
      QStringLiteral("пологая (РТ-80)"),
  };
  return names;
}

std::optional<int> characteristicIndex(const QString& text) {
  std::optional<int> found;
  const QStringList& names = CharacteristicNames();
  for (int i = 0; i < names.size(); ++i)
    if (text.contains(names[i])) found = i;
  return found;
}

QString textFromWords(const RowSpec& row, std::uint16_t word, std::uint16_t next,
                      const QLocale& locale) {
  switch (row.kind) {
    case RowKind::Heading: return {};
    case RowKind::Password: return QStringLiteral("*****");
    case RowKind::Integer: return QString::number(word);
    case RowKind::LowByte: return QString::number(word & 0xFF);
    case RowKind::ActiveGroup: return QString::number((word & 1) + 1);
    case RowKind::Toggle: return (word & 1) ? row.onText : row.offText;
    case RowKind::Bits: return LowBitsStr(word, row.bits);
    case RowKind::WideBits: return LowBitsStr(next, row.bits) + LowBitsStr(word, 16);
    case RowKind::Milliseconds: return QString::number(std::uint32_t(word) * 10);
    // formatScaled takes the decimal separator alone: no grid locale to make.
    case RowKind::Scaled: return formatScaled(word, row.readDivisor, row.readDecimals, locale);
    case RowKind::Characteristic:
      return word < CharacteristicNames().size() ? CharacteristicNames()[word] : QString();
  }
  return {};
}

std::optional<std::int32_t> editorValue(const RowSpec& row, const QString& text,
                                        const QLocale& locale) {
  std::optional<std::int64_t> v;
  switch (row.kind) {
    case RowKind::Heading:
    case RowKind::Password:
    case RowKind::Toggle: return std::nullopt;
    case RowKind::Integer:
    case RowKind::LowByte:
    case RowKind::Milliseconds: v = parseInteger(text); break;
    case RowKind::ActiveGroup:
      v = parseInteger(text);
      if (v) *v -= 1;
      break;
    case RowKind::Bits:
    case RowKind::WideBits: return std::int32_t(BitStrToInt(text));
    case RowKind::Scaled: v = parseScaled(text, row.editScale); break;
    case RowKind::Characteristic: return characteristicIndex(text).value_or(255);
  }
  if (!v || *v < INT32_MIN || *v > INT32_MAX) return std::nullopt;
  return std::int32_t(*v);
}

QString textAfterEdit(const RowSpec& row, std::int32_t value, const QLocale& locale) {
  switch (row.kind) {
    case RowKind::Heading:
    case RowKind::Password:
    case RowKind::Toggle: return {};
    case RowKind::Integer:
    case RowKind::LowByte:
    case RowKind::Milliseconds: return QString::number(value);
    case RowKind::ActiveGroup: return QString::number(std::int64_t(value) + 1);
    case RowKind::Bits:
    case RowKind::WideBits: return LowBitsStr(value, row.bitWidth());
    case RowKind::Scaled:
      return formatScaled(value, row.editScale, row.editDecimals, gridLocale(locale));
    case RowKind::Characteristic:
      return value >= 0 && value < CharacteristicNames().size() ? CharacteristicNames()[value]
                                                                 : QString();
  }
  return {};
}

WriteWords wordsFromText(const RowSpec& row, const QString& text, const QLocale& locale) {
  const QString notNumber = QStringLiteral("значение не является числом");
  switch (row.kind) {
    case RowKind::Heading:
    case RowKind::Password: return refuse(kRowNotWritten);
    case RowKind::Integer: {
      const auto v = parseInteger(text);
      return v ? oneWord(*v) : refuse(notNumber);
    }
    case RowKind::LowByte: {
      // The row shows the low byte only: a larger number would change the
      // address to something else than what is typed.
      const auto v = parseInteger(text);
      if (!v) return refuse(notNumber);
      if (*v < 1 || *v > 255) return refuse(kAddressRange);
      return oneWord(*v);
    }
    case RowKind::ActiveGroup: {
      // Only bit 0 is read back; "3" would select group 1.
      const auto v = parseInteger(text);
      if (!v) return refuse(notNumber);
      if (*v != 1 && *v != 2) return refuse(QStringLiteral("группа уставок должна быть 1 или 2"));
      return oneWord(*v - 1);
    }
    case RowKind::Toggle: {
      const QChar first = text.isEmpty() ? QChar() : text.front();
      if (!row.offText.isEmpty() && first == row.offText.front()) return oneWord(0);
      if (!row.onText.isEmpty() && first == row.onText.front()) return oneWord(1);
      return keep();
    }
    case RowKind::Bits:
    case RowKind::WideBits: {
      if (!isBitText(text) || text.size() > row.bitWidth())
        return refuse(QStringLiteral("значение должно состоять из не более чем %1 цифр 0 и 1")
                          .arg(row.bitWidth()));
      if (row.kind == RowKind::Bits) return oneWord(ModbusLibrary::BinToInt(text));
      const qsizetype highLength = text.size() > 16 ? text.size() - 16 : 0;
      return WriteWords{{std::uint16_t(ModbusLibrary::BinToInt(text.mid(highLength))),
                         std::uint16_t(ModbusLibrary::BinToInt(text.left(highLength)))},
                        {}, false};
    }
    case RowKind::Milliseconds: {
      const auto v = parseInteger(text);
      if (!v) return refuse(notNumber);
      if (*v < 0) return refuse(QStringLiteral("время не может быть отрицательным"));
      return oneWord(*v / 10);
    }
    case RowKind::Scaled: {
      const auto v = parseScaled(text, row.writeScale);
      return v ? oneWord(*v) : refuse(notNumber);
    }
    case RowKind::Characteristic: {
      // A word above 5 reads as an empty text: written back, it would
      // change the relay's characteristic to one nobody chose.
      if (text.trimmed().isEmpty()) return keep();
      const auto index = characteristicIndex(text);
      if (!index) return refuse(QStringLiteral("тип характеристики не распознан"));
      return oneWord(*index);
    }
  }
  return refuse(notNumber);
}

WriteWords wordsOfRead(const RowSpec& row, std::uint16_t word, std::uint16_t next) {
  switch (row.kind) {
    case RowKind::Heading:
    case RowKind::Password: return refuse(kRowNotWritten);
    case RowKind::Integer:
    case RowKind::Milliseconds: return oneWord(word);
    case RowKind::LowByte: {
      const int address = word & 0xFF;
      return address < 1 ? refuse(kAddressRange) : oneWord(address);
    }
    case RowKind::ActiveGroup:
    case RowKind::Toggle: return oneWord(word & 1);
    case RowKind::Bits: return oneWord(lowBits(word, row.bits));
    case RowKind::WideBits: return WriteWords{{word, lowBits(next, row.bits)}, {}, false};
    case RowKind::Scaled:
      return oneWord(scaledAsShown(word, row.readDivisor, row.readDecimals, row.writeScale));
    case RowKind::Characteristic:
      return word < CharacteristicNames().size() ? oneWord(word) : keep();
  }
  return refuse(kRowNotWritten);
}

WriteWords wordsOfEmptyRow(const RowSpec& row) { return wordsFromText(row, QString(), QLocale::c()); }

QString toggledText(const RowSpec& row, const QString& text) {
  return text.startsWith(row.onText.front()) ? row.offText : row.onText;
}

}  // namespace vmk
