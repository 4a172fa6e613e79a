#include "extlib/charset.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <vector>
#include <cstdint>
#include <optional>

namespace vmk::cp1251 {

QString decode(const QByteArray& bytes) {
  QStringDecoder decoder("windows-1251");
  return decoder(bytes);
}

QString decodeChar(unsigned char byte) {
  return decode(QByteArray(1, char(byte)));
}

namespace {

// One character through the converter: its byte, or '?' when it has none.
char encodeOne(QStringEncoder& encoder, QChar ch) {
  const QByteArray b = encoder(QString(ch));
  return b.size() == 1 && !(b[0] == '\0' && ch != QChar(0)) ? b[0] : '?';
}

// The byte of each character of bytes 0x80..0xFF (0 for the others), kept
// only where the converter encodes the character back to its byte, so that
// the table answers as the converter would.
struct UpperHalf {
  std::vector<std::uint8_t> byteOfChar = std::vector<std::uint8_t>(0x10000, 0);
  UpperHalf() {
    QStringEncoder encoder("windows-1251", QStringConverter::Flag::ConvertInvalidToNull);
    for (int b = 0x80; b <= 0xFF; ++b) {
      const QString c = decodeChar(std::uint8_t(b));
      if (c.size() == 1 && encodeOne(encoder, c[0]) == char(b)) byteOfChar[c[0].unicode()] = std::uint8_t(b);
    }
  }
  int byteOf(char16_t c) const { return byteOfChar[c] ? byteOfChar[c] : -1; }
};

}  // namespace

QByteArray encode(const QString& text) {
  // ASCII is itself; the Cyrillic letters come from the table. Only other
  // characters go one by one through the converter (which is slow), so
  // that an unmappable one becomes '?' instead of being dropped or
  // stopping the conversion.
  static const UpperHalf upper;
  QByteArray out;
  out.reserve(text.size());
  std::optional<QStringEncoder> encoder;
  for (const QChar ch : text) {
    if (ch.unicode() < 0x80) {
      out.append(char(ch.unicode()));
      continue;
    }
    const int b = upper.byteOf(ch.unicode());
    if (b >= 0) {
      out.append(char(b));
      continue;
    }
    if (!encoder) encoder.emplace("windows-1251", QStringConverter::Flag::ConvertInvalidToNull);
    out.append(encodeOne(*encoder, ch));
  }
  return out;
}

QByteArray toLengthPrefixed(const QString& text) {
  QByteArray bytes = encode(text).left(255);
  bytes.prepend(char(bytes.size()));
  return bytes;
}

QString fromLengthPrefixed(const unsigned char* buffer, int size) {
  if (!buffer || size <= 0) return {};
  const int n = std::min<int>(buffer[0], size - 1);
  return decode(QByteArray(reinterpret_cast<const char*>(buffer + 1), n));
}

}  // namespace vmk::cp1251
