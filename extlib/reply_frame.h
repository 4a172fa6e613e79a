#pragma once
// The reply buffer of the protocol library. Byte 0 holds the number of frame
// bytes that follow (0 = no answer); frame byte k, counted from 0, is buffer
// byte k + 1. Frame byte 0 is the device address, 1 the function code; word
// k of a register-read reply lies at frame bytes 3 + 2k (high) and 4 + 2k.

#include <QByteArray>
#include <array>
#include <cstdint>

namespace vmk {

struct ReplyFrame {
  std::array<std::uint8_t, 256> buffer{};

  // Number of frame bytes received (buffer byte 0).
  int length() const { return buffer[0]; }
  bool isEmpty() const { return buffer[0] == 0; }

  // Frame byte k; 0 for a byte that was not received.
  std::uint8_t frameByte(int k) const {
    return k >= 0 && k < length() ? buffer[k + 1] : 0;
  }

  QByteArray frame() const {
    return QByteArray(reinterpret_cast<const char*>(buffer.data() + 1), length());
  }

  // Stores a received frame (at most 255 bytes are kept).
  void assign(const QByteArray& frame) {
    buffer.fill(0);
    const int n = frame.size() < 255 ? int(frame.size()) : 255;
    buffer[0] = std::uint8_t(n);
    for (int i = 0; i < n; ++i) buffer[i + 1] = std::uint8_t(frame[i]);
  }

  void clear() { buffer.fill(0); }
};

// `ExpectedReplyLength`(n): the length of a good reply to a read of n
// registers: address + function + byte count + 2n + CRC.
constexpr int expectedReplyLength(int registers) { return 2 * registers + 5; }

}  // namespace vmk
