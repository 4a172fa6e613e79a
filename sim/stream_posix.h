#pragma once
// A Stream on a POSIX descriptor: a pseudo-terminal, a serial device or a
// socket. `wakeFd` (or -1) becomes readable when the stop flag is set.

#include "sim/stream.h"

namespace vmk::sim {

class FdStream : public Stream {
 public:
  FdStream(int fd, const volatile std::sig_atomic_t& stop, int wakeFd) : m_fd(fd), m_stop(stop), m_wakeFd(wakeFd) {}
  Wait wait(int timeoutMs) override;
  qint64 read(char* into, qint64 size) override;
  bool writeAll(const char* data, qint64 size) override;

 private:
  int m_fd;
  const volatile std::sig_atomic_t& m_stop;
  int m_wakeFd;
};

}  // namespace vmk::sim
