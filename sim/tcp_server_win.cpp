// The TcpServer's sockets on Windows (Winsock).

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include "sim/stream_win.h"
#include "sim/tcp_server.h"

namespace vmk::sim {

namespace {

QString systemText(int code) {
  wchar_t* text = nullptr;
  const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, DWORD(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  QString out = n ? QString::fromWCharArray(text, int(n)).trimmed() : QStringLiteral("error %1").arg(code);
  if (text) ::LocalFree(text);
  return out;
}

bool startWinsock() {
  static const bool started = [] {
    WSADATA data{};
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}

SOCKET socketOf(std::intptr_t s) { return SOCKET(s); }

}  // namespace

TcpServer::~TcpServer() {
  if (m_listen >= 0) ::closesocket(socketOf(m_listen));
}

bool TcpServer::listen() {
  if (!startWinsock()) {
    m_error = QStringLiteral("cannot start Winsock");
    return false;
  }
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const QByteArray host = m_options.host.toUtf8();
  const QByteArray service = QByteArray::number(m_options.port);
  if (const int rc = ::getaddrinfo(host.constData(), service.constData(), &hints, &found); rc != 0) {
    m_error = QStringLiteral("%1: %2").arg(m_options.host, systemText(rc));
    return false;
  }
  for (addrinfo* a = found; a && m_listen < 0; a = a->ai_next) {
    const SOCKET s = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
    if (s == INVALID_SOCKET) continue;
    // No SO_REUSEADDR: on Windows it would let another program take the
    // port from under the simulator.
    if (::bind(s, a->ai_addr, int(a->ai_addrlen)) == 0 && ::listen(s, 4) == 0) {
      m_listen = std::intptr_t(s);
    } else {
      m_error = systemText(::WSAGetLastError());
      ::closesocket(s);
    }
  }
  ::freeaddrinfo(found);
  if (m_listen < 0) {
    m_error = QStringLiteral("cannot listen on %1:%2: %3").arg(m_options.host).arg(m_options.port).arg(m_error);
    return false;
  }
  sockaddr_storage bound{};
  int size = sizeof bound;
  ::getsockname(socketOf(m_listen), reinterpret_cast<sockaddr*>(&bound), &size);
  m_port = bound.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port)
                                       : ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
  return true;
}

int TcpServer::serve(const volatile std::sig_atomic_t& stop, int /*wakeFd*/) {
  while (!stop) {
    WSAPOLLFD p{socketOf(m_listen), POLLRDNORM, 0};
    if (::WSAPoll(&p, 1, kStopCheckMs) <= 0 || stop) continue;
    const SOCKET client = ::accept(socketOf(m_listen), nullptr, nullptr);
    if (client == INVALID_SOCKET) continue;
    const BOOL on = TRUE;
    ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    SocketStream connection(client, stop);
    const int end = m_options.gateway ? m_line.serveGateway(connection, stop) : m_line.serve(connection, stop);
    if (end == LineServer::kReset) {
      // Closed with a reset rather than an orderly end.
      const linger hard{1, 0};
      ::setsockopt(client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
    }
    ::closesocket(client);
  }
  // Stopped: a client that comes now is refused.
  ::closesocket(socketOf(m_listen));
  m_listen = -1;
  return 0;
}

}  // namespace vmk::sim
