#pragma once
// Serves a LineServer's bus over TCP: listens on an address, takes one
// client at a time and serves it until it goes (several may come one after
// another), as a serial device server (RTU frames) or a Modbus TCP gateway
// (MBAP frames). A fault that resets the connection closes it with a
// reset; the next client is served as usual.
//
//   sim::TcpServer server(line, {"127.0.0.1", 0, false});
//   if (server.listen()) server.serve(stop, wakeFd);   // port(): the port bound

#include <QString>
#include <csignal>
#include <cstdint>

#include "sim/line_server.h"

namespace vmk::sim {

class TcpServer {
 public:
  struct Options {
    QString host = QStringLiteral("127.0.0.1");
    int port = 0;  // 0: one the system chooses
    bool gateway = false;
  };

  TcpServer(LineServer& line, Options options);
  ~TcpServer();
  TcpServer(const TcpServer&) = delete;
  TcpServer& operator=(const TcpServer&) = delete;

  // Binds and listens; false with errorString() when it cannot.
  bool listen();
  QString errorString() const { return m_error; }
  // The port listened on.
  int port() const { return m_port; }
  // "HOST:PORT" listened on.
  QString address() const;

  // Serves clients until `stop` becomes non-zero; `wakeFd` (or -1) becomes
  // readable when it is set (on Windows, where there is none, the flag is
  // looked at ten times a second). Then it stops listening. Returns 0.
  int serve(const volatile std::sig_atomic_t& stop, int wakeFd);

 private:
  LineServer& m_line;
  Options m_options;
  QString m_error;
  std::intptr_t m_listen = -1;  // the listening socket (a SOCKET on Windows)
  int m_port = 0;
};

// "HOST:PORT" or "[V6]:PORT" into its parts; false when it is none.
bool parseHostPort(const QString& text, QString& host, int& port);

}  // namespace vmk::sim
