#include "sim/bus.h"

#include "extlib/crc16.h"
#include "extlib/wire_table.h"

namespace vmk::sim {

Bus::Bus(const QList<int>& addresses, int variant, std::uint64_t seed, Device::ClockSource clock) {
  for (int a : addresses) addDevice(a, variant, seed, clock);
}

Device& Bus::addDevice(int address, int variant, std::uint64_t seed, Device::ClockSource clock) {
  auto& slot = m_devices[address];
  slot = std::make_unique<Device>(address, variant, seed, std::move(clock));
  return *slot;
}

void Bus::removeDevice(int address) {
  for (auto it = m_devices.begin(); it != m_devices.end(); ++it) {
    if (it->second->address() == address) {
      m_devices.erase(it);
      return;
    }
  }
}

Device* Bus::device(int address) {
  for (auto& [added, dev] : m_devices)
    if (dev->address() == address) return dev.get();
  return nullptr;
}

QList<int> Bus::addresses() const {
  QList<int> out;
  for (const auto& [added, dev] : m_devices) out.append(dev->address());
  std::sort(out.begin(), out.end());
  return out;
}

QByteArray Bus::handle(const QByteArray& request) {
  m_requests.append(request);
  if (request.size() < wire::kMinFrameLength || !wire::hasValidCrc(request)) return {};
  // Every device at the address hears the request. Two that answer talk at
  // once: their frames collide on the line, which carries the dominant
  // bits of both, and the master gets a frame that is neither.
  QByteArray answer;
  for (auto& [added, dev] : m_devices) {
    if (dev->address() != std::uint8_t(request[0])) continue;
    const QByteArray reply = dev->handle(request);
    if (answer.isEmpty()) {
      answer = reply;
      continue;
    }
    if (answer.size() < reply.size()) answer.resize(reply.size(), '\0');
    for (qsizetype i = 0; i < reply.size(); ++i) answer[i] = char(answer[i] | reply[i]);
  }
  return answer;
}

}  // namespace vmk::sim
