#pragma once
// An in-process SerialLink to a simulated bus: what the master writes goes
// to the bus, the bus's reply waits to be read. With a FaultPlan the link
// drops, corrupts, truncates or delays replies; setGone() makes it behave
// like a port that has disappeared.
//
//   sim::Bus bus({1, 2, 3});
//   auto link = std::make_unique<sim::BusLink>(bus);
//   link->setByteTimeUs(1041);  // as at 9600 bit/s

#include <QByteArray>
#include <QList>
#include <chrono>
#include <deque>

#include "extlib/serial_link.h"
#include "sim/bus.h"
#include "sim/fault_injector.h"

namespace vmk::sim {

class BusLink : public SerialLink {
 public:
  explicit BusLink(Bus& bus, const FaultPlan& faults = {});

  bool open() override;
  void close() override;
  bool isOpen() const override { return m_open; }
  QString errorString() const override { return m_error; }
  // Throws TransportError when the link is closed or gone.
  void write(const QByteArray& bytes) override;
  // Hands out what has arrived. With nothing on its way it waits the whole
  // timeoutMs, like a silent line; a delayed reply is waited for when it
  // arrives within timeoutMs. Throws TransportError when closed or gone.
  QByteArray read(int timeoutMs) override;
  void discardInput() override;
  int byteTimeUs() const override { return m_byteTimeUs; }
  void setByteTimeUs(int us) { m_byteTimeUs = us; }

  FaultInjector& faults() { return m_faults; }
  void setFaults(const FaultPlan& plan) { m_faults.setPlan(plan); }
  // The port has gone (cable pulled, adapter removed): open() fails,
  // write() and read() throw.
  void setGone(bool gone) { m_gone = gone; }
  // Each read hands out at most this many bytes (0: all that has arrived).
  void setChunkSize(int bytes) { m_chunk = bytes; }

  // Every frame written, in order.
  const QList<QByteArray>& requests() const { return m_requests; }

 private:
  using Clock = std::chrono::steady_clock;
  struct Pending {
    Clock::time_point at;
    QByteArray bytes;
  };
  void check() const;
  void deliverDue(QByteArray& out);

  Bus& m_bus;
  FaultInjector m_faults;
  QByteArray m_partial;  // request bytes not yet a whole frame
  std::deque<Pending> m_pending;
  QByteArray m_input;
  QList<QByteArray> m_requests;
  QString m_error;
  int m_byteTimeUs = 0;
  int m_chunk = 0;
  bool m_open = false;
  bool m_gone = false;
};

}  // namespace vmk::sim
