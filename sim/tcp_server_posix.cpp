// The TcpServer's sockets on POSIX.

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "sim/stream_posix.h"
#include "sim/tcp_server.h"

namespace vmk::sim {

TcpServer::~TcpServer() {
  if (m_listen >= 0) ::close(int(m_listen));
}

bool TcpServer::listen() {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const QByteArray host = m_options.host.toUtf8();
  const QByteArray service = QByteArray::number(m_options.port);
  if (const int rc = ::getaddrinfo(host.constData(), service.constData(), &hints, &found); rc != 0) {
    m_error = QStringLiteral("%1: %2").arg(m_options.host, QString::fromLocal8Bit(gai_strerror(rc)));
    return false;
  }
  for (addrinfo* a = found; a && m_listen < 0; a = a->ai_next) {
    const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) continue;
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(fd, a->ai_addr, a->ai_addrlen) == 0 && ::listen(fd, 4) == 0) {
      m_listen = fd;
    } else {
      m_error = QString::fromLocal8Bit(std::strerror(errno));
      ::close(fd);
    }
  }
  ::freeaddrinfo(found);
  if (m_listen < 0) {
    m_error = QStringLiteral("cannot listen on %1:%2: %3").arg(m_options.host).arg(m_options.port).arg(m_error);
    return false;
  }
  sockaddr_storage bound{};
  socklen_t size = sizeof bound;
  ::getsockname(int(m_listen), reinterpret_cast<sockaddr*>(&bound), &size);
  m_port = bound.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port)
                                       : ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
  return true;
}

int TcpServer::serve(const volatile std::sig_atomic_t& stop, int wakeFd) {
  while (!stop) {
    pollfd fds[2] = {{int(m_listen), POLLIN, 0}, {wakeFd, POLLIN, 0}};
    const int ready = ::poll(fds, wakeFd >= 0 ? 2 : 1, -1);
    if (stop) break;
    if (ready <= 0 || !(fds[0].revents & POLLIN)) continue;
    const int client = ::accept4(int(m_listen), nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    const int on = 1;
    ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    FdStream connection(client, stop, wakeFd);
    const int end = m_options.gateway ? m_line.serveGateway(connection, stop) : m_line.serve(connection, stop);
    if (end == LineServer::kReset) {
      // Closed with a reset rather than an orderly end.
      const linger hard{1, 0};
      ::setsockopt(client, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    }
    ::close(client);
  }
  // Stopped: a client that comes now is refused.
  ::close(int(m_listen));
  m_listen = -1;
  return 0;
}

}  // namespace vmk::sim
