#pragma once
// Where a request ends on a byte stream: the function code tells the length
// of every request the devices know, and of the other standard Modbus
// requests. Anything else ends only at a gap in the stream.

#include <QByteArray>

namespace vmk::sim {

// The whole length (CRC included) of the request at the start of `bytes`:
// > 0 the length; 0 when more bytes are needed to tell; -1 when the
// function code gives no length.
int requestLength(const QByteArray& bytes);

}  // namespace vmk::sim
