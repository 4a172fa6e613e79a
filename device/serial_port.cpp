#include "device/serial_port.h"

#include "device/system_link.h"
#include "extlib/transport_error.h"

namespace vmk {

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
  std::unique_ptr<SerialLink> link = m_factory ? m_factory(m_settings) : makeSystemLink(m_settings);
  if (!link) {
    m_error = QStringLiteral("Порт %1 недоступен").arg(m_settings.portName);
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
  if (!isOpen()) throw TransportError(QStringLiteral("Порт %1 закрыт").arg(m_settings.portName));
  return *m_link;
}

}  // namespace vmk
