#pragma once
// CRC-16/Modbus and the frame helpers shared by the master and the
// simulated device.

#include <QByteArray>
#include <cstdint>

namespace vmk::wire {

// CRC-16/Modbus (polynomial 0xA001 reflected, initial 0xFFFF).
std::uint16_t crc16(const char* data, qsizetype size);
inline std::uint16_t crc16(const QByteArray& bytes) { return crc16(bytes.constData(), bytes.size()); }

// Appends the CRC, low byte first.
QByteArray withCrc(QByteArray frame);

// True when the frame is at least 4 bytes long and its last two bytes are the
// CRC of the rest.
bool hasValidCrc(const QByteArray& frame);

inline void appendWord(QByteArray& frame, std::uint16_t word) {
  frame.append(char(word >> 8));
  frame.append(char(word & 0xFF));
}

inline std::uint16_t wordAt(const QByteArray& frame, qsizetype offset) {
  if (offset < 0 || offset + 1 >= frame.size()) return 0;
  return std::uint16_t((std::uint8_t(frame[offset]) << 8) | std::uint8_t(frame[offset + 1]));
}

}  // namespace vmk::wire
