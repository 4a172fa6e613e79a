#include "extlib/crc16.h"

namespace vmk::wire {

std::uint16_t crc16(const char* data, qsizetype size) {
  std::uint16_t crc = 0xFFFF;
  for (qsizetype i = 0; i < size; ++i) {
    crc ^= std::uint8_t(data[i]);
    for (int bit = 0; bit < 8; ++bit)
      crc = (crc & 1) ? std::uint16_t((crc >> 1) ^ 0xA001) : std::uint16_t(crc >> 1);
  }
  return crc;
}

QByteArray withCrc(QByteArray frame) {
  const std::uint16_t crc = crc16(frame);
  frame.append(char(crc & 0xFF));
  frame.append(char(crc >> 8));
  return frame;
}

bool hasValidCrc(const QByteArray& frame) {
  if (frame.size() < 4) return false;
  const std::uint16_t crc = crc16(frame.constData(), frame.size() - 2);
  return std::uint8_t(frame[frame.size() - 2]) == (crc & 0xFF) &&
         std::uint8_t(frame[frame.size() - 1]) == (crc >> 8);
}

}  // namespace vmk::wire
