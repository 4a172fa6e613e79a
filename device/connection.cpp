#include "device/connection.h"

#include <QStringList>
#include <exception>

#include "device/codecs.h"
#include "shell/workspace.h"
#include "shell/page_rules.h"

namespace vmk {

namespace {

constexpr std::uint8_t kReadHolding = 3;
constexpr std::uint16_t kIdentityFirst = 0;
constexpr std::uint16_t kIdentityCount = 9;
constexpr std::uint16_t kSetupFirst = 64;
constexpr std::uint16_t kSetupCount = 23;
// Status bytes of function 7 from this value up mean "no answer".
constexpr int kFirstSilentStatus = 4;
// The first nonce is taken with the statistics request and access code 0,
// which the device refuses; only the nonce of the reply is used.
constexpr std::uint8_t kNonceSubFunction = 1;
constexpr int kVariantWithoutClock = 3;

QString linkErrorText() { return QStringLiteral("Ошибка связи с устройством!"); }

// Register-read request; true when the reply has the length of a good one.
bool readBlock(Session& s, std::uint16_t first, std::uint16_t count, ReplyFrame& reply) {
  reply.clear();
  s.modbus.SetQuery(s.link(), s.DeviceAddress, kReadHolding, first, count, reply);
  return reply.length() == expectedReplyLength(count);
}

}  // namespace

QString InterfaceSpeedLine(std::uint16_t interfaceWord) {
  static const char* const kSpeeds[] = {"4800", "9600", "19200", "38400"};
  QString line;
  for (int bit = 1; bit <= 4; ++bit) {
    if (GetBit(interfaceWord, bit))
      line = QStringLiteral("Скорость %1 бит/с").arg(QLatin1String(kSpeeds[bit - 1]));
  }
  return line;
}

void AppendInterfaceParams(MessageLog& memo, std::uint16_t interfaceWord) {
  memo.append(InterfaceSpeedLine(interfaceWord));
  memo.append(QStringLiteral("Без бита паритета"));
  memo.append(QStringLiteral("8 бит данных"));
  memo.append(QStringLiteral("1 стоп-бит"));
}

void actGetStartInfoExecute(Workspace& ws) {
  Session& s = ws.session;
  PortBracket port(s);
  ws.Memo1.clear();
  ws.status.setText(2, QString());

  // Line i belongs to address i + 1; no selection (-1) gives address 0.
  const std::uint8_t previous = s.DeviceAddress;
  s.DeviceAddress = static_cast<std::uint8_t>(ws.lbRelay.selected() + 1);
  if (s.DeviceAddress == 0) return;

  // Until the new identity is read, the record and the pages still show the
  // previous device: the address must stay with them, or a write from those
  // pages would reach another relay.
  if (s.modbus.GetF07(s.link(), s.DeviceAddress) >= kFirstSilentStatus) {
    s.DeviceAddress = previous;
    return;
  }

  ReplyFrame reply;
  if (!readBlock(s, kIdentityFirst, kIdentityCount, reply)) {
    s.DeviceAddress = previous;
    ws.prompts.error(linkErrorText());
    return;
  }
  // A fresh record: the setup fields and the nonce stay empty until read.
  s.vmk = DecodeIdentity(reply);

  if (!readBlock(s, kSetupFirst, kSetupCount, reply)) {
    ws.prompts.error(linkErrorText());
    return;
  }
  s.vmk.setup = DecodeSetup(reply);
  const TVMK& dev = s.vmk;

  QStringList lines(7);
  lines[0] = QStringLiteral("Устройство: ") + dev.Name;
  lines[1] = QStringLiteral("Заводской №%1, Версия ПО %2")
                 .arg(dev.SerialNumber)
                 .arg(VersionText(dev.VersionWord));
  lines[2] = QStringLiteral("Сетевой адрес устройства %1").arg(dev.setup.NetAddress);
  if (dev.DeviceVariant != kVariantWithoutClock) {
    lines[3] = QStringLiteral("Активная группа уставок %1").arg(dev.setup.ActiveGroup);
    const QDateTime deviceTime = MakeDeviceDateTime(dev.setup, ws.clock.now().date());
    if (deviceTime.isValid()) {
      lines[4] = QStringLiteral("Дата и время устройства: ") + FormatDateTime(deviceTime);
      ws.status.setText(2, QStringLiteral("Выбрано устройство №%1").arg(s.DeviceAddress));
    } else {
      ws.prompts.error(QStringLiteral(
          "Некорректные дата и время!\rПроверьте правильность установки даты и времени."));
      lines[4] = QStringLiteral("Дата и время устройства: Неопределены.");
    }
  }
  BlockTabSheet(ws, false);
  lines[5] = QStringLiteral("Язык интерфейса: ") + dev.Language;
  lines[6] = QStringLiteral("Параметры интерфейса:");

  for (const QString& line : lines) ws.Memo1.append(line);
  AppendInterfaceParams(ws.Memo1, dev.setup.InterfaceWord);

  ws.pages.setEnabled(QStringLiteral("actPrint"), true);
  reply.clear();
  s.modbus.func18h(s.link(), s.DeviceAddress, kNonceSubFunction, 0, 0, reply);
  s.vmk.ServiceNonce = std::uint16_t(reply.frameByte(2) << 8 | reply.frameByte(3));
}

void lbRelayDblClick(Workspace& ws) {
  try {
    actGetStartInfoExecute(ws);
  } catch (const std::exception&) {
    BlockTabSheet(ws, true);
    ws.prompts.error(QStringLiteral("Устройство не подключено"));
  }
}

}  // namespace vmk
