#include "tests/support/fault_link.h"

#include <chrono>
#include <thread>
#include <utility>

#include "extlib/crc16.h"
#include "extlib/transport_error.h"

namespace vmk::test {

QList<QByteArray> LinkPlan::requestsOf(int function) const {
  QList<QByteArray> out;
  for (const QByteArray& r : requests)
    if (r.size() > 1 && std::uint8_t(r[1]) == function) out << r;
  return out;
}

namespace {

const QString kGone = QStringLiteral("Порт недоступен");

}  // namespace

bool FaultLink::open() {
  ++m_plan.opens;
  m_error = m_plan.gone ? kGone : m_plan.openError;
  return m_error.isEmpty() && m_inner->open();
}

void FaultLink::checkGone() const {
  if (m_plan.gone) throw TransportError(kGone);
}

void FaultLink::write(const QByteArray& bytes) {
  checkGone();
  // A reply held past its time-out lands while the next one is awaited.
  m_late += std::exchange(m_delayed, {});
  m_plan.requests << bytes;
  m_current = m_plan.fault ? m_plan.fault(bytes) : Fault::None;
  switch (m_current) {
    case Fault::Throw:
      m_current = Fault::None;
      throw TransportError(QStringLiteral("write failed"));
    case Fault::Vanish:
      m_current = Fault::None;
      m_plan.gone = true;
      throw TransportError(kGone);
    case Fault::Silence:
      return;
    case Fault::Refuse:
      // address, function | 0x80, exception code 4 (the device failed), CRC
      m_refusal = bytes.left(2);
      if (m_refusal.size() == 2) m_refusal[1] = char(std::uint8_t(m_refusal[1]) | 0x80);
      m_refusal = wire::withCrc(m_refusal + char(4));
      return;
    default:
      m_inner->write(bytes);
  }
}

QByteArray FaultLink::read(int timeoutMs) {
  checkGone();
  QByteArray late = std::exchange(m_late, {});
  if (m_current == Fault::Silence) {
    if (!late.isEmpty()) return late;
    // A silent line costs the wait, as a real one does.
    std::this_thread::sleep_for(std::chrono::milliseconds(std::max(timeoutMs, 0)));
    return {};
  }
  if (m_current == Fault::Refuse) {
    m_current = Fault::None;
    return late + std::exchange(m_refusal, {});
  }
  QByteArray got = m_inner->read(timeoutMs);
  switch (m_current) {
    case Fault::Truncate:
      // Only the first bytes of the reply arrive; the rest is lost.
      m_current = Fault::Silence;
      got.truncate(got.size() / 2);
      break;
    case Fault::Corrupt:
      if (!got.isEmpty()) {
        m_current = Fault::None;
        got[got.size() / 2] = char(std::uint8_t(got[got.size() / 2]) ^ 0x5A);
      }
      break;
    case Fault::Delay:
      // Held back past the time-out; it arrives during the next exchange.
      m_current = Fault::Silence;
      m_delayed = got;
      got.clear();
      std::this_thread::sleep_for(std::chrono::milliseconds(std::max(timeoutMs, 0)));
      break;
    case Fault::Garbage:
      if (!got.isEmpty()) {
        m_current = Fault::None;
        const QByteArray noise = QByteArray::fromHex("ff00137e1101990155aa");
        got.prepend(noise);
      }
      break;
    case Fault::LateReply:
      if (!got.isEmpty()) {
        m_current = Fault::None;
        got.prepend(m_lastReply);
      }
      break;
    default:
      break;
  }
  if (!got.isEmpty() && m_current == Fault::None) m_lastReply = got;
  return late + got;
}

void FaultLink::discardInput() {
  checkGone();
  m_inner->discardInput();
}

}  // namespace vmk::test
