#pragma once
// The one fixture of the operation tests: devices on the in-process
// simulated bus behind a link that records every request and can spoil
// chosen exchanges, scripted prompts, a fixed PC clock, and a workspace as
// the data module leaves it at start (front connector, device pages
// hidden). Long operations step without dispatching window messages; the
// test sees each step instead.
//
//   test::DeviceFixture f;
//   sim::Device& d = f.add(1);
//   f.connectTo(1);                        // as after a connection
//   f.plan.fault = test::failRequest(3, 20);  // silence from request 3 on

#include <QDateTime>
#include <QList>
#include <functional>

#include "shell/workspace.h"
#include "sim/bus.h"
#include "sim/bus_link.h"
#include "tests/support/fault_link.h"
#include "tests/support/scripted_prompts.h"

namespace vmk::test {

// A request as the device saw it, for comparing with expectations: the
// function, the first register (reads, writes) and the count of a read or
// the value of a write.
struct Request {
  int function;
  int reg;
  int value;
  bool operator==(const Request&) const = default;
};
// Requests of functions 3 and 6 (the register reads and writes) in order.
QList<Request> registerRequests(const QList<QByteArray>& frames);

class DeviceFixture {
 public:
  // The PC clock of the test; devices run their own clock from
  // `deviceTime` (frozen) when it is valid, else from the PC clock.
  explicit DeviceFixture(QDateTime pcTime = QDateTime(QDate(2011, 5, 20), QTime(10, 0)),
                         QDateTime deviceTime = {});
  DeviceFixture(const DeviceFixture&) = delete;
  DeviceFixture& operator=(const DeviceFixture&) = delete;

  // A device at `address` with the given variant and status byte.
  sim::Device& add(int address, int variant = 1, std::uint8_t status = 1, std::uint64_t seed = 7);
  sim::Device& device(int address = 1) { return *bus.device(address); }

  // Chooses the rear connector (addresses 1..32) or the front one.
  void chooseRear(bool rear);
  // Sets the session as a connection leaves it: the address, and the
  // record read from the device (identity and setup, nonce 0).
  void connectTo(int address);

  // Frames written to the line, in order (also those a fault swallowed).
  const QList<QByteArray>& requests() const { return plan.requests; }
  QList<Request> registerRequests() const { return test::registerRequests(plan.requests); }
  void forgetRequests() { plan.requests.clear(); }
  // Links the port has opened so far.
  int opens() const { return plan.opens; }
  // Links to the bus through the recording link, as the fixture's own
  // session has them: for a data module's or vmkctl's session.
  SerialPort::LinkFactory linkFactory();
  bool portOpen() const { return session.Port1.isOpen(); }

  FixedClock clock;
  QDateTime deviceTime;
  sim::Bus bus;
  LinkPlan plan;
  Session session;
  ScriptedPrompts prompts;
  Workspace ws;
  // The job's step positions, in order, as the window would have shown them.
  QList<int> steps;
  // Runs at each step where the window would dispatch its messages, with
  // the step's position: a test looks at what the window shows then, or
  // asks for a cancel as the user would.
  std::function<void(int position)> atStep;
};

// Fault plans. Silence for every request from the `n`-th on (1-based).
std::function<Fault(const QByteArray&)> silentFrom(int n, LinkPlan& plan);
// Silence for the writes (function 6) of the given registers.
std::function<Fault(const QByteArray&)> silentWritesOf(QList<int> registers);

}  // namespace vmk::test
