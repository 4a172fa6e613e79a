#pragma once
// SerialLink over QSerialPort: a real serial port or a pseudo-terminal.

#include <QSerialPort>
#include <QString>

#include "extlib/serial_link.h"

namespace vmk {

struct QSerialLinkSettings {
  // A name with a '/' is a full path (a pseudo-terminal); a bare name such
  // as "ttyUSB0" is looked up under /dev.
  QString portName;
  qint32 baudRate = 9600;
  QSerialPort::DataBits dataBits = QSerialPort::Data8;
  QSerialPort::Parity parity = QSerialPort::NoParity;
  QSerialPort::StopBits stopBits = QSerialPort::OneStop;
  QSerialPort::FlowControl flowControl = QSerialPort::NoFlowControl;
};

// Time of one byte on a line of these settings, in microseconds: start bit,
// data bits, parity bit, stop bits.
int lineByteTimeUs(const QSerialLinkSettings& settings);

class QSerialLink : public SerialLink {
 public:
  explicit QSerialLink(QSerialLinkSettings settings);
  ~QSerialLink() override;

  bool open() override;
  void close() override;
  bool isOpen() const override;
  QString errorString() const override;
  // Waits for the bytes to leave within the write time-out (10 ms a byte +
  // 100 ms); throws TransportError when they do not.
  void write(const QByteArray& bytes) override;
  QByteArray read(int timeoutMs) override;
  void discardInput() override;
  int byteTimeUs() const override;
  void setLineErrorHandler(LineErrorHandler handler) override { m_onLineError = std::move(handler); }
  bool failed() const override { return m_gone; }

  // What the port's errorOccurred signal brings. A read, write or resource
  // error on an open port is the line gone: the link fails from then on and
  // the error is reported once. A pseudo-terminal whose other side closed
  // reports a read error at every poll of the line, hundreds a second.
  void driverError(QSerialPort::SerialPortError error);

 private:
  void failIfGone();

  QSerialLinkSettings m_settings;
  QSerialPort m_port;
  LineErrorHandler m_onLineError;
  QString m_error;
  bool m_gone = false;
  bool m_reported = false;
};

}  // namespace vmk
