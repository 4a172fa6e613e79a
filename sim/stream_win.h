#pragma once
// A Stream on a Winsock socket. Windows has no descriptor to wake a wait
// with, so a wait looks at the stop flag ten times a second.

#include <winsock2.h>

#include "sim/stream.h"

namespace vmk::sim {

class SocketStream : public Stream {
 public:
  SocketStream(SOCKET socket, const volatile std::sig_atomic_t& stop) : m_socket(socket), m_stop(stop) {}
  Wait wait(int timeoutMs) override;
  qint64 read(char* into, qint64 size) override;
  bool writeAll(const char* data, qint64 size) override;

 private:
  SOCKET m_socket;
  const volatile std::sig_atomic_t& m_stop;
};

// How long one wait for a socket lasts at most before the stop flag is
// looked at again.
inline constexpr int kStopCheckMs = 100;

}  // namespace vmk::sim
