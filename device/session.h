#pragma once
// What every device operation needs: `Port1`, the protocol library,
// `DeviceAddress`, the global `TVMK`, the port bracket and the busy flag.

#include <QString>
#include <cstdint>

#include "device/device_change.h"
#include "device/serial_port.h"
#include "device/tvmk.h"
#include "extlib/modbus_library.h"

namespace vmk {

class Session {
 public:
  explicit Session(SerialPort::LinkFactory factory = {});

  SerialPort Port1;
  ModbusLibrary modbus;
  std::uint8_t DeviceAddress = 0;
  TVMK vmk;

  // Where the device client reports every change it makes (the change
  // log); empty: nowhere. `changeOperation` names the operation running
  // (ChangeOperation), `lastRead` keeps what was read of the device.
  ChangeSink changes;
  QString changeOperation;
  ReadCache lastRead;

  // `actOpenPort`: opens the port if it is closed; throws Error with the
  // port's message when it cannot be opened.
  void openPort();
  // `actClosePort`: closes the port if it is open.
  void closePort();

  // The open link (throws TransportError when the port is closed).
  SerialLink& link() { return Port1.link(); }

  // Busy rule: while a device operation runs (and processes window
  // messages), no second one may start.
  bool isBusy() const { return m_busy; }

 private:
  friend class BusyGuard;
  bool m_busy = false;
};

// The port bracket: opens the port on entry, closes it on every way out,
// errors included. Opening an open port and closing a closed one do
// nothing, so operations may nest; an inner operation closes the port.
class PortBracket {
 public:
  explicit PortBracket(Session& session) : m_session(session) { m_session.openPort(); }
  ~PortBracket() { m_session.closePort(); }
  PortBracket(const PortBracket&) = delete;
  PortBracket& operator=(const PortBracket&) = delete;

 private:
  Session& m_session;
};

// Marks the session busy for one operation. acquired() is false when
// another operation is already running; the caller then does nothing.
class BusyGuard {
 public:
  explicit BusyGuard(Session& session)
      : m_session(session), m_acquired(!session.m_busy) {
    if (m_acquired) m_session.m_busy = true;
  }
  ~BusyGuard() {
    if (m_acquired) m_session.m_busy = false;
  }
  bool acquired() const { return m_acquired; }
  BusyGuard(const BusyGuard&) = delete;
  BusyGuard& operator=(const BusyGuard&) = delete;

 private:
  Session& m_session;
  bool m_acquired;
};

}  // namespace vmk
