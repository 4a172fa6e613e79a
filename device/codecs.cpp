#include "device/codecs.h"

#include <array>

#include "extlib/charset.h"
#include "extlib/transport_error.h"

namespace vmk {

std::uint16_t GetRegWord(const ReplyFrame& reply, int k) {
  // Only the data counts: address, function, byte count, 2n data bytes,
  // then the two CRC bytes, which are no word of the reply.
  if (k < 0 || k > 255) return 0;
  const int high = 3 + 2 * k;
  if (high + 1 > reply.length() - 3) return 0;
  return std::uint16_t(reply.frameByte(high) << 8 | reply.frameByte(high + 1));
}

QString IntToBitStr(std::int32_t value) { return LowBitsStr(value, 32); }

QString LowBitsStr(std::int32_t value, int n) {
  if (n < 1) n = 1;
  if (n > 32) n = 32;
  const auto bits = std::uint32_t(value);
  // Every parameter row is shown through here: one string, written once.
  QString out(n, Qt::Uninitialized);
  QChar* c = out.data();
  for (int i = 0; i < n; ++i) c[i] = QLatin1Char((bits >> (n - 1 - i)) & 1u ? '1' : '0');
  return out;
}

std::uint32_t BitStrToInt(const QString& bits) {
  std::uint32_t value = 0;
  const qsizetype size = bits.size();
  // Weights above bit 31 do not fit and wrap to nothing.
  for (qsizetype i = 0; i < size && i < 32; ++i)
    if (bits[size - 1 - i] == QLatin1Char('1')) value |= 1u << i;
  return value;
}

int GetBit(std::uint16_t value, int n) {
  if (n < 0 || n > 15) return 0;
  return (value >> n) & 1;
}

int DecodeStageFlag(std::uint16_t word) { return word & 1; }
int DecodeApvFlag(std::uint16_t word) { return word & 1; }

std::optional<int> DecodeBcd(std::uint8_t byte) {
  const int high = byte >> 4;
  const int low = byte & 0x0F;
  if (high > 9 || low > 9) return std::nullopt;
  return high * 10 + low;
}

static QString languageText(std::uint16_t word) {
  switch (word) {
    case 0: return QStringLiteral("украинский");
    case 1: return QStringLiteral("русский");
    case 2: return QStringLiteral("английский");
    default: return {};
  }
}

TVMK DecodeIdentity(const ReplyFrame& reply) {
  TVMK record;
  QByteArray name;
  for (int k = 0; k < 5; ++k) {
    const std::uint16_t word = GetRegWord(reply, k);
    name.append(char(word >> 8));
    name.append(char(word & 0xFF));
  }
  record.Name = cp1251::decode(name);
  record.VersionWord = GetRegWord(reply, 5);
  record.SerialNumber = GetRegWord(reply, 6);
  record.Language = languageText(GetRegWord(reply, 8));

  const auto variant = std::uint8_t(GetRegWord(reply, 2) & 0xFF);
  if (variant < '0' || variant > '9') {
    const QString shown = variant >= 0x20 ? cp1251::decodeChar(variant)
                                          : QStringLiteral("#%1").arg(variant);
    throw DeviceDataError(QStringLiteral("Неверный вариант исполнения устройства: \"%1\" не является цифрой")
                    .arg(shown));
  }
  record.DeviceVariant = std::int16_t(variant - '0');
  return record;
}

SetupFields DecodeSetup(const ReplyFrame& reply) {
  SetupFields s;
  s.NetAddress = std::uint8_t(GetRegWord(reply, 0) & 0xFF);
  s.InterfaceWord = GetRegWord(reply, 1);
  const std::uint16_t p1 = GetRegWord(reply, 2);
  const std::uint16_t p2 = GetRegWord(reply, 3);
  QByteArray password;
  password.append(char(p1 >> 8)).append(char(p1 & 0xFF)).append(char(p2 >> 8)).append(char(p2 & 0xFF));
  s.DevicePassword = cp1251::decode(password);
  s.ActiveGroup = std::uint8_t((GetRegWord(reply, 4) & 1) + 1);
  s.GroupChangeMode = std::uint8_t(GetRegWord(reply, 5) & 1);
  s.CtPrimary = GetRegWord(reply, 16);
  s.CtSecondary = GetRegWord(reply, 17);
  s.EarthCtPrimary = GetRegWord(reply, 18);
  s.EarthCtSecondary = GetRegWord(reply, 19);

  const std::array<std::uint16_t, 3> clock{GetRegWord(reply, 20), GetRegWord(reply, 21),
                                          GetRegWord(reply, 22)};
  std::array<int, 6> fields{};
  for (int i = 0; i < 6; ++i) {
    const auto byte = std::uint8_t(i % 2 == 0 ? clock[i / 2] >> 8 : clock[i / 2] & 0xFF);
    const std::optional<int> value = DecodeBcd(byte);
    if (!value) {
      // Month 0 is never a date: MakeDeviceDateTime gives "undefined".
      s.ClockYear = 0;
      s.ClockMonth = s.ClockDay = s.ClockHour = s.ClockMinute = s.ClockSecond = 0;
      return s;
    }
    fields[i] = *value;
  }
  s.ClockYear = std::uint16_t(fields[0]);
  s.ClockMonth = std::uint8_t(fields[1]);
  s.ClockDay = std::uint8_t(fields[2]);
  s.ClockHour = std::uint8_t(fields[3]);
  s.ClockMinute = std::uint8_t(fields[4]);
  s.ClockSecond = std::uint8_t(fields[5]);
  return s;
}

QDateTime MakeDeviceDateTime(int year, int month, int day, int hour, int minute, int second,
                             const QDate& today) {
  const int yy = year & 0xFF;
  if (yy > 99) return {};
  const int first = (today.isValid() ? today.year() : QDate::currentDate().year()) - 50;
  int full = first - first % 100 + yy;
  if (full < first) full += 100;
  const QDate date(full, month, day);
  const QTime time(hour, minute, second);
  if (!date.isValid() || !time.isValid()) return {};
  return QDateTime(date, time);
}

QDateTime MakeDeviceDateTime(const SetupFields& setup, const QDate& today) {
  return MakeDeviceDateTime(setup.ClockYear, setup.ClockMonth, setup.ClockDay, setup.ClockHour,
                            setup.ClockMinute, setup.ClockSecond, today);
}

AlarmEntry DecodeAlarmEntry(const ReplyFrame& reply, int n, const QDate& today) {
  AlarmEntry entry;
  if (n < 0 || n > 12) return entry;
  const int start = 5 + 10 * n;
  // The six stamp bytes must all have arrived (the CRC is not entry data).
  if (start + 6 > reply.length() - 2) return entry;
  std::array<int, 6> v{};
  for (int i = 0; i < 6; ++i) {
    const std::optional<int> value = DecodeBcd(reply.frameByte(start + i));
    if (!value) return entry;
    v[i] = *value;
  }
  entry.valid = true;
  entry.when = MakeDeviceDateTime(v[0], v[1], v[2], v[3], v[4], v[5], today);
  return entry;
}

QString VersionText(std::uint16_t versionWord) {
  const int version = versionWord >> 11;
  const int day = (versionWord >> 6) & 0x1F;
  const int month = (versionWord >> 2) & 0x0F;
  const int year = versionWord & 0x03;
  const QString dayMonth = QString::number(day) + QLatin1Char('.') + QString::number(month);
  if (dayMonth == QLatin1String("31.6")) return QStringLiteral("v9.1 от 31.06.2009");
  if (dayMonth == QLatin1String("10.6")) return QStringLiteral("v9.2 от 10.06.2010");
  return QLatin1Char('v') + QString::number(version) + QStringLiteral(" от ") + dayMonth +
         QStringLiteral(".201") + QString::number(year);
}

QString StatCounterName(int i) {
  static const char* const names[22] = {
      "Количество пусков МТЗ 1 ступени",
      "Количество пусков МТЗ 2 ступени",
      "Количество пусков МТЗ 3 ступени",
      "Количество пусков ЗНЗ",
      "Количество сработок МТЗ 1 ступени",
      "Количество сработок МТЗ 2 ступени",
      "Количество сработок МТЗ 3 ступени",
      "Количество сработок ЗНЗ",
      "Количество переходов состояний  входа 1",
      "Количество переходов состояний  входа 2",
      "Количество переходов состояний  входа 3",
      "Количество переходов состояний  входа 4",
      "Количество переходов состояний  входа 5",
      "Количество переходов состояний  входа 6",
      "Количество успешных сработок АПВ",
      "Количество неуспешных сработок АПВ",
      "Количество сработок выходного реле 1",
      "Количество сработок выходного реле 2",
      "Количество сработок выходного реле 3",
      "Количество сработок выходного реле 4",
      "Количество сработок выходного реле 5",
      "Счётчик ресурса, ч",
  };
  if (i < 0 || i > 21) return {};
  return QString::fromUtf8(names[i]);
}

// The decimal digits of `magnitude` padded with zeros to `width`; a
// non-positive value puts "-" in place of one padding zero.
static QString sampleField(std::uint64_t magnitude, bool positive, int width) {
  const QString digits = QString::number(magnitude);
  int zeros = width > digits.size() ? int(width - digits.size()) : 0;
  if (positive) return QString(zeros, QLatin1Char('0')) + digits;
  if (zeros > 0) --zeros;
  return QLatin1Char('-') + QString(zeros, QLatin1Char('0')) + digits;
}

QString FormatSample16(std::uint16_t sample, int width) {
  int v = sample <= 0x8000 ? int(sample) : int(sample) - 65536;
  v += v / 2;  // C++ division truncates towards zero: 3 -> 4, -3 -> -4
  return sampleField(std::uint64_t(v < 0 ? -v : v), v > 0, width);
}

QString FormatSample32(std::uint32_t value, int width) {
  return sampleField(value, value != 0, width);
}

std::optional<int> PhaseRatio(const SetupFields& setup) {
  if (setup.CtSecondary == 0) return std::nullopt;
  return setup.CtPrimary / setup.CtSecondary;
}

std::optional<int> EarthRatio(const SetupFields& setup) {
  if (setup.EarthCtSecondary == 0) return std::nullopt;
  return setup.EarthCtPrimary / setup.EarthCtSecondary;
}

QString FormatDateTime(const QDateTime& moment) {
  if (!moment.isValid()) return {};
  if (moment.time() == QTime(0, 0)) return moment.toString(QStringLiteral("dd.MM.yyyy"));
  return moment.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

}  // namespace vmk
