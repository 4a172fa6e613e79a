#pragma once
// The byte stream a LineServer serves: a pseudo-terminal, a serial device
// or a TCP connection. Waiting also ends when the stop flag is set, so a
// server thread stops promptly however quiet its client is.

#include <QtGlobal>
#include <csignal>
#include <cstdint>

namespace vmk::sim {

class Stream {
 public:
  virtual ~Stream() = default;

  enum class Wait {
    Readable,  // bytes came, or the other side closed (read says which)
    Hangup,    // nobody holds the other end (a pseudo-terminal without client)
    Quiet,     // the time-out passed, or the wait was interrupted
    Stopped,   // the stop flag was set
    Failed,
  };
  // Waits up to timeoutMs (-1: without end).
  virtual Wait wait(int timeoutMs) = 0;

  static constexpr qint64 kClosed = 0;
  static constexpr qint64 kFailed = -1;
  static constexpr qint64 kNothing = -2;  // nothing after all: wait again
  // The bytes read (> 0), kClosed, kFailed or kNothing.
  virtual qint64 read(char* into, qint64 size) = 0;
  virtual bool writeAll(const char* data, qint64 size) = 0;
};

// Monotonic time in microseconds.
std::int64_t monotonicUs();
// Sleeps until the monotonic time `us`.
void sleepUntilUs(std::int64_t us);

}  // namespace vmk::sim
