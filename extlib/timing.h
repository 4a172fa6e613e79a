#pragma once
// The one place for the master's timing rules.

#include <cstdint>

namespace vmk::timing {

// GetTry/SetTry: reply time-out in units of 10 ms, from the end of the
// request to the first reply byte.
constexpr int kTryUnitMs = 10;
constexpr int kMinTry = 1;
constexpr int kMaxTry = 255;
constexpr int kDefaultTry = 10;

constexpr int firstByteTimeoutMs(int tryValue) { return tryValue * kTryUnitMs; }

// A Modbus TCP gateway passes a reply on only once the whole of it has
// crossed the RS485 line behind it: its first byte comes that much later
// than on the line itself (`replyBytes` at `byteTimeUs` each).
constexpr int heldReplyMs(int replyBytes, int byteTimeUs) {
  return int((std::int64_t(replyBytes) * byteTimeUs + 999) / 1000);
}

// The time of one byte on the line in microseconds, rounded up: a start
// bit, the data bits, a parity bit if any, the stop bits (one and a half
// count as two). A rate of 0 or less is taken as 9600 bit/s.
constexpr int lineByteTimeUs(int baud, int dataBits, bool parity, bool oneStopBit) {
  const int bits = 1 + dataBits + (parity ? 1 : 0) + (oneStopBit ? 1 : 2);
  const std::int64_t rate = baud > 0 ? baud : 9600;
  return int((std::int64_t(bits) * 1'000'000 + rate - 1) / rate);
}

// Once the first byte is in, the rest of the reply may take as long as its
// length needs at the line rate, plus this margin for driver buffering and
// the device's own gaps between bytes.
constexpr int kReplyMarginMs = 50;

// Time for `bytes` more bytes at `byteTimeUs` per byte, plus the margin.
constexpr int restOfReplyMs(int bytes, int byteTimeUs) {
  return int((std::int64_t(bytes) * byteTimeUs + 999) / 1000) + kReplyMarginMs;
}

// Write time-out of the port: 10 ms a byte plus 100 ms.
constexpr int kWriteMsPerByte = 10;
constexpr int kWriteConstantMs = 100;
constexpr int writeTimeoutMs(int bytes) { return bytes * kWriteMsPerByte + kWriteConstantMs; }

// Connecting to a serial device server or a gateway: on a station LAN or a
// VPN a connection is made in well under a second, and Linux sends a lost
// first SYN again after 1 s, so 2 s take one lost SYN and a slow round trip,
// while a wrong or switched-off host fails in 2 s rather than the system's
// two minutes. A refused connection fails at once.
constexpr int kConnectTimeoutMs = 2000;

}  // namespace vmk::timing
