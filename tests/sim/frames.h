#pragma once
// Request frames for the simulator tests, built from hex without the CRC.

#include <QByteArray>
#include <cstdint>

#include "extlib/crc16.h"

namespace vmk::test {

inline QByteArray request(const char* hexWithoutCrc) {
  return wire::withCrc(QByteArray::fromHex(hexWithoutCrc));
}

inline std::uint16_t wordOf(const QByteArray& reply, int k) { return wire::wordAt(reply, 3 + 2 * k); }

inline std::uint8_t byteOf(const QByteArray& frame, int k) {
  return k < frame.size() ? std::uint8_t(frame[k]) : 0;
}

}  // namespace vmk::test
