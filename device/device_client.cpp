#include "device/device_client.h"

#include "device/codecs.h"
#include "device/session.h"
#include "extlib/wire_table.h"

namespace vmk {

namespace {

RegisterWords wordsOf(const ReplyFrame& reply, std::uint16_t first, int count) {
  RegisterWords r;
  r.first = first;
  r.words.reserve(count);
  for (int k = 0; k < count; ++k) r.words.append(GetRegWord(reply, k));
  return r;
}

}  // namespace

DeviceClient::DeviceClient(Session& session)
    : DeviceClient(session, session.DeviceAddress) {}

DeviceClient::DeviceClient(Session& session, std::uint8_t address)
    : m_session(session), m_address(address) {}

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

Result<ReplyFrame> DeviceClient::frameResult() {
  const Outcome o = outcomeOfLastCall();
  if (o != Outcome::Done) return Result<ReplyFrame>::failed(o);
  return Result<ReplyFrame>::done(m_reply);
}

Result<int> DeviceClient::readStatus() {
  const int status = m_session.modbus.GetF07(m_session.link(), m_address);
  const Outcome o = outcomeOfLastCall();
  if (o != Outcome::Done) return Result<int>::failed(o);
  return Result<int>::done(status);
}

Result<RegisterWords> DeviceClient::readRegisters(std::uint16_t first, std::uint16_t count) {
  m_reply.clear();
  m_session.modbus.SetQuery(m_session.link(), m_address, wire::kReadHolding, first, count,
                            m_reply);
  const Outcome o = outcomeOfLastCall();
  if (o != Outcome::Done) return Result<RegisterWords>::failed(o);
  return Result<RegisterWords>::done(wordsOf(m_reply, first, count));
}

Result<TVMK> DeviceClient::readIdentity() {
  const auto words = readRegisters(reg::kIdentity);
  if (!words) return Result<TVMK>::failed(words.outcome);
  return Result<TVMK>::done(DecodeIdentity(m_reply));
}

Result<SetupFields> DeviceClient::readSetup() {
  const auto words = readRegisters(reg::kSetup);
  if (!words) return Result<SetupFields>::failed(words.outcome);
  return Result<SetupFields>::done(DecodeSetup(m_reply));
}

Outcome DeviceClient::writeWord(std::uint16_t r, std::uint16_t value) {
  m_reply.clear();
  m_session.modbus.WriteWord(m_session.link(), m_address, r, value, m_reply);
  return outcomeOfLastCall();
}

Outcome DeviceClient::sendCommand(std::uint16_t code) {
  m_reply.clear();
  m_session.modbus.SendCommand(m_session.link(), m_address, code, m_reply);
  const Outcome o = outcomeOfLastCall();
  if (o != Outcome::Done) return o;
  // The echo confirms the command: the code's high byte, and 0xFF as the
  // high byte of the value.
  const bool confirmed = m_reply.frameByte(2) == (code >> 8) &&
                         m_reply.frameByte(4) == (reg::kCoilOn >> 8);
  return confirmed ? Outcome::Done : Outcome::DeviceRefused;
}

Outcome DeviceClient::setClock(const QDateTime& moment) {
  if (!moment.isValid()) return Outcome::InputRefused;
  if (m_session.modbus.SetRealDateTime(m_session.link(), m_address, moment)) return Outcome::Done;
  const Outcome o = outcomeOfLastCall();
  // A valid reply that does not echo the clock registers.
  return o == Outcome::Done ? Outcome::BadReply : o;
}

Result<ServiceReply> DeviceClient::service(std::uint8_t sub, std::uint16_t accessCode,
                                           std::uint16_t argument) {
  m_reply.clear();
  m_session.modbus.func18h(m_session.link(), m_address, sub, accessCode, argument, m_reply);
  const Outcome o = outcomeOfLastCall();
  if (o != Outcome::Done) return Result<ServiceReply>::failed(o);
  ServiceReply r;
  r.nonce = std::uint16_t(m_reply.frameByte(2) << 8 | m_reply.frameByte(3));
  r.carriedOut = m_reply.frameByte(4) != reg::kServiceRefused;
  return Result<ServiceReply>::done(r);
}

Result<ReplyFrame> DeviceClient::calibration(std::uint8_t sub, std::uint8_t a1, std::uint8_t a2,
                                             std::uint8_t a3, std::uint8_t a4, std::uint8_t a5) {
  m_reply.clear();
  m_session.modbus.func19h(m_session.link(), m_address, sub, a1, a2, a3, a4, a5, m_reply);
  return frameResult();
}

Result<ReplyFrame> DeviceClient::calibrationSlot(std::uint8_t slot, std::uint8_t coefficient) {
  m_reply.clear();
  m_session.modbus.func1903h(m_session.link(), m_address, 7, slot, coefficient, 0, m_reply);
  return frameResult();
}

Result<ReplyFrame> DeviceClient::readEventRecord(std::uint8_t index) {
  m_reply.clear();
  m_session.modbus.GetEvent(m_session.link(), m_address, index, m_reply);
  return frameResult();
}

Result<ReplyFrame> DeviceClient::readAlarmList() {
  m_reply.clear();
  m_session.modbus.Getinterruption(m_session.link(), m_address, m_reply);
  return frameResult();
}

Result<RegisterWords> DeviceClient::readOscillogramBlock(std::uint8_t entry, std::uint16_t block) {
  m_reply.clear();
  m_session.modbus.GetBLockInterruption(m_session.link(), m_address, entry, block, m_reply);
  const Outcome o = outcomeOfLastCall();
  if (o != Outcome::Done) return Result<RegisterWords>::failed(o);
  // a 43 F2, then 121 words; word 0 names the block.
  const int words = (m_reply.length() - wire::readReplyLength(0)) / 2;
  RegisterWords r = wordsOf(m_reply, 0, words);
  if (r.at(0) != block) return Result<RegisterWords>::failed(Outcome::BadReply);
  return Result<RegisterWords>::done(r);
}

}  // namespace vmk
