#pragma once
// A change made to a device, as the device client saw it: one register
// write, one command, one clock set, one service request or one
// calibration coefficient. The session hands each to its change sink (the
// change log); nothing is recorded while no sink is set.

#include <QHash>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "device/outcome.h"

namespace vmk {

// Whether the device holds what was sent, read back after the write.
enum class ReadBack {
  NotChecked,  // no read-back for this change (commands, clock, service)
  Holds,       // read back: the value sent
  Differs,     // read back: another value (`readValue`)
  NotRead,     // the read-back was not answered
};

struct DeviceChange {
  int address = 0;                   // the device address the request went to
  QString operation;                 // "Запись параметров и уставок", "Квитирование"
  int function = 0;                  // the request's function code
  std::optional<int> reg;            // the register, command code or sub-function
  std::optional<std::uint16_t> before;  // the register as last read, when known
  QString after;                     // what was sent: a number, a moment, a coefficient
  Outcome outcome = Outcome::Done;   // the request's
  ReadBack readBack = ReadBack::NotChecked;
  std::optional<std::uint16_t> readValue;
};

// Gets every change the device client makes, after its request ended.
using ChangeSink = std::function<void(const DeviceChange&)>;

// Names the operation of the changes made while it lives, nested scopes
// restoring the outer name (a password change inside a write keeps its
// own).
class ChangeOperation {
 public:
  ChangeOperation(QString& current, const QString& name) : m_current(current), m_outer(current) {
    m_current = name;
  }
  ~ChangeOperation() { m_current = m_outer; }
  ChangeOperation(const ChangeOperation&) = delete;
  ChangeOperation& operator=(const ChangeOperation&) = delete;

 private:
  QString& m_current;
  QString m_outer;
};

// The registers of one device as last read (for the value before a write).
struct ReadCache {
  int address = -1;
  QHash<int, std::uint16_t> words;
};

}  // namespace vmk
