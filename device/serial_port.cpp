#include "device/serial_port.h"

#include <cstdint>

#include "device/system_link.h"
#include "extlib/tcp_link.h"
#include "extlib/transport_error.h"

namespace vmk {

namespace {

// The time of one byte on the RS485 line behind a server: start bit, data
// bits, parity bit, stop bits.
int lineByteTimeUs(const PortSettings& s) {
  int bits = 1 + s.dataBits + (s.parity == PortSettings::Parity::None ? 0 : 1);
  bits += s.stopBits == PortSettings::StopBits::One ? 1 : 2;
  const int baud = s.effectiveBaudRate() > 0 ? s.effectiveBaudRate() : 9600;
  return int((std::int64_t(bits) * 1'000'000 + baud - 1) / baud);
}

}  // namespace

std::unique_ptr<SerialLink> makeLink(const PortSettings& settings) {
  if (settings.link == PortSettings::Link::Serial) return makeSystemLink(settings);
  TcpLinkSettings t;
  t.host = settings.host;
  t.port = quint16(settings.tcpPort);
  t.mode = settings.tcpMode == PortSettings::TcpMode::ModbusTcp ? TcpLinkSettings::Mode::ModbusTcp
                                                                : TcpLinkSettings::Mode::RtuOverTcp;
  t.byteTimeUs = lineByteTimeUs(settings);
  t.name = settings.linkName();
  return std::make_unique<TcpLink>(t);
}

SerialPort::SerialPort(LinkFactory factory, QObject* parent)
    : QObject(parent), m_factory(std::move(factory)) {}

SerialPort::~SerialPort() {
  if (m_link) m_link->close();
}

void SerialPort::setLinkFactory(LinkFactory factory) { m_factory = std::move(factory); }

bool SerialPort::isOpen() const { return m_link && m_link->isOpen(); }

bool SerialPort::open() {
  if (isOpen()) return true;
  m_link.reset();
  std::unique_ptr<SerialLink> link = m_factory ? m_factory(m_settings) : makeLink(m_settings);
  if (!link) {
    m_error = QStringLiteral("Порт %1 недоступен").arg(m_settings.linkName());
    return false;
  }
  if (!link->open()) {
    m_error = link->errorString();
    return false;
  }
  link->setLineErrorHandler([this](int errors) { Q_EMIT lineErrors(errors); });
  m_link = std::move(link);
  m_error.clear();
  Q_EMIT afterOpen();
  return true;
}

void SerialPort::close() {
  if (!m_link) return;
  if (m_link->isOpen()) Q_EMIT beforeClose();
  // beforeClose may have run code that closed the port already.
  if (m_link) {
    m_link->setLineErrorHandler({});
    m_link->close();
    m_link.reset();
  }
}

SerialLink& SerialPort::link() {
  if (!isOpen()) throw TransportError(QStringLiteral("Порт %1 закрыт").arg(m_settings.linkName()));
  return *m_link;
}

}  // namespace vmk
