#include "tests/support/net_server.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vmk::test {

NetServer::NetServer(sim::Bus& bus, bool gateway, const sim::LineServer::Options& options)
    : m_line(bus, m_faults, options), m_tcp(m_line, {QStringLiteral("127.0.0.1"), 0, gateway}),
      m_gateway(gateway) {
  [[maybe_unused]] const int rc = ::pipe(m_wake);
  if (m_tcp.listen()) m_thread = std::thread([this] { m_tcp.serve(m_stop, m_wake[0]); });
}

NetServer::~NetServer() {
  stop();
  for (int fd : m_wake) ::close(fd);
}

void NetServer::stop() {
  if (!m_thread.joinable()) return;
  m_stop = 1;
  const char c = 1;
  [[maybe_unused]] auto n = ::write(m_wake[1], &c, 1);
  m_thread.join();
}

PortSettings NetServer::settings() const {
  PortSettings s;
  setLinkName(s, QStringLiteral("%1://127.0.0.1:%2")
                     .arg(m_gateway ? QStringLiteral("mbtcp") : QStringLiteral("tcp"))
                     .arg(port()));
  return s;
}

int refusingPort() {
  // A port the system hands out and nobody listens on once it is closed.
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof a;
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), size);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
  ::close(fd);
  return ntohs(a.sin_port);
}

}  // namespace vmk::test
