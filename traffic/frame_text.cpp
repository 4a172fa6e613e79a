#include "traffic/frame_text.h"

#include <QByteArray>

#include "extlib/crc16.h"
#include "extlib/wire_table.h"

namespace vmk::traffic {

namespace {

int byteAt(const QByteArray& f, int k) { return k < f.size() ? std::uint8_t(f[k]) : -1; }

int wordAt(const QByteArray& f, int k) {
  if (k + 1 >= f.size()) return -1;
  return std::uint8_t(f[k]) << 8 | std::uint8_t(f[k + 1]);
}

QString num(int v) { return v < 0 ? QStringLiteral("?") : QString::number(v); }

QString hex4(int v) {
  return v < 0 ? QStringLiteral("?") : QStringLiteral("0x%1").arg(v, 4, 16, QLatin1Char('0'));
}

// "регистр", "регистра", "регистров" after n.
QString registers(int n) {
  const int tens = n % 100, ones = n % 10;
  if (tens >= 11 && tens <= 14) return QStringLiteral("регистров");
  if (ones == 1) return QStringLiteral("регистр");
  if (ones >= 2 && ones <= 4) return QStringLiteral("регистра");
  return QStringLiteral("регистров");
}

QString bcdText(int b) {
  if (b < 0 || (b >> 4) > 9 || (b & 15) > 9) return QStringLiteral("??");
  return QStringLiteral("%1%2").arg(b >> 4).arg(b & 15);
}

}  // namespace

QString functionName(std::uint8_t function) {
  switch (function & ~wire::kExceptionFlag) {
    case wire::kReadHolding: return QStringLiteral("чтение регистров");
    case wire::kWriteCoil: return QStringLiteral("команда");
    case wire::kWriteRegister: return QStringLiteral("запись регистра");
    case wire::kReadStatus: return QStringLiteral("статус");
    case wire::kWriteMultiple: return QStringLiteral("установка часов");
    case wire::kService: return QStringLiteral("сервисная функция");
    case wire::kCalibration: return QStringLiteral("калибровка");
    case wire::kEventRecord: return QStringLiteral("журнал событий");
    case wire::kAlarmList: return QStringLiteral("список аварий");
    case wire::kOscBlock: return QStringLiteral("блок осциллограммы");
  }
  return QStringLiteral("функция 0x%1").arg(function & ~wire::kExceptionFlag, 2, 16, QLatin1Char('0'));
}

QString decodeRequest(const QByteArray& f) {
  switch (byteAt(f, 1)) {
    case wire::kReadHolding: {
      const int n = wordAt(f, 4);
      return QStringLiteral("чтение %1 %2 с %3").arg(num(n), registers(n < 0 ? 0 : n), num(wordAt(f, 2)));
    }
    case wire::kWriteCoil: return QStringLiteral("команда %1").arg(hex4(wordAt(f, 2)));
    case wire::kWriteRegister:
      return QStringLiteral("запись %1 в регистр %2").arg(num(wordAt(f, 4)), num(wordAt(f, 2)));
    case wire::kReadStatus: return QStringLiteral("чтение статуса");
    case wire::kWriteMultiple:
      return QStringLiteral("часы %1.%2.%3 %4:%5:%6")
          .arg(bcdText(byteAt(f, 9)), bcdText(byteAt(f, 8)), bcdText(byteAt(f, 7)),
               bcdText(byteAt(f, 10)), bcdText(byteAt(f, 11)), bcdText(byteAt(f, 12)));
    case wire::kService: return QStringLiteral("подфункция %1").arg(num(byteAt(f, 2)));
    case wire::kCalibration: return QStringLiteral("подфункция %1").arg(num(byteAt(f, 2)));
    case wire::kEventRecord: return QStringLiteral("запись %1 журнала событий").arg(num(byteAt(f, 2)));
    case wire::kAlarmList: return QStringLiteral("чтение списка аварий");
    case wire::kOscBlock:
      return QStringLiteral("блок %1 осциллограммы %2").arg(num(wordAt(f, 3)), num(byteAt(f, 2)));
  }
  return {};
}

QString decodeReply(const WireFrame& r) {
  switch (r.status) {
    case ReplyStatus::NoAnswer: return QStringLiteral("нет ответа");
    case ReplyStatus::BadCrc: return QStringLiteral("ошибка CRC");
    case ReplyStatus::WrongAddress: return QStringLiteral("чужой адрес");
    case ReplyStatus::WrongFunction: return QStringLiteral("чужая функция");
    case ReplyStatus::Truncated: return QStringLiteral("неполный ответ");
    case ReplyStatus::Exception: return QStringLiteral("исключение %1").arg(num(byteAt(r.bytes, 2)));
    case ReplyStatus::Ok: break;
  }
  switch (r.function) {
    case wire::kReadHolding: {
      const int n = byteAt(r.bytes, 2) / 2;
      return QStringLiteral("%1 %2").arg(n).arg(registers(n));
    }
    case wire::kWriteCoil:
      return byteAt(r.bytes, 4) == 0xFF ? QStringLiteral("подтверждена") : QStringLiteral("не подтверждена");
    case wire::kWriteRegister: return QStringLiteral("записано");
    case wire::kReadStatus: return QStringLiteral("статус %1").arg(num(byteAt(r.bytes, 2)));
    case wire::kWriteMultiple: return QStringLiteral("часы установлены");
    case wire::kService:
      return byteAt(r.bytes, 4) == 0xFF ? QStringLiteral("отказ") : QStringLiteral("выполнено");
    case wire::kOscBlock: return QStringLiteral("блок %1").arg(num(wordAt(r.bytes, 3)));
  }
  return QStringLiteral("ответ");
}

QString crcVerdict(const WireFrame& frame) {
  if (frame.bytes.size() < wire::kMinFrameLength) return {};
  return wire::hasValidCrc(frame.bytes) ? QStringLiteral("верна") : QStringLiteral("ошибка");
}

}  // namespace vmk::traffic
