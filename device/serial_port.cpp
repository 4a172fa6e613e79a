#include "device/serial_port.h"

#include "device/system_link.h"
#include "extlib/tcp_link.h"
#include "extlib/timing.h"
#include "extlib/transport_error.h"

namespace vmk {

std::unique_ptr<SerialLink> makeLink(const PortSettings& settings) {
  if (settings.link == PortSettings::Link::Serial) return makeSystemLink(settings);
  TcpLinkSettings t;
  t.host = settings.host;
  t.port = quint16(settings.tcpPort);
  t.mode = settings.tcpMode == PortSettings::TcpMode::ModbusTcp ? TcpLinkSettings::Mode::ModbusTcp
                                                                : TcpLinkSettings::Mode::RtuOverTcp;
  // The RS485 line behind the server times the replies.
  t.byteTimeUs = timing::lineByteTimeUs(settings.effectiveBaudRate(), settings.dataBits,
                                        settings.parity != PortSettings::Parity::None,
                                        settings.stopBits == PortSettings::StopBits::One);
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
