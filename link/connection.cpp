#include "link/connection.h"

#include "device/codecs.h"
#include "device/device_client.h"
#include "device/session.h"
#include "extlib/registers.h"
#include "link/messages.h"
#include "model/message_log.h"

namespace vmk {

namespace {

// Status bytes from this value up mean "no answer".
constexpr int kFirstSilentStatus = 4;
// The speeds of bits 1..4 of the interface word.
constexpr int kFirstSpeedBit = 1;
const char* const kSpeeds[] = {"4800", "9600", "19200", "38400"};

Connection failed(Connection c, ConnectStep step, Outcome outcome) {
  c.failedStep = step;
  c.outcome = outcome;
  return c;
}

QStringList reportOf(const TVMK& dev, bool hasClock, const QDateTime& deviceTime) {
  namespace m = msg::link;
  QStringList lines(7);
  lines[0] = m::kReportName + dev.Name;
  lines[1] = m::kReportNumberVersion.arg(dev.SerialNumber).arg(VersionText(dev.VersionWord));
  lines[2] = m::kReportAddress.arg(dev.setup.NetAddress);
  if (hasClock) {
    lines[3] = m::kReportGroup.arg(dev.setup.ActiveGroup);
    lines[4] = deviceTime.isValid() ? m::kReportClock + FormatDateTime(deviceTime)
                                    : m::kReportClockUndefined;
  }
  lines[5] = m::kReportLanguage + dev.Language;
  lines[6] = m::kReportInterface;
  return lines + interfaceLines(dev.setup.InterfaceWord);
}

}  // namespace

QString interfaceSpeedLine(std::uint16_t interfaceWord) {
  QString line;
  for (int k = 0; k < 4; ++k)
    if (GetBit(interfaceWord, kFirstSpeedBit + k))
      line = msg::link::kReportSpeed.arg(QLatin1String(kSpeeds[k]));
  return line;
}

QStringList interfaceLines(std::uint16_t interfaceWord) {
  return {interfaceSpeedLine(interfaceWord), msg::link::kReportParity,
          msg::link::kReportDataBits, msg::link::kReportStopBits};
}

void AppendInterfaceParams(MessageLog& memo, std::uint16_t interfaceWord) {
  for (const QString& line : interfaceLines(interfaceWord)) memo.append(line);
}

QString chosenDeviceText(const Connection& c) {
  if (!c.ok() || !c.hasClock || !c.deviceTime.isValid()) return {};
  return msg::link::kDeviceChosen.arg(c.address);
}

Connection connectDevice(Session& s, std::uint8_t address, const QDate& today) {
  PortBracket port(s);
  Connection c;
  c.address = address;

  const std::uint8_t previous = s.DeviceAddress;
  s.DeviceAddress = address;
  if (address == 0) return failed(c, ConnectStep::Address, Outcome::InputRefused);

  // Until the new identity is read, the record and the pages still show the
  // previous device: the address must stay with them.
  DeviceClient device(s);
  const Result<int> status = device.readStatus();
  if (!status || status.value >= kFirstSilentStatus) {
    s.DeviceAddress = previous;
    return failed(c, ConnectStep::Status, status ? Outcome::NoAnswer : status.outcome);
  }
  c.status = status.value;

  const Result<TVMK> identity = device.readIdentity();
  if (!identity) {
    s.DeviceAddress = previous;
    c.record = s.vmk;
    return failed(c, ConnectStep::Identity, identity.outcome);
  }
  // A fresh record: the setup fields and the nonce stay empty until read.
  s.vmk = identity.value;

  const Result<SetupFields> setup = device.readSetup();
  if (!setup) {
    c.record = s.vmk;
    return failed(c, ConnectStep::Setup, setup.outcome);
  }
  s.vmk.setup = setup.value;

  c.hasClock = hasClock(s.vmk);
  c.deviceTime = MakeDeviceDateTime(s.vmk.setup, today);
  c.report = reportOf(s.vmk, c.hasClock, c.deviceTime);

  // A reply without a nonce leaves it 0.
  const Result<ServiceReply> nonce = device.service(reg::kServiceClearStats, 0, 0);
  s.vmk.ServiceNonce = nonce.value.nonce;
  c.record = s.vmk;
  return c;
}

}  // namespace vmk
