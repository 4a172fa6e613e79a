#include "sim/stream_win.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace vmk::sim {

std::int64_t monotonicUs() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void sleepUntilUs(std::int64_t us) {
  const std::int64_t left = us - monotonicUs();
  if (left > 0) std::this_thread::sleep_for(std::chrono::microseconds(left));
}

Stream::Wait SocketStream::wait(int timeoutMs) {
  const std::int64_t end = timeoutMs < 0 ? -1 : monotonicUs() + std::int64_t(timeoutMs) * 1000;
  for (;;) {
    if (m_stop) return Wait::Stopped;
    int slice = kStopCheckMs;
    if (end >= 0) slice = int(std::clamp<std::int64_t>((end - monotonicUs() + 999) / 1000, 0, kStopCheckMs));
    WSAPOLLFD p{m_socket, POLLRDNORM, 0};
    const int ready = ::WSAPoll(&p, 1, slice);
    if (m_stop) return Wait::Stopped;
    if (ready == SOCKET_ERROR) return Wait::Failed;
    // A closed or reset connection is readable too: read tells which.
    if (ready > 0) return Wait::Readable;
    if (end >= 0 && monotonicUs() >= end) return Wait::Quiet;
  }
}

qint64 SocketStream::read(char* into, qint64 size) {
  const int n = ::recv(m_socket, into, int(std::min<qint64>(size, 1 << 20)), 0);
  if (n > 0) return n;
  if (n == 0) return kClosed;
  const int error = ::WSAGetLastError();
  return error == WSAEWOULDBLOCK || error == WSAEINTR ? kNothing : kFailed;
}

bool SocketStream::writeAll(const char* data, qint64 size) {
  while (size > 0) {
    const int n = ::send(m_socket, data, int(std::min<qint64>(size, 1 << 20)), 0);
    if (n == SOCKET_ERROR) {
      if (::WSAGetLastError() != WSAEWOULDBLOCK) return false;
      WSAPOLLFD p{m_socket, POLLWRNORM, 0};
      ::WSAPoll(&p, 1, kStopCheckMs);
      continue;
    }
    data += n;
    size -= n;
  }
  return true;
}

}  // namespace vmk::sim
