#pragma once
// Serves a simulated bus on a byte stream (a pseudo-terminal, a serial
// device or a TCP connection): finds the request frames in what arrives,
// hands each to the bus, and writes the reply back, optionally paced at the
// line rate. On a TCP connection it is a serial device server (RTU frames
// as on the line, serve) or a Modbus TCP gateway (MBAP frames,
// serveGateway) with the RS485 line of the bus behind it.

#include <QByteArray>
#include <QList>
#include <csignal>
#include <cstdint>

#include "sim/bus.h"
#include "sim/fault_injector.h"
#include "sim/stream.h"

namespace vmk::sim {

class LineServer {
 public:
  struct Options {
    int baud = 9600;
    // Act on a request only when its bytes would have arrived at `baud`,
    // and send the reply one byte at a time at that rate.
    bool pace = false;
    // Time between the end of a request and the first reply byte.
    int turnaroundMs = 0;
    // Print every frame in hex on stderr.
    bool verbose = false;
    // A real serial line: the bytes of one read came in one after another,
    // so the first of them started that many byte times earlier. On a
    // pseudo-terminal a request arrives whole the moment it is written.
    bool serialLine = false;
    // The faults hit the replies of these addresses only (empty: all).
    QList<int> faultyAddresses;
    // Behind a network: each way across it takes this long, besides the
    // line.
    int netDelayMs = 0;
  };

  // How serving a stream ended.
  enum End : int {
    kStopped = 0,  // `stop` was set
    kEnded = 1,    // the stream failed or the other side closed it
    kReset = 2,    // a fault asks for the connection to be reset
  };

  LineServer(Bus& bus, FaultInjector& faults, const Options& options);

  // Microseconds one byte takes on the line (10 bits).
  std::int64_t byteTimeUs() const { return m_byteUs; }
  // Silence that ends a frame whose length the function code does not
  // tell: 3.5 character times, at least 10 ms.
  std::int64_t gapUs() const;

  // Serves `line` until `stop` becomes non-zero or the stream fails.
  int serve(Stream& line, const volatile std::sig_atomic_t& stop);
  // Serves `line` as a Modbus TCP gateway: each MBAP request goes to the bus
  // as its RTU frame, and a reply that came back whole (CRC good) goes back
  // in an MBAP header with the request's transaction id. Paced, the reply
  // leaves once it has crossed the line whole. A header that is none ends
  // the connection, as a gateway drops a client out of step.
  int serveGateway(Stream& line, const volatile std::sig_atomic_t& stop);

 private:
  // The bus's reply to one request, what the faults made of it, and when
  // its first byte is due on the line.
  struct Answer {
    QByteArray reply;
    std::int64_t startUs = 0;
    bool reset = false;             // reset the connection instead
    bool wrongTransaction = false;  // a gateway answers under another id
  };
  Answer answer(const QByteArray& frame, std::int64_t firstByteUs);
  // Returns false when the connection is to be reset.
  bool handleFrame(Stream& line, const QByteArray& frame, std::int64_t firstByteUs,
                   const volatile std::sig_atomic_t& stop);
  bool handleGatewayFrame(Stream& line, const QByteArray& frame, std::int64_t arrivalUs);
  void dropNoise(QByteArray& buffer, qsizetype count);
  bool sendPaced(Stream& line, const QByteArray& bytes, std::int64_t startUs,
                 const volatile std::sig_atomic_t& stop);

  Bus& m_bus;
  FaultInjector& m_faults;
  Options m_options;
  std::int64_t m_byteUs;
};

}  // namespace vmk::sim
