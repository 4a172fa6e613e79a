#pragma once
// Windows-1251 at the borders: device name bytes, .ust and .cfg files,
// length-prefixed strings of the viewer library. Inside, every text is a
// QString.

#include <QByteArray>
#include <QString>

namespace vmk::cp1251 {

QString decode(const QByteArray& bytes);
QString decodeChar(unsigned char byte);

// Characters without a Windows-1251 code become '?'.
QByteArray encode(const QString& text);

// Length byte, then at most 255 Windows-1251 characters.
QByteArray toLengthPrefixed(const QString& text);
// Reads a length-prefixed text from a buffer of `size` bytes; a length
// beyond the buffer is cut to it.
QString fromLengthPrefixed(const unsigned char* buffer, int size);

}  // namespace vmk::cp1251
