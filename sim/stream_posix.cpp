#include "sim/stream_posix.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

namespace vmk::sim {

std::int64_t monotonicUs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return std::int64_t(ts.tv_sec) * 1'000'000 + ts.tv_nsec / 1000;
}

void sleepUntilUs(std::int64_t us) {
  timespec ts{};
  ts.tv_sec = time_t(us / 1'000'000);
  ts.tv_nsec = long(us % 1'000'000) * 1000;
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
  }
}

Stream::Wait FdStream::wait(int timeoutMs) {
  pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
  const int ready = ::poll(fds, m_wakeFd >= 0 ? 2 : 1, timeoutMs);
  if (m_stop) return Wait::Stopped;
  if (ready < 0) return errno == EINTR ? Wait::Quiet : Wait::Failed;
  if (fds[0].revents & POLLIN) return Wait::Readable;
  if (fds[0].revents & (POLLHUP | POLLERR)) return Wait::Hangup;
  return Wait::Quiet;
}

qint64 FdStream::read(char* into, qint64 size) {
  const ssize_t n = ::read(m_fd, into, std::size_t(size));
  if (n > 0) return n;
  if (n == 0) return kClosed;
  // A pseudo-terminal whose client went says EIO until the next one comes.
  return errno == EINTR || errno == EAGAIN || errno == EIO ? kNothing : kFailed;
}

bool FdStream::writeAll(const char* data, qint64 size) {
  while (size > 0) {
    // A client gone from a socket must not end the process with SIGPIPE
    // (the tests serve on a thread of their own process).
    ssize_t n = ::send(m_fd, data, std::size_t(size), MSG_NOSIGNAL);
    if (n < 0 && errno == ENOTSOCK) n = ::write(m_fd, data, std::size_t(size));
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN) {
        pollfd p{m_fd, POLLOUT, 0};
        ::poll(&p, 1, 100);
        continue;
      }
      return false;
    }
    data += n;
    size -= n;
  }
  return true;
}

}  // namespace vmk::sim
