#include "sim/event_journal.h"

#include "sim/bcd.h"

namespace vmk::sim {

int EventJournal::append(const EventRecord& record) {
  const int slot = m_next;
  m_records[std::size_t(slot)] = record;
  m_records[std::size_t(slot)].erased = false;
  m_next = (m_next + 1) % kRecords;
  return slot;
}

void EventJournal::erase() {
  m_records.fill(EventRecord{});
  m_next = 0;
}

QByteArray EventJournal::payload(int index) const {
  const EventRecord& r = m_records[std::size_t(index)];
  QByteArray out(16, char(0xFF));
  out[0] = char(index);
  if (r.erased) return out;
  out[1] = 0;
  out.replace(2, 6, r.rawStamp.size() == 6 ? r.rawStamp : bcdStamp(r.when));
  out[8] = char(r.code);
  out[9] = char(r.hundredths);
  out[10] = char(r.sub);
  out[11] = char(r.value >> 8);
  out[12] = char(r.value & 0xFF);
  out[13] = 0;
  out[14] = char(r.outputs);
  out[15] = char(r.inputs);
  return out;
}

}  // namespace vmk::sim
