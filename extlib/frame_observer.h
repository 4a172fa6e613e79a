#pragma once
// Observers of the protocol library's frames: the traffic monitor, vmkctl's
// trace and the frame log see every request as it is sent and every reply
// (or silence) as it is judged. While nobody observes and the log is off,
// the library builds nothing for them.

#include <QByteArray>
#include <QtGlobal>
#include <cstdint>

#include "extlib/modbus_library.h"

namespace vmk {

enum class FrameDirection { Request, Reply };

struct WireFrame {
  FrameDirection direction = FrameDirection::Request;
  qint64 atMs = 0;  // PC clock, milliseconds since the epoch
  // A request as sent; a reply as accepted (Ok or Exception), otherwise
  // every byte that arrived (nothing for silence).
  QByteArray bytes;
  // Of the request (a reply is reported with its request's).
  std::uint8_t address = 0;
  std::uint8_t function = 0;
  // Replies only: the verdict, and the time from the end of the request to
  // the last byte taken, in microseconds (-1 when nothing arrived).
  ReplyStatus status = ReplyStatus::Ok;
  qint64 responseUs = -1;
};

class FrameObserver {
 public:
  virtual ~FrameObserver() = default;
  // Called on the thread of the exchange, in order: a request, then its
  // reply. Must not start an exchange itself.
  virtual void frameSeen(const WireFrame& frame) = 0;
};

// `observer` sees every frame of `library` from now on, until removed; the
// library does not own it. Adding one twice has no effect. Remove it
// before either is destroyed (ScopedObserver does).
void addFrameObserver(ModbusLibrary& library, FrameObserver* observer);
void removeFrameObserver(ModbusLibrary& library, FrameObserver* observer);

// Observes a library for one scope; a null observer does nothing.
class ScopedObserver {
 public:
  ScopedObserver(ModbusLibrary& library, FrameObserver* observer)
      : m_library(library), m_observer(observer) {
    if (m_observer) addFrameObserver(m_library, m_observer);
  }
  ~ScopedObserver() {
    if (m_observer) removeFrameObserver(m_library, m_observer);
  }
  ScopedObserver(const ScopedObserver&) = delete;
  ScopedObserver& operator=(const ScopedObserver&) = delete;

 private:
  ModbusLibrary& m_library;
  FrameObserver* m_observer;
};

}  // namespace vmk
