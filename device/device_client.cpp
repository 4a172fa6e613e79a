#include "device/device_client.h"

#include "device/codecs.h"
#include "device/messages.h"
#include "device/session.h"
#include "extlib/transport_error.h"
#include "extlib/wire_table.h"

namespace vmk {

namespace {

namespace m = msg::device;

RegisterWords wordsOf(const ReplyFrame& reply, std::uint16_t first, int count) {
  RegisterWords r;
  r.first = first;
  r.words.reserve(count);
  for (int k = 0; k < count; ++k) r.words.append(GetRegWord(reply, k));
  return r;
}

// Function 0x19 sub-function 3 writes the coefficient (byte 4) of a point
// (byte 3); the other sub-functions measure or confirm.
constexpr std::uint8_t kCalibrationWriteSub = 3;

QString commandName(std::uint16_t code) {
  if (code == reg::kCommandAcknowledge) return m::kAcknowledge;
  if (code == reg::kCommandRecorderStart) return m::kRecorderStart;
  if (code >= reg::kCommandRelay1 && code < reg::kCommandAcknowledge)
    return m::kRelayCommand.arg(code - reg::kCommandRelay1 + 1);
  return m::kOtherCommand.arg(code, 4, 16, QLatin1Char('0'));
}

QString serviceName(std::uint8_t sub, std::uint16_t argument) {
  switch (sub) {
    case reg::kServiceSerial: return m::kServiceSerial;
    case reg::kServiceClearStats: return m::kServiceClearStats;
    case reg::kServiceEraseOsc: return m::kServiceEraseOsc;
    case reg::kServiceEraseEvents: return m::kServiceEraseEvents;
    case reg::kServiceCalibration:
      return argument == reg::kCalibrationLeave ? m::kCalibrationLeave
                                                : m::kCalibrationEnter;
  }
  return m::kOtherService.arg(sub);
}

}  // namespace

void DeviceClient::note(DeviceChange change, const QString& defaultOperation) {
  if (!m_session.changes) return;
  change.address = m_address;
  if (!m_session.changeOperation.isEmpty()) change.operation = m_session.changeOperation;
  else if (change.operation.isEmpty()) change.operation = defaultOperation;
  m_session.changes(change);
}

DeviceClient::DeviceClient(Session& session, PortFailures portFailures)
    : DeviceClient(session, session.DeviceAddress, portFailures) {}

DeviceClient::DeviceClient(Session& session, std::uint8_t address, PortFailures portFailures)
    : m_session(session), m_address(address), m_portFailures(portFailures) {}

Outcome DeviceClient::exchange(const std::function<void()>& request, DeviceChange* change,
                               const ChangeSink& send) {
  m_reply.clear();
  m_portError.clear();
  try {
    request();
  } catch (const TransportError& e) {
    m_portError = e.message();
    if (m_portFailures == PortFailures::AsOutcome) return Outcome::PortFailure;
    // The change log hears of the change before the exception leaves.
    if (change && send) {
      change->outcome = Outcome::PortFailure;
      send(*change);
    }
    throw;
  }
  return outcomeOfLastCall();
}

Outcome DeviceClient::outcomeOfLastCall() const {
  switch (m_session.modbus.lastStatus()) {
    case ReplyStatus::Ok: return Outcome::Done;
    case ReplyStatus::Exception: return Outcome::DeviceRefused;
    case ReplyStatus::NoAnswer:
    case ReplyStatus::Truncated: return Outcome::NoAnswer;
    case ReplyStatus::BadCrc:
    case ReplyStatus::WrongAddress:
    case ReplyStatus::WrongFunction: return Outcome::BadReply;
  }
  return Outcome::BadReply;
}

Result<ReplyFrame> DeviceClient::frameResult(Outcome o) {
  if (o != Outcome::Done) return Result<ReplyFrame>::failed(o);
  return Result<ReplyFrame>::done(m_reply);
}

Result<int> DeviceClient::readStatus() {
  int status = 0;
  const Outcome o =
      exchange([&] { status = m_session.modbus.GetF07(m_session.link(), m_address); });
  if (o != Outcome::Done) return Result<int>::failed(o);
  return Result<int>::done(status);
}

Result<RegisterWords> DeviceClient::readRegisters(std::uint16_t first, std::uint16_t count) {
  return readAt(m_address, first, count);
}

Result<RegisterWords> DeviceClient::readAt(std::uint8_t address, std::uint16_t first,
                                           std::uint16_t count, DeviceChange* change,
                                           const ChangeSink& send) {
  const Outcome o = exchange(
      [&] {
        m_session.modbus.SetQuery(m_session.link(), address, wire::kReadHolding, first, count,
                                  m_reply);
      },
      change, send);
  if (o != Outcome::Done) return Result<RegisterWords>::failed(o);
  RegisterWords words = wordsOf(m_reply, first, count);
  ReadCache& cache = m_session.lastRead;
  if (cache.address != address) {
    cache.words.clear();
    cache.address = address;
  }
  for (int k = 0; k < count; ++k) cache.words.insert(first + k, words.words[k]);
  return Result<RegisterWords>::done(std::move(words));
}

Result<TVMK> DeviceClient::readIdentity() {
  // Another device may answer here now: what was read of the last one is
  // no value before of this one.
  m_session.lastRead = ReadCache{};
  const auto words = readRegisters(reg::kIdentity);
  if (!words) return Result<TVMK>::failed(words.outcome);
  return Result<TVMK>::done(DecodeIdentity(m_reply));
}

Result<SetupFields> DeviceClient::readSetup() {
  const auto words = readRegisters(reg::kSetup);
  if (!words) return Result<SetupFields>::failed(words.outcome);
  return Result<SetupFields>::done(DecodeSetup(m_reply));
}

namespace {

DeviceChange registerChange(const Session& s, std::uint8_t address, std::uint16_t r,
                            std::uint16_t value) {
  DeviceChange c;
  c.function = wire::kWriteRegister;
  c.reg = r;
  // The password stays out of the log, before and after.
  if (r == reg::kPassword || r == reg::kPasswordLow) {
    c.after = QStringLiteral("*****");
    return c;
  }
  if (s.lastRead.address == address && s.lastRead.words.contains(r))
    c.before = s.lastRead.words.value(r);
  c.after = QString::number(value);
  return c;
}

}  // namespace

Outcome DeviceClient::writeWord(std::uint16_t r, std::uint16_t value) {
  DeviceChange c = registerChange(m_session, m_address, r, value);
  auto send = [this](const DeviceChange& ch) { note(ch, m::kRegisterWrite); };
  c.outcome = exchange(
      [&] { m_session.modbus.WriteWord(m_session.link(), m_address, r, value, m_reply); }, &c,
      send);
  send(c);
  return c.outcome;
}

DeviceClient::VerifiedWrite DeviceClient::writeWordVerified(std::uint16_t r, std::uint16_t value) {
  DeviceChange c = registerChange(m_session, m_address, r, value);
  auto send = [this](const DeviceChange& ch) { note(ch, m::kRegisterWrite); };
  VerifiedWrite v;
  v.outcome = exchange(
      [&] { m_session.modbus.WriteWord(m_session.link(), m_address, r, value, m_reply); }, &c,
      send);
  c.outcome = v.outcome;
  if (v.outcome == Outcome::Done) {
    // The device takes a new address once it answered the write of it.
    const std::uint8_t at = r == reg::kAddress ? std::uint8_t(value & 0xFF) : m_address;
    const Result<RegisterWords> back = readAt(at, r, 1, &c, send);
    if (back.outcome == Outcome::PortFailure) {
      // A port that failed under the read-back failed the call.
      v.outcome = c.outcome = Outcome::PortFailure;
    } else if (back) {
      v.readValue = back.value.at(r);
      v.readBack = *v.readValue == value ? ReadBack::Holds : ReadBack::Differs;
    } else {
      v.readBack = ReadBack::NotRead;
    }
    c.readBack = v.readBack;
    c.readValue = v.readValue;
  }
  send(c);
  return v;
}

DeviceClient::BlockCheck DeviceClient::readBackWrites(std::uint16_t first, std::uint16_t count,
                                                      const QVector<WrittenWord>& written) {
  BlockCheck check;
  const Result<RegisterWords> back = readAt(m_address, first, count);
  check.outcome = back.outcome;
  for (const WrittenWord& w : written) {
    DeviceChange c;
    c.function = wire::kReadHolding;
    c.reg = w.reg;
    // The password stays out of the log, as in its write.
    const bool password = w.reg == reg::kPassword || w.reg == reg::kPasswordLow;
    c.after = password ? QStringLiteral("*****") : QString::number(w.value);
    c.outcome = back.outcome;
    const bool inBlock = w.reg >= first && w.reg < first + count;
    if (back && inBlock) {
      const std::uint16_t now = back.value.at(w.reg);
      c.readBack = now == w.value ? ReadBack::Holds : ReadBack::Differs;
      if (!password) c.readValue = now;
      check.readValue << now;
    } else {
      c.readBack = ReadBack::NotRead;
      check.readValue << std::nullopt;
    }
    check.readBack << c.readBack;
    note(c, m::kRegisterWrite);
  }
  return check;
}

Outcome DeviceClient::sendCommand(std::uint16_t code) {
  DeviceChange c;
  c.function = wire::kWriteCoil;
  c.reg = code;
  c.operation = commandName(code);
  c.after = QStringLiteral("0x%1").arg(reg::kCoilOn, 4, 16, QLatin1Char('0'));
  auto send = [this](const DeviceChange& ch) { note(ch, QString()); };
  c.outcome = exchange(
      [&] { m_session.modbus.SendCommand(m_session.link(), m_address, code, m_reply); }, &c, send);
  // The echo confirms the command: the code's high byte, and 0xFF as the
  // high byte of the value.
  if (c.outcome == Outcome::Done && !(m_reply.frameByte(2) == (code >> 8) &&
                                      m_reply.frameByte(4) == (reg::kCoilOn >> 8)))
    c.outcome = Outcome::DeviceRefused;
  send(c);
  return c.outcome;
}

Outcome DeviceClient::setClock(const QDateTime& moment) {
  if (!moment.isValid()) return Outcome::InputRefused;
  DeviceChange c;
  c.function = wire::kWriteMultiple;
  c.reg = reg::kClock;
  c.after = moment.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
  auto send = [this](const DeviceChange& ch) { note(ch, m::kClockSet); };
  bool echoed = false;
  const Outcome o = exchange(
      [&] { echoed = m_session.modbus.SetRealDateTime(m_session.link(), m_address, moment); }, &c,
      send);
  // A valid reply that does not echo the clock registers is a bad one.
  c.outcome = echoed ? Outcome::Done : o == Outcome::Done ? Outcome::BadReply : o;
  send(c);
  return c.outcome;
}

Result<ServiceReply> DeviceClient::service(std::uint8_t sub, std::uint16_t accessCode,
                                           std::uint16_t argument) {
  // A request with access code 0, which no device accepts, changes
  // nothing: the connection asks the first nonce so.
  DeviceChange c;
  c.function = wire::kService;
  c.reg = sub;
  c.operation = serviceName(sub, argument);
  c.after = QString::number(argument);
  auto send = [this, accessCode](const DeviceChange& ch) {
    if (accessCode != 0) note(ch, QString());
  };
  const Outcome o = exchange(
      [&] {
        m_session.modbus.func18h(m_session.link(), m_address, sub, accessCode, argument, m_reply);
      },
      &c, send);
  Result<ServiceReply> result = Result<ServiceReply>::failed(o);
  if (o == Outcome::Done) {
    ServiceReply r;
    r.nonce = std::uint16_t(m_reply.frameByte(2) << 8 | m_reply.frameByte(3));
    r.carriedOut = m_reply.frameByte(4) != reg::kServiceRefused;
    result = Result<ServiceReply>::done(r);
  }
  c.outcome = result.ok() && !result.value.carriedOut ? Outcome::DeviceRefused : result.outcome;
  send(c);
  return result;
}

Result<ReplyFrame> DeviceClient::calibration(std::uint8_t sub, std::uint8_t a1, std::uint8_t a2,
                                             std::uint8_t a3, std::uint8_t a4, std::uint8_t a5) {
  auto request = [&] {
    m_session.modbus.func19h(m_session.link(), m_address, sub, a1, a2, a3, a4, a5, m_reply);
  };
  if (sub != kCalibrationWriteSub) return frameResult(exchange(request));
  DeviceChange c;
  c.function = wire::kCalibration;
  c.reg = a3;
  c.after = QString::number(a4);
  auto send = [this](const DeviceChange& ch) { note(ch, m::kCalibrationWrite); };
  c.outcome = exchange(request, &c, send);
  send(c);
  return frameResult(c.outcome);
}

Result<ReplyFrame> DeviceClient::calibrationSlot(std::uint8_t slot, std::uint8_t coefficient) {
  DeviceChange c;
  c.function = wire::kCalibration;
  c.reg = slot;
  c.after = QString::number(coefficient);
  auto send = [this](const DeviceChange& ch) { note(ch, m::kCalibrationWrite); };
  c.outcome = exchange(
      [&] {
        m_session.modbus.func1903h(m_session.link(), m_address, 7, slot, coefficient, 0, m_reply);
      },
      &c, send);
  send(c);
  return frameResult(c.outcome);
}

Result<ReplyFrame> DeviceClient::readEventRecord(std::uint8_t index) {
  return frameResult(
      exchange([&] { m_session.modbus.GetEvent(m_session.link(), m_address, index, m_reply); }));
}

Result<ReplyFrame> DeviceClient::readAlarmList() {
  return frameResult(
      exchange([&] { m_session.modbus.Getinterruption(m_session.link(), m_address, m_reply); }));
}

Result<RegisterWords> DeviceClient::readOscillogramBlock(std::uint8_t entry, std::uint16_t block) {
  const Outcome o = exchange([&] {
    m_session.modbus.GetBLockInterruption(m_session.link(), m_address, entry, block, m_reply);
  });
  if (o != Outcome::Done) return Result<RegisterWords>::failed(o);
  // a 43 F2, then 121 words; word 0 names the block.
  const int words = (m_reply.length() - wire::readReplyLength(0)) / 2;
  RegisterWords r = wordsOf(m_reply, 0, words);
  if (r.at(0) != block) return Result<RegisterWords>::failed(Outcome::BadReply);
  return Result<RegisterWords>::done(r);
}

}  // namespace vmk
