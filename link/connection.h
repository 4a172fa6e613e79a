#pragma once
// Connecting to one device: its identity and setup blocks into the
// session's record, the connection report, the session's address and the
// first service nonce. The window shows the result on page 0; vmkctl
// prints it, and every vmkctl command connects this way first.
//
//   const Connection c = connectDevice(session, 4, clock.now().date());
//   if (c.failedStep == ConnectStep::Identity) ...   // the link-error box

#include <QDateTime>
#include <QStringList>
#include <cstdint>

#include "device/outcome.h"
#include "device/tvmk.h"

namespace vmk {

class MessageLog;
class Session;

// The step of a connection that did not go through.
enum class ConnectStep {
  None,      // connected
  Address,   // address 0: no device chosen
  Status,    // the device did not answer the status request
  Identity,  // the identity block did not come back
  Setup,     // the setup block did not come back
};

struct Connection {
  Outcome outcome = Outcome::Done;
  ConnectStep failedStep = ConnectStep::None;
  std::uint8_t address = 0;  // the address asked
  int status = 0;            // the status byte the device gave
  // The record as the session now holds it: identity, setup and nonce.
  // After a failed setup read it holds the new identity only.
  TVMK record;
  // A device of variant 3 reports neither its active group nor its clock.
  bool hasClock = false;
  // The device clock read with the setup; invalid when it is undefined.
  QDateTime deviceTime;
  // The connection report, line by line (the lines of Memo1), empty
  // unless connected.
  QStringList report;

  bool ok() const { return outcome == Outcome::Done; }
  // A read of the identity or setup block failed: the link-error box.
  bool readFailed() const {
    return failedStep == ConnectStep::Identity || failedStep == ConnectStep::Setup;
  }
  // Connected, but a clock the device should have is undefined.
  bool clockUndefined() const { return ok() && hasClock && !deviceTime.isValid(); }
};

// Connects to `address`: asks its status (a status of 4 and above, or none,
// ends here), reads the identity block into a fresh record and the setup
// block over its setup fields, and takes the first service nonce (the
// statistics request with access code 0, which the device refuses: only the
// nonce of the reply is used). The session's record and DeviceAddress
// follow: the address is set at once, and until the new identity has been
// read a failure gives DeviceAddress back its previous value, so that the
// address stays with the record still shown (a write would otherwise
// reach another relay). `today` places the device clock's two-digit year.
// The port is bracketed. A port failure throws Error (TransportError once
// open); an identity whose variant character is not a digit throws
// DeviceDataError.
Connection connectDevice(Session& session, std::uint8_t address, const QDate& today);

// Status panel 2 after a connection: "Выбрано устройство №N" when the
// device was connected and its clock is defined; empty otherwise (and for
// a device of variant 3).
QString chosenDeviceText(const Connection& connection);

// `AppendInterfaceParams`: the four interface lines of the connection report
// for register 65: the speed of the highest of bits 1..4 that is set (an
// empty line when none is), then parity, data bits and stop bits.
QStringList interfaceLines(std::uint16_t interfaceWord);
void AppendInterfaceParams(MessageLog& memo, std::uint16_t interfaceWord);

// "Скорость ... бит/с" for bits 1..4 of the interface word, "" for none.
QString interfaceSpeedLine(std::uint16_t interfaceWord);

}  // namespace vmk
