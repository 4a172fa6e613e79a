#include "extlib/qserial_link.h"

#include "extlib/serial_messages.h"
#include "extlib/timing.h"
#include "extlib/transport_error.h"

namespace vmk {

namespace {
constexpr int kLineErrorIO = 1 << 4;  // ceIO
}

QSerialLink::QSerialLink(QSerialLinkSettings settings) : m_settings(std::move(settings)) {
  QObject::connect(&m_port, &QSerialPort::errorOccurred, &m_port,
                   [this](QSerialPort::SerialPortError error) { driverError(error); });
}

void QSerialLink::driverError(QSerialPort::SerialPortError error) {
  if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError &&
      error != QSerialPort::WriteError)
    return;
  if (!m_port.isOpen()) return;
  m_gone = true;
  if (m_reported) return;
  m_reported = true;
  // Qt 6 reports no parity, framing or break errors; what it does report
  // is an I/O error of the line.
  if (m_onLineError) m_onLineError(kLineErrorIO);
}

QSerialLink::~QSerialLink() { close(); }

bool QSerialLink::open() {
  if (m_port.isOpen()) return true;
  m_gone = false;
  m_reported = false;
  m_port.setPortName(m_settings.portName);
  m_port.setBaudRate(m_settings.baudRate);
  m_port.setDataBits(m_settings.dataBits);
  m_port.setParity(m_settings.parity);
  m_port.setStopBits(m_settings.stopBits);
  m_port.setFlowControl(m_settings.flowControl);
  if (!m_port.open(QIODevice::ReadWrite)) {
    m_error = m_port.errorString();
    return false;
  }
  m_error.clear();
  return true;
}

void QSerialLink::close() {
  if (m_port.isOpen()) m_port.close();
}

bool QSerialLink::isOpen() const { return m_port.isOpen(); }

QString QSerialLink::errorString() const { return m_error.isEmpty() ? m_port.errorString() : m_error; }

void QSerialLink::failIfGone() {
  if (!m_port.isOpen()) throw TransportError(msg::serial::kNotOpen.arg(m_settings.portName));
  if (m_gone)
    throw TransportError(msg::serial::kGone.arg(m_settings.portName, m_port.errorString()));
}

void QSerialLink::write(const QByteArray& bytes) {
  failIfGone();
  if (m_port.write(bytes) != bytes.size())
    throw TransportError(msg::serial::kWriteFailed.arg(m_settings.portName, m_port.errorString()));
  const int timeout = timing::writeTimeoutMs(int(bytes.size()));
  while (m_port.bytesToWrite() > 0) {
    if (!m_port.waitForBytesWritten(timeout)) {
      failIfGone();
      throw TransportError(msg::serial::kWriteFailed.arg(m_settings.portName, m_port.errorString()));
    }
  }
}

QByteArray QSerialLink::read(int timeoutMs) {
  failIfGone();
  if (m_port.bytesAvailable() == 0) m_port.waitForReadyRead(timeoutMs);
  failIfGone();
  return m_port.readAll();
}

void QSerialLink::discardInput() {
  if (!m_port.isOpen()) return;
  m_port.clear(QSerialPort::Input);
  m_port.readAll();
}

int lineByteTimeUs(const QSerialLinkSettings& settings) {
  return timing::lineByteTimeUs(settings.baudRate, int(settings.dataBits), settings.parity != QSerialPort::NoParity,
                                settings.stopBits == QSerialPort::OneStop);
}

int QSerialLink::byteTimeUs() const { return lineByteTimeUs(m_settings); }

}  // namespace vmk
