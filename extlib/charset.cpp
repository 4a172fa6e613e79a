#include "extlib/charset.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

namespace vmk::cp1251 {

QString decode(const QByteArray& bytes) {
  QStringDecoder decoder("windows-1251");
  return decoder(bytes);
}

QString decodeChar(unsigned char byte) {
  return decode(QByteArray(1, char(byte)));
}

QByteArray encode(const QString& text) {
  QStringEncoder encoder("windows-1251", QStringConverter::Flag::ConvertInvalidToNull);
  QByteArray out;
  out.reserve(text.size());
  // Encode one character at a time so that an unmappable one becomes '?'
  // instead of being dropped or stopping the conversion.
  for (const QChar ch : text) {
    QByteArray b = encoder(QString(ch));
    out.append(b.size() == 1 && !(b[0] == '\0' && ch != QChar(0)) ? b : QByteArray("?"));
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
