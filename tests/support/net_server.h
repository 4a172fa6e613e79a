#pragma once
// The simulated bus served over TCP on a thread of the test, exactly as
// `vmksim --tcp` serves it: a serial device server (RTU frames) or, with
// `gateway`, a Modbus TCP gateway (MBAP frames), on 127.0.0.1 at a port the
// system chooses. The faults (sim::FaultPlan, the network's among them) are
// set while no request is being served.
//
//   test::NetServer server(bus, true);
//   session.Port1.settings() = server.settings();   // mbtcp://127.0.0.1:PORT

#include <csignal>
#include <thread>

#include "device/port_settings.h"
#include "sim/bus.h"
#include "sim/fault_injector.h"
#include "sim/line_server.h"
#include "sim/tcp_server.h"

namespace vmk::test {

class NetServer {
 public:
  NetServer(sim::Bus& bus, bool gateway, const sim::LineServer::Options& options = {});
  ~NetServer();
  NetServer(const NetServer&) = delete;
  NetServer& operator=(const NetServer&) = delete;

  int port() const { return m_tcp.port(); }
  bool gateway() const { return m_gateway; }
  // Port settings that reach it: tcp://127.0.0.1:PORT, mbtcp:// for a gateway.
  PortSettings settings() const;
  // The faults from the next request on, counted afresh.
  void setFaults(const sim::FaultPlan& plan) { m_faults.setPlan(plan); }
  // Requests served since the last setFaults.
  int requests() const { return m_faults.requests(); }
  // Stops serving: the client in service sees the connection closed.
  void stop();

 private:
  sim::FaultInjector m_faults;
  sim::LineServer m_line;
  sim::TcpServer m_tcp;
  bool m_gateway;
  int m_wake[2] = {-1, -1};
  volatile std::sig_atomic_t m_stop = 0;
  std::thread m_thread;
};

// A port on 127.0.0.1 where nobody listens: a connection is refused.
int refusingPort();

}  // namespace vmk::test
