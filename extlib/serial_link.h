#pragma once
// The byte transport under the protocol library: a real serial port, a
// pseudo-terminal, a TCP connection to a serial device server or a Modbus
// TCP gateway, or an in-memory link to the simulated bus. The protocol code
// never knows which one it has: every link takes RTU frames and hands back
// RTU bytes.

#include <QByteArray>
#include <QString>
#include <functional>

namespace vmk {

class SerialLink {
 public:
  virtual ~SerialLink() = default;

  // Opens the link; false (with errorString()) when it cannot be opened.
  virtual bool open() = 0;
  virtual void close() = 0;
  virtual bool isOpen() const = 0;
  virtual QString errorString() const = 0;

  // Sends all bytes; throws TransportError when the link is closed or fails.
  virtual void write(const QByteArray& bytes) = 0;

  // Waits at most timeoutMs for bytes to arrive and returns what has arrived
  // (possibly nothing). Throws TransportError when the link fails.
  virtual QByteArray read(int timeoutMs) = 0;

  // Discards every byte received and not yet read.
  virtual void discardInput() = 0;

  // Time one byte takes on the wire, in microseconds (10 bits per byte at
  // the configured rate); 0 for links without a line rate.
  virtual int byteTimeUs() const { return 0; }

  // True for a link that hands out a reply only once the whole of it has
  // crossed the line behind it (a Modbus TCP gateway): its first byte comes
  // the reply's line time later than on the line (timing::heldReplyMs).
  virtual bool holdsWholeReplies() const { return false; }

  // Line errors the driver reports while the link is open, as a bit set:
  // 0 frame, 1 parity, 2 overrun, 3 break, 4 I/O, 5 mode, 6 receive
  // overflow, 7 transmit full. Links without a driver never call it.
  using LineErrorHandler = std::function<void(int errors)>;
  virtual void setLineErrorHandler(LineErrorHandler handler) { (void)handler; }

  // True once the driver has said the line is gone (the device vanished,
  // the other side of a pseudo-terminal closed, the server closed or reset
  // the connection): every later write and read
  // throws TransportError, and its line errors are not worth a word of
  // their own - the operation that meets the failure says it.
  virtual bool failed() const { return false; }
};

}  // namespace vmk
