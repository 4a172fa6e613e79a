#include "extlib/charset.h"

#include <algorithm>

#include "extlib/cp1251_table.h"

namespace vmk::cp1251 {

QString decode(const QByteArray& bytes) { return table::decode(bytes); }

QString decodeChar(unsigned char byte) { return QString(QChar(table::charOf(byte))); }

QByteArray encode(const QString& text) { return table::encode(text); }

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
