#include "sim/request_length.h"

#include <cstdint>

namespace vmk::sim {

int requestLength(const QByteArray& bytes) {
  if (bytes.size() < 2) return 0;
  switch (std::uint8_t(bytes[1])) {
    case 0x01: case 0x02: case 0x03: case 0x04: case 0x05: case 0x06:
      return 8;  // address, function, two words, CRC
    case 0x07: case 0x0B: case 0x0C: case 0x11:
      return 4;  // address, function, CRC
    case 0x0F: case 0x10:
      // address, function, first, count, byte count, data, CRC
      return bytes.size() < 7 ? 0 : 9 + std::uint8_t(bytes[6]);
    case 0x16:
      return 10;
    case 0x17:
      return bytes.size() < 11 ? 0 : 13 + std::uint8_t(bytes[10]);
    case 0x18:
      return 9;
    case 0x19:
      return 10;
    case 0x41:
      return 5;
    case 0x42:
      return 4;
    case 0x43:
      return 7;
    default:
      return -1;
  }
}

}  // namespace vmk::sim
