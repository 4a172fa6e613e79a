#pragma once
// The device's event journal: a ring of 34 records. A new event takes the
// slot after the newest one; an erased slot is 0xFF throughout.

#include <QByteArray>
#include <QDateTime>
#include <array>
#include <cstdint>

#include "extlib/registers.h"

namespace vmk::sim {

struct EventRecord {
  bool erased = true;
  QDateTime when;
  int hundredths = 0;  // 0..99
  std::uint8_t code = 0;
  std::uint8_t sub = 0;
  std::uint16_t value = 0;
  std::uint8_t outputs = 0;  // bit 5 watchdog, bits 4..0 relays 5..1
  std::uint8_t inputs = 0;   // bits 5..0 inputs 6..1
  // Six bytes sent as they are in place of the stamp of `when`: a stamp
  // the device's memory has spoilt (a byte that is not BCD, digits that
  // are no date).
  QByteArray rawStamp;
};

// Codes of the events the device adds itself.
namespace event {
constexpr std::uint8_t kPowerUp = 1;
constexpr std::uint8_t kGroupChanged = 3;        // sub-code: the new group bit
constexpr std::uint8_t kStatisticsCleared = 4;   // sub-code 1: over the line
constexpr std::uint8_t kAcknowledged = 5;        // sub-code 1: over the line
constexpr std::uint8_t kRemoteCommand = 6;       // sub-code: the relay
constexpr std::uint8_t kOverTheLine = 1;
}  // namespace event

class EventJournal {
 public:
  static constexpr int kRecords = reg::kEventRecords;

  // Appends at the slot after the newest record (wrapping) and returns it.
  int append(const EventRecord& record);
  void erase();

  const EventRecord& record(int index) const { return m_records[std::size_t(index)]; }
  // Replaces one slot directly (tests); the ring position is unchanged.
  void setRecord(int index, const EventRecord& record) { m_records[std::size_t(index)] = record; }
  int nextSlot() const { return m_next; }

  // Frame bytes 2..17 of the reply to a read of record `index` (0..33):
  // number, 0, six BCD bytes, code, hundredths, sub-code, value (high
  // first), 0, outputs, inputs. An erased slot keeps its number and is
  // 0xFF elsewhere.
  QByteArray payload(int index) const;

 private:
  std::array<EventRecord, kRecords> m_records{};
  int m_next = 0;
};

}  // namespace vmk::sim
