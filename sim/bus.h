#pragma once
// A simulated RS485 bus: up to 32 devices, each at its own address. One
// request frame in, one reply frame or silence out. A request to an absent
// address, a frame with a bad CRC and a frame too short to be one get
// silence, as on a real line; two devices at one address (one moved there)
// answer together and their frames collide.

#include <QByteArray>
#include <QList>
#include <map>
#include <memory>

#include "sim/device.h"

namespace vmk::sim {

class Bus {
 public:
  Bus() = default;
  // Devices at the given addresses, all of one variant; each device gets
  // its own seed derived from `seed` and its address.
  explicit Bus(const QList<int>& addresses, int variant = 1, std::uint64_t seed = 1,
               Device::ClockSource clock = {});

  // Adds (or replaces) the device at `address` (1..32) and returns it.
  Device& addDevice(int address, int variant = 1, std::uint64_t seed = 1,
                    Device::ClockSource clock = {});
  void removeDevice(int address);

  // The device answering at `address` now (the first, when a change of
  // address put two there); nullptr when none does.
  Device* device(int address);
  QList<int> addresses() const;

  // The reply to one whole request frame; empty = silence.
  QByteArray handle(const QByteArray& request);

  // Every frame put on the bus, answered or not.
  const QList<QByteArray>& requests() const { return m_requests; }
  void clearRequests() { m_requests.clear(); }

 private:
  std::map<int, std::unique_ptr<Device>> m_devices;  // by the address they were added at
  QList<QByteArray> m_requests;
};

}  // namespace vmk::sim
