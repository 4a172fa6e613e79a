#include "sim/fault_injector.h"

namespace vmk::sim {

QByteArray FaultInjector::apply(const QByteArray& reply) {
  ++m_requests;
  if (reply.isEmpty()) return reply;
  if (m_plan.silentAfter >= 0 && m_requests > m_plan.silentAfter) return {};
  if (m_rng.chance(m_plan.drop)) return {};
  QByteArray out = reply;
  if (m_rng.chance(m_plan.corrupt)) {
    const int at = m_rng.range(0, int(out.size()) - 1);
    out[at] = char(std::uint8_t(out[at]) ^ std::uint8_t(m_rng.range(1, 255)));
  }
  if (out.size() > 1 && m_rng.chance(m_plan.truncate)) out.truncate(m_rng.range(1, int(out.size()) - 1));
  return out;
}

}  // namespace vmk::sim
