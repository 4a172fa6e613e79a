#pragma once
// Windows-1251 by a fixed table: no converter library behind it, since the
// Windows build of Qt has none (no ICU) and finds "windows-1251" invalid.
// Header-only, so that the viewer and About libraries, which link nothing
// of ours, convert as the program does. tests/extlib/test_wire.cpp checks
// the table against Qt's converter on Linux, byte by byte and character by
// character.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>

namespace vmk::cp1251::table {

// The characters of bytes 0x80..0xBF. Bytes below 0x80 are ASCII; 0xC0..0xFF
// are А..я in order (U+0410..U+044F). 0x98 has no letter of its own and
// stands for the control character U+0098.
inline constexpr std::array<char16_t, 64> kUpper{
    u'\x0402', u'\x0403', u'\x201A', u'\x0453', u'\x201E', u'\x2026', u'\x2020', u'\x2021',
    u'\x20AC', u'\x2030', u'\x0409', u'\x2039', u'\x040A', u'\x040C', u'\x040B', u'\x040F',
    u'\x0452', u'\x2018', u'\x2019', u'\x201C', u'\x201D', u'\x2022', u'\x2013', u'\x2014',
    u'\x0098', u'\x2122', u'\x0459', u'\x203A', u'\x045A', u'\x045C', u'\x045B', u'\x045F',
    u'\x00A0', u'\x040E', u'\x045E', u'\x0408', u'\x00A4', u'\x0490', u'\x00A6', u'\x00A7',
    u'\x0401', u'\x00A9', u'\x0404', u'\x00AB', u'\x00AC', u'\x00AD', u'\x00AE', u'\x0407',
    u'\x00B0', u'\x00B1', u'\x0406', u'\x0456', u'\x0491', u'\x00B5', u'\x00B6', u'\x00B7',
    u'\x0451', u'\x2116', u'\x0454', u'\x00BB', u'\x0458', u'\x0405', u'\x0455', u'\x0457',
};

constexpr char16_t charOf(std::uint8_t byte) {
  if (byte < 0x80) return byte;
  if (byte < 0xC0) return kUpper[byte - 0x80];
  return char16_t(0x0410 + (byte - 0xC0));
}

// The byte of `c`, or -1 when Windows-1251 has none.
constexpr int byteOf(char16_t c) {
  if (c < 0x80) return c;
  if (c >= 0x0410 && c <= 0x044F) return 0xC0 + (c - 0x0410);
  for (int i = 0; i < int(kUpper.size()); ++i)
    if (kUpper[i] == c) return 0x80 + i;
  return -1;
}

inline QString decode(QByteArrayView bytes) {
  QString text(bytes.size(), Qt::Uninitialized);
  char16_t* out = reinterpret_cast<char16_t*>(text.data());
  for (qsizetype i = 0; i < bytes.size(); ++i) out[i] = charOf(std::uint8_t(bytes[i]));
  return text;
}

// Characters without a byte (and each half of a surrogate pair) become '?'.
inline QByteArray encode(QStringView text) {
  QByteArray bytes(text.size(), Qt::Uninitialized);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const int b = byteOf(text[i].unicode());
    bytes[i] = b >= 0 ? char(b) : '?';
  }
  return bytes;
}

}  // namespace vmk::cp1251::table
