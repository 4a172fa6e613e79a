#include "tests/support/fault_link.h"

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

bool FaultLink::open() {
  ++m_plan.opens;
  m_error = m_plan.openError;
  return m_error.isEmpty() && m_inner->open();
}

void FaultLink::write(const QByteArray& bytes) {
  m_plan.requests << bytes;
  m_current = m_plan.fault ? m_plan.fault(bytes) : Fault::None;
  switch (m_current) {
    case Fault::Throw:
      m_current = Fault::None;
      throw TransportError(QStringLiteral("write failed"));
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
  if (m_current == Fault::Silence) return {};
  if (m_current == Fault::Refuse) {
    m_current = Fault::None;
    return std::exchange(m_refusal, {});
  }
  QByteArray got = m_inner->read(timeoutMs);
  if (m_current == Fault::Truncate) {
    // Only the first bytes of the reply arrive; the rest is lost.
    m_current = Fault::Silence;
    got.truncate(got.size() / 2);
  }
  return got;
}

void FaultLink::discardInput() {
  m_inner->discardInput();
}

}  // namespace vmk::test
