#include "sim/bus_link.h"

#include <thread>

#include "extlib/transport_error.h"
#include "extlib/wire_table.h"

namespace vmk::sim {

BusLink::BusLink(Bus& bus, const FaultPlan& faults) : m_bus(bus), m_faults(faults) {}

bool BusLink::open() {
  if (m_gone) {
    m_error = QStringLiteral("Порт недоступен");
    return false;
  }
  m_error.clear();
  m_open = true;
  return true;
}

void BusLink::close() {
  m_open = false;
  m_partial.clear();
  m_pending.clear();
  m_input.clear();
}

void BusLink::check() const {
  if (m_gone) throw TransportError(QStringLiteral("Порт недоступен"));
  if (!m_open) throw TransportError(QStringLiteral("Порт не открыт"));
}

void BusLink::write(const QByteArray& bytes) {
  check();
  m_partial += bytes;
  for (;;) {
    const int length = wire::requestLength(m_partial);
    if (length == 0 || (length > 0 && m_partial.size() < length)) return;
    // A function without a known length ends where the write ended.
    const QByteArray frame = length > 0 ? m_partial.left(length) : m_partial;
    m_partial.remove(0, frame.size());
    m_requests.append(frame);
    const QByteArray reply = m_faults.apply(m_bus.handle(frame));
    if (!reply.isEmpty())
      m_pending.push_back({Clock::now() + std::chrono::milliseconds(m_faults.plan().delayMs), reply});
    if (m_partial.isEmpty()) return;
  }
}

void BusLink::deliverDue(QByteArray& out) {
  const auto now = Clock::now();
  while (!m_pending.empty() && m_pending.front().at <= now) {
    m_input += m_pending.front().bytes;
    m_pending.pop_front();
  }
  const qsizetype n = m_chunk > 0 ? std::min<qsizetype>(m_chunk, m_input.size()) : m_input.size();
  out = m_input.left(n);
  m_input.remove(0, n);
}

QByteArray BusLink::read(int timeoutMs) {
  check();
  QByteArray out;
  deliverDue(out);
  if (!out.isEmpty()) return out;
  const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
  if (!m_pending.empty() && m_pending.front().at <= deadline) {
    std::this_thread::sleep_until(m_pending.front().at);
    deliverDue(out);
    return out;
  }
  std::this_thread::sleep_until(deadline);
  return out;
}

void BusLink::discardInput() {
  // What has arrived is dropped; a reply still on its way arrives later.
  QByteArray due;
  do deliverDue(due); while (!due.isEmpty());
  m_input.clear();
}

}  // namespace vmk::sim
