#pragma once
// SerialLink over the Win32 serial API (the Windows build has no Qt
// Serial Port): the port opened as \\.\COMn, its line set by a DCB, reads
// and writes bounded by COMMTIMEOUTS, line errors from ClearCommError.

#include <QString>

#include "extlib/serial_link.h"

namespace vmk {

struct WinSerialSettings {
  enum class Parity { None, Odd, Even, Mark, Space };
  enum class StopBits { One, OneAndHalf, Two };

  QString portName;  // "COM5", or a device path such as "\\.\COM5"
  int baudRate = 9600;
  int dataBits = 8;
  Parity parity = Parity::None;
  StopBits stopBits = StopBits::One;
  bool hardwareFlow = false;  // RTS/CTS; otherwise none
};

// The device path of a port name: "COM12" -> "\\.\COM12" (the prefix lets
// ports above COM9 open); a name holding a backslash is left as it is.
QString winDevicePath(const QString& portName);

class WinSerialLink : public SerialLink {
 public:
  explicit WinSerialLink(WinSerialSettings settings);
  ~WinSerialLink() override;

  bool open() override;
  void close() override;
  bool isOpen() const override;
  QString errorString() const override { return m_error; }
  // Returns once the bytes are with the driver, within the write time-out
  // (10 ms a byte + 100 ms); throws TransportError when they are not.
  void write(const QByteArray& bytes) override;
  QByteArray read(int timeoutMs) override;
  void discardInput() override;
  int byteTimeUs() const override;
  void setLineErrorHandler(LineErrorHandler handler) override { m_onLineError = std::move(handler); }
  bool failed() const override { return m_gone; }

 private:
  bool setTimeouts(unsigned long readInterval, unsigned long readMultiplier, unsigned long readConstant,
                   unsigned long writeConstant);
  void reportLineErrors();
  [[noreturn]] void fail(const QString& text);
  void failIfGone();

  WinSerialSettings m_settings;
  void* m_handle;  // HANDLE; INVALID_HANDLE_VALUE while closed
  LineErrorHandler m_onLineError;
  QString m_error;
  bool m_gone = false;
  // The time-outs last set, so that a read does not set them again.
  unsigned long m_timeouts[4] = {0, 0, 0, 0};
  bool m_timeoutsSet = false;
};

}  // namespace vmk
